#include "toolkit/Icon.h"

namespace toolkit {

void TIcon::Drop() {
  if (handle_ && owned_) ::DestroyIcon(handle_);
  handle_ = nullptr;
  owned_ = false;
}

void TIcon::SetHandle(HICON icon, Ownership ownership) {
  if (icon != handle_) {
    Drop();
    handle_ = icon;
  }
  owned_ = icon && ownership == Ownership::Owned;
  Changed();
}

void TIcon::Assign(const TIcon& source) {
  if (&source == this) return;
  HICON copy = source.handle_ ? ::CopyIcon(source.handle_) : nullptr;
  Drop();
  handle_ = copy;
  owned_ = copy != nullptr;
  Changed();
}

void TIcon::Clear() {
  if (!handle_) return;
  Drop();
  Changed();
}

}  // namespace toolkit
