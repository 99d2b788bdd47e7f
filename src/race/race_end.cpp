#include "race/race_end.h"

#include "common/common.h"
#include "race/data_file.h"
#include "race/define.h"
#include "race/report.h"
#include "race/season.h"

std::vector<RaceResultRow> RaceResultRows() {
  std::vector<RaceResultRow> rows;
  const std::vector<std::string>& order = OrderOfFinish();
  for (size_t i = 0; i < order.size(); ++i) {
    const std::string& key = order[i];
    const DriverRecord* driver = FindDriver(key);
    RaceResultRow row;
    row.place = static_cast<int>(i) + 1;
    row.points = PlacePoints(row.place);
    row.car = key;
    row.driver = driver ? driver->name : "";
    row.time = driver ? driver->lastTime : "0";
    auto car = Car().find(key);
    row.spunOut = car != Car().end() && car->second.gearTop == car->second.gear5;
    row.player = driver != nullptr && driver->user != 0;
    rows.push_back(row);
  }
  for (const std::string& key : DNF()) {
    const DriverRecord* driver = FindDriver(key);
    RaceResultRow row;
    row.car = key;
    row.driver = driver ? driver->name : "";
    row.time = "0:00";
    row.player = driver != nullptr && driver->user != 0;  // highlighted even out of the race
    rows.push_back(row);
  }
  return rows;
}

std::vector<std::string> RaceResultsLines() {
  std::vector<std::string> lines;
  for (const RaceResultRow& row : RaceResultRows()) {
    if (row.place == 0) {
      lines.push_back(" DNF  0  " + row.car + " - " + row.driver + "  0:00");
      continue;
    }
    std::string line = " " + RightAlign2(row.place) + "  " + RightAlign2(row.points) + "  " + row.car +
                       " - " + row.driver + "  " + row.time;
    if (row.spunOut) line += "  SO";
    if (row.player) line += "  P";
    lines.push_back(line);
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
