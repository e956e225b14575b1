#include "ui/Form1.h"

#include <commctrl.h>

#include "monitor/FileFacts.h"
#include "monitor/Snapshot.h"
#include "res/resource.h"

namespace {

constexpr char kClassName[] = "TForm1";
constexpr UINT kButton1Id = 101;
constexpr UINT kListView1Id = 201;

HICON LoadFallbackIcon() {
  return static_cast<HICON>(::LoadImageA(::GetModuleHandleA(nullptr),
                                         MAKEINTRESOURCEA(IDI_GENERIC), IMAGE_ICON, 16, 16, 0));
}

}  // namespace

TForm1::TForm1() : Image2(LoadFallbackIcon()) {
  ListView1.Columns = {{"ファイル名", 150}, {"フルパス", 0, true}, {"更新日時", 120}, {"", 16}};
  ListView2.Columns = {{"ファイル名", 130}, {"フルパス", 300},     {"更新日時", 120},
                       {"追加日時", 120},   {"最終実行日時", 120}, {"コメント", 100}};
  ListView3.Columns = {{"日時", 150}, {"ファイル名", 120}, {"種類", 100}, {"詳細", 0, true}, {"", 17}};
  // A program built without the resource (a test) still needs an image 0.
  if (!Image2) Image2.reset(::CopyIcon(::LoadIconA(nullptr, IDI_APPLICATION)));
  monitor::ResetImageList(ImageList1, Image2.get());
}

TForm1::~TForm1() {
  if (font_) ::DeleteObject(font_);
}

void TForm1::GetProcessesList() { monitor::GetProcessesList(ListView1, ListBox1, Edit2); }

void TForm1::ListFileProperty() { monitor::ListFileProperty(ListView1, ImageList1); }

void TForm1::RefreshCurrentProcesses() {
  monitor::RefreshCurrentProcesses(ListView1, ListBox1, Edit2, ImageList1, Image2.get());
}

void TForm1::Button1Click() { RefreshCurrentProcesses(); }

void TForm1::ListFileCompares() {
  monitor::ListFileCompares(ListView1, Edit2, ListView4, SpinEdit2.Value(), ListView2, ListView3,
                            AddedCount, UpdatedCount, programIndex_);
}

void TForm1::LoadDataFiles(const std::string& folder) {
  store::LoadDataFiles(folder, Memo2, ListView2, ListView3, dataFiles_,
                       {ListView1, ListBox1, Edit2, ImageList1, Image2.get(), ListView4,
                        SpinEdit2.Value(), AddedCount, UpdatedCount, programIndex_});
}

void TForm1::SaveDataFiles(const std::string& folder) {
  store::SaveDataFiles(folder, Memo2, ListView2, ListView3, dataFiles_);
}

bool TForm1::CreateWindowed(HINSTANCE instance, int showCommand) {
  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = &TForm1::WindowProc;
  wc.hInstance = instance;
  wc.hIcon = ::LoadIconA(instance, MAKEINTRESOURCEA(IDI_VANTRY));
  wc.hIconSm = static_cast<HICON>(
      ::LoadImageA(instance, MAKEINTRESOURCEA(IDI_VANTRY), IMAGE_ICON, 16, 16, 0));
  wc.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kClassName;
  ::RegisterClassExA(&wc);

  hwnd_ = ::CreateWindowExA(0, kClassName, "Vantry", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 249,
                            129, 790, 465, nullptr, nullptr, instance, this);
  if (!hwnd_) return false;
  font_ = ::CreateFontA(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, SHIFTJIS_CHARSET, 0, 0, 0, 0,
                        "ＭＳ Ｐゴシック");
  button1_ = ::CreateWindowExA(0, "BUTTON", "プロセス取得", WS_CHILD | WS_VISIBLE | WS_TABSTOP,
                               16, 8, 77, 25, hwnd_,
                               reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kButton1Id)),
                               instance, nullptr);
  ::SendMessageA(button1_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
  ListView1.Create(hwnd_, 8, 44, 758, 353, kListView1Id, true);
  ::SendMessageA(ListView1.Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
  ListView1.SetImageList(ImageList1.Handle());
  Layout();
  RefreshCurrentProcesses();
  ::ShowWindow(hwnd_, showCommand);
  return true;
}

void TForm1::Layout() {
  RECT rc;
  ::GetClientRect(hwnd_, &rc);
  if (ListView1.Handle()) {
    ::MoveWindow(ListView1.Handle(), 8, 44, rc.right - 13, rc.bottom - 48, TRUE);
    ListView1.LayoutColumns();
  }
}

LRESULT CALLBACK TForm1::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTA*>(lp);
    ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
  }
  auto* self = reinterpret_cast<TForm1*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (self && self->hwnd_ == hwnd) return self->HandleMessage(msg, wp, lp);
  return ::DefWindowProcA(hwnd, msg, wp, lp);
}

LRESULT TForm1::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      if (LOWORD(wp) == kButton1Id && HIWORD(wp) == BN_CLICKED) Button1Click();
      return 0;
    case WM_NOTIFY: {
      LRESULT result = 0;
      if (ListView1.HandleNotify(reinterpret_cast<NMHDR*>(lp), &result)) return result;
      break;
    }
    case WM_SIZE:
      Layout();
      return 0;
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return 0;
  }
  return ::DefWindowProcA(hwnd_, msg, wp, lp);
}
