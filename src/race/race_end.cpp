#include "race/race_end.h"

#include "common/common.h"
#include "race/data_file.h"
#include "race/define.h"
#include "race/report.h"
#include "race/season.h"

std::vector<std::string> RaceResultsLines() {
  std::vector<std::string> lines;
  const std::vector<std::string>& order = OrderOfFinish();
  for (size_t i = 0; i < order.size(); ++i) {
    const std::string& key = order[i];
    const DriverRecord* driver = FindDriver(key);
    int place = static_cast<int>(i) + 1;
    std::string line = " " + RightAlign2(place) + "  " + RightAlign2(PlacePoints(place)) + "  " +
                       key + " - " + (driver ? driver->name : "") + "  " +
                       (driver ? driver->lastTime : "0");
    auto car = Car().find(key);
    if (car != Car().end() && car->second.gearTop == car->second.gear5) line += "  SO";
    if (driver != nullptr && driver->user != 0) line += "  P";
    lines.push_back(line);
  }
  for (const std::string& key : DNF()) {
    const DriverRecord* driver = FindDriver(key);
    lines.push_back(" DNF  0  " + key + " - " + (driver ? driver->name : "") + "  0:00");
  }
  return lines;
}

void WriteLastRace() {
  std::string text = Options().seasonName + "\r\n";
  for (size_t i = 0; i < OrderOfFinish().size(); ++i)
    text += Decimal(static_cast<long long>(i) + 1) + "  " + OrderOfFinish()[i] + "\r\n";
  for (const std::string& key : DNF()) text += "DNF  " + key + "\r\n";
  SaveText(PlayerDataFile("Last Race.txt"), text);
}

void EndOfRace() {
  ReportCarStatus(1);
  ReportRunningOrder();
  Options().autoMode = 0;
  AddLogText("end of race");
  AddLogText(" ");
  AwardPoints();
  if (!Options().keepFiles) SaveDrivers();
  std::vector<std::string> lines = RaceResultsLines();
  if (!Options().keepFiles) {
    std::vector<std::string> kept;
    for (const std::string& line : lines)
      kept.push_back(line.substr(5));  // the season file numbers them itself
    AppendToSeasonFile(Options().raceName, kept);
  }
  if (Report().raceEnded != nullptr) Report().raceEnded(Options().raceName + " Race Results", lines);
  if (!Options().keepFiles) WriteLastRace();
  Standing().clear();
  DNF().clear();
  OrderOfFinish().clear();
  RaceNow().currentStanding = -1;
}
