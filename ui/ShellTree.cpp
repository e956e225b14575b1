#include "ui/ShellTree.h"

#include <shellapi.h>

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "toolkit/AnsiText.h"
#include "toolkit/Window.h"

namespace ui {

namespace {

constexpr int kIndent = 19;  // designed, for a 96-DPI screen

// A shell folder hands a name back in one of three forms; only the wide one is
// memory of the caller's.
std::string TakeStrRet(STRRET& name, LPCITEMIDLIST item) {
  switch (name.uType) {
    case STRRET_WSTR: {
      toolkit::TaskMemory<wchar_t> text(name.pOleStr);
      return text ? toolkit::Narrow(text.get()) : std::string();
    }
    case STRRET_OFFSET:
      return reinterpret_cast<const char*>(item) + name.uOffset;
    case STRRET_CSTR:
      return name.cStr;
  }
  return {};
}

// The system's image list and the icon indexes into it; the shell owns the list,
// so nobody destroys it.
HIMAGELIST SystemSmallImages(LPCITEMIDLIST item) {
  SHFILEINFOA info = {};
  return reinterpret_cast<HIMAGELIST>(
      ::SHGetFileInfoA(reinterpret_cast<LPCSTR>(item), 0, &info, sizeof info,
                       SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
}

}  // namespace

HWND TShellTreeView::Create(HWND parent, const toolkit::TControlArgs& args) {
  if (FAILED(::SHGetDesktopFolder(desktop_.put())) || !desktop_)
    throw std::runtime_error("デスクトップのフォルダを開けませんでした");
  toolkit::ItemIdList desktopPidl;
  if (FAILED(::SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOP, desktopPidl.put())) ||
      !desktopPidl)
    throw std::runtime_error("デスクトップのフォルダを開けませんでした");

  // The tree view class of the common controls is registered on request only.
  INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_TREEVIEW_CLASSES};
  ::InitCommonControlsEx(&classes);
  // No TVS_LINESATROOT: the desktop alone stands at the root and needs no line.
  toolkit::TChildEvents events;
  events.Notify = [this](const NMHDR* header, LRESULT* result) {
    return HandleNotify(header, result);
  };
  events.DpiChanged = [this](int, int newDpi) {
    TreeView_SetIndent(hwnd_, toolkit::ScaleToDpi(kIndent, newDpi));
  };
  hwnd_ = toolkit::CreateChild(parent, WC_TREEVIEWA, args,
                               WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES | TVS_EDITLABELS |
                                   TVS_SHOWSELALWAYS,
                               std::move(events));
  if (!hwnd_) return nullptr;
  TreeView_SetIndent(hwnd_, toolkit::ScaleToDpi(kIndent, toolkit::DpiOf(hwnd_)));
  TreeView_SetImageList(hwnd_, SystemSmallImages(desktopPidl.get()), TVSIL_NORMAL);

  root_ = InsertNode(TVI_ROOT, std::move(desktopPidl), true);
  FillChildren(root_);
  TreeView_Expand(hwnd_, root_, TVE_EXPAND);
  TreeView_SelectItem(hwnd_, root_);
  return hwnd_;
}

TShellTreeView::TNode* TShellTreeView::NodeOf(HTREEITEM item) const {
  if (!hwnd_ || !item) return nullptr;
  TVITEMA tvi = {};
  tvi.mask = TVIF_PARAM | TVIF_HANDLE;
  tvi.hItem = item;
  if (!TreeView_GetItem(hwnd_, &tvi)) return nullptr;
  return reinterpret_cast<TNode*>(tvi.lParam);
}

HTREEITEM TShellTreeView::InsertNode(HTREEITEM parent, toolkit::ItemIdList absolute,
                                     bool hasSubFolders) {
  SHFILEINFOA closed = {};
  ::SHGetFileInfoA(reinterpret_cast<LPCSTR>(absolute.get()), 0, &closed, sizeof closed,
                   SHGFI_PIDL | SHGFI_DISPLAYNAME | SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
  SHFILEINFOA open = {};
  ::SHGetFileInfoA(reinterpret_cast<LPCSTR>(absolute.get()), 0, &open, sizeof open,
                   SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_OPENICON);

  nodes_.push_back(std::make_unique<TNode>());
  TNode* node = nodes_.back().get();
  node->Absolute = std::move(absolute);

  TVINSERTSTRUCTA insert = {};
  insert.hParent = parent;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN | TVIF_PARAM;
  insert.item.pszText = closed.szDisplayName;
  insert.item.iImage = closed.iIcon;
  insert.item.iSelectedImage = open.iIcon;
  insert.item.cChildren = hasSubFolders ? 1 : 0;
  insert.item.lParam = reinterpret_cast<LPARAM>(node);
  return TreeView_InsertItem(hwnd_, &insert);
}

void TShellTreeView::FillChildren(HTREEITEM item) {
  TNode* node = NodeOf(item);
  if (!node || node->Filled) return;
  node->Filled = true;

  toolkit::ComRef<IShellFolder> boundFolder;
  IShellFolder* folder = desktop_.get();
  if (item != root_) {
    if (FAILED(desktop_->BindToObject(node->Absolute.get(), nullptr, IID_IShellFolder,
                                      boundFolder.putVoid())) ||
        !boundFolder)
      folder = nullptr;
    else
      folder = boundFolder.get();
  }

  std::vector<toolkit::ItemIdList> children;
  toolkit::ComRef<IEnumIDList> list;
  // S_FALSE with no list is the shell's way of saying "nothing there" (an empty
  // drive, a folder one may not read).
  if (folder && folder->EnumObjects(hwnd_, SHCONTF_FOLDERS, list.put()) == S_OK && list) {
    toolkit::ItemIdList child;
    ULONG fetched = 0;
    while (list->Next(1, child.put(), &fetched) == S_OK && fetched == 1)
      children.push_back(std::move(child));
  }
  std::stable_sort(children.begin(), children.end(),
                   [folder](const toolkit::ItemIdList& a, const toolkit::ItemIdList& b) {
                     HRESULT hr = folder->CompareIDs(0, a.get(), b.get());
                     return SUCCEEDED(hr) && static_cast<short>(HRESULT_CODE(hr)) < 0;
                   });

  for (toolkit::ItemIdList& child : children) {
    LPCITEMIDLIST relative = child.get();
    SFGAOF attributes = SFGAO_HASSUBFOLDER;
    if (FAILED(folder->GetAttributesOf(1, &relative, &attributes))) attributes = 0;
    toolkit::ItemIdList absolute(::ILCombine(node->Absolute.get(), child.get()));
    if (!absolute) continue;
    InsertNode(item, std::move(absolute), (attributes & SFGAO_HASSUBFOLDER) != 0);
  }

  // The shell may promise sub-folders that turn out to be none (or hidden ones):
  // take the expand button away rather than leave one that opens nothing.
  if (children.empty()) {
    TVITEMA tvi = {};
    tvi.mask = TVIF_CHILDREN | TVIF_HANDLE;
    tvi.hItem = item;
    tvi.cChildren = 0;
    TreeView_SetItem(hwnd_, &tvi);
  }
}

HTREEITEM TShellTreeView::Selected() const {
  return hwnd_ ? TreeView_GetSelection(hwnd_) : nullptr;
}

std::string TShellTreeView::ParsingName(LPCITEMIDLIST absolute) const {
  STRRET name = {};
  if (!desktop_ || FAILED(desktop_->GetDisplayNameOf(absolute, SHGDN_FORPARSING, &name)))
    return {};
  return TakeStrRet(name, absolute);
}

std::string TShellTreeView::PathOf(HTREEITEM node) const {
  TNode* n = NodeOf(node);
  return n ? ParsingName(n->Absolute.get()) : std::string();
}

std::string TShellTreeView::SelectedPath() const { return PathOf(Selected()); }

std::string TShellTreeView::FolderPathOf(HTREEITEM node) const {
  // The text that would be kept must itself name a folder on a drive or a share.
  // A node of the namespace has a GUID-like parsing name that names no file, a
  // .zip the shell browses as a folder names a file, and a name the code page
  // cannot hold comes back with "?" in it.
  std::string path = PathOf(node);
  if (path.empty()) return {};
  DWORD attributes = ::GetFileAttributesW(toolkit::Widen(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return {};
  return path;
}

bool TShellTreeView::SelectPath(const std::string& path) {
  if (!desktop_ || !root_) return false;
  std::wstring wide = toolkit::Widen(path);
  toolkit::ItemIdList target;
  if (FAILED(desktop_->ParseDisplayName(hwnd_, nullptr, &wide[0], nullptr, target.put(),
                                        nullptr)) ||
      !target)
    return false;

  HTREEITEM item = root_;
  std::vector<HTREEITEM> above;
  for (;;) {
    TNode* node = NodeOf(item);
    if (!node) return false;
    if (::ILIsEqual(node->Absolute.get(), target.get())) break;
    FillChildren(item);
    HTREEITEM next = nullptr;
    for (HTREEITEM child = TreeView_GetChild(hwnd_, item); child && !next;
         child = TreeView_GetNextSibling(hwnd_, child)) {
      TNode* c = NodeOf(child);
      if (c && (::ILIsEqual(c->Absolute.get(), target.get()) ||
                ::ILIsParent(c->Absolute.get(), target.get(), FALSE)))
        next = child;
    }
    if (!next) return false;
    above.push_back(item);
    item = next;
  }
  for (HTREEITEM a : above) TreeView_Expand(hwnd_, a, TVE_EXPAND);
  TreeView_SelectItem(hwnd_, item);
  TreeView_EnsureVisible(hwnd_, item);
  return true;
}

void TShellTreeView::SelectUnderPointer() {
  DWORD pos = ::GetMessagePos();
  TVHITTESTINFO hit = {};
  hit.pt = {static_cast<short>(LOWORD(pos)), static_cast<short>(HIWORD(pos))};
  ::ScreenToClient(hwnd_, &hit.pt);
  HTREEITEM item = TreeView_HitTest(hwnd_, &hit);
  if (item && (hit.flags & TVHT_ONITEM)) TreeView_SelectItem(hwnd_, item);
}

bool TShellTreeView::HandleNotify(const NMHDR* header, LRESULT* result) {
  if (!hwnd_ || header->hwndFrom != hwnd_) return false;
  *result = 0;
  switch (header->code) {
    case TVN_ITEMEXPANDINGA:
    case TVN_ITEMEXPANDINGW: {
      // Only the item handle and the action are read; they sit alike in both forms.
      auto* nm = reinterpret_cast<const NMTREEVIEWA*>(header);
      if (nm->action & TVE_EXPAND) FillChildren(nm->itemNew.hItem);
      break;
    }
    case TVN_BEGINLABELEDITA:
    case TVN_BEGINLABELEDITW: {
      auto* nm = reinterpret_cast<const NMTVDISPINFOA*>(header);
      bool allowed = OnEditing ? OnEditing(nm->item.hItem) : true;
      *result = allowed ? FALSE : TRUE;
      break;
    }
    case TVN_SELCHANGEDA:
    case TVN_SELCHANGEDW: {
      // Only the new item's handle is read; it sits alike in both forms.
      auto* nm = reinterpret_cast<const NMTREEVIEWA*>(header);
      if (OnChange) OnChange(nm->itemNew.hItem);
      break;
    }
    case NM_RCLICK:
      SelectUnderPointer();
      break;
  }
  return true;
}

}  // namespace ui
