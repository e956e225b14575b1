// The program repeats its cycle every few seconds for days: whatever a cycle
// takes (process and search handles, icons, image-list pictures, the balloon)
// must be given back within it, and what the run journal keeps on a process
// once the process has ended. These tests run many cycles through every branch
// against the real shell and compare the process's counts before and after.
#include <gtest/gtest.h>

#include <memory>

#include "TestSupport.h"
#include "TestTables.h"
#include "toolkit/ResourceCounts.h"
#include "ui/Form1.h"

using testsupport::ChildProcess;
using testsupport::TempDir;

namespace {

struct TrayWindow {
  TempDir dir;
  std::unique_ptr<TForm1> form;
  std::vector<std::string> errors;

  TrayWindow() {
    form = std::make_unique<TForm1>(dir.path());
    form->Hooks.ShowError = [this](HWND, const std::string& m) { errors.push_back(m); };
    form->Hooks.ShowNotice = [this](HWND, const std::string& m) { errors.push_back(m); };
    EXPECT_TRUE(form->CreateWindowed());
    form->FormCreate();
    // The first write of the files (a first run's list, due at once) starts the
    // worker that writes them for the rest of the run: a thread taken once, not
    // by a cycle.
    form->SaveTimerTimer();
    EXPECT_TRUE(testsupport::PumpUntil(
        [this] { return testsupport::Exists(dir.file("ProcessList.dat")); }, 10000));
    form->CheckBox1.SetChecked(true);  // the notice
    form->CheckBox5.SetChecked(true);  // the deletion check
  }
  ~TrayWindow() {
    form.reset();
    testsupport::PumpMessages();
  }
  // Runs a tick and serves messages until its deletion check is applied.
  void Cycle() {
    form->Timer1Timer();
    Settle();
  }
  void Settle() {
    EXPECT_TRUE(testsupport::PumpUntil([this] { return !form->DeletionCheck.Running(); }));
  }
  // The process's counts, less the handles the run journal keeps on running
  // processes: those come and go with the processes of tests running alongside,
  // and a handle the journal no longer follows still counts.
  toolkit::TResourceCounts Counts() const {
    toolkit::TResourceCounts counts = toolkit::CountResources();
    if (const ui::TRunJournalling* journal = form->RunJournal())
      counts.Handles -= journal->Tracker().OpenHandles();
    return counts;
  }
  // A listed program whose file is gone: the next deletion check logs it.
  void AddVanishedProgram(int n) {
    std::string name = "gone" + std::to_string(n) + ".exe";
    testsupport::AddProgram(form->Tables, name, dir.file(name));
  }
};

constexpr int kCycles = 30;

// Wine's own threads (the shell's icon cache, the tray) may hold a handle or two
// for a moment when the counts are taken; a leak in the cycle shows as one
// object per cycle, kCycles in all, far beyond this.
constexpr long kNoise = 2;

void ExpectSameCounts(const toolkit::TResourceCounts& before,
                      const toolkit::TResourceCounts& after) {
  EXPECT_LE(after.Handles - before.Handles, kNoise) << toolkit::ResourceCountMethods();
  EXPECT_LE(after.Gdi - before.Gdi, kNoise);
  EXPECT_LE(after.User - before.User, kNoise);
}

}  // namespace

TEST(CycleResources, TimedCyclesInTheTrayGiveBackEverythingTheyTake) {
  TrayWindow w;
  ASSERT_NE(nullptr, w.form->RunJournal());  // on, as by default
  TempDir other;
  w.form->SetTrayMonitoring(true);
  // The first cycles meet things once for the whole run (the shell's balloon,
  // the process functions' libraries); the counts are taken after them.
  for (int i = 0; i < 3; ++i) {
    ChildProcess warm(other.path(), "warm" + std::to_string(i) + ".exe");
    w.AddVanishedProgram(100 + i);
    w.Cycle();
  }
  toolkit::TResourceCounts before = w.Counts();
  int added = 0;
  int deleted = 0;
  std::unique_ptr<ChildProcess> child;
  for (int i = 0; i < kCycles; ++i) {
    // A new program every third cycle, a vanished one every cycle: every branch
    // of the comparison, the deletion check and a notice with text.
    if (i % 3 == 0)
      child = std::make_unique<ChildProcess>(other.path(), "new" + std::to_string(i) + ".exe");
    w.AddVanishedProgram(i);
    w.Cycle();
    added += w.form->AddedCount;
    deleted += w.form->DeletedCount;
  }
  child.reset();
  w.form->Timer1Timer();  // sees the last one end: the journal lets go of it
  toolkit::TResourceCounts after = w.Counts();
  EXPECT_GE(added, kCycles / 3);
  EXPECT_GE(deleted, kCycles);  // programs of tests running alongside may vanish too
  EXPECT_TRUE(w.errors.empty());
  ExpectSameCounts(before, after);
}

TEST(CycleResources, RefreshingWithIconsReleasesEveryIconItExtracts) {
  TrayWindow w;
  TempDir other;
  ChildProcess withIcon(other.path(), "has-an-icon.exe");
  w.form->SetTrayMonitoring(false);
  // The first round paints the lists and the notice once; the counts follow it.
  w.form->Button1Click();
  w.form->Button2Click();
  w.Settle();
  ASSERT_GT(w.form->ImageList1.Count(), 1);  // icons were extracted
  toolkit::TResourceCounts before = w.Counts();
  for (int i = 0; i < kCycles; ++i) {
    w.form->Button1Click();
    w.form->Button2Click();
    w.Settle();
  }
  toolkit::TResourceCounts after = w.Counts();
  EXPECT_GT(w.form->ImageList1.Count(), 1);
  ExpectSameCounts(before, after);
}

TEST(CycleResources, GoingToTheTrayAndBackManyTimesTakesNothingForGood) {
  TrayWindow w;
  TempDir other;
  ChildProcess withIcon(other.path(), "has-an-icon.exe");
  w.form->Show();
  w.form->MinSize();
  w.Cycle();
  w.form->Resize1();
  testsupport::PumpMessages();
  toolkit::TResourceCounts before = w.Counts();
  for (int i = 0; i < kCycles; ++i) {
    w.form->MinSize();  // the timer starts, the window hides, the icons go
    w.Cycle();
    w.form->Resize1();  // the timer stops, the icons come back, the window shows
    testsupport::PumpMessages();
  }
  toolkit::TResourceCounts after = w.Counts();
  EXPECT_FALSE(w.form->Timer1.Enabled());
  EXPECT_GT(w.form->ImageList1.Count(), 1);
  EXPECT_TRUE(w.errors.empty());
  ExpectSameCounts(before, after);
}
