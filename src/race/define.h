// The race's constants, records and containers, a whole race as one value,
// and the player's folders that every layer reads.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <utility>
#include <vector>

// ---------------------------------------------------------------------------
// The player's folders and the settings a race reads from them.
struct ProgramState {
  std::filesystem::path programFolder;  // folder of the executable
  std::filesystem::path circuitsFolder;
  std::filesystem::path dataFolder;
  std::filesystem::path imagesFolder;
  std::filesystem::path resultsFolder;
  std::filesystem::path savedRacesFolder;
  std::filesystem::path soundsFolder;
  std::filesystem::path themeFolder;
  // What the player owns. Beside the executable in a portable copy, the same
  // folders as above; in the player's own folder in an installed one.
  std::filesystem::path playerFolder;
  std::filesystem::path settingsFile;          // "The Velotrax.ini"
  std::filesystem::path playerDataFolder;      // "Drivers.csv", "Last Race.txt"
  std::filesystem::path playerCircuitsFolder;  // the player's own circuits

  int laps = 4;  // "Laps": what the race set-up offers first
  std::string points = "964321";
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
  // Where the car sits in Car(), found again whenever it does not name this
  // car; never saved.
  int carIndex = -1;
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

constexpr int kGearButtons = 7;  // 1st to Top, then "use OR"

// The gears the rules let a player's car choose at the start of its move,
// one state per button: 0 offered, 1 offered and the car's gear now (for
// "use OR": offered), 2 not offered.
struct GearOffer {
  int states[kGearButtons] = {2, 2, 2, 2, 2, 2, 2};
};

// The answers of a gear chooser.
constexpr int kChooseUseOR = 7;      // "use OR": Top, one OR spent
constexpr int kChooseKeepGear = -2;  // the gear the car is in
constexpr int kChooseLeave = -1;     // the player left for the menu: asked again on return

// What befalls a car, told as it happens, in order: for whoever wants to
// hear the race (the game's sounds) rather than read its commentary.
enum class RaceEventKind {
  kMoveBegun,      // the car's move begins in `gear`; value: its gear before
  kCornerEntered,  // value: the corner's type (1 sharp, 2 hairpin)
  kOffTheLine,
  kHBUsed,         // value: how many
  kSpinOut,
  kCrash,
  kLap,            // the car crossed the line; value: the lap it begins
  kFinish,         // value: its finishing place
};
struct RaceEvent {
  RaceEventKind kind = RaceEventKind::kMoveBegun;
  int car = -1;   // the car's index in Car()
  int gear = 0;   // its gear now
  int node = -1;  // the node it stands on (its listInd; -1 none)
  int value = 0;
};

// How the race tells whoever runs it what happens: one table of functions
// that the game's screens, the tools and the tests each fill in with their
// own (race/report.h has the procedures that call it). A member left null
// hears nothing; with no gear chooser the computer drives every car.
struct RaceReport {
  // One line of commentary.
  void (*commentary)(const std::string& line) = nullptr;
  // The current car changed or moved: mode 0 before its move (its gear's
  // MP and the bonus), 1 during it (the MP left).
  void (*carStatus)(int mode) = nullptr;
  // Standing() was rebuilt.
  void (*runningOrder)() = nullptr;
  // The current car's move is over; place is its place among the racing
  // cars as they stand after it (1 the leader; 0 when it finished or went
  // out).
  void (*moveEnded)(int place) = nullptr;
  // The flag has fallen: the results (as the results view lists them) are
  // in, the points awarded and the race's files written but for the
  // last-race record, which follows. The season's standings are Driver().
  void (*raceEnded)(const std::string& heading, const std::vector<std::string>& results) = nullptr;
  // The current car is the player's and must choose a gear from the offer:
  // 1 to 6 a gear, kChooseUseOR, kChooseKeepGear or kChooseLeave.
  int (*chooseGear)(const GearOffer& offer) = nullptr;
  // A problem the race can go on from, or that ends only its set-up ("None
  // of the cars can start"): the game shows it in a box; left null, it goes
  // to stderr.
  void (*message)(const std::string& text) = nullptr;
  // What befell a car (see RaceEvent).
  void (*event)(const RaceEvent& event) = nullptr;
};

// The cars of a race, keyed by car key and kept in key order (the order the
// saved files list them in). A vector underneath, so that the race in play
// finds its current car by index; adding a car moves the ones after it, so
// only loading and the set-up add cars.
class CarTable {
 public:
  using Entry = std::pair<std::string, CarRecord>;
  using iterator = std::vector<Entry>::iterator;
  using const_iterator = std::vector<Entry>::const_iterator;

  CarTable() = default;
  CarTable(const std::map<std::string, CarRecord>& cars) : entries_(cars.begin(), cars.end()) {}
  CarTable& operator=(const std::map<std::string, CarRecord>& cars) {
    entries_.assign(cars.begin(), cars.end());
    return *this;
  }

  iterator begin() { return entries_.begin(); }
  iterator end() { return entries_.end(); }
  const_iterator begin() const { return entries_.begin(); }
  const_iterator end() const { return entries_.end(); }
  size_t size() const { return entries_.size(); }
  bool empty() const { return entries_.empty(); }
  void clear() { entries_.clear(); }

  iterator find(const std::string& key);
  const_iterator find(const std::string& key) const;
  size_t count(const std::string& key) const { return find(key) == end() ? 0 : 1; }
  // The car of `key`, added in its place when there is none.
  CarRecord& operator[](const std::string& key);
  // The car of `key`; std::out_of_range when there is none.
  CarRecord& at(const std::string& key);
  const CarRecord& at(const std::string& key) const;
  // Where `key` sits in key order, or -1.
  int IndexOf(const std::string& key) const;
  Entry& EntryAt(size_t index) { return entries_[index]; }
  const Entry& EntryAt(size_t index) const { return entries_[index]; }

 private:
  std::vector<Entry> entries_;
};

// The race containers and their current elements.
struct RaceData {
  CarTable car;
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

  int currentCar = -1;       // index of the current Car() entry (-1 none)
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

// What befell the current car since its move began (StartMove clears it):
// the gear panel's play-out and the side panel read it; the race itself
// never looks.
struct MoveEvents {
  int offTheLine = 0;
  bool spunOut = false;
  bool crashed = false;
  // The MP the steps cost, the MP carried over that were dropped where the
  // car left or entered a corner, and whether a node with both lanes held
  // ended the move.
  long long spent = 0;
  int bonusLost = 0;
  bool blocked = false;
};

// Where the 1 to 100 of a risk roll comes from while the gear panel plays a
// move out: the values it tries (no die is rolled).
using RollSource = int (*)();

// A race's dice. The player's race rolls the platform's dice (which a test
// or a rolls file may script); a race run beside it has dice of its own, so
// that it neither takes rolls from the player's race nor depends on them.
struct RaceDice {
  RollSource tried = nullptr;  // set: risk rolls come from here
  bool own = false;
  std::mt19937_64 generator;
};

// How a race is run: set up with it, saved with it where the save says so.
struct RaceOptions {
  int laps = 4;
  std::string raceName;
  std::string seasonName = "no name";
  int autoMode = 0;
  // How the player watched it (the tile grid, the view following a place);
  // saved with the race and given back when it is loaded.
  int gridOn = 0;
  int centerMode = 0;
  // Nothing is written at the end of the race (the balance report, the race
  // behind the menu and a test drive run races that must leave the game
  // folder as they found it).
  bool keepFiles = false;
};

// One race: everything it reads and writes apart from the player's settings
// and folders. The player's race is one such value; a race run beside it
// (behind the menu, a test drive, the gear panel's play-out, each of the
// balance report's races) is another, made current with a RaceScope.
struct Race {
  RaceData data;
  RaceOptions options;
  RaceReport report;
  MoveEvents moveEvents;
  RaceDice dice;
  std::vector<std::string> selectedCars;  // the set-up's "in Race" list
};

// The race that the race's procedures work on, in this thread: the
// player's race unless a RaceScope has put another in its place.
extern constinit thread_local Race* gCurrentRace;
inline Race& CurrentRace() {
  return *gCurrentRace;
}
// The player's race, whatever race is current.
Race& PlayerRace();

// Makes `race` the current race of this thread until the scope ends, on
// every way out (exceptions included); the race that was current before is
// never touched meanwhile.
class RaceScope {
 public:
  explicit RaceScope(Race& race);
  ~RaceScope();
  RaceScope(const RaceScope&) = delete;
  RaceScope& operator=(const RaceScope&) = delete;

 private:
  Race* before_;
};

// A race apart from the player's with dice of its own, seeded.
void UseOwnDice(Race& race, uint64_t seed);
// A roll of the current race's dice, minimum to maximum.
int RaceRandom(int maximum, int minimum);

inline RaceData& RaceNow() {
  return CurrentRace().data;
}
inline CarTable& Car() {
  return RaceNow().car;
}
inline std::vector<NodeRecord>& Node() {
  return RaceNow().node;
}
inline std::vector<CornerRecord>& Corner() {
  return RaceNow().corner;
}
inline std::vector<StandingRecord>& Standing() {
  return RaceNow().standing;
}
inline std::vector<TrackRecord>& Track() {
  return RaceNow().track;
}
inline Grid& Base() {
  return RaceNow().base;
}
inline Grid& Middle() {
  return RaceNow().middle;
}
inline Grid& Top() {
  return RaceNow().top;
}
inline std::vector<std::string>& OrderOfFinish() {
  return RaceNow().orderOfFinish;
}
inline std::vector<std::string>& DNF() {
  return RaceNow().dnf;
}
inline std::map<std::string, DriverRecord>& Driver() {
  return RaceNow().driver;
}
inline RaceOptions& Options() {
  return CurrentRace().options;
}

// Current elements. Select* returns false (and changes nothing) when there
// is no such entry; Current* is fatal without a valid current entry.
bool SelectCar(const std::string& key);
bool SelectCarAt(int index);
void ClearCurrentCar();
CarRecord& CurrentCar();
// The current car's key ("" when there is none).
const std::string& CurrentCarKey();
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
  int car = RaceNow().currentCar;
  int node = RaceNow().currentNode;
  int corner = RaceNow().currentCorner;
  int standing = RaceNow().currentStanding;
  ~KeepCurrent() {
    RaceData& race = RaceNow();
    race.currentCar = car;
    race.currentNode = node;
    race.currentCorner = corner;
    race.currentStanding = standing;
  }
};

// Empty containers, 1 x 1 layers, the tile table of 88 blank rows.
void ResetRaceData();

// "Message Box": the race reports non-fatal problems through the current
// race's report (its message member); with none the text goes to stderr.
using MessageBoxHandler = void (*)(const std::string& text);
void SetMessageBoxHandler(MessageBoxHandler handler);  // the current race's; nullptr: stderr
MessageBoxHandler CurrentMessageBoxHandler();
void ShowMessageBox(const std::string& text);
