#include "ui/RunJournalling.h"

#include <cstdlib>
#include <map>

#include "toolkit/AnsiText.h"
#include "toolkit/DateTimeText.h"
#include "toolkit/IsoTime.h"

namespace ui {

store::TJournalLine JournalLineOf(const monitor::TRunEvent& event) {
  auto source = [](bool fromCycle) {
    return fromCycle ? store::kTimeFromCycle : store::kTimeFromSystem;
  };
  store::TJournalLine line;
  const bool end = event.Kind == monitor::TRunEventKind::End;
  line.Event = end ? store::kJournalEnd : store::kJournalStart;
  line.Started = toolkit::IsoLocalTime(event.Started);
  line.StartedSource = source(event.StartedFromCycle);
  if (end) {
    line.Ended = toolkit::IsoLocalTime(event.Ended);
    line.EndedSource = source(event.EndedFromCycle);
    line.Seconds = store::SecondsText(event.Milliseconds());
  }
  line.Pid = std::to_string(event.Pid);
  line.ParentPid = std::to_string(event.ParentPid);
  line.ParentPath = toolkit::Utf8Of(event.ParentPath);
  line.Name = toolkit::Utf8Of(event.Name);
  line.Path = toolkit::Utf8Of(event.Path);
  line.User = toolkit::Utf8Of(event.User);
  return line;
}

std::vector<monitor::TJournalledRun> OpenRuns(const std::vector<store::TJournalLine>& lines) {
  // An end line repeats its start line's identifier and start time.
  std::map<std::string, const store::TJournalLine*> open;
  for (const store::TJournalLine& line : lines) {
    const std::string key = line.Pid + "," + line.Started;
    if (line.Event == store::kJournalStart) open[key] = &line;
    else open.erase(key);
  }
  std::vector<monitor::TJournalledRun> runs;
  for (const auto& entry : open) {
    const store::TJournalLine& line = *entry.second;
    monitor::TJournalledRun run;
    toolkit::TUtcMilliseconds started = 0;
    char* end = nullptr;
    const unsigned long pid = std::strtoul(line.Pid.c_str(), &end, 10);
    if (line.Pid.empty() || *end != '\0' || !toolkit::ParseIsoTime(line.Started, &started))
      continue;
    run.Pid = static_cast<DWORD>(pid);
    run.StartedMs = started;
    run.StartedFromCycle = line.StartedSource == store::kTimeFromCycle;
    run.Name = toolkit::WidenUtf8(line.Name);
    runs.push_back(std::move(run));
  }
  return runs;
}

TRunJournalling::TRunJournalling(const std::wstring& folder,
                                 const store::TJournalSettings& settings,
                                 const monitor::TRunProcessApi& api)
    : tracker_(api),
      journal_(store::RunJournalPath(folder), static_cast<uint64_t>(settings.MaxKB) * 1024) {
  tracker_.SetJournalled(OpenRuns(store::ReadJournalFile(journal_.Path(), kOpenRunsTailBytes)));
}

void TRunJournalling::Cycle(const std::vector<monitor::TSeenProcess>& seen) {
  FILETIME now;
  ::GetSystemTimeAsFileTime(&now);
  Cycle(seen, now);
}

void TRunJournalling::Cycle(const std::vector<monitor::TSeenProcess>& seen,
                            const FILETIME& cycleTime) {
  const std::vector<monitor::TRunEvent> events = tracker_.Cycle(seen, cycleTime);
  if (events.empty()) return;
  std::vector<store::TJournalLine> lines;
  lines.reserve(events.size());
  for (const monitor::TRunEvent& event : events) lines.push_back(JournalLineOf(event));
  journal_.Append(std::move(lines));
}

}  // namespace ui
