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
  gProg.themeFolder = base / "Theme";
  gProg.playerFolder = base;
  gProg.settingsFile = base / "The Velotrax.ini";
  gProg.playerDataFolder = gProg.dataFolder;
  gProg.playerCircuitsFolder = gProg.circuitsFolder;
}

void ResetProgramState() {
  gProg = ProgramState{};
}

// ---------------------------------------------------------------------------
// Race data.
#include <cstdio>

#include "common/common.h"

RaceData gRace;

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
  if (gRace.car.find(key) == gRace.car.end()) return false;
  gRace.currentCar = key;
  return true;
}

CarRecord& CurrentCar() {
  auto it = gRace.car.find(gRace.currentCar);
  if (it == gRace.car.end()) FATAL("no current car", "Define", "CurrentCar");
  return it->second;
}

namespace {
bool SelectIndex(int& current, int index, size_t size) {
  if (index < 0 || static_cast<size_t>(index) >= size) return false;
  current = index;
  return true;
}
}  // namespace

bool SelectNode(int index) {
  return SelectIndex(gRace.currentNode, index, gRace.node.size());
}

NodeRecord& CurrentNode() {
  int i = gRace.currentNode;
  if (i < 0 || static_cast<size_t>(i) >= gRace.node.size())
    FATAL("no current node", "Define", "CurrentNode");
  return gRace.node[i];
}

bool SelectCorner(int index) {
  return SelectIndex(gRace.currentCorner, index, gRace.corner.size());
}

CornerRecord& CurrentCorner() {
  int i = gRace.currentCorner;
  if (i < 0 || static_cast<size_t>(i) >= gRace.corner.size())
    FATAL("no current corner", "Define", "CurrentCorner");
  return gRace.corner[i];
}

bool SelectStanding(int index) {
  return SelectIndex(gRace.currentStanding, index, gRace.standing.size());
}

StandingRecord& CurrentStanding() {
  int i = gRace.currentStanding;
  if (i < 0 || static_cast<size_t>(i) >= gRace.standing.size())
    FATAL("no current standing", "Define", "CurrentStanding");
  return gRace.standing[i];
}

bool FirstNode() {
  return SelectNode(0);
}
bool LastNode() {
  return SelectNode(static_cast<int>(gRace.node.size()) - 1);
}
bool NextNode() {
  return SelectNode(gRace.currentNode + 1);
}
bool PreviousNode() {
  return gRace.currentNode > 0 && SelectNode(gRace.currentNode - 1);
}

void ResetRaceData() {
  gRace = RaceData{};
}

namespace {
MessageBoxHandler gMessageBoxHandler = nullptr;
}

void SetMessageBoxHandler(MessageBoxHandler handler) {
  gMessageBoxHandler = handler;
}

MessageBoxHandler CurrentMessageBoxHandler() {
  return gMessageBoxHandler;
}

void ShowMessageBox(const std::string& text) {
  if (gMessageBoxHandler) {
    gMessageBoxHandler(text);
    return;
  }
  std::fprintf(stderr, "%s\n", text.c_str());
}
