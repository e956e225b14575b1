// The main window keeps its files while it runs: a comment or a "削除" made in the
// shown window reaches the disk within a minute, with no end of the program, and
// a suspend of the machine writes what the files lack at once.
#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"
#include "MainWindow.h"

using testsupport::ReadFileBytes;
using testsupport::TempDir;

namespace {

const std::string kList =
    "Ver1.00\r\n"
    "a.exe\r\nC:\\a.exe\r\n\r\n2024/01/02\r\n2024/01/03\r\n\r\n"
    "b.exe\r\nC:\\b.exe\r\n\r\n2024/01/02\r\n2024/01/03\r\n\r\n";

// A main window, shown, over a process list and a log that it loads in step.
struct ShownWindow : testsupport::MainWindow {
  ShownWindow() : MainWindow("", 0, kList, "Ver1.00\r\n") {}
  std::string List() const { return ReadFileBytes(dir.file("ProcessList.dat")); }
  // Serves the window's messages, its timers among them, until the list file
  // holds `text` (or no longer holds it); false after a minute.
  bool ListWithinAMinute(const std::string& text, bool holds = true) {
    return testsupport::PumpUntil(
        [&] { return (List().find(text) != std::string::npos) == holds; }, 60000);
  }
};

}  // namespace

// A comment, then a "削除", each made in the shown window.
TEST(SavingWhileShown, ACommentAndADeletionAreOnTheDiskWithinAMinute) {
  ShownWindow w;
  ASSERT_TRUE(::IsWindowVisible(w.form->Handle()));
  w.form->Hooks.EditComment = [](HWND, std::string& comment) {
    comment = "書いたコメント";
    return true;
  };
  w.form->ListView2.SetSelected(1);
  w.form->N3Click();
  EXPECT_TRUE(w.ListWithinAMinute("b.exe\r\nC:\\b.exe\r\n\r\n2024/01/02\r\n2024/01/03\r\n書いたコメント\r\n"));
  w.form->ListView2.SetSelected(0);
  w.form->Delete1Click();
  EXPECT_TRUE(w.ListWithinAMinute("a.exe\r\n", false));
  EXPECT_EQ(0u, w.List().find("Ver1.00\r\nb.exe\r\n"));
  EXPECT_TRUE(w.errors.empty());
}

TEST(SavingWhileShown, ASuspendWritesAtOnce) {
  ShownWindow w;
  w.form->ListView2.SetCell(0, monitor::kProgramLastRun, "2030/01/01 0:00:00");
  EXPECT_EQ(TRUE, ::SendMessageA(w.form->Handle(), WM_POWERBROADCAST, PBT_APMSUSPEND, 0));
  EXPECT_NE(std::string::npos, w.List().find("2030/01/01 0:00:00"));
}
