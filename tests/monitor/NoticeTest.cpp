#include <gtest/gtest.h>

#include "monitor/Notice.h"

TEST(ChangeNotice, EachCountAboveZeroIsAPieceBetweenIdeographicSpaces) {
  EXPECT_EQ("　追加：3　　更新：12　　削除：1　", monitor::ChangeNoticeText(3, 12, 1));
  EXPECT_EQ("　更新：1　", monitor::ChangeNoticeText(0, 1, 0));
  EXPECT_EQ("　削除：2　", monitor::ChangeNoticeText(0, 0, 2));
}

TEST(ChangeNotice, NothingChangedGivesAnEmptyText) {
  EXPECT_EQ("", monitor::ChangeNoticeText(0, 0, 0));
  EXPECT_EQ("", monitor::ChangeNoticeText(-1, 0, 0));
}

TEST(ChangeNotice, PiecesAreCp932Bytes) {
  // U+3000 is 81 40 and U+FF1A is 81 46 in CP932.
  EXPECT_EQ(std::string("\x81\x40\x92\xC7\x89\xC1\x81\x46" "5\x81\x40"),
            monitor::ChangeNoticeText(5, 0, 0));
}
