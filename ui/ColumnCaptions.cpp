#include "ui/ColumnCaptions.h"

namespace ui {

const std::vector<std::string>& CurrentProcessCaptions() {
  static const std::vector<std::string> captions = {"ファイル名", "フルパス", "更新日時"};
  return captions;
}

const std::vector<std::string>& ProcessListCaptions() {
  static const std::vector<std::string> captions = {"ファイル名", "フルパス",     "更新日時",
                                                    "追加日時",   "最終実行日時", "コメント"};
  return captions;
}

const std::vector<std::string>& LogCaptions() {
  static const std::vector<std::string> captions = {"日時", "ファイル名", "種類", "詳細"};
  return captions;
}

}  // namespace ui
