// The program started by a script: "Vantry.exe /export list FILE.csv" writes the
// process list beside the program as a CSV file, "/export log FILE.csv" the log,
// the same file the window's "CSVで保存..." writes, with every record in the
// order of the data file, and ends with an exit code that tells the script how
// it went. No window and no message box: a failure is one line on the caller's
// console or standard error.
//
// It may run while the program itself runs in the tray, so it takes no part in
// that program's life: no single-instance mutex, and nothing written beside the
// program. It reads the data file as the start-up of the program does, so what it
// writes is what the program would show. The target is replaced through a
// flushed temporary file and a rename, like the data files, so a failed export
// never leaves half a file under the target's name; and the program's own files
// (the three, their temporary files and their copies) are never a target.
//
// Any command line whose first argument is not "/export" starts the program as it
// always has.
#pragma once

#include <string>
#include <vector>

namespace app {

// What the export ends with, for scripts.
enum ExportExitCode : int {
  kExportDone = 0,
  kExportBadArguments = 1,
  kExportDataFileUnreadable = 2,  // missing, unreadable, or not a data file of this version
  kExportTargetUnwritable = 3,
};

// The program's arguments after its own name, in the ANSI code page. A character
// the code page does not hold comes out as "?" (never as a look-alike, which
// would name another file), and no file name can hold "?".
std::vector<std::string> CommandLineArguments();

// Whether the arguments ask for the export: the first is "/export", in any case.
bool IsExportCommand(const std::vector<std::string>& arguments);

struct ExportResult {
  int ExitCode = kExportDone;
  std::string Message;  // one line for the caller; empty when the export was done
};

// The export the arguments ask for, of the data file in `programFolder`.
ExportResult RunExport(const std::vector<std::string>& arguments,
                       const std::string& programFolder);

// RunExport of the program's own folder, its message told to the caller; the exit code.
int ExportForCaller(const std::vector<std::string>& arguments);

}  // namespace app
