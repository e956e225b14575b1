#include "toolkit/ImageList.h"

#include <stdexcept>

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

void TImageList::Clear() { ImageList_RemoveAll(list_); }

int TImageList::AddIcon(HICON icon) {
  int index = ImageList_AddIcon(list_, icon);
  if (index < 0) throw std::runtime_error("イメージリストにアイコンを追加できません");
  return index;
}

}  // namespace toolkit
