// The program entry: one instance only, then the three windows of the program,
// the message loop, and the orderly end that saves. Started with "/export" for a
// script, it is none of that: it writes one CSV file and ends (HeadlessExport).
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "app/HeadlessExport.h"
#include "toolkit/Dialogs.h"
#include "toolkit/Handle.h"
#include "toolkit/Paths.h"
#include "toolkit/SystemLibrary.h"
#include "trayicon/TrShlApi.h"
#include "ui/Form1.h"
#include "ui/Form4.h"
#include "ui/OKBottomDlg.h"
#ifdef VANTRY_SOAK_PROBE
#include "app/SoakProbe.h"
#endif

namespace {

constexpr char kMutexName[] = "Z-VYT";

// COM for the user-interface thread, for the shell link and the shell namespace.
class ComApartment {
public:
  ComApartment() : ok_(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ~ComApartment() {
    if (ok_) ::CoUninitialize();
  }

private:
  bool ok_;
};

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // First of all: no DLL loaded from here on may come from the program's folder.
  toolkit::RestrictDllSearchPath();

  // Before the mutex: the export runs beside a running program and leaves it alone.
  const std::vector<std::string> arguments = app::CommandLineArguments();
  if (app::IsExportCommand(arguments)) return app::ExportForCaller(arguments);

  // Created and tested in one step, so that two instances started at the same
  // moment cannot both pass. The handle is kept for the whole run, the saving
  // at the end included, and closed by the end of the process.
  toolkit::KernelHandle mutex(::CreateMutexA(nullptr, FALSE, kMutexName));
  if (!mutex || ::GetLastError() == ERROR_ALREADY_EXISTS) {
    toolkit::ShowMessage(nullptr, "多重起動はできません");
    return 0;
  }

  ComApartment com;
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES |
                                              ICC_UPDOWN_CLASS | ICC_TREEVIEW_CLASSES |
                                              ICC_STANDARD_CLASSES};
  ::InitCommonControlsEx(&icc);

  TForm1 form(toolkit::ProgramFolder(), toolkit::ProgramFolderWide());
  // An error in the tray icon's own window, and the one word about an icon no
  // notification area has taken two minutes after the start, are shown like any
  // other handler's.
  trayicon::SetTrayErrorHandler([&form](const std::exception& e) { form.ReportError(e.what()); });
  if (!form.CreateWindowed()) return 1;
  form.FormCreate();
#ifdef VANTRY_SOAK_PROBE
  app::InstallSoakProbe(form);
#endif
  ui::TOKBottomDlg about(form.Handle());
  ui::TForm4 picker(form.Handle());
  form.SetDialogs(&about, &picker);
  if (form.ShowMainForm) form.Show();

  MSG msg;
  while (::GetMessageA(&msg, nullptr, 0, 0) > 0) toolkit::ServeMessage(msg);
  form.Hide();
  form.FormDestroy();
  return 0;
}
