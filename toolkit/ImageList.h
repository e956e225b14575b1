// The small-icon list a list view draws its row icons from. It copies every icon
// it is given, so the caller keeps ownership of the icon it added. Its size is
// the small icons' size at the DPI of the window that shows it.
#pragma once

#include <windows.h>
#include <commctrl.h>

namespace toolkit {

class TImageList {
public:
  TImageList(int width = 16, int height = 16);
  ~TImageList();
  TImageList(const TImageList&) = delete;
  TImageList& operator=(const TImageList&) = delete;

  HIMAGELIST Handle() const { return list_; }
  int Width() const;
  int Count() const;
  // Makes the images of the list the given size, each image kept (scaled) at its
  // index. The handle changes: give the new one to the views that show the list.
  void SetImageSize(int size);
  void Clear();
  // Returns the index of the new image; throws when the list refuses the icon.
  int AddIcon(HICON icon);
  // Puts a copy of the icon in place of the image at the index.
  void ReplaceIcon(int index, HICON icon);

  int Tag = 0;  // the owner's own use

private:
  HIMAGELIST list_ = nullptr;
};

}  // namespace toolkit
