#include "race/define.h"

ProgramState gProg;

void SetProgramFolder(const std::filesystem::path& folder) {
  std::filesystem::path base = folder;
  gProg.programFolder = base;
  gProg.circuitsFolder = base / "Circuits";
  gProg.dataFolder = base / "Data";
  gProg.imagesFolder = base / "Images";
  gProg.resultsFolder = base / "Results";
  gProg.savedRacesFolder = base / "Saved Races";
  gProg.soundsFolder = base / "Sounds";
  gProg.themeFolder = base / "Theme";
  gProg.playerFolder = base;
  gProg.settingsFile = base / "The Velotrax.ini";
  gProg.playerDataFolder = gProg.dataFolder;
  gProg.playerCircuitsFolder = gProg.circuitsFolder;
}

void ResetProgramState() {
  gProg = ProgramState{};
  Options() = RaceOptions{};
}

// ---------------------------------------------------------------------------
// Race data.
#include <algorithm>
#include <cstdio>
#include <stdexcept>

#include "platform/services.h"

#include "common/common.h"

namespace {
Race gPlayerRace;
}  // namespace

constinit thread_local Race* gCurrentRace = &gPlayerRace;

Race& PlayerRace() {
  return gPlayerRace;
}

RaceScope::RaceScope(Race& race) : before_(gCurrentRace) {
  gCurrentRace = &race;
}

RaceScope::~RaceScope() {
  gCurrentRace = before_;
}

void UseOwnDice(Race& race, uint64_t seed) {
  race.dice.own = true;
  race.dice.generator.seed(seed);
}

int RaceRandom(int maximum, int minimum) {
  RaceDice& dice = CurrentRace().dice;
  if (dice.tried != nullptr && minimum == 1 && maximum == 100) return dice.tried();
  if (!dice.own) return PlatRandom(maximum, minimum);
  if (maximum < minimum) std::swap(maximum, minimum);
  std::uniform_int_distribution<int> roll(minimum, maximum);
  return roll(dice.generator);
}

// ---------------------------------------------------------------------------
// The car table.
namespace {
// Where `key` is or would go in key order.
template <typename Entries>
auto KeyPlace(Entries& entries, const std::string& key) {
  return std::lower_bound(entries.begin(), entries.end(), key,
                          [](const auto& e, const std::string& k) { return e.first < k; });
}
}  // namespace

CarTable::iterator CarTable::find(const std::string& key) {
  auto it = KeyPlace(entries_, key);
  return it != entries_.end() && it->first == key ? it : entries_.end();
}

CarTable::const_iterator CarTable::find(const std::string& key) const {
  auto it = KeyPlace(entries_, key);
  return it != entries_.end() && it->first == key ? it : entries_.end();
}

CarRecord& CarTable::operator[](const std::string& key) {
  auto it = KeyPlace(entries_, key);
  if (it == entries_.end() || it->first != key) it = entries_.insert(it, Entry{key, CarRecord{}});
  return it->second;
}

CarRecord& CarTable::at(const std::string& key) {
  auto it = find(key);
  if (it == end()) throw std::out_of_range("no car " + key);
  return it->second;
}

const CarRecord& CarTable::at(const std::string& key) const {
  auto it = find(key);
  if (it == end()) throw std::out_of_range("no car " + key);
  return it->second;
}

int CarTable::IndexOf(const std::string& key) const {
  auto it = find(key);
  return it == end() ? -1 : static_cast<int>(it - begin());
}

void Grid::Resize(int columns, int rowCount, int fill) {
  cols = columns;
  rows = rowCount;
  cells.assign(static_cast<size_t>(cols) * rows, fill);
}

int& Grid::operator()(int x, int y) {
  if (!Inside(x, y))
    FATAL("cell outside the grid: " + Decimal(x) + ", " + Decimal(y), "Define", "Grid");
  return cells[Index(x, y)];
}

int Grid::operator()(int x, int y) const {
  if (!Inside(x, y))
    FATAL("cell outside the grid: " + Decimal(x) + ", " + Decimal(y), "Define", "Grid");
  return cells[Index(x, y)];
}

std::string LaneOffsetOutsideCell(const TrackRecord& row) {
  for (int lane = 0; lane < 2; ++lane) {
    if (!LaneOffsetInCell(row.x[lane])) return "x[" + Decimal(lane) + "]";
    if (!LaneOffsetInCell(row.y[lane])) return "y[" + Decimal(lane) + "]";
  }
  return "";
}

bool SelectCar(const std::string& key) {
  int index = RaceNow().car.IndexOf(key);
  if (index < 0) return false;
  RaceNow().currentCar = index;
  return true;
}

bool SelectCarAt(int index) {
  RaceData& race = RaceNow();
  if (index < 0 || static_cast<size_t>(index) >= race.car.size()) return false;
  race.currentCar = index;
  return true;
}

void ClearCurrentCar() {
  RaceNow().currentCar = -1;
}

CarRecord& CurrentCar() {
  RaceData& race = RaceNow();
  int i = race.currentCar;
  if (i < 0 || static_cast<size_t>(i) >= race.car.size())
    FATAL("no current car", "Define", "CurrentCar");
  return race.car.EntryAt(i).second;
}

const std::string& CurrentCarKey() {
  static const std::string kNone;
  const RaceData& race = RaceNow();
  int i = race.currentCar;
  if (i < 0 || static_cast<size_t>(i) >= race.car.size()) return kNone;
  return race.car.EntryAt(i).first;
}

namespace {
bool SelectIndex(int& current, int index, size_t size) {
  if (index < 0 || static_cast<size_t>(index) >= size) return false;
  current = index;
  return true;
}
}  // namespace

bool SelectNode(int index) {
  return SelectIndex(RaceNow().currentNode, index, RaceNow().node.size());
}

NodeRecord& CurrentNode() {
  int i = RaceNow().currentNode;
  if (i < 0 || static_cast<size_t>(i) >= RaceNow().node.size())
    FATAL("no current node", "Define", "CurrentNode");
  return RaceNow().node[i];
}

bool SelectCorner(int index) {
  return SelectIndex(RaceNow().currentCorner, index, RaceNow().corner.size());
}

CornerRecord& CurrentCorner() {
  int i = RaceNow().currentCorner;
  if (i < 0 || static_cast<size_t>(i) >= RaceNow().corner.size())
    FATAL("no current corner", "Define", "CurrentCorner");
  return RaceNow().corner[i];
}

bool SelectStanding(int index) {
  return SelectIndex(RaceNow().currentStanding, index, RaceNow().standing.size());
}

StandingRecord& CurrentStanding() {
  int i = RaceNow().currentStanding;
  if (i < 0 || static_cast<size_t>(i) >= RaceNow().standing.size())
    FATAL("no current standing", "Define", "CurrentStanding");
  return RaceNow().standing[i];
}

bool FirstNode() {
  return SelectNode(0);
}
bool LastNode() {
  return SelectNode(static_cast<int>(RaceNow().node.size()) - 1);
}
bool NextNode() {
  return SelectNode(RaceNow().currentNode + 1);
}
bool PreviousNode() {
  return RaceNow().currentNode > 0 && SelectNode(RaceNow().currentNode - 1);
}

void ResetRaceData() {
  RaceNow() = RaceData{};
}

void SetMessageBoxHandler(MessageBoxHandler handler) {
  CurrentRace().report.message = handler;
}

MessageBoxHandler CurrentMessageBoxHandler() {
  return CurrentRace().report.message;
}

void ShowMessageBox(const std::string& text) {
  if (MessageBoxHandler handler = CurrentRace().report.message) {
    handler(text);
    return;
  }
  std::fprintf(stderr, "%s\n", text.c_str());
}
