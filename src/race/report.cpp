#include "race/report.h"

#include "race/define.h"

RaceReport& Report() {
  return CurrentRace().report;
}

void AddLogText(const std::string& text) {
  const RaceReport& report = Report();
  if (report.commentary == nullptr) return;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i)
    if (text[i] == '~') {
      report.commentary(text.substr(start, i - start));
      start = i + 1;
    }
  // A last line without its "~" ends there too; so does an empty entry.
  if (text.empty() || text.back() != '~') report.commentary(text.substr(start));
}

void LogCarLine(const std::string& text) {
  if (Report().commentary == nullptr) return;
  AddLogText(CurrentCarKey());
  AddLogText("  " + text);
}

void ReportCarStatus(int mode) {
  if (Report().carStatus != nullptr) Report().carStatus(mode);
}

void ReportRunningOrder() {
  if (Report().runningOrder != nullptr) Report().runningOrder();
}
