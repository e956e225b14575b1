#include "ui/IgnoredFolders.h"

#include <windows.h>

namespace ui {

bool EndsWithBackslash(const std::string& text) {
  size_t last = std::string::npos;
  for (size_t i = 0; i < text.size();) {
    last = i;
    bool lead = ::IsDBCSLeadByteEx(932, static_cast<BYTE>(text[i])) && i + 1 < text.size();
    i += lead ? 2 : 1;
  }
  return last != std::string::npos && last == text.size() - 1 && text[last] == '\\';
}

std::string IgnoredFolderEntry(const std::string& folderPath) {
  if (folderPath.empty()) return {};
  return EndsWithBackslash(folderPath) ? folderPath : folderPath + "\\";
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
