#include "app/HeadlessExport.h"

#include <windows.h>
#include <shellapi.h>

#include <exception>
#include <memory>

#include "store/DataFiles.h"
#include "store/LineBuffer.h"
#include "store/Records.h"
#include "store/Settings.h"
#include "store/TextFile.h"
#include "toolkit/AnsiText.h"
#include "toolkit/CallerConsole.h"
#include "toolkit/Csv.h"
#include "toolkit/Paths.h"
#include "ui/ColumnCaptions.h"

namespace app {

namespace {

constexpr char kUsage[] = "使い方: Vantry.exe /export list|log ファイル名.csv";

using toolkit::SameFileName;

bool StartsWithFileName(const std::string& text, const std::string& prefix) {
  return text.size() >= prefix.size() && SameFileName(text.substr(0, prefix.size()), prefix);
}

// The path made absolute, with every short (8.3) part that exists made long.
std::string LongFullPath(const std::string& path) {
  char full[MAX_PATH] = {};
  DWORD n = ::GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
  if (n == 0 || n >= MAX_PATH) return path;
  char long_[MAX_PATH] = {};
  n = ::GetLongPathNameA(full, long_, MAX_PATH);
  return n == 0 || n >= MAX_PATH ? std::string(full) : std::string(long_);
}

// One of the program's files, its temporary file, its pending file or one of
// its copies (".bak", ".bak2", ...): a running program may be about to write it,
// and a pending file or a copy may be all that is left of a session or of a
// file it could not read.
bool IsOwnFileName(const std::string& name) {
  for (const char* own : {store::kProcessListFileName, store::kLogFileName,
                          store::kSettingsFileName}) {
    const std::string dotted = std::string(own) + ".";
    if (SameFileName(name, own) || SameFileName(name, dotted + "tmp") ||
        SameFileName(name, own + std::string(store::kPendingSuffix)))
      return true;
    if (!StartsWithFileName(name, dotted + "bak")) continue;
    const std::string number = name.substr(dotted.size() + 3);
    if (number.find_first_not_of("0123456789") == std::string::npos) return true;
  }
  return false;
}

bool IsOwnFile(const std::string& target, const std::string& programFolder) {
  const std::string full = LongFullPath(target);
  const std::string folder = toolkit::FolderOf(full);
  // With the separator: "C:" alone would be the current folder of drive C.
  return SameFileName(LongFullPath(toolkit::WithTrailingBackslash(folder)),
                      LongFullPath(toolkit::WithTrailingBackslash(programFolder))) &&
         IsOwnFileName(full.substr(folder.size() + 1));
}

ExportResult Failed(int exitCode, std::string message) { return {exitCode, std::move(message)}; }

}  // namespace

std::vector<std::string> CommandLineArguments() {
  int count = 0;
  std::unique_ptr<LPWSTR, decltype(&::LocalFree)> argv(
      ::CommandLineToArgvW(::GetCommandLineW(), &count), &::LocalFree);
  std::vector<std::string> arguments;
  for (int n = 1; argv && n < count; ++n) arguments.push_back(toolkit::Narrow(argv.get()[n]));
  return arguments;
}

bool IsExportCommand(const std::vector<std::string>& arguments) {
  return !arguments.empty() && SameFileName(arguments[0], "/export");
}

ExportResult RunExport(const std::vector<std::string>& arguments,
                       const std::string& programFolder) {
  const bool list = arguments.size() == 3 && SameFileName(arguments[1], "list");
  const bool log = arguments.size() == 3 && SameFileName(arguments[1], "log");
  if (!IsExportCommand(arguments) || !(list || log) || arguments[2].empty())
    return Failed(kExportBadArguments, kUsage);
  const std::string& target = arguments[2];
  if (IsOwnFile(target, programFolder))
    return Failed(kExportTargetUnwritable, store::CannotCreateMessage(target));

  const std::string source =
      list ? store::ProcessListPath(programFolder) : store::LogPath(programFolder);
  std::vector<store::TRecord> records;
  try {
    // A missing file is no first run here: there is nothing to export.
    if (!store::IsExistingFile(source))
      return Failed(kExportDataFileUnreadable, store::CannotOpenMessage(source));
    store::TLineBuffer lines;
    lines.SetText(store::ReadWholeFile(source));
    // A file the program would load as an empty list (another version's, an empty
    // one) is not an empty list to a script: it holds what this version cannot read.
    if (!store::RecordsOf(lines, list ? store::kProgramFields : store::kLogFields, records))
      return Failed(kExportDataFileUnreadable, store::UnknownFormatMessage(source));
  } catch (const std::exception&) {  // unreadable, or too large for the memory
    return Failed(kExportDataFileUnreadable, store::CannotOpenMessage(source));
  }

  try {
    const std::string csv = toolkit::Cp932TableToCsv(
        list ? ui::ProcessListCaptions() : ui::LogCaptions(), records, &toolkit::WindowsCp932Pair);
    std::vector<store::TRecord>().swap(records);  // the rows and their file are not both needed
    store::ReplaceWholeFile(target, csv, false);
  } catch (const std::exception&) {
    return Failed(kExportTargetUnwritable, store::CannotCreateMessage(target));
  }
  return {};
}

int ExportForCaller(const std::vector<std::string>& arguments) {
  const ExportResult result = RunExport(arguments, toolkit::ProgramFolder());
  if (!result.Message.empty()) toolkit::TellCaller(result.Message);
  return result.ExitCode;
}

}  // namespace app
