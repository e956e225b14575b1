// Where a window may stand on a screen. A window that opens where it was designed
// to may still stand partly off a small or scaled screen (its close box with it);
// at start it is kept wholly inside the work area of its monitor: moved first,
// made smaller only where it is larger than the area, and never below its minimum
// size. A window that fits where it stands is left alone. Plain arithmetic, so
// that it is tested without a screen.
#pragma once

#include <algorithm>

namespace toolkit {

// A rectangle in screen pixels: left and top inside, right and bottom just outside.
struct TBounds {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;

  int Width() const { return Right - Left; }
  int Height() const { return Bottom - Top; }
  bool operator==(const TBounds& o) const {
    return Left == o.Left && Top == o.Top && Right == o.Right && Bottom == o.Bottom;
  }
};

namespace placement_detail {

// One axis: the window's start and length within the area's.
inline void KeepOnAxis(int& start, int& length, int areaStart, int areaLength, int minLength) {
  length = std::max(std::min(length, areaLength), minLength);
  // A window that stays larger than the area keeps its start (its caption, its
  // system menu) in view.
  start = std::max(std::min(start, areaStart + areaLength - length), areaStart);
}

}  // namespace placement_detail

inline TBounds KeepInside(const TBounds& window, const TBounds& area, int minWidth,
                          int minHeight) {
  int left = window.Left, width = window.Width();
  int top = window.Top, height = window.Height();
  placement_detail::KeepOnAxis(left, width, area.Left, area.Width(), minWidth);
  placement_detail::KeepOnAxis(top, height, area.Top, area.Height(), minHeight);
  return {left, top, left + width, top + height};
}

}  // namespace toolkit
