// The main window's handlers: the start and the end of the run, the three states
// of the window (shown; hidden after a minimise; hidden after a start in the tray)
// and their transitions, the monitoring cycle, and the commands of the buttons and
// the context menus.
#include <windows.h>

#include <algorithm>

#include "monitor/Comparison.h"
#include "monitor/DeletionCheck.h"
#include "monitor/FileFacts.h"
#include "monitor/Notice.h"
#include "monitor/Snapshot.h"
#include "toolkit/Application.h"
#include "toolkit/Paths.h"
#include "ui/FirstRun.h"
#include "ui/Form1.h"
#include "ui/Form4.h"
#include "ui/IgnoredFolders.h"
#include "ui/ListCommands.h"
#include "ui/OKBottomDlg.h"
#include "ui/Sorting.h"
#include "ui/Startup.h"

// --- Monitoring ---

void TForm1::GetProcessesList() { monitor::GetProcessesList(Tables); }

void TForm1::ListFileProperty() { monitor::ListFileProperty(Tables); }

void TForm1::RefreshCurrentProcesses() { monitor::RefreshCurrentProcesses(Tables, Image2.get()); }

void TForm1::ListFileCompares() { monitor::ListFileCompares(Tables, SpinEdit2.Value()); }

void TForm1::CheckDeletedPrograms(std::function<void()> then) {
  afterCheck_ = std::move(then);
  DeletionCheck.Start();
}

void TForm1::ShowChangeNotice(int added, int updated, int deleted) {
  TrayIcon1.ShowBalloon(monitor::kNoticeTitle, monitor::ChangeNoticeText(added, updated, deleted),
                        1, TrayIcon1.BalloonHelpIcon());
}

void TForm1::Timer1Timer() {
  if (WaitForCheck(&TForm1::Timer1Timer)) return;
  {
    // One batch over the whole tick: each table repaints once, at its end, and the
    // current processes are one rebuild, so the process the user selected stays
    // selected (see TListView::Clear). The icons stay as the tray found them (see
    // EnterHiddenState): none are taken here.
    toolkit::TListUpdate current(ListView1), programs(ListView2), log(ListView3);
    ListView1.Clear();
    ListBox1.Clear();
    // Settings change only while the window is shown, when no cycle runs.
    if (!(RunJournalSettings() == journalSettings_)) SetRunJournal(RunJournalSettings());
    GetProcessesList();
    // At the walk, so that the cycle's time is the walk's.
    if (journalling_) journalling_->Cycle(Tables.Seen);
    ListFileProperty();
    CompareAndCheck([this] {
      if (OnCycleEnd) OnCycleEnd();
    });
  }
}

// "比較": the cycle's merge on the table as it is shown, with no new snapshot.
void TForm1::Button2Click() {
  if (WaitForCheck(&TForm1::Button2Click)) return;
  CompareAndCheck(nullptr);
}

// The counts of the notice are those of this merge and of the check it starts,
// which the notice waits for.
void TForm1::CompareAndCheck(std::function<void()> then) {
  ListFileCompares();
  DeletedCount = 0;
  auto notice = [this, notify = CheckBox1.Checked(), added = AddedCount, updated = UpdatedCount,
                 then = std::move(then)] {
    if (notify) ShowChangeNotice(added, updated, DeletedCount);
    if (then) then();
  };
  if (CheckBox5.Checked()) CheckDeletedPrograms(std::move(notice));
  else notice();
}

void TForm1::Button1Click() {
  if (WaitForCheck(&TForm1::Button1Click)) return;
  RefreshCurrentProcesses();
}

void TForm1::Button4Click() {
  if (WaitForCheck(&TForm1::Button4Click)) return;
  DeletedCount = 0;
  CheckDeletedPrograms([this, notify = CheckBox1.Checked()] {
    if (notify) ShowChangeNotice(0, 0, DeletedCount);
  });
}

bool TForm1::WaitForCheck(Operation operation) {
  if (!DeletionCheck.Running()) return false;
  // Ticks do not pile up behind a check, as timer messages do not pile up behind
  // a busy thread.
  if (operation != &TForm1::Timer1Timer ||
      std::find(waiting_.begin(), waiting_.end(), operation) == waiting_.end())
    waiting_.push_back(operation);
  return true;
}

void TForm1::DeletionCheckReady() {
  std::function<void()> then = std::move(afterCheck_);
  afterCheck_ = nullptr;
  Guarded([&] {
    DeletionCheck.Apply();
    if (then) then();
  });
  RunWaiting();
}

void TForm1::RunWaiting() {
  while (!DeletionCheck.Running() && !waiting_.empty()) {
    Operation operation = waiting_.front();
    waiting_.pop_front();
    Guarded([this, operation] { (this->*operation)(); });
  }
}

void TForm1::DropWaitingTicks() {
  waiting_.erase(std::remove(waiting_.begin(), waiting_.end(), &TForm1::Timer1Timer),
                 waiting_.end());
}

void TForm1::DropCheck() {
  DeletionCheck.Cancel();
  waiting_.clear();
  afterCheck_ = nullptr;
}

void TForm1::ListView1ColumnClick(int column) {
  ui::SortCurrentProcesses(Tables, ListBox2, column);
}

void TForm1::ListView2ColumnClick(int column) { ui::SortProcessList(ListView2, column); }

void TForm1::PageControl1Change(int page) {
  if (page == 4) LoadRunHistory();
}

void TForm1::LoadRunHistory() {
  if (!historyLoader_) {
    historyLoader_ = std::make_unique<ui::TRunHistoryLoader>(
        [this](std::vector<toolkit::TListItem>& rows) {
          // The old rows go back to the worker, which frees them.
          ListView5.Assign(rows);
          historySort_ = ui::TRunHistorySort();
        });
  }
  historyLoader_->Load(store::RunJournalPath(journalFolder_));
}

void TForm1::ListView5ColumnClick(int column) {
  ui::SortRunHistory(ListView5, historySort_, column);
}

// --- Start and end ---

store::TSettingsControls TForm1::Settings() {
  return {CheckBox3, CheckBox4, CheckBox5, CheckBox1, SpinEdit1, SpinEdit2, ListView4};
}

void TForm1::FormCreate() {
  // Every step runs whatever an earlier one met: a data file that another
  // program holds must cost neither the settings nor the monitoring (settings
  // left at their defaults would later be written over the user's). What could
  // not be read is told once, when the start is done.
  std::string told;
  auto tell = [&told](const std::string& what) {
    if (what.empty()) return;
    if (!told.empty()) told += "\r\n";
    told += what;
  };
  auto step = [&tell](const auto& body) {
    try {
      body();
    } catch (const std::exception& e) {
      tell(e.what());
    }
  };
  step([&] {
    tell(ui::LoadTables(folder_, Memo2, Tables, Image2.get(), SpinEdit2.Value(),
                        files_.DataFiles));
  });
  step([&] {
    store::ReadSettings(
        store::SettingsPath(folder_), Memo2, Settings(),
        [this](const std::string& notice) { Hooks.ShowNotice(Handle(), notice); },
        files_.SettingsFile);
  });
  // As read, or the defaults when the file could not be read.
  step([&] { SetRunJournal(files_.SettingsFile.Journal); });
  files_.Loaded(::GetTickCount64());
  SaveTimer.SetEnabled(true);
  Guarded([this] {
    toolkit::TApplication& app = toolkit::Application();
    app.OnMinimize = Handler(&TForm1::MinSize);
    app.OnRestore = [resize = Handler(&TForm1::Resize1)](toolkit::TComponent*) {
      resize();
      // The application's own window carried the taskbar button while minimised;
      // the shown main window carries its own.
      ::ShowWindow(toolkit::Application().Handle(), SW_HIDE);
    };
    // A taskbar that is not up yet (it often comes after us at log-on) takes the
    // icon when it comes; nothing about the icon may keep the monitoring from
    // starting.
    Guarded([this] { TrayIcon1.ShowIcon(); });
    if (CheckBox3.Checked()) {
      Timer2.Tag = 1;  // FirstShowPending
      ShowMainForm = false;
      Timer2.SetEnabled(true);
    } else {
      Timer1.SetEnabled(false);
      Show();
      RefreshCurrentProcesses();
    }
  });
  if (!told.empty()) ReportError(told);
}

void TForm1::SaveTimerTimer() {
  TakeUpJournalSettings();
  files_.Check(::GetTickCount64(), [this](const std::string& error) { ReportError(error); });
}

void TForm1::SaveAll() {
  if (saved_) return;
  saved_ = true;
  SaveTimer.SetEnabled(false);
  Guarded([this] {
    // After a write in progress, the latest state.
    files_.SaveDataFiles();
    // The icon leaves the notification area even when the settings cannot be written.
    struct IconAway {
      trayicon::TTrayIcon& icon;
      ~IconAway() { icon.SetVisible(false); }
    } iconAway{TrayIcon1};
    TakeUpJournalSettings();
    files_.SaveSettings();
  });
}

void TForm1::TakeUpJournalSettings() {
  // The journal's settings live on the tab; the others are read from their
  // controls by the settings file itself.
  files_.SettingsFile.Journal = RunJournalSettings();
}

void TForm1::SetRunJournal(const store::TJournalSettings& settings) {
  CheckBox6.SetChecked(settings.Enabled);
  SpinEdit3.SetValue(settings.MaxKB);
  // Read back, so that the cycle finds the tab and the journal agreeing.
  journalSettings_ = RunJournalSettings();
  journalling_.reset();
  if (journalSettings_.Enabled)
    journalling_ = std::make_unique<ui::TRunJournalling>(journalFolder_, journalSettings_);
}

store::TJournalSettings TForm1::RunJournalSettings() const {
  store::TJournalSettings settings;
  settings.Enabled = CheckBox6.Checked();
  // A value still being typed may lie outside the range.
  settings.MaxKB = std::min(std::max(SpinEdit3.Value(), store::kMinJournalKB), store::kMaxJournalKB);
  return settings;
}

void TForm1::FormDestroy() {
  Timer1.SetEnabled(false);
  Timer2.SetEnabled(false);
  // The save does not wait for a check in flight: what it had not applied yet is
  // simply not applied.
  DropCheck();
  SaveAll();
}

void TForm1::CheckBox4Click() {
  ui::ApplyStartupRegistration(CheckBox4.Checked(),
                               toolkit::WithTrailingBackslash(toolkit::WidePath(folder_)),
                               toolkit::ExecutablePathWide(), ui::GetStartupFolder(Handle()));
}

// --- The three states ---

void TForm1::EnterHiddenState() {
  // The title bar's minimise leaves the focus in the box until the window hides,
  // so a typed "0" or "99" would otherwise set the timer before the box brings
  // it into range: no cycle at all, or one far slower than the box then shows.
  SpinEdit1.FocusLost();
  Timer1.SetInterval(static_cast<UINT>(SpinEdit1.Value()) * 1000);
  SetTrayMonitoring(true);
  // The tray shows no icons; the cycles then keep the one fallback image instead
  // of emptying and filling the list every few seconds.
  monitor::ResetImageList(ImageList1, Image2.get());
  Timer1.SetEnabled(true);
  Hide();
}

void TForm1::MinSize() { EnterHiddenState(); }

void TForm1::Resize1() {
  Timer1.SetEnabled(false);
  DropWaitingTicks();
  {
    toolkit::TListUpdate rebuild(ListView1);
    ListView1.Clear();
    ListBox1.Clear();
    SetTrayMonitoring(false);
    RefreshCurrentProcesses();
  }
  Show();
}

void TForm1::Timer2Timer() {
  Timer2.SetEnabled(false);
  EnterHiddenState();
  RefreshCurrentProcesses();
}

void TForm1::Button3Click() { toolkit::Application().Minimize(); }

void TForm1::OpenFromTray() {
  if (FirstShowPending()) {
    Timer1.SetEnabled(false);
    DropWaitingTicks();
    SetTrayMonitoring(false);
    RefreshCurrentProcesses();
    Timer2.Tag = 0;
    ShowMainForm = true;
  }
  Show();
  ::SetForegroundWindow(Handle());
  toolkit::Application().Restore();
}

void TForm1::TrayIcon1DblClick() { OpenFromTray(); }

void TForm1::Open1Click() { OpenFromTray(); }

void TForm1::Close1Click() { ::PostMessageA(Handle(), WM_CLOSE, 0, 0); }

// --- Dialogs ---

void TForm1::Button5Click() {
  if (about_) about_->ShowModal();
}

void TForm1::Button6Click() {
  if (picker_) ui::AddIgnoredFolder(ListView4, *picker_);
}

void TForm1::Button7Click() { ui::RemoveIgnoredFolder(ListView4); }

// --- Context menus ---

void TForm1::OpenFolderOfSelected(const toolkit::TListView& view, int pathColumn) {
  int row = view.Selected();
  if (row < 0) return;
  ui::OpenContainingFolder(Hooks.ShellOpen, Handle(),
                           monitor::RealPath(view.Cell(row, pathColumn), Tables.RealPaths),
                           toolkit::WithTrailingBackslash(toolkit::WidePath(folder_)));
}

void TForm1::ShowPropertiesOfSelected(const toolkit::TListView& view, int pathColumn) {
  int row = view.Selected();
  if (row >= 0)
    ui::ShowFileProperties(Hooks.ShellExecuteEx, Handle(),
                           monitor::RealPath(view.Cell(row, pathColumn), Tables.RealPaths));
}

void TForm1::CopySelectedCell(const toolkit::TListView& view, int column) {
  int row = view.Selected();
  if (row < 0) return;
  Edit1 = view.Cell(row, column);
  ui::CopyTextToClipboard(Handle(), Edit1);
}

void TForm1::SaveListAsCsv(const toolkit::TListView& view, const std::vector<std::string>& captions,
                           const char* suggestedName) {
  std::string path = suggestedName;
  if (Hooks.ChooseCsvFile(Handle(), path)) ui::SaveShownRowsAsCsv(view, captions, path);
}

void TForm1::N4Click() { OpenFolderOfSelected(ListView1, monitor::kCurrentPath); }
void TForm1::N1Click() { OpenFolderOfSelected(ListView2, monitor::kProgramPath); }
void TForm1::N10Click() { ShowPropertiesOfSelected(ListView1, monitor::kCurrentPath); }
void TForm1::N11Click() { ShowPropertiesOfSelected(ListView2, monitor::kProgramPath); }
void TForm1::N5Click() { CopySelectedCell(ListView1, monitor::kCurrentName); }
void TForm1::N6Click() { CopySelectedCell(ListView1, monitor::kCurrentPath); }
void TForm1::N7Click() { CopySelectedCell(ListView2, monitor::kProgramName); }
void TForm1::N8Click() { CopySelectedCell(ListView2, monitor::kProgramPath); }

void TForm1::N9Click() {
  if (!Hooks.ConfirmEndProcess(Handle())) return;
  int row = ListView1.Selected();
  if (row < 0 || row >= ListBox1.Count()) return;
  DWORD pid = static_cast<DWORD>(std::stoul(ListBox1[row]));
  // Ending our own process would lose every record since start-up: end the
  // orderly way instead, which saves.
  if (pid == ::GetCurrentProcessId()) {
    Close1Click();
    return;
  }
  {
    toolkit::KernelHandle process(::OpenProcess(PROCESS_TERMINATE, FALSE, pid));
    if (process) ::TerminateProcess(process.get(), 0);
  }
  ::Sleep(500);
  RefreshCurrentProcesses();
}

void TForm1::N3Click() {
  int row = ListView2.Selected();
  if (row < 0) return;
  std::string comment = ListView2.Cell(row, monitor::kProgramComment);
  // The box runs a message loop, in which a deletion check may remove rows: the
  // comment goes to the row it was written for, wherever that is now, and to
  // none when it is gone.
  const uint64_t stamp = ListView2[row].Stamp();
  if (!Hooks.EditComment(Handle(), comment)) return;
  row = ListView2.FindStamp(stamp);
  if (row >= 0) ListView2.SetCell(row, monitor::kProgramComment, comment);
}

void TForm1::Delete1Click() {
  int row = ListView2.Selected();
  if (row >= 0) ListView2.Delete(row);
}
