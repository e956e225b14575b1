#include "store/JournalRuns.h"

#include <algorithm>
#include <unordered_map>

namespace store {

std::vector<TJournalRun> JournalRuns(const std::vector<TJournalLine>& lines, size_t maxRuns) {
  std::vector<TJournalRun> runs;
  runs.reserve(lines.size());
  // Identifier and start time are a run's key: identifiers are reused.
  std::unordered_map<std::string, size_t> open;
  for (const TJournalLine& line : lines) {
    const std::string key = line.Pid + ',' + line.Started;
    const bool end = line.Event == kJournalEnd;
    auto found = open.find(key);
    if (found != open.end()) {
      TJournalRun& run = runs[found->second];
      if (end) {
        run.Line = line;
        run.Ended = true;
        open.erase(found);
      }
      // A second start of the same run (a session that could not see the first)
      // says nothing new.
      continue;
    }
    TJournalRun run;
    run.Line = line;
    run.Ended = end;
    if (!toolkit::ParseIsoTime(line.Started, &run.StartedMs)) run.StartedMs = 0;
    if (!end) open.emplace(key, runs.size());
    runs.push_back(std::move(run));
  }
  std::stable_sort(runs.begin(), runs.end(), [](const TJournalRun& a, const TJournalRun& b) {
    return a.StartedMs > b.StartedMs;
  });
  if (runs.size() > maxRuns) runs.resize(maxRuns);
  return runs;
}

}  // namespace store
