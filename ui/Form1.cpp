// The main window's construction: the designed properties of its components and
// the layout of its controls, as a table of positions and sizes in the client area.
#include "ui/Form1.h"

#include <commctrl.h>

#include "monitor/FileFacts.h"
#include "res/resource.h"
#include "toolkit/AnsiText.h"
#include "toolkit/Application.h"
#include "toolkit/Paths.h"
#include "ui/ColumnCaptions.h"

namespace {

constexpr char kClassName[] = "TForm1";

constexpr unsigned kAllSides =
    toolkit::akLeft | toolkit::akTop | toolkit::akRight | toolkit::akBottom;

constexpr int kFill = -1;  // the width of the column that takes what the others leave

// Columns of the given widths under the captions, in order; columns past the
// captions are caption-less spares.
std::vector<toolkit::TListColumn> Headed(const std::vector<std::string>& captions,
                                         std::initializer_list<int> widths) {
  std::vector<toolkit::TListColumn> columns;
  for (int width : widths) {
    const size_t i = columns.size();
    columns.push_back({i < captions.size() ? captions[i] : std::string(),
                       width == kFill ? 0 : width, width == kFill});
  }
  return columns;
}

// The tray icon gets a copy of its own, which it destroys; the window class's
// icon is the system's shared one and is never destroyed.
HICON LoadProgramIcon(int size, bool shared = false) {
  return static_cast<HICON>(::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_VANTRY),
                                         IMAGE_ICON, size, size, shared ? LR_SHARED : 0));
}

HICON LoadFallbackIcon(int size) {
  HANDLE icon = ::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_GENERIC),
                             IMAGE_ICON, size, size, 0);
  // A program built without the resources (a test) still needs an image 0: the
  // system's application icon (IDI_APPLICATION), at the size asked for.
  if (!icon) icon = ::LoadImageA(nullptr, MAKEINTRESOURCEA(32512), IMAGE_ICON, size, size, 0);
  return static_cast<HICON>(icon);
}

// The row of buttons above the tabs, in designed pixels: places of a button's
// width, one step apart from the left. A control added to the row takes the
// next free places (an edit as wide as two buttons: InButtonRow(5, 2, "")), or
// is anchored to the right edge; like every row of the layout, it is scaled to
// the window's DPI with the rest. A label beside it is made with
// toolkit::CreateLabel, which sizes it to its text in the scaled font (and
// toolkit::FitLabelToText sizes it again after its text changes).
toolkit::TControlArgs InButtonRow(int place, int places, const char* caption) {
  constexpr int kLeft = 16, kTop = 8, kWidth = 77, kHeight = 25, kStep = 84;
  return {kLeft + kStep * place, kTop, kWidth + kStep * (places - 1), kHeight, caption};
}

// The size of the icons of the rows. The notification area asks for the small
// icons of the system's DPI, the lists for those of their window's.
int SmallIconSize(int dpi) { return toolkit::SystemMetricForDpi(SM_CXSMICON, dpi); }

}  // namespace

TForm1::TForm1(std::string folder, std::wstring journalFolder)
    : Image2(LoadFallbackIcon(SmallIconSize(toolkit::kDesignDpi))),
      folder_(std::move(folder)),
      journalFolder_(journalFolder.empty() ? toolkit::WidePath(folder_) : std::move(journalFolder)),
      files_(folder_, Tables, Settings()) {
  // The headings in the order of each table's column enum (monitor/Tables.h),
  // the same as in the CSV files.
  ListView1.Columns = Headed(ui::CurrentProcessCaptions(), {150, kFill, 120, 16});
  ListView2.Columns = Headed(ui::ProcessListCaptions(), {130, 300, 120, 120, 120, 100});
  ListView3.Columns = Headed(ui::LogCaptions(), {150, 120, 100, kFill, 17});
  ListView4.Columns = {{"フォルダ", 0, true}};
  ListView5.Columns = ui::RunHistoryColumns();
  // The filter looks in the names, paths, comments, details and parents.
  Filter.Attach(ListView1, {monitor::kCurrentName, monitor::kCurrentPath});
  Filter.Attach(ListView2,
                {monitor::kProgramName, monitor::kProgramPath, monitor::kProgramComment});
  Filter.Attach(ListView3, {monitor::kLogName, monitor::kLogDetail});
  Filter.Attach(ListView5, {ui::kRunName, ui::kRunPath, ui::kRunParent});
  PageControl1.OnShown = Handler([this] { Filter.ShowCount(); });
  monitor::ResetImageList(ImageList1, Image2.get());

  Timer1.OnTimer = Handler(&TForm1::Timer1Timer);
  Timer2.OnTimer = Handler(&TForm1::Timer2Timer);
  SaveTimer.OnTimer = Handler(&TForm1::SaveTimerTimer);
  BuildMenus();

  // The tray icon's designed values, applied as a form applies its stored ones:
  // nothing reaches the shell until FormCreate puts the icon up.
  BeginLoading();
  toolkit::TIcon icon;
  icon.SetHandle(LoadProgramIcon(::GetSystemMetrics(SM_CXSMICON)));
  if (!icon.Empty()) TrayIcon1.SetIcon(&icon);
  TrayIcon1.SetTipHelp("VTY");
  TrayIcon1.SetVisible(false);
  TrayIcon1.SetHideOnTaskBar(true);
  TrayIcon1.SetCheckSingleDoubleClick(true);
  TrayIcon1.SetBalloonHelpTimeOut(0);
  TrayIcon1.SetBalloonHelpIcon(trayicon::bitInfo);
  TrayIcon1.SetResourceIconID(-1);
  TrayIcon1.SetRButtonPopupMenu(&PopupMenu3);
  TrayIcon1.OnDblClick = Handler(&TForm1::TrayIcon1DblClick);
  FinishLoading();
}

TForm1::~TForm1() {
  Timer1.SetEnabled(false);
  Timer2.SetEnabled(false);
  SaveTimer.SetEnabled(false);
}

void TForm1::SetDialogs(ui::TOKBottomDlg* about, ui::TForm4* picker) {
  about_ = about;
  picker_ = picker;
}

void TForm1::BuildMenus() {
  PopupMenu1.Items = {{"フォルダを開く", Handler(&TForm1::N4Click)},
                      {"ファイルのプロパティ", Handler(&TForm1::N10Click)},
                      {"ファイル名をコピー", Handler(&TForm1::N5Click)},
                      {"フルパスをコピー", Handler(&TForm1::N6Click)},
                      {"プロセスを強制終了", Handler(&TForm1::N9Click)},
                      {"-", nullptr},
                      {"CSVで保存...", Handler([this] {
                         SaveListAsCsv(ListView1, ui::CurrentProcessCaptions(), "現在のプロセス.csv");
                       })}};
  PopupMenu2.Items = {{"フォルダを開く", Handler(&TForm1::N1Click)},
                      {"ファイルのプロパティ", Handler(&TForm1::N11Click)},
                      {"コメント", Handler(&TForm1::N3Click)},
                      {"ファイル名をコピー", Handler(&TForm1::N7Click)},
                      {"フルパスをコピー", Handler(&TForm1::N8Click)},
                      {"削除", Handler(&TForm1::Delete1Click)},
                      {"-", nullptr},
                      {"CSVで保存...", Handler([this] {
                         SaveListAsCsv(ListView2, ui::ProcessListCaptions(), "プロセスリスト.csv");
                       })}};
  PopupMenu4.Items = {{"CSVで保存...", Handler([this] {
                         SaveListAsCsv(ListView3, ui::LogCaptions(), "ログ.csv");
                       })}};
  PopupMenu5.Items = {{"CSVで保存...", Handler([this] {
                         SaveListAsCsv(ListView5, ui::RunHistoryCaptions(), "実行履歴.csv");
                       })}};
  PopupMenu3.Items = {{"開く", Handler(&TForm1::Open1Click)}, {"閉じる", Handler(&TForm1::Close1Click)},
                      {"キャンセル", nullptr}};
}

bool TForm1::CreateWindowed() {
  HWND owner = nullptr;
  // Designed for a 96-DPI screen; the window scales itself to its monitor's DPI.
  if (!CreateTopLevel(kClassName, "Vantry", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                      WS_EX_CONTROLPARENT, 249, 129, 790, 465, owner, LoadProgramIcon(32, true)))
    return false;
  SetIcons(MAKEINTRESOURCEA(IDI_VANTRY));
  SetProgramFont();
  // Wide enough for the filter box and a count of 100,000 rows beside it.
  SetMinSize(720, 275);
  MakeRowIcons();
  CreateControls();
  // The designed place overhangs a 1024-pixel screen, and a scaled window a
  // larger one.
  KeepInWorkArea();
  return true;
}

void TForm1::MakeRowIcons() {
  const int size = SmallIconSize(Dpi());
  Image2.reset(LoadFallbackIcon(size));
  // The rows' icons are kept, scaled, until the next look at the processes; the
  // fallback, image 0, is drawn for the size.
  ImageList1.SetImageSize(size);
  ImageList1.ReplaceIcon(0, Image2.get());
  ListView1.SetImageList(ImageList1.Handle());
}

void TForm1::DpiChanged(int) { MakeRowIcons(); }

void TForm1::CreateControls() {
  HWND h = Handle();
  // One row per control, in the keyboard order: Button1, Button2, Button3,
  // PageControl1, Button4, Button5, the filter box. A control follows the edges
  // its row names (the pages follow the tab control's), and answers its messages
  // itself.
  Button1.Create(h, InButtonRow(0, 1, "プロセス取得"), Handler(&TForm1::Button1Click));
  Button2.Create(h, InButtonRow(1, 1, "比較"), Handler(&TForm1::Button2Click));
  Button3.Create(h, InButtonRow(3, 1, "アイコン化"), Handler(&TForm1::Button3Click));
  PageControl1.Create(h, {8, 44, 769, 383, "", 0, 0, 0, kAllSides},
                      {"現在のプロセス", "プロセスリスト", "ログ", "設定", "実行履歴"});
  PageControl1.OnChange = Handler(&TForm1::PageControl1Change);
  Button4.Create(h, InButtonRow(2, 1, "削除確認"), Handler(&TForm1::Button4Click));
  Button5.Create(h, InButtonRow(4, 1, "ソフト情報"), Handler(&TForm1::Button5Click));
  // Beyond the designed row: the filter over the lists in the next two places,
  // and beside it the count of the shown list's rows that pass it.
  toolkit::TControlArgs box = InButtonRow(5, 2, "");
  box.Top += 2;  // a one-line box of the font's height, centred on the buttons
  box.Height -= 4;
  Filter.Create(*this, h, box, {604, 14, 173, 13});
  Filter.Box().SetCue("絞り込み");

  const toolkit::TControlArgs wholePage{0, 0, 758, 353, "", 0, 0, 0, kAllSides};
  ListView1.Create(PageControl1.Page(0), wholePage, true);
  ListView1.SetImageList(ImageList1.Handle());
  ListView1.OnColumnClick = Handler(&TForm1::ListView1ColumnClick);
  ListView1.OnContextMenu = Handler([this](int x, int y) { PopupMenu1.Popup(x, y, Handle()); });
  ListView2.Create(PageControl1.Page(1), wholePage, true);
  ListView2.OnColumnClick = Handler(&TForm1::ListView2ColumnClick);
  ListView2.OnContextMenu = Handler([this](int x, int y) { PopupMenu2.Popup(x, y, Handle()); });
  ListView3.Create(PageControl1.Page(2), wholePage, true);
  ListView3.OnContextMenu = Handler([this](int x, int y) { PopupMenu4.Popup(x, y, Handle()); });
  CreateSettingsPage(PageControl1.Page(3));
  ListView5.Create(PageControl1.Page(4), wholePage, true);
  ListView5.OnColumnClick = Handler(&TForm1::ListView5ColumnClick);
  ListView5.OnContextMenu = Handler([this](int x, int y) { PopupMenu5.Popup(x, y, Handle()); });

  // The lists fit their pages exactly, whatever the tab control's own frame takes.
  ::SendMessageA(h, WM_SIZE, SIZE_RESTORED, 0);
}

void TForm1::CreateSettingsPage(HWND page) {
  using toolkit::CreateChild;
  toolkit::PaintUnderChildren(page);
  // Group boxes in the keyboard order of the page, each followed by its contents;
  // the contents' positions are the box's plus their own inside it. The labels
  // take the size of their text, and the numeric boxes the width of their
  // longest value, in the font they show.
  CreateChild(page, "BUTTON", {8, 8, 161, 65, "起動設定"}, BS_GROUPBOX);
  CheckBox3.Create(page, {16, 24, 145, 17, "タスクトレイに起動する"});
  CheckBox4.Create(page, {16, 48, 149, 17, "スタートアップに登録する"},
                   Handler(&TForm1::CheckBox4Click));

  CreateChild(page, "BUTTON", {172, 8, 149, 65, "プロセスの取得間隔"}, BS_GROUPBOX);
  toolkit::CreateLabel(page, {181, 37, 90, 12, "取得間隔（秒）"});
  SpinEdit1.Create(page, {276, 32, 41, 21});

  CreateChild(page, "BUTTON", {172, 76, 149, 65, "ログ"}, BS_GROUPBOX);
  toolkit::CreateLabel(page, {180, 104, 94, 12, "ログの最大保存数"});
  SpinEdit2.Create(page, {276, 100, 41, 21});

  CreateChild(page, "BUTTON", {8, 76, 161, 65, "比較設定"}, BS_GROUPBOX);
  CheckBox5.Create(page, {16, 92, 121, 17, "削除をチェックする"});
  CheckBox1.Create(page, {16, 112, 97, 17, "変更を通知する"});

  CreateChild(page, "BUTTON", {324, 8, 225, 133, "無視するフォルダ"}, BS_GROUPBOX);
  ListView4.Create(page, {328, 24, 217, 85}, false);
  Button6.Create(page, {330, 112, 43, 21, "追加"}, Handler(&TForm1::Button6Click));
  Button7.Create(page, {376, 112, 37, 21, "削除"}, Handler(&TForm1::Button7Click));

  // Beyond the designed page: below it, so that nothing designed moves.
  CreateChild(page, "BUTTON", {8, 144, 313, 65, "実行履歴"}, BS_GROUPBOX);
  CheckBox6.Create(page, {16, 162, 133, 17, "実行履歴を記録する"});
  toolkit::CreateLabel(page, {16, 188, 100, 12, "最大サイズ（KB）"});
  SpinEdit3.Create(page, {124, 184, 65, 21});
}

LRESULT TForm1::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_SYSCOMMAND:
      // Minimising the main window minimises the application, which runs MinSize.
      if ((wp & 0xFFF0) == SC_MINIMIZE) {
        Guarded([] { toolkit::Application().Minimize(); });
        return 0;
      }
      break;
    case WM_CLOSE:
      // Closing the main window ends the message loop; the saving follows it.
      ::PostQuitMessage(0);
      return 0;
    case WM_QUERYENDSESSION:
      return TRUE;
    case WM_ENDSESSION:
      // Windows ends a tray program at log-off without closing its windows: save
      // now, as the orderly end would, or every record since start-up is lost.
      // A deletion check in flight is not waited for.
      if (wp) {
        DropCheck();
        SaveAll();
      }
      return 0;
    case WM_POWERBROADCAST:
      // A machine that suspends may never wake (a battery runs out, a hibernation
      // image is lost): what the files lack goes now, last-run times included.
      // Windows waits for this answer, for about two seconds.
      if (wp == PBT_APMSUSPEND) Guarded([this] {
        TakeUpJournalSettings();
        files_.SaveChanged();
      });
      return TRUE;
  }
  return TWindow::HandleMessage(msg, wp, lp);
}

void TForm1::ReportError(const std::string& message) { Hooks.ShowError(Handle(), message); }

bool TForm1::PreTranslateMessage(const MSG& msg) {
  return PageControl1.HandleTabKeys(msg) || TWindow::PreTranslateMessage(msg);
}
