// An icon picture: one icon handle, owned or shared, and a notification when
// the picture changes. Owned handles are destroyed with the picture; shared ones
// (LoadImage with LR_SHARED, LoadIcon) belong to the system and are only dropped.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "toolkit/Handle.h"

namespace toolkit {

// The first icon of a file (ExtractIconW, index 0), or none: a file without
// icons, or one the shell cannot reach. The shell's icon functions take no path
// longer than MAX_PATH, so a longer path is given by its 8.3 form where the
// volume keeps 8.3 names; where it keeps none, such a file shows no icon.
IconHandle ExtractFirstIcon(const std::wstring& path);

class TIcon {
public:
  enum class Ownership { Owned, Shared };

  TIcon() = default;
  ~TIcon() { Drop(); }
  TIcon(const TIcon&) = delete;
  TIcon& operator=(const TIcon&) = delete;

  HICON Handle() const { return handle_; }
  bool Empty() const { return handle_ == nullptr; }

  // Takes the handle, dropping the previous one, and notifies.
  void SetHandle(HICON icon, Ownership ownership = Ownership::Owned);
  // A copy of the other picture, owned by this one; an empty source empties it.
  void Assign(const TIcon& source);
  // Empties the picture; notifies only when there was one.
  void Clear();

  std::function<void(TIcon* Sender)> OnChange;

private:
  void Drop();
  void Changed() { if (OnChange) OnChange(this); }

  HICON handle_ = nullptr;
  bool owned_ = false;
};

}  // namespace toolkit
