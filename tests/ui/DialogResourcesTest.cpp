// The about dialog and the folder picker exist for the whole run and are shown
// again and again: a showing must not leave a window, a font, an icon or a
// handle behind.
#include <gtest/gtest.h>

#include <windows.h>

#include "DialogDriver.h"
#include "TestSupport.h"
#include "toolkit/ListView.h"
#include "toolkit/ResourceCounts.h"
#include "ui/Form4.h"
#include "ui/IgnoredFolders.h"
#include "ui/OKBottomDlg.h"

using testsupport::TDialogDriver;

namespace {

constexpr int kShowings = 10;

void ExpectSameCounts(const toolkit::TResourceCounts& before,
                      const toolkit::TResourceCounts& after) {
  EXPECT_EQ(before.Handles, after.Handles) << toolkit::ResourceCountMethods();
  EXPECT_EQ(before.Gdi, after.Gdi);
  EXPECT_EQ(before.User, after.User);
}

void ShowAboutOnce(ui::TOKBottomDlg& dialog) {
  TDialogDriver driver(ui::TOKBottomDlg::kClassName,
                       {[&](HWND) { TDialogDriver::Click(dialog.OKBtnHandle()); }});
  dialog.ShowModal();
  EXPECT_TRUE(driver.Finished());
  EXPECT_FALSE(driver.LeftOpen());
}

void PickOnce(ui::TForm4& picker, toolkit::TListView& folders, const std::string& path) {
  TDialogDriver driver(ui::TForm4::kClassName,
                       {[&](HWND) { picker.ShellTreeView1.SelectPath(path); },
                        [&](HWND) { TDialogDriver::Click(picker.Button1Handle()); }});
  ui::AddIgnoredFolder(folders, picker);
  EXPECT_TRUE(driver.Finished());
  EXPECT_FALSE(driver.LeftOpen());
}

}  // namespace

TEST(DialogResources, ShowingTheAboutDialogAgainAndAgainTakesNothingForGood) {
  ui::TOKBottomDlg dialog;
  ShowAboutOnce(dialog);
  toolkit::TResourceCounts before = toolkit::CountResources();
  for (int i = 0; i < kShowings; ++i) ShowAboutOnce(dialog);
  ExpectSameCounts(before, toolkit::CountResources());
}

TEST(DialogResources, PickingTheSameFolderAgainAndAgainTakesNothingForGood) {
  testsupport::TempDir dir;
  ui::TForm4 picker;
  toolkit::TListView folders;
  PickOnce(picker, folders, dir.path());
  toolkit::TResourceCounts before = toolkit::CountResources();
  for (int i = 0; i < kShowings; ++i) PickOnce(picker, folders, dir.path());
  ExpectSameCounts(before, toolkit::CountResources());
  EXPECT_EQ(kShowings + 1, folders.Count());
}
