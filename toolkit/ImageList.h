// The small-icon list a list view draws its row icons from. It copies every icon
// it is given, so the caller keeps ownership of the icon it added.
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
  int Count() const;
  void Clear();
  // Returns the index of the new image; throws when the list refuses the icon.
  int AddIcon(HICON icon);

  int Tag = 0;  // the owner's own use

private:
  HIMAGELIST list_ = nullptr;
};

}  // namespace toolkit
