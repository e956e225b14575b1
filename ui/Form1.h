// The main window. It owns the program's tables (monitor::TTables: the list views
// and the state that goes with them) and a few hidden holders, so it owns the
// whole state of the program for the whole run; its designed names (ListView1,
// ListBox1, Edit2, ...) refer into the tables. Its handlers stay short: the work
// on the tables lives in monitor/ and store/, which take the tables they need.
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "monitor/DeletionCheck.h"
#include "monitor/Tables.h"
#include "store/DataFiles.h"
#include "store/LineBuffer.h"
#include "store/SaveSchedule.h"
#include "store/Settings.h"
#include "toolkit/Component.h"
#include "toolkit/Controls.h"
#include "toolkit/Handle.h"
#include "toolkit/ImageList.h"
#include "toolkit/ListFilter.h"
#include "toolkit/ListView.h"
#include "toolkit/PageControl.h"
#include "toolkit/PopupMenu.h"
#include "toolkit/StringList.h"
#include "toolkit/Timer.h"
#include "toolkit/Window.h"
#include "trayicon/Taskbar.h"
#include "ui/RunHistory.h"
#include "ui/RunJournalling.h"
#include "ui/FileKeeper.h"
#include "ui/SystemHooks.h"

namespace ui {
class TForm4;
class TOKBottomDlg;
}  // namespace ui

class TForm1 : public toolkit::TWindow, public toolkit::TComponent {
public:
  // `folder` holds the data and settings files: the executable's folder in the
  // program, a temporary one in tests. The run journal goes to `journalFolder`,
  // the same folder whole in UTF-16 (the ANSI form loses what CP932 cannot hold);
  // empty, it is `folder` widened.
  explicit TForm1(std::string folder, std::wstring journalFolder = std::wstring());
  ~TForm1() override;

  // The other two windows of the program, made after this one.
  void SetDialogs(ui::TOKBottomDlg* about, ui::TForm4* picker);

  // --- Tables and state holders ---
  monitor::TTables Tables;
  toolkit::TListView& ListView1 = Tables.CurrentProcesses;
  toolkit::TListView& ListView2 = Tables.ProcessList;
  toolkit::TListView& ListView3 = Tables.Log;
  toolkit::TListView& ListView4 = Tables.IgnoredFolders;
  toolkit::TStringList& ListBox1 = Tables.CurrentPids;
  toolkit::TStringList ListBox2;     // scratch copy of CurrentPids during a sort
  std::string Edit1;                 // the text last copied to the clipboard
  std::string& Edit2 = Tables.SnapshotTime;
  store::TLineBuffer Memo2;          // the line buffer of the data and settings files
  toolkit::TImageList& ImageList1 = Tables.Icons;  // its tag is TrayMonitoring
  toolkit::IconHandle Image2;        // the fallback icon, image 0 of ImageList1
  int& AddedCount = Tables.Counts.Added;
  int& UpdatedCount = Tables.Counts.Updated;
  int& DeletedCount = Tables.Counts.Deleted;
  // Tests the listed files on a worker; its findings are applied when they come.
  monitor::TDeletionCheck DeletionCheck{Tables, Handler(&TForm1::DeletionCheckReady)};

  // --- Run history page ---
  toolkit::TListView ListView5;      // 実行履歴: the run journal's runs (ui/RunHistory.h)

  // --- Settings page ---
  toolkit::TCheckBox CheckBox3;      // タスクトレイに起動する
  toolkit::TCheckBox CheckBox4;      // スタートアップに登録する
  toolkit::TCheckBox CheckBox5;      // 削除をチェックする
  toolkit::TCheckBox CheckBox1;      // 変更を通知する
  toolkit::TSpinEdit SpinEdit1{1, 60, 10};     // 取得間隔（秒）
  toolkit::TSpinEdit SpinEdit2{10, 200, 100};  // ログの最大保存数
  // The run journal's, below the designed ones ([RunJournal] of Inf.ini).
  toolkit::TCheckBox CheckBox6;      // 実行履歴を記録する
  toolkit::TSpinEdit SpinEdit3{store::kMinJournalKB, store::kMaxJournalKB,
                               store::TJournalSettings().MaxKB};  // 最大サイズ（KB）

  // --- The filter over the lists ---
  toolkit::TListFilter Filter;

  // --- Buttons, timers, tray ---
  toolkit::TButton Button1, Button2, Button3, Button4, Button5, Button6, Button7;
  toolkit::TPageControl PageControl1;
  toolkit::TTimer Timer1{10000};     // the monitoring cycle
  toolkit::TTimer Timer2{10};        // completes a start in the tray; its tag is FirstShowPending
  // Asks the files whether a write is due, from the start to the end of the run.
  toolkit::TTimer SaveTimer{static_cast<UINT>(store::TSaveSchedule::kCheckMs)};
  toolkit::TPopupMenu PopupMenu1{this};
  toolkit::TPopupMenu PopupMenu2{this};
  toolkit::TPopupMenu PopupMenu3{this};
  toolkit::TPopupMenu PopupMenu4{this};  // ListView3's
  toolkit::TPopupMenu PopupMenu5{this};  // ListView5's
  trayicon::TTrayIcon TrayIcon1{this};

  bool TrayMonitoring() const { return ImageList1.Tag != 0; }
  void SetTrayMonitoring(bool on) { ImageList1.Tag = on ? 1 : 0; }
  bool FirstShowPending() const { return Timer2.Tag != 0; }
  // Whether the message loop starts with the window shown (off for a start in the tray).
  bool ShowMainForm = true;

  // --- Operations and handlers ---
  void GetProcessesList();
  void ListFileProperty();
  void RefreshCurrentProcesses();
  void ListFileCompares();
  // Starts the deletion check; `then` runs once its findings are applied.
  void CheckDeletedPrograms(std::function<void()> then);
  void ShowChangeNotice(int added, int updated, int deleted);

  void FormCreate();
  void FormDestroy();
  void Button1Click();
  void Button2Click();
  void Button3Click();
  void Button4Click();
  void Button5Click();
  void Button6Click();
  void Button7Click();
  void CheckBox4Click();
  void Timer1Timer();
  void Timer2Timer();
  void SaveTimerTimer();
  void MinSize();
  void Resize1();
  void TrayIcon1DblClick();
  void Open1Click();
  void Close1Click();
  void ListView1ColumnClick(int column);
  void ListView2ColumnClick(int column);
  // PopupMenu1 (ListView1) and PopupMenu2 (ListView2).
  void N4Click();
  void N10Click();
  void N5Click();
  void N6Click();
  void N9Click();
  void N1Click();
  void N11Click();
  void N3Click();
  void N7Click();
  void N8Click();
  void Delete1Click();

  // Runs at the end of each timed cycle, its deletion check applied (the soak
  // probe and the benchmarks watch the cycles through it).
  std::function<void()> OnCycleEnd;

  // Creates the window and its controls, hidden; FormCreate follows.
  bool CreateWindowed();
  const std::string& Folder() const { return folder_; }

  // Starts the run journal, or ends it (its handles closed, its runs left open),
  // as the settings say, and shows them on the settings tab; FormCreate does so
  // with those of Inf.ini. Each timed cycle then journals the runs its walk began
  // and ended, after taking up what the user changed on the tab meanwhile.
  void SetRunJournal(const store::TJournalSettings& settings);
  store::TJournalSettings RunJournalSettings() const;  // as the settings tab shows them
  const ui::TRunJournalling* RunJournal() const { return journalling_.get(); }
  // Reads the run history again on a worker; ListView5 takes the rows when they
  // are read. Bringing its page to the front does so.
  void LoadRunHistory();
  void PageControl1Change(int page);
  void ListView5ColumnClick(int column);

  // The window's ways out to the system and the user (shell calls, questions,
  // boxes); tests set the members they answer or read.
  ui::TSystemHooks Hooks;
  // Shows an error's message in the error box of the hooks.
  void ReportError(const std::string& message) override;
  bool PreTranslateMessage(const MSG& msg) override;

protected:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
  void DpiChanged(int oldDpi) override;

private:
  void CreateControls();
  // The fallback icon and the rows' image list at the window's DPI.
  void MakeRowIcons();
  void CreateSettingsPage(HWND page);
  void BuildMenus();
  void EnterHiddenState();
  void OpenFromTray();
  void SaveAll();
  store::TSettingsControls Settings();
  // The cycle's steps and the buttons that change the process list wait for a
  // deletion check that runs, and then run in the order they came, as they would
  // have if the check had held the thread: the log and the notices keep their
  // order. Each returns true when it queued `operation`.
  using Operation = void (TForm1::*)();
  bool WaitForCheck(Operation operation);
  void RunWaiting();
  // The end of the run: the check in flight and what waits for it are dropped.
  void DropCheck();
  // The window is shown: the cycles stop, and so do those that wait.
  void DropWaitingTicks();
  void CompareAndCheck(std::function<void()> then);
  void DeletionCheckReady();
  // The context menus' commands on the selected row of either list, given the
  // column that holds what they need.
  void OpenFolderOfSelected(const toolkit::TListView& view, int pathColumn);
  void ShowPropertiesOfSelected(const toolkit::TListView& view, int pathColumn);
  void CopySelectedCell(const toolkit::TListView& view, int column);
  // Puts the run journal's settings, as the tab shows them, where the settings
  // file is written from.
  void TakeUpJournalSettings();
  // "CSVで保存...": the rows the list shows, to a file the user chooses.
  void SaveListAsCsv(const toolkit::TListView& view, const std::vector<std::string>& captions,
                     const char* suggestedName);

  std::string folder_;
  std::wstring journalFolder_;
  std::unique_ptr<ui::TRunJournalling> journalling_;  // null while the journal is off
  store::TJournalSettings journalSettings_;             // what journalling_ was made with
  std::unique_ptr<ui::TRunHistoryLoader> historyLoader_;  // made at the first load
  ui::TRunHistorySort historySort_;
  ui::TFileKeeper files_;                // the three files, in step with the tables
  ui::TOKBottomDlg* about_ = nullptr;
  ui::TForm4* picker_ = nullptr;
  bool saved_ = false;                   // the end-of-run saving has been done
  std::deque<Operation> waiting_;        // for the deletion check that runs
  std::function<void()> afterCheck_;     // what follows it once it is applied
};
