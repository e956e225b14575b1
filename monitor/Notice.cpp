#include "monitor/Notice.h"

namespace monitor {

const char kNoticeTitle[] = "通知";

namespace {
void AppendPiece(std::string& text, const char* label, int count) {
  if (count <= 0) return;
  text += "　";
  text += label;
  text += "：";
  text += std::to_string(count);
  text += "　";
}
}  // namespace

std::string ChangeNoticeText(int added, int updated, int deleted) {
  std::string text;
  AppendPiece(text, "追加", added);
  AppendPiece(text, "更新", updated);
  AppendPiece(text, "削除", deleted);
  return text;
}

}  // namespace monitor
