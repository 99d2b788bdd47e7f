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

void ReportEvent(RaceEventKind kind, int value) {
  const RaceReport& report = Report();
  if (report.event == nullptr) return;
  RaceEvent event;
  event.kind = kind;
  event.car = CurrentRace().data.currentCar;
  if (event.car >= 0 && event.car < static_cast<int>(Car().size())) {
    const CarRecord& car = Car().EntryAt(static_cast<size_t>(event.car)).second;
    event.gear = car.gear;
    event.node = car.listInd;
  }
  event.value = value;
  report.event(event);
}
