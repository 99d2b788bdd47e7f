#include "race/report.h"

#include "race/define.h"

RaceReport& Report() {
  return CurrentRace().report;
}

void AddLogText(const std::string& text) {
  const RaceReport& report = Report();
  if (report.commentary == nullptr) return;
  std::string lines = text;
  if (lines.empty() || lines.back() != '~') lines += '~';
  size_t start = 0;
  for (size_t i = 0; i < lines.size(); ++i)
    if (lines[i] == '~') {
      report.commentary(lines.substr(start, i - start));
      start = i + 1;
    }
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
