#include "monitor/Tables.h"

#include "toolkit/DateTimeText.h"

namespace monitor {

void AppendLogEntry(toolkit::TListView& log, const std::string& name, const char* kind,
                    const std::string& detail) {
  log.Add(toolkit::TListItem::WithCells(
      {{kLogTime, toolkit::NowText()}, {kLogName, name}, {kLogKind, kind}, {kLogDetail, detail}}));
}

}  // namespace monitor
