#include "race/race_start.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <set>

#include "common/common.h"
#include "race/ai.h"
#include "race/car_data.h"
#include "race/data_file.h"
#include "race/define.h"
#include "race/movement.h"
#include "race/report.h"
#include "race/season.h"
#include "platform/services.h"

namespace {
const char* kModule = "Start End";
const char* kNoLastRace = "There is no record of last race.~Choose another option.";

// The car keys of the last-race record, in its order ("" for a line that
// names none); false when the record is empty.
bool LastRaceKeys(std::vector<std::string>& keys) {
  std::string text = LoadText(PlayerDataFile("Last Race.txt"));
  if (text.empty()) return false;
  const std::vector<std::string> lines = SplitLines(text);
  for (size_t i = 1; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    // The second piece of the line split at two blanks, trimmed.
    size_t at = line.find("  ");
    std::string piece;
    if (at != std::string::npos) {
      size_t start = at + 2;
      size_t end = line.find("  ", start);
      piece = line.substr(start, end == std::string::npos ? std::string::npos : end - start);
    }
    keys.push_back(TrimSpaces(piece));
  }
  return true;
}

void LeftOffGrid(const std::string& key, const std::string& why) {
  AddLogText(key);
  AddLogText("  not on the grid: " + why);
}

}  // namespace

// --- Start grid ----------------------------------------------------------------

std::vector<std::string>& SelectedCars() {
  return CurrentRace().selectedCars;
}

int SetStartGrid(int mode) {
  std::vector<std::string> order;
  switch (mode) {
    case 1:
      order = SelectedCars();
      break;
    case 2: {
      std::vector<std::pair<std::string, int>> byPoints;
      for (const std::string& key : SelectedCars()) {
        const DriverRecord* driver = FindDriver(key);
        byPoints.push_back({key, driver == nullptr ? 0 : driver->points});
      }
      std::stable_sort(byPoints.begin(), byPoints.end(),
                       [](auto& a, auto& b) { return a.second > b.second; });
      for (auto& [key, points] : byPoints) order.push_back(key);
      break;
    }
    case 3:
      // Each element in turn goes to a random index up to its own, the one
      // there taking its place: every order equally likely.
      for (size_t i = 1; i < SelectedCars().size(); ++i)
        std::swap(SelectedCars()[i], SelectedCars()[RaceRandom(static_cast<int>(i), 0)]);
      order = SelectedCars();
      break;
    case 4:
      if (!LastRaceKeys(order)) {
        ShowMessageBox(kNoLastRace);
        return 0;
      }
      break;
    default:
      FATAL("logic error", kModule, "SetStartGrid");
  }
  const int places = 2 * static_cast<int>(Node().size());
  std::set<std::string> placed;
  int position = 1;
  for (const std::string& key : order) {
    if (mode == 4 && key.empty()) continue;  // a line naming no car
    if (Car().find(key) == Car().end()) {
      LeftOffGrid(key, "unknown car");
    } else if (FindDriver(key) == nullptr) {
      LeftOffGrid(key, "no driver");
    } else if (placed.count(key) != 0) {
      LeftOffGrid(key, "already on it");
    } else if (position > places) {
      LeftOffGrid(key, "no place left");
    } else {
      PlaceOnGrid(key, position++);
      placed.insert(key);
    }
  }
  if (position == 1) {
    // Nothing to race: a record of only the season line, or no car that can
    // start.
    if (mode == 4) {
      ShowMessageBox(kNoLastRace);
    } else {
      ShowMessageBox("None of the cars can start.~Every car needs a driver in Drivers.csv.");
    }
    return 0;
  }
  return 1;
}

void PlaceOnGrid(const std::string& key, int position) {
  if (!SelectCar(key)) FATAL("unknown car: " + key, kModule, "PlaceOnGrid");
  const int nodes = static_cast<int>(Node().size());
  if (position < 1 || position > 2 * nodes)
    FATAL("no place on the grid: " + Decimal(position), kModule, "PlaceOnGrid");
  int index = nodes - (position + 1) / 2;
  int lane = (position - 1) % 2;
  CarRecord& car = CurrentCar();
  NodeRecord& node = Node()[index];
  car.listInd = index;
  car.lane = lane;
  car.lap = 0;
  car.facing = node.facing;
  node.car[lane] = key;
  Standing().push_back({key, 0, index, lane});
}

// --- Start of the race -----------------------------------------------------------

int ScaledForLaps(int figure, int laps) {
  return static_cast<int>(std::clamp<long long>(
      static_cast<long long>(std::floor(static_cast<double>(figure) * laps / 4.0)), INT_MIN, INT_MAX));
}

void PrepareRaceCars() {
  AddLogText(Decimal(Options().laps) + " lap race");
  AddLogText(" ");
  for (auto& [key, car] : Car()) {
    car.hb = ScaledForLaps(car.hb, Options().laps);
    car.ors = ScaledForLaps(car.ors, Options().laps);
    car.ORpermitted = 0;
  }
  UpdateStandings();
  if (!Standing().empty()) SelectCar(Standing()[0].car);
  ReportCarStatus(0);
}

void StartFirstMove() {
  if (!SelectStanding(0)) return;
  if (!SelectCar(CurrentStanding().car) || !SelectNode(CurrentCar().listInd))
    FATAL("car off the track: " + CurrentStanding().car, kModule, "StartFirstMove");
  StartMove();
  ReportCarStatus(0);
}

void ClearRaceState() {
  Standing().clear();
  OrderOfFinish().clear();
  DNF().clear();
  SelectedCars().clear();
  GearOptions().clear();
  for (NodeRecord& node : Node()) node.car[0].clear(), node.car[1].clear();
  ClearCurrentCar();
  RaceNow().currentNode = -1;
  RaceNow().currentCorner = -1;
  RaceNow().currentStanding = -1;
  RaceNow().choosingGear = false;
}

void PutLoadedCarsBack() {
  for (NodeRecord& node : Node()) node.car[0].clear(), node.car[1].clear();
  const int nodes = static_cast<int>(Node().size());
  for (const StandingRecord& s : Standing()) {
    auto car = Car().find(s.car);
    if (car == Car().end()) continue;
    const CarRecord& c = car->second;
    // A car that finished or crashed in the pass being saved stands nowhere.
    if (c.finished != 0) continue;
    // Load has checked every place; a broken one is left empty, never shared.
    if (c.listInd < 0 || c.listInd >= nodes || (c.lane != 0 && c.lane != 1)) continue;
    if (Node()[c.listInd].car[c.lane].empty()) Node()[c.listInd].car[c.lane] = s.car;
  }
  // The race goes on with the car whose turn it was when it was saved.
  if (RaceNow().currentStanding >= 0 && RaceNow().currentStanding < static_cast<int>(Standing().size()))
    SelectCar(Standing()[RaceNow().currentStanding].car);
}

bool SetUpUnattendedRace(const UnattendedRace& race) {
  ClearRaceState();
  LoadCarData();
  SelectedCars().clear();
  if (race.cars.empty()) {
    for (const auto& [key, car] : Car()) SelectedCars().push_back(key);
  } else {
    for (const std::string& key : race.cars) {
      if (Car().find(key) == Car().end())
        FATAL("unknown car: " + key, kModule, "SetUpUnattendedRace");
      SelectedCars().push_back(key);
    }
  }
  Options().laps = race.laps;
  if (race.newSeason) NewSeason([&race] { return race.seasonName; });
  LoadDrivers();
  if (SetStartGrid(race.gridMode) == 0) return false;
  PrepareRaceCars();
  for (const StandingRecord& s : Standing())  // the computer drives them all
    if (DriverRecord* driver = FindDriver(s.car)) driver->user = 0;
  Options().autoMode = 0;
  StartFirstMove();
  return true;
}


void ResumeRace() {
  AddLogText(Decimal(Options().laps) + " laps");
  AddLogText(" ");
  PutLoadedCarsBack();
  ReportRunningOrder();
  ReportCarStatus(0);
  // Saved while the player chose a gear: the move had not begun, so it
  // begins now, with the choice asked again.
  if (RaceNow().choosingGear) {
    RaceNow().choosingGear = false;
    if (SelectStanding(RaceNow().currentStanding) && SelectCar(CurrentStanding().car) &&
        SelectNode(CurrentCar().listInd)) {
      StartMove();
      ReportCarStatus(0);
    }
  }
}
