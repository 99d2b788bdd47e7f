#include "race/report.h"

#include "race/define.h"

RaceReport gReport;

void AddLogText(const std::string& text) {
  if (gReport.commentary == nullptr) return;
  std::string lines = text;
  if (lines.empty() || lines.back() != '~') lines += '~';
  size_t start = 0;
  for (size_t i = 0; i < lines.size(); ++i)
    if (lines[i] == '~') {
      gReport.commentary(lines.substr(start, i - start));
      start = i + 1;
    }
}

void LogCarLine(const std::string& text) {
  AddLogText(gRace.currentCar);
  AddLogText("  " + text);
}

void ReportCarStatus(int mode) {
  if (gReport.carStatus != nullptr) gReport.carStatus(mode);
}

void ReportRunningOrder() {
  if (gReport.runningOrder != nullptr) gReport.runningOrder();
}
