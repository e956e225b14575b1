// The text of the change notice, the balloon that announces a cycle's counts.
// No Win32 here: it is plain text composition, built and tested natively too.
#pragma once

#include <string>

namespace monitor {

// "　追加：3　　更新：1　" and so on: each count above zero as a piece that begins
// with an ideographic space, the label, a full-width colon, the digits and one more
// ideographic space. Empty when every count is zero.
std::string ChangeNoticeText(int added, int updated, int deleted);

extern const char kNoticeTitle[];

}  // namespace monitor
