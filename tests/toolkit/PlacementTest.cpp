#include <gtest/gtest.h>

#include "toolkit/Placement.h"

using toolkit::KeepInside;
using toolkit::TBounds;

namespace {

const TBounds kScreen{0, 0, 1024, 768};

}  // namespace

TEST(Placement, AWindowThatFitsStaysWhereItIs) {
  EXPECT_EQ((TBounds{249, 129, 1019, 594}), KeepInside({249, 129, 1019, 594}, kScreen, 580, 275));
  EXPECT_EQ((TBounds{0, 0, 1024, 768}), KeepInside({0, 0, 1024, 768}, kScreen, 580, 275));
}

TEST(Placement, AWindowThatOverhangsIsMovedInWholeFirst) {
  // The designed place on a 1024-pixel screen: right edge at 1039.
  EXPECT_EQ((TBounds{234, 129, 1024, 594}), KeepInside({249, 129, 1039, 594}, kScreen, 580, 275));
  EXPECT_EQ((TBounds{0, 0, 790, 465}), KeepInside({-30, -8, 760, 457}, kScreen, 580, 275));
  EXPECT_EQ((TBounds{100, 303, 890, 768}), KeepInside({100, 700, 890, 1165}, kScreen, 580, 275));
}

TEST(Placement, AWindowLargerThanTheAreaShrinksToItButNotBelowItsMinimum) {
  // 790 x 465 at 150 %, on a 1024x768 screen.
  EXPECT_EQ((TBounds{0, 71, 1024, 768}), KeepInside({249, 129, 1434, 826}, kScreen, 870, 413));
  // At 200 % the minimum is wider than the screen: the left edge and the caption
  // stay in view.
  EXPECT_EQ((TBounds{0, 0, 1160, 768}), KeepInside({249, 129, 1829, 1059}, kScreen, 1160, 550));
}

TEST(Placement, TheAreaNeedNotStartAtTheOrigin) {
  // A second monitor left of the first, its taskbar on top.
  const TBounds left{-1280, 40, 0, 1024};
  EXPECT_EQ((TBounds{-790, 129, 0, 594}), KeepInside({-500, 129, 290, 594}, left, 580, 275));
  EXPECT_EQ((TBounds{-1280, 40, -490, 505}), KeepInside({-1400, 0, -610, 465}, left, 580, 275));
}
