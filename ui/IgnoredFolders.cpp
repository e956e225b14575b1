#include "ui/IgnoredFolders.h"

#include "toolkit/Paths.h"

namespace ui {

std::string IgnoredFolderEntry(const std::string& folderPath) {
  if (folderPath.empty()) return {};
  return toolkit::WithTrailingBackslash(folderPath);
}

void AddIgnoredFolder(toolkit::TListView& ListView4, TForm4& Form4) {
  Form4.Tag = kPickerNotConfirmed;
  Form4.ShowModal();
  if (!Form4.Confirmed()) return;
  std::string entry = IgnoredFolderEntry(Form4.SelectedPath());
  if (!entry.empty()) ListView4.Add(entry);
}

void RemoveIgnoredFolder(toolkit::TListView& ListView4) {
  int selected = ListView4.Selected();
  if (selected < 0 || selected >= ListView4.Count()) return;
  ListView4.Delete(selected);
}

}  // namespace ui
