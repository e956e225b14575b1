#include "toolkit/ImageList.h"

#include <stdexcept>

#include "toolkit/Handle.h"

namespace toolkit {

TImageList::TImageList(int width, int height) {
  list_ = ImageList_Create(width, height, ILC_COLOR32 | ILC_MASK, 4, 16);
  if (!list_) throw std::runtime_error("イメージリストを作成できません");
  ImageList_SetBkColor(list_, RGB(255, 255, 255));
}

TImageList::~TImageList() {
  if (list_) ImageList_Destroy(list_);
}

int TImageList::Count() const { return ImageList_GetImageCount(list_); }

int TImageList::Width() const {
  int width = 0, height = 0;
  ImageList_GetIconSize(list_, &width, &height);
  return width;
}

void TImageList::SetImageSize(int size) {
  if (size == Width()) return;
  HIMAGELIST resized = ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, Count() + 4, 16);
  if (!resized) throw std::runtime_error("イメージリストを作成できません");
  ImageList_SetBkColor(resized, ImageList_GetBkColor(list_));
  for (int i = 0; i < Count(); ++i) {
    IconHandle icon(ImageList_GetIcon(list_, i, ILD_NORMAL));
    if (!icon || ImageList_AddIcon(resized, icon.get()) < 0) {
      ImageList_Destroy(resized);
      throw std::runtime_error("イメージリストにアイコンを追加できません");
    }
  }
  ImageList_Destroy(list_);
  list_ = resized;
}

void TImageList::Clear() { ImageList_RemoveAll(list_); }

void TImageList::ReplaceIcon(int index, HICON icon) {
  if (ImageList_ReplaceIcon(list_, index, icon) < 0)
    throw std::runtime_error("イメージリストにアイコンを追加できません");
}

int TImageList::AddIcon(HICON icon) {
  int index = ImageList_AddIcon(list_, icon);
  if (index < 0) throw std::runtime_error("イメージリストにアイコンを追加できません");
  return index;
}

}  // namespace toolkit
