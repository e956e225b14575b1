// The header records of the CSV files are the headings the window shows.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "ui/ColumnCaptions.h"
#include "ui/Form1.h"

namespace {

std::vector<std::string> Headings(const toolkit::TListView& view, size_t count) {
  std::vector<std::string> captions;
  for (size_t n = 0; n < count && n < view.Columns.size(); ++n)
    captions.push_back(view.Columns[n].Caption);
  return captions;
}

}  // namespace

TEST(ColumnCaptions, AreTheHeadingsOfTheProcessListAndTheLog) {
  testsupport::TempDir dir;
  TForm1 form(dir.path());
  EXPECT_EQ(ui::ProcessListCaptions(), Headings(form.ListView2, ui::ProcessListCaptions().size()));
  EXPECT_EQ(ui::LogCaptions(), Headings(form.ListView3, ui::LogCaptions().size()));
}
