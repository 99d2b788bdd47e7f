// The race's constants, records and containers, with the program's settings
// and folders that every layer reads.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

// ---------------------------------------------------------------------------
// Program settings, folders, screen geometry and the view.
constexpr int kDefaultScrollSpeed = 4;
constexpr int kFastestScroll = 64;  // a cell a frame
constexpr int kShortestTimeSlice = 17;
constexpr int kLongestTimeSlice = 1000;
constexpr int kLargestUiScale = 8;

struct ProgramState {
  std::filesystem::path programFolder;  // folder of the executable
  std::filesystem::path circuitsFolder;
  std::filesystem::path dataFolder;
  std::filesystem::path imagesFolder;
  std::filesystem::path resultsFolder;
  std::filesystem::path savedRacesFolder;
  std::filesystem::path themeFolder;
  // What the player owns. Beside the executable in a portable copy, the same
  // folders as above; in the player's own folder in an installed one.
  std::filesystem::path playerFolder;
  std::filesystem::path settingsFile;          // "The Velotrax.ini"
  std::filesystem::path playerDataFolder;      // "Drivers.csv", "Last Race.txt"
  std::filesystem::path playerCircuitsFolder;  // the player's own circuits
  std::string windowTitle = "The Velotrax";

  int gameState = 4;                      // 4 just started, 2 race screen, 1 back to menu, 3 quit
  int scrollSpeed = kDefaultScrollSpeed;  // pixels a frame of edge scrolling, 1 to kFastestScroll
  int timeSlice = 167;                    // ms between automatic steps, kShortestTimeSlice up
  int uiScale = 0;                        // "UIScale": 0 automatic, else the screen's whole-number scale
  int laps = 4;
  std::string points = "964321";
  int autoMode = 0;
  int gridOn = 0;
  int centerMode = 0;
  int64_t nextStepTime = 0;

  std::string raceName;
  std::string seasonName = "no name";
};

extern ProgramState gProg;

// Sets the folders of a portable copy from a program folder (ending in a
// separator or not): everything beside the executable.
void SetProgramFolder(const std::filesystem::path& folder);

// Back to the values the program starts with (for tests).
void ResetProgramState();

// ---------------------------------------------------------------------------
// Race data (records, containers and their current elements).
// ---------------------------------------------------------------------------
// Directions 0..7 clockwise from north (y grows downward); gears 0..6 (6 is
// Top); corner types 0 none, 1 sharp, 2 hairpin; lanes 0 and 1.
constexpr int kFewestLaps = 1;  // what the race set-up offers
constexpr int kMostLaps = 99;
constexpr int kTrackRows = 88;  // rows of the tile table, one per tile number
constexpr int kTileSize = 64;   // pixels of a cell on screen
// Circuits, saved races and text tables: over a thousand times the largest
// the game ships. A larger file is refused before it is read.
constexpr size_t kLargestDataFile = size_t{16} << 20;
// The second image of the west-east straight is a crossing: a figure-eight
// passes it west-east on one lap half and north-south on the other.
constexpr int kCrossingTile = 16;
// Cells of the tile sheet (8 x 11): a layer's cell is one of them or -1.
// Cells 46 and up are scenery (ground, water, trees, buildings).
constexpr int kFirstSceneryTile = 46;
constexpr int kSheetCells = 88;
constexpr int kCarSheetCells = 88;  // cells of the "Cars" sheet (8 x 11); a car's tile is one

// One of the three tile layers, indexed (x, y) = (column, row).
struct Grid {
  int cols = 1;
  int rows = 1;
  std::vector<int> cells = std::vector<int>(1, 0);

  void Resize(int columns, int rowCount, int fill = 0);
  bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < cols && y < rows; }
  // Out-of-grid access is a fatal error, never a stray read.
  int& operator()(int x, int y);
  int operator()(int x, int y) const;
  // The cell's value, or `outside` for a cell beyond the grid.
  int Get(int x, int y, int outside) const { return Inside(x, y) ? cells[Index(x, y)] : outside; }
  size_t Index(int x, int y) const { return static_cast<size_t>(x) * rows + y; }
};

struct TrackRecord {
  std::string facing;  // the tile's two directions of travel, "d1 d2"
  int x[2] = {0, 0};   // lane-0 / lane-1 centre inside the cell
  int y[2] = {0, 0};
};
// A lane centre is a pixel of its 64-pixel cell.
inline bool LaneOffsetInCell(int v) {
  return v >= 0 && v < kTileSize;
}
// The first of a tile row's offsets that is not inside the cell, as its
// field name ("x[1]"), or "" when they all are.
std::string LaneOffsetOutsideCell(const TrackRecord& row);

struct NodeRecord {
  int nodeX = 0;
  int nodeY = 0;
  int facing = 0;  // direction of travel when leaving this node
  int x[2] = {0, 0};
  int y[2] = {0, 0};
  int corner = 0;   // 0, 1 inside a sharp corner, 2 inside a hairpin
  int penalty = 0;  // lane costing 2 MP more to enter; -1 none
  std::string car[2];
  int distanceInMPs = 0;
  int nextCornerType = 0;
  int cornerValue = 0;
  int lastCornerNode = 0;  // 1 on the first node after a corner
};

struct CornerRecord {
  int entryNode = 0;
  int rank = 0;
  int type = 0;
  int following = 0;
  int preceding = 0;
  int value = 0;
};

struct CarRecord {
  int tile = 0;
  int listInd = -1;
  int lane = -1;
  int facing = -1;
  int gear = 0;
  int remaining = 0;
  int bonus = 0;
  int inCorner = 0;
  int cornerExit = 0;
  int ORpermitted = 0;
  int lap = 0;
  int finished = 0;  // 0 racing, 1 finished, 2 crashed out
  float turns = 0.0f;
  int gear1 = 0;
  int gear2 = 0;
  int gear3 = 0;
  int gear4 = 0;
  int gear5 = 0;
  int gearTop = 0;
  int hb = 0;
  int sharp = 0;
  int hairpin = 0;
  int ors = 0;
  int downShift = 0;
};

struct StandingRecord {
  std::string car;
  int lap = 0;
  int listInd = 0;
  int lane = 0;
};

struct DriverRecord {
  std::string name;
  int skill = 0;
  int style = 0;
  int points = 0;
  std::string lastTime;
  int user = 0;
};

// A text written on the circuit over a cell; x and y are the cell's top-left
// pixel on the whole circuit.
struct CircuitLabel {
  std::string text;  // Windows-1252
  int colour = 0;    // 24-bit RGB, red in the low byte
  int x = 0;
  int y = 0;
};
// A circuit names a handful of places; every label is drawn every frame.
constexpr int kMostLabels = 1000;

// The race containers and their current elements. The laps of the race are
// gProg.laps; the display settings saved with a race are gProg too.
struct RaceData {
  std::map<std::string, CarRecord> car;  // keyed by car key, key order
  std::vector<NodeRecord> node;
  std::vector<CornerRecord> corner;
  std::vector<StandingRecord> standing;
  std::vector<TrackRecord> track = std::vector<TrackRecord>(kTrackRows);
  Grid base;
  Grid middle;
  Grid top;
  std::vector<std::string> orderOfFinish;
  std::vector<std::string> dnf;
  std::map<std::string, DriverRecord> driver;  // keyed by car key
  // The circuit's label file: the labels on its cells, the lines that name
  // no cell (left out, for the circuit tool to report) and the count of
  // lines past the first kMostLabels (not read at all).
  std::vector<CircuitLabel> labels;
  std::vector<std::string> labelsLeftOut;
  int labelsBeyondLimit = 0;

  std::string currentCar;    // key of the current Car() entry ("" none)
  int currentNode = -1;      // index of the current Node() entry
  int currentCorner = -1;    // index of the current Corner() entry
  int currentStanding = -1;  // index of the current Standing() entry
  // A car of the player is choosing its gear: its move has not begun, so a
  // race saved now asks again when it is resumed.
  bool choosingGear = false;

  // Node-builder state; deliberately kept from one build to the next.
  int inCornerMark = 0;
  int cornerMarkType = 0;
};

extern RaceData gRace;

inline std::map<std::string, CarRecord>& Car() {
  return gRace.car;
}
inline std::vector<NodeRecord>& Node() {
  return gRace.node;
}
inline std::vector<CornerRecord>& Corner() {
  return gRace.corner;
}
inline std::vector<StandingRecord>& Standing() {
  return gRace.standing;
}
inline std::vector<TrackRecord>& Track() {
  return gRace.track;
}
inline Grid& Base() {
  return gRace.base;
}
inline Grid& Middle() {
  return gRace.middle;
}
inline Grid& Top() {
  return gRace.top;
}
inline std::vector<std::string>& OrderOfFinish() {
  return gRace.orderOfFinish;
}
inline std::vector<std::string>& DNF() {
  return gRace.dnf;
}
inline std::map<std::string, DriverRecord>& Driver() {
  return gRace.driver;
}

// Current elements. Select* returns false (and changes nothing) when there
// is no such entry; Current* is fatal without a valid current entry.
bool SelectCar(const std::string& key);
CarRecord& CurrentCar();
bool SelectNode(int index);
NodeRecord& CurrentNode();
bool SelectCorner(int index);
CornerRecord& CurrentCorner();
bool SelectStanding(int index);
StandingRecord& CurrentStanding();

// List walks of the node list: next and previous report failure and stay
// put at the ends.
bool FirstNode();
bool LastNode();
bool NextNode();
bool PreviousNode();

// Saves the current car, node, corner and standing and puts them back when
// it goes out of scope.
struct KeepCurrent {
  std::string car = gRace.currentCar;
  int node = gRace.currentNode;
  int corner = gRace.currentCorner;
  int standing = gRace.currentStanding;
  ~KeepCurrent() {
    gRace.currentCar = car;
    gRace.currentNode = node;
    gRace.currentCorner = corner;
    gRace.currentStanding = standing;
  }
};

// Empty containers, 1 x 1 layers, the tile table of 88 blank rows.
void ResetRaceData();

// "Message Box": the race code reports non-fatal problems through this hook.
// The game points it at its requester; by default the text goes to stderr.
using MessageBoxHandler = void (*)(const std::string& text);
void SetMessageBoxHandler(MessageBoxHandler handler);  // nullptr: stderr again
MessageBoxHandler CurrentMessageBoxHandler();
void ShowMessageBox(const std::string& text);
