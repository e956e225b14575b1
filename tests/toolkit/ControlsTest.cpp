#include <gtest/gtest.h>

#include "toolkit/Controls.h"

using toolkit::TCheckBox;
using toolkit::TSpinEdit;

TEST(SpinEdit, ValuesSetByTheProgramAreBroughtIntoRangeAtOnce) {
  TSpinEdit interval(1, 60, 10);
  interval.SetValue(0);
  EXPECT_EQ(1, interval.Value());
  interval.SetValue(99);
  EXPECT_EQ(60, interval.Value());
  EXPECT_EQ("60", interval.Text());
}

TEST(SpinEdit, TypedValuesStandUntilTheFocusLeaves) {
  TSpinEdit log(10, 200, 100);
  log.SetText("500");
  EXPECT_EQ(500, log.Value());
  log.FocusLost();
  EXPECT_EQ(200, log.Value());
  log.SetText("abc");
  EXPECT_EQ(10, log.Value());  // no number: the minimum
  log.FocusLost();
  EXPECT_EQ("10", log.Text());
}

TEST(CheckBox, ProgramChangesRunTheClickHandlerOnlyOnAChange) {
  TCheckBox box;
  int clicks = 0;
  box.OnClick = [&] { ++clicks; };
  box.SetChecked(false);
  EXPECT_EQ(0, clicks);
  box.SetChecked(true);
  EXPECT_EQ(1, clicks);
  EXPECT_TRUE(box.Checked());
  box.SetChecked(true);
  EXPECT_EQ(1, clicks);
}

TEST(ParseInteger, AcceptsOnlyWholeNumbersThatFit) {
  int v = 0;
  EXPECT_TRUE(toolkit::ParseInteger("-12", &v));
  EXPECT_EQ(-12, v);
  EXPECT_TRUE(toolkit::ParseInteger("2147483647", &v));
  EXPECT_EQ(2147483647, v);
  EXPECT_FALSE(toolkit::ParseInteger("2147483648", &v));
  EXPECT_FALSE(toolkit::ParseInteger("12a", &v));
  EXPECT_FALSE(toolkit::ParseInteger(" 12", &v));
  EXPECT_FALSE(toolkit::ParseInteger("-", &v));
  EXPECT_FALSE(toolkit::ParseInteger("", &v));
}
