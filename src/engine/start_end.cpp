#include "engine/start_end.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <set>

#include "common/common.h"
#include "dialogs/requester.h"
#include "engine/ai.h"
#include "engine/car_data.h"
#include "engine/data_file.h"
#include "engine/define.h"
#include "engine/gui_init.h"
#include "engine/gui_manager.h"
#include "engine/init.h"
#include "engine/movement.h"
#include "minigui/mini_gui.h"
#include "platform/platform.h"

EndOfRaceOptions gEndOfRace;

namespace {
const char* kModule = "Start End";
const char* kNoLastRace = "There is no record of last race.~Choose another option.";
// Columns of the results area with the shipped font, for when it was never
// built (tools).
constexpr int kResultsColumns = 53;

std::vector<std::string> gSelectedCars;

// "Drivers.csv" and "Last Race.txt" belong to the player.
std::filesystem::path DataFile(const char* name) {
  return gProg.playerDataFolder / name;
}

int SaturatingAdd(int a, int b) {
  return static_cast<int>(std::clamp<long long>(static_cast<long long>(a) + b, INT_MIN, INT_MAX));
}

// A name the season file can carry: no folder separators, nothing a file
// name may not hold, not "." or "..".
bool PlainFileName(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  for (unsigned char c : name)
    if (c < 32 || std::string("\"*/:<>?\\|").find(static_cast<char>(c)) != std::string::npos)
      return false;
  return true;
}

DriverRecord* FindDriver(const std::string& key) {
  auto it = Driver().find(key);
  return it == Driver().end() ? nullptr : &it->second;
}

// The first line of the last-race record names the season.
void ReadSeasonName() {
  std::string text = LoadText(DataFile("Last Race.txt"));
  gProg.seasonName = text.empty() ? "no name" : LineField(text, 1);
}

// The car keys of the last-race record, in its order ("" for a line that
// names none); false when the record is empty.
bool LastRaceKeys(std::vector<std::string>& keys) {
  std::string text = LoadText(DataFile("Last Race.txt"));
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

void ClearGridOption() {
  if (gElements.GridOptions != nullptr) SetSelectedOption(gElements.GridOptions, -1);
}

void RedrawModalFrame() {
  if (!PlatScreenActive() && gHooks.lostDevice != nullptr) gHooks.lostDevice();
  if (gHooks.renderFrame != nullptr) {
    gHooks.renderFrame();
  } else {
    FinishModalFrame(nullptr);
  }
}
}  // namespace

// --- Drivers and season --------------------------------------------------------

void LoadDrivers() {
  Driver().clear();
  std::string text = CleanText(LoadText(DataFile("Drivers.csv")));
  for (const std::string& line : SplitLines(text)) {
    DriverRecord driver;
    driver.name = CommaField(line, 1);
    driver.skill = LenientInt(CommaField(line, 3));
    driver.style = LenientInt(CommaField(line, 4));
    driver.points = LenientInt(CommaField(line, 5));
    driver.lastTime = "0";
    driver.user = LenientInt(CommaField(line, 7));
    Driver()[CommaField(line, 2)] = driver;  // a later line replaces an earlier one
  }
}

std::string DriversText() {
  std::string text;
  for (const auto& [key, d] : Driver())
    text += d.name + "," + key + "," + Decimal(d.skill) + "," + Decimal(d.style) + "," +
            Decimal(d.points) + ",t" + d.lastTime + "," + Decimal(d.user) + ",\r\n";
  return text;
}

void SaveDrivers() {
  SaveText(DataFile("Drivers.csv"), DriversText());
}

std::string AskSeasonName() {
  return InputBox("Enter season name:", "");
}

void NewSeason(const std::function<std::string()>& askName) {
  SaveText(DataFile("Drivers.csv"), CleanText(LoadText(gProg.dataFolder / "Drivers - Master.csv")));
  std::string answer = askName();
  std::string season = answer.empty() || answer == "no name" ? "New Season" : answer;
  if (!PlainFileName(season)) FATAL("invalid season name: " + season, kModule, "NewSeason");
  gProg.seasonName = season;
  SaveText(gProg.resultsFolder / (season + ".txt"), season + "\r\n");
  SaveText(DataFile("Last Race.txt"), season);
  AddLogText(" ");
  AddLogText("new season");
  AddLogText(" ");
}

int PlacePoints(int place) {
  if (place < 1 || static_cast<size_t>(place) > gProg.points.size()) return 0;
  char c = gProg.points[place - 1];
  return c >= '0' && c <= '9' ? c - '0' : 0;
}

void AwardPoints() {
  const std::vector<std::string>& order = OrderOfFinish();
  for (size_t i = 0; i < order.size() && i < 6; ++i)
    if (DriverRecord* driver = FindDriver(order[i]))
      driver->points = SaturatingAdd(driver->points, PlacePoints(static_cast<int>(i) + 1));
}

std::filesystem::path SeasonFile() {
  if (!PlainFileName(gProg.seasonName)) return {};
  return gProg.resultsFolder / (gProg.seasonName + ".txt");
}

void AppendToSeasonFile(const std::string& title, const std::vector<std::string>& lines) {
  ReadSeasonName();
  std::filesystem::path file = SeasonFile();
  if (file.empty()) return;
  std::string text;
  if (PlatFileSize(file) >= 0 && !PlatReadFile(file, text)) return;  // cannot be opened: skipped
  text += " \r\n" + title + "\r\n \r\n";
  for (size_t i = 0; i < lines.size(); ++i)
    text += RightAlign2(static_cast<long long>(i) + 1) + lines[i] + "\r\n";
  PlatWriteFileAtomic(file, text);  // a file that cannot be written is skipped too
}

std::vector<std::string> SeasonStandingsLines(int columns) {
  struct Entry {
    int points;
    std::string line;
  };
  std::vector<Entry> entries;
  for (const auto& [key, d] : Driver()) {
    std::string line = "  " + d.name + " - " + key + "  ";
    int pad = columns - static_cast<int>(line.size()) - 8;
    if (pad > 0) line += std::string(pad, ' ');
    line += RightAlign2(d.points);
    if (d.user != 0) line += "  P";
    entries.push_back({d.points, line});
  }
  std::stable_sort(entries.begin(), entries.end(),
                   [](auto& a, auto& b) { return a.points > b.points; });
  std::vector<std::string> lines;
  for (Entry& e : entries) lines.push_back(std::move(e.line));
  return lines;
}

void ShowSeasonStandings() {
  TextArea* area = gElements.ResultsArea;
  ClearArea(area);
  if (gElements.ResultsTitleArea != nullptr)
    AddCentredText(gElements.ResultsTitleArea, "Season Standings after " + gProg.raceName);
  std::vector<std::string> lines =
      SeasonStandingsLines(area != nullptr ? TextAreaColumns(area) : kResultsColumns);
  for (size_t i = 0; i < lines.size(); ++i)
    AddToArea(area, RightAlign2(static_cast<long long>(i) + 1) + lines[i]);
  SetPageHidden(3, 0);
  WaitForAcknowledge();
  if (!gEndOfRace.unattended) {
    if (AnswerBox("Save current standings?") != 0) AppendToSeasonFile("Season Standings", lines);
    if (AnswerBox("Copy Season Results to ClipBoard?") != 0) CopySeasonFileToClipboard();
  }
  SetPageHidden(3, 1);
}

void CopySeasonFileToClipboard() {
  std::filesystem::path file = SeasonFile();
  std::string text;
  if (file.empty() || !PlatReadFile(file, text)) return;
  PlatSetClipboardText(text);
}

void WaitForAcknowledge() {
  if (gEndOfRace.unattended) return;
  for (;;) {
    bool done = false;
    for (int event = PlatNextWindowEvent(); event != kEventNone; event = PlatNextWindowEvent()) {
      if (PlatEventWindow() != gProg.window) continue;
      if (event == kEventLeftButtonUp || event == kEventRightButtonUp) done = true;
    }
    if (done) return;
    PlatPollKeyboard();
    if (PlatKeyReleased(kKeyAny)) return;
    RedrawModalFrame();
  }
}

// --- Start grid ----------------------------------------------------------------

std::vector<std::string>& SelectedCars() {
  return gSelectedCars;
}

int GridModeFromDialog() {
  const GameElements& e = gElements;
  if (e.NewSeasonBox == nullptr || e.RandomBox == nullptr || e.GridOptions == nullptr)
    FATAL("logic error", kModule, "SetStartGrid");
  int newSeason = GetCheckBox(e.NewSeasonBox);
  if (newSeason == 1) {
    int random = GetCheckBox(e.RandomBox);
    if (random == 1) return 3;
    if (random == 0) return 1;
  } else if (newSeason == 0) {
    int option = GetSelectedOption(e.GridOptions);
    if (option == -1) return 1;
    if (option >= 0 && option <= 2) return option + 2;
  }
  FATAL("logic error", kModule, "SetStartGrid");
}

int SetStartGrid(int mode) {
  std::vector<std::string> order;
  switch (mode) {
    case 1:
      order = gSelectedCars;
      break;
    case 2: {
      std::vector<std::pair<std::string, int>> byPoints;
      for (const std::string& key : gSelectedCars) {
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
      for (size_t i = 1; i < gSelectedCars.size(); ++i)
        std::swap(gSelectedCars[i], gSelectedCars[PlatRandom(static_cast<int>(i), 0)]);
      order = gSelectedCars;
      break;
    case 4:
      if (!LastRaceKeys(order)) {
        ShowMessageBox(kNoLastRace);
        ClearGridOption();
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
      ClearGridOption();
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

void PrepareRaceCars() {
  AddLogText(Decimal(gProg.laps) + " lap race");
  AddLogText(" ");
  // The car table's HBs and ORs are for four laps.
  auto scaled = [](int v) {
    return static_cast<int>(std::clamp<long long>(
        static_cast<long long>(std::floor(static_cast<double>(v) * gProg.laps / 4.0)), INT_MIN,
        INT_MAX));
  };
  for (auto& [key, car] : Car()) {
    car.hb = scaled(car.hb);
    car.ors = scaled(car.ors);
    car.ORpermitted = 0;
  }
  UpdateStandings();
  if (!Standing().empty()) SelectCar(Standing()[0].car);
  ShowCarStatus(0);
}

void StartFirstMove() {
  if (!SelectStanding(0)) return;
  if (!SelectCar(CurrentStanding().car) || !SelectNode(CurrentCar().listInd))
    FATAL("car off the track: " + CurrentStanding().car, kModule, "StartFirstMove");
  StartMove();
  ShowCarStatus(0);
}

void ClearRaceState() {
  Standing().clear();
  OrderOfFinish().clear();
  DNF().clear();
  gSelectedCars.clear();
  GearOptions().clear();
  for (NodeRecord& node : Node()) node.car[0].clear(), node.car[1].clear();
  gRace.currentCar.clear();
  gRace.currentNode = -1;
  gRace.currentCorner = -1;
  gRace.currentStanding = -1;
  gRace.choosingGear = false;
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
  if (gRace.currentStanding >= 0 && gRace.currentStanding < static_cast<int>(Standing().size()))
    SelectCar(Standing()[gRace.currentStanding].car);
}

bool SetUpUnattendedRace(const UnattendedRace& race) {
  ClearRaceState();
  LoadCarData();
  gSelectedCars.clear();
  if (race.cars.empty()) {
    for (const auto& [key, car] : Car()) gSelectedCars.push_back(key);
  } else {
    for (const std::string& key : race.cars) {
      if (Car().find(key) == Car().end())
        FATAL("unknown car: " + key, kModule, "SetUpUnattendedRace");
      gSelectedCars.push_back(key);
    }
  }
  gProg.laps = race.laps;
  if (race.newSeason) NewSeason([&race] { return race.seasonName; });
  LoadDrivers();
  if (SetStartGrid(race.gridMode) == 0) return false;
  PrepareRaceCars();
  for (const StandingRecord& s : Standing())  // the computer drives them all
    if (DriverRecord* driver = FindDriver(s.car)) driver->user = 0;
  gProg.autoMode = 0;
  StartFirstMove();
  return true;
}

// --- End of race -----------------------------------------------------------------

std::string RaceTime() {
  CarRecord& car = CurrentCar();
  if (car.turns == 0.0f) return "0";
  const int nodes = Max(static_cast<int>(Node().size()), 1);
  const int laps = Max(gProg.laps, 1);
  car.turns = static_cast<float>(car.turns + static_cast<double>(car.listInd) / nodes);
  car.turns = static_cast<float>(car.turns * (4.0 / laps));
  double ms = std::trunc(static_cast<double>(car.turns) * 1000.0);
  // A time from a damaged save stays a time: never negative, never past
  // what an integer holds.
  if (!std::isfinite(ms) || ms < 0) ms = 0;
  long long total = static_cast<long long>(std::min(ms, 1e15));
  long long minutes = total / 60000;
  long long seconds = std::llround((total % 60000) / 1000.0);
  if (seconds == 60) {
    minutes += 1;
    seconds = 0;
  }
  return Decimal(minutes) + ":" + (seconds < 10 ? "0" : "") + Decimal(seconds);
}

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

void ShowRaceResults() {
  ClearArea(gElements.ResultsArea);
  std::string heading = gProg.raceName + " Race Results";
  if (gElements.ResultsTitleArea != nullptr) AddCentredText(gElements.ResultsTitleArea, heading);
  std::vector<std::string> lines = RaceResultsLines();
  std::vector<std::string> kept;
  for (const std::string& line : lines) {
    AddToArea(gElements.ResultsArea, line);
    kept.push_back(line.substr(5));  // the season file numbers them itself
  }
  if (gEndOfRace.resultsShown != nullptr) gEndOfRace.resultsShown(heading, lines);
  SetPageHidden(3, 0);
  WaitForAcknowledge();
  if (!gEndOfRace.keepFiles) AppendToSeasonFile(gProg.raceName, kept);
  SetPageHidden(3, 1);
}

void WriteLastRace() {
  std::string text = gProg.seasonName + "\r\n";
  for (size_t i = 0; i < OrderOfFinish().size(); ++i)
    text += Decimal(static_cast<long long>(i) + 1) + "  " + OrderOfFinish()[i] + "\r\n";
  for (const std::string& key : DNF()) text += "DNF  " + key + "\r\n";
  SaveText(DataFile("Last Race.txt"), text);
}

void EndOfRace() {
  ShowCarStatus(1);
  ShowStandings();
  gProg.autoMode = 0;
  if (gElements.RaceButtons != nullptr) {
    SetButtonState(gElements.RaceButtons, 0, 0);
    SetButtonState(gElements.RaceButtons, 1, 2);
  }
  AddLogText("end of race");
  AddLogText(" ");
  AwardPoints();
  if (!gEndOfRace.keepFiles) SaveDrivers();
  ShowRaceResults();
  ShowSeasonStandings();
  if (!gEndOfRace.keepFiles) WriteLastRace();
  Standing().clear();
  DNF().clear();
  OrderOfFinish().clear();
  gRace.currentStanding = -1;
}
