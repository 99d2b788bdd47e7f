// The circuit editor's drawing without a screen: undo and redo over long
// histories, the check against what the game's loader says of the same
// file, random drawings that must never crash or hang the check or a race,
// and saving that never replaces a shipped circuit or loses a file.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <map>
#include <random>

#include "common/common.h"
#include "editor/circuit_model.h"
#include "race/analyze.h"
#include "race/car_data.h"
#include "race/folders.h"
#include "race/grid_warnings.h"
#include "race/movement.h"
#include "race/race_end.h"
#include "race/race_start.h"
#include "race/report.h"
#include "race/save_load.h"
#include "test_support.h"

namespace fs = std::filesystem;

namespace {
class EditorModel : public ::testing::Test {
 protected:
  void SetUp() override {
    game = testing_support::MakeTempDir("editor-model");
    fs::copy(testing_support::BuildGameDir(), game, fs::copy_options::recursive);
    ResetRaceData();
    UseGameFolders(game);
    LoadTrackTiles();
    LoadCarData();
    editor = CircuitEditor{};
    editor.field = static_cast<int>(Car().size());
    SetMessageBoxHandler([](const std::string&) {});
  }
  void TearDown() override {
    SetMessageBoxHandler(nullptr);
    std::error_code ec;
    fs::permissions(game / "Circuits", fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(game, ec);
  }
  // The shipped circuit's drawing, as the editor opens it.
  CircuitDrawing Shipped(const std::string& name) {
    // A failed build may leave a corner open in the node builder, as the
    // editor's check expects; a load starts from a closed one.
    RaceNow().inCornerMark = RaceNow().cornerMarkType = 0;
    Load(game / "Circuits" / (name + ".json"));
    CircuitEditor opened;
    DrawingFromRace(opened);
    return opened.drawing;
  }
  // What the game's loader says of a drawing saved as it stands: "" when it
  // loads, else the first line of its fatal error.
  std::string LoaderSays(const CircuitDrawing& drawing, std::string* track = nullptr) {
    DrawingToRace(drawing);
    const fs::path file = game / "Circuits" / "Loader Probe.json";
    testing_support::WriteBytes(file, CircuitDocument());
    RaceNow().inCornerMark = RaceNow().cornerMarkType = 0;
    std::string said;
    try {
      Load(file);
      if (track != nullptr) *track = TrackDocument();
    } catch (const FatalError& e) {
      said = e.what();
      said = said.substr(0, said.find("\r\n"));
    }
    fs::remove(file);
    return said;
  }
  fs::path game;
  CircuitEditor editor;
};

// Two grids and their labels, cell for cell.
void ExpectSame(const CircuitDrawing& a, const CircuitDrawing& b, const std::string& when) {
  ASSERT_TRUE(SameDrawing(a, b)) << when;
}
}  // namespace

TEST_F(EditorModel, UndoAndRedoWalkAHundredAndFiftyStepsBackAndForthExactly) {
  NewDrawing(editor, 20, 14);
  std::mt19937 dice(7);
  std::vector<CircuitDrawing> after{editor.drawing};
  for (int step = 0; step < 150; ++step) {
    auto roll = [&](int n) { return static_cast<int>(dice() % n); };
    if (step % 17 == 5) {
      SetLabel(editor, roll(20), roll(14), step % 2 ? "Bend " + Decimal(step) : "");
    } else {
      // A stroke of a few cells, some painted twice, some cleared.
      BeginStroke(editor);
      for (int k = roll(4); k >= 0; --k) {
        int layer = roll(3);
        if (roll(5) == 0)
          ClearCell(editor, layer, roll(20), roll(14));
        else
          Paint(editor, layer, roll(20), roll(14), roll(kSheetCells));
      }
      EndStroke(editor);
    }
    if (!SameDrawing(after.back(), editor.drawing)) after.push_back(editor.drawing);
  }
  ASSERT_GT(after.size(), 120u);
  ASSERT_EQ(editor.undo.size(), after.size() - 1);
  for (size_t i = after.size() - 1; i > 0; --i) {
    ASSERT_TRUE(Undo(editor));
    ExpectSame(editor.drawing, after[i - 1], "undo to step " + Decimal(i - 1));
  }
  EXPECT_FALSE(Undo(editor)) << "nothing before the blank grid";
  for (size_t i = 1; i < after.size(); ++i) {
    ASSERT_TRUE(Redo(editor));
    ExpectSame(editor.drawing, after[i], "redo to step " + Decimal(i));
  }
  EXPECT_FALSE(Redo(editor));
  // A new change after undoing forgets what could be redone.
  Undo(editor);
  Paint(editor, 0, 0, 0, 33);
  EXPECT_FALSE(Redo(editor));
  // The history keeps its newest steps only.
  for (int i = 0; i < kEditorUndoSteps + 20; ++i) Paint(editor, 0, i % 20, 0, (i / 20) % 2 ? 0 : 1);
  EXPECT_EQ(editor.undo.size(), static_cast<size_t>(kEditorUndoSteps));
}

TEST_F(EditorModel, AShippedCircuitChecksAsTheLoaderBuildsIt) {
  for (const fs::path& file : testing_support::ShippedCircuits()) {
    const std::string name = file.stem().string();
    CircuitDrawing drawing = Shipped(name);
    std::string loaded;
    ASSERT_EQ(LoaderSays(drawing, &loaded), "") << name;
    editor.drawing = drawing;
    const DrawingCheck& check = CheckDrawing(editor);
    ASSERT_TRUE(check.builds) << name << ": " << check.problem;
    EXPECT_EQ(TrackDocument(), loaded) << name << ": node for node";
    EXPECT_EQ(check.nodes, static_cast<int>(Node().size()));
    EXPECT_EQ(check.warnings, GridWarnings()) << name;
  }
}

namespace {
// A race of computer cars on the checked drawing, as a test drive runs it;
// false when it does not reach the flag in a generous number of steps.
bool RacesToTheFlag(int laps) {
  const RaceReport report = Report();
  Report() = RaceReport{};
  Options().keepFiles = true;
  UnattendedRace race;
  race.laps = laps;
  bool flag = false;
  if (SetUpUnattendedRace(race)) {
    for (long long steps = 0; steps < 400000 && !Standing().empty(); ++steps) RaceStep();
    flag = Standing().empty();
  }
  ClearRaceState();
  Options().keepFiles = false;
  Report() = report;
  return flag;
}

// The check and the loader agree: a drawing that builds loads node for
// node as checked; one the loader refuses is refused with its words; one
// the loader takes after a message box is refused here with that box.
void ExpectCheckAgreesWithLoader(CircuitEditor& editor, const std::string& loaderSaid,
                                 const std::string& loadedTrack, const std::string& what) {
  const DrawingCheck& check = editor.check;
  if (check.builds) {
    EXPECT_EQ(loaderSaid, "") << what;
    EXPECT_EQ(TrackDocument(), loadedTrack) << what;
  } else if (!loaderSaid.empty()) {
    EXPECT_EQ(check.problem, loaderSaid) << what;
  } else {
    EXPECT_EQ(check.problem.rfind("invalid tile combination", 0), 0u) << what << ": " << check.problem;
  }
  if (!check.builds && check.cellX >= 0) {
    EXPECT_TRUE(editor.drawing.layers[0].Inside(check.cellX, check.cellY)) << what;
  }
}
}  // namespace

TEST_F(EditorModel, ANonBuildingDrawingNamesItsCellAndTheLoadersWords) {
  CircuitDrawing park = Shipped("Puddleford Park");
  struct Case {
    const char* what;
    std::vector<CellChange> changes;  // layer, x, y, -, tile
    std::string problem;
    int x, y;
  };
  // The start tile of the park stands at 5, 8 and leaves east.
  int sx = -1, sy = -1;
  for (int x = 0; x < park.Cols() && sx < 0; ++x)
    for (int y = 0; y < park.Rows(); ++y)
      if (park.layers[0](x, y) == 34) sx = x, sy = y;
  ASSERT_GE(sx, 0);
  const std::vector<Case> cases = {
      {"no start tile", {{0, sx, sy, 0, 0}}, "circuit has no start tile (32 to 39)", -1, -1},
      {"a start tile with no way out",
       {{0, sx, sy, 0, 0}, {0, 0, 0, 0, 32}},
       "track leaves the grid after cell 0, 0 (the start tile)", 0, 0},
      {"a gap in the track",
       {{0, sx + 2, sy, 0, kEditorGround}},
       "",  // the loader's words come from far beyond the gap
       sx + 2, sy},
      {"two start tiles",
       {{0, 11, 5, 0, 33}},
       "circuit has 2 start tiles (32 to 39) and needs one: cell " + Decimal(sx) + ", " +
           Decimal(sy) + " and cell 11, 5",
       11, 5},
      {"a tile that turns the track off the top edge",
       {{0, sx, sy, 0, 0}, {0, 2, 0, 0, 34}, {0, 3, 0, 0, 1}},
       "tile 1 at cell 3, 0 does not join the track entering it heading east", 3, 0},
      // Markers pair in the order driven: one more on the path leaves the
      // last corner open, and the marker that opened it is the one named.
      {"an odd corner marker", {{2, 5, 8, 0, 41}}, "", 2, 1},
      {"no corner markers", {}, "circuit has no corner (markers 40 or 41 on the Top layer)", -1, -1},
  };
  for (const Case& c : cases) {
    editor.drawing = park;
    for (const CellChange& change : c.changes)
      editor.drawing.layers[change.layer](change.x, change.y) = change.after;
    if (std::string(c.what) == "no corner markers")
      for (int& t : editor.drawing.layers[2].cells) t = -1;
    std::string loaded;
    const std::string said = LoaderSays(editor.drawing, &loaded);
    CheckDrawing(editor);
    EXPECT_FALSE(editor.check.builds) << c.what;
    if (!c.problem.empty()) {
      EXPECT_EQ(editor.check.problem, c.problem) << c.what;
    }
    EXPECT_EQ(editor.check.cellX, c.x) << c.what << ": " << editor.check.problem;
    EXPECT_EQ(editor.check.cellY, c.y) << c.what;
    ExpectCheckAgreesWithLoader(editor, said, loaded, c.what);
    // Not saved as a circuit, and it says why and where.
    const std::string why = SaveDrawing(editor, "Broken");
    EXPECT_EQ(why.rfind("it does not build yet: " + editor.check.problem, 0), 0u) << why;
    EXPECT_FALSE(fs::exists(game / "Circuits" / "Broken.json")) << c.what;
  }
  // The gap: the first complaint names the gap itself.
  editor.drawing = park;
  editor.drawing.layers[0](sx + 2, sy) = kEditorGround;
  CheckDrawing(editor);
  EXPECT_EQ(editor.check.first,
            "invalid tile combination @ " + Decimal(sx + 2) + ", " + Decimal(sy));
}

// Pieces the path never reads are warned about and kept for marking (the
// shipped circuits, side turns and crossing included, give no such warning).
TEST_F(EditorModel, PiecesOffThePathAreWarnedAboutWithTheirCells) {
  editor.drawing = Shipped("Puddleford Park");
  editor.drawing.layers[0](6, 4) = 0;   // a straight in the grass
  editor.drawing.layers[1](6, 4) = 42;  // a lane marker on it
  editor.drawing.layers[2](4, 4) = 41;  // a corner marker in the grass
  editor.drawing.layers[2](3, 3) = 40;
  const DrawingCheck& check = CheckDrawing(editor);
  ASSERT_TRUE(check.builds) << check.problem;
  ASSERT_GE(check.warnings.size(), 3u);
  EXPECT_EQ(check.warnings[0], "a track tile off the racing path, never driven: cell 6, 4");
  EXPECT_EQ(check.warnings[1],
            "a lane penalty marker off the racing path, never driven: cell 6, 4");
  EXPECT_EQ(check.warnings[2],
            "2 corner markers off the racing path, never driven: cell 3, 3 and cell 4, 4");
  EXPECT_EQ(check.offPath.size(), 4u);
}

// Drawings a player could make by accident or on purpose: none may crash
// or hang the check, and each one that builds races to the flag.
TEST_F(EditorModel, HostileDrawingsNeverCrashOrHangTheCheckOrARace) {
  std::vector<std::pair<std::string, CircuitDrawing>> drawings;
  auto blank = [](int cols, int rows, int fill) {
    CircuitDrawing d;
    for (int k = 0; k < 3; ++k) d.layers[k].Resize(cols, rows, k == 0 ? fill : -1);
    return d;
  };
  for (int fill : {0, 1, 2, 3, 16, 12, 5}) {
    CircuitDrawing d = blank(64, 64, fill);
    d.layers[0](31, 31) = 34;
    for (int& t : d.layers[2].cells) t = 40;
    drawings.push_back({"64 x 64 of tile " + Decimal(fill), d});
  }
  {  // two start tiles on one straight ring
    CircuitDrawing d = Shipped("Puddleford Park");
    for (int x = 0; x < d.Cols(); ++x)
      for (int y = 0; y < d.Rows(); ++y)
        if (d.layers[0](x, y) == 0 && (x + y) % 3 == 0) d.layers[0](x, y) = 34;
    drawings.push_back({"two start tiles", d});
  }
  {  // a path that joins a ring from beside it and so never comes back
    CircuitDrawing d = Shipped("Puddleford Park");
    for (int& t : d.layers[0].cells)
      if (t == 34) t = 0;
    bool placed = false;
    for (int x = 1; x < d.Cols() && !placed; ++x)
      for (int y = 0; y < d.Rows() && !placed; ++y)
        if (d.layers[0](x, y) == 1 && d.layers[0](x - 1, y) >= kFirstSceneryTile) {
          d.layers[0](x - 1, y) = 34;
          placed = true;
        }
    ASSERT_TRUE(placed);
    drawings.push_back({"a loop away from the start", d});
  }
  {  // crossings everywhere, entered from every side
    CircuitDrawing d = blank(16, 16, kCrossingTile);
    d.layers[0](8, 8) = 34;
    for (int i = 0; i < 16; ++i) d.layers[0](i, (i * 7) % 16) = 2 + i % 2;
    drawings.push_back({"crossings all over", d});
  }
  {  // paths that pass a crossing more than once, found by trying (a path
     // may leave a cell once each way, so four passes at most)
    std::mt19937 seeds(11);
    int found = 0;
    for (int tries = 0; tries < 5000 && found < 5; ++tries) {
      CircuitDrawing d = blank(10, 10, kCrossingTile);
      for (int& t : d.layers[0].cells)
        if (seeds() % 5 < 2) t = 4 + static_cast<int>(seeds() % 8);
      d.layers[0](static_cast<int>(seeds() % 10), static_cast<int>(seeds() % 10)) = 34;
      for (int& t : d.layers[2].cells)
        if (seeds() % 7 == 0) t = 40;
      DrawingToRace(d);
      TrackProblem problem;
      TryBuildTrack(problem);
      std::map<std::pair<int, int>, int> passes;
      int most = 0;
      for (const NodeRecord& n : Node()) most = std::max(most, ++passes[{n.nodeX, n.nodeY}]);
      if (most >= 2) {
        drawings.push_back({"a crossing passed " + Decimal(most) + " times, try " + Decimal(tries), d});
        ++found;
      }
    }
    EXPECT_GT(found, 0) << "a crossing passed again";
  }
  // Shipped circuits with a few cells changed at random, mostly on the
  // path: many still build, the rest break in every way there is.
  std::mt19937 dice(2024);
  for (const fs::path& file : testing_support::ShippedCircuits()) {
    const CircuitDrawing original = Shipped(file.stem().string());
    std::vector<std::pair<int, int>> path;
    for (const NodeRecord& n : Node()) path.push_back({n.nodeX, n.nodeY});
    for (int round = 0; round < 40; ++round) {
      CircuitDrawing d = original;
      for (int k = 1 + static_cast<int>(dice() % 4); k > 0; --k) {
        auto [x, y] = path[dice() % path.size()];
        if (dice() % 4 == 0) x = static_cast<int>(dice() % d.Cols()), y = static_cast<int>(dice() % d.Rows());
        switch (dice() % 4) {
          case 0: d.layers[0](x, y) = static_cast<int>(dice() % 40); break;
          case 1: d.layers[0](x, y) = static_cast<int>(dice() % kSheetCells); break;
          case 2: d.layers[1](x, y) = 42 + static_cast<int>(dice() % 5) - 1; break;
          default: d.layers[2](x, y) = dice() % 3 == 0 ? -1 : 40 + static_cast<int>(dice() % 2); break;
        }
      }
      drawings.push_back({file.stem().string() + " changed, round " + Decimal(round), d});
    }
  }
  int built = 0;
  for (auto& [what, drawing] : drawings) {
    editor.drawing = drawing;
    std::string loaded;
    const std::string said = LoaderSays(drawing, &loaded);
    CheckDrawing(editor);
    ExpectCheckAgreesWithLoader(editor, said, loaded, what);
    if (!editor.check.builds) continue;
    ++built;
    EXPECT_TRUE(RacesToTheFlag(1)) << what << " builds but does not race to the flag";
    CheckDrawing(editor);  // the drive leaves the drawing's track as it was
    EXPECT_TRUE(editor.check.builds) << what;
  }
  EXPECT_GT(built, 20) << "enough of them build to race";
  EXPECT_LT(built, static_cast<int>(drawings.size()) - 40) << "enough of them break";
}

TEST_F(EditorModel, SavesOnlyWhatBuildsNeverAShippedCircuitAndTheNewRaceListHasIt) {
  const fs::path circuits = game / "Circuits";
  const std::string shippedBytes = testing_support::ReadBytes(circuits / "Harbour Loop.json");
  const std::string shippedLabels = testing_support::ReadBytes(circuits / "Harbour Loop SL.txt");
  Load(circuits / "Harbour Loop.json");
  DrawingFromRace(editor);
  EXPECT_TRUE(IsShippedCircuit("Harbour Loop"));
  EXPECT_FALSE(IsShippedCircuit("Harbour Loop copy"));
  EXPECT_EQ(SaveDrawing(editor, "Harbour Loop"),
            "Harbour Loop is a circuit the game ships: save yours under another name");
  EXPECT_EQ(testing_support::ReadBytes(circuits / "Harbour Loop.json"), shippedBytes);
  EXPECT_EQ(testing_support::ReadBytes(circuits / "Harbour Loop SL.txt"), shippedLabels);

  for (const char* bad : {"", " Lead", "a/b", "a:b", "con", "tilde~"})
    EXPECT_NE(SaveDrawing(editor, bad), "") << bad;
  // One file on Windows and on a Mac is one name everywhere.
  for (const char* shipped : {"harbour loop", "HARBOUR LOOP", "Harbour loop"})
    EXPECT_EQ(SaveDrawing(editor, shipped),
              std::string(shipped) + " is a circuit the game ships: save yours under another name");
  for (const char* device : {"CON", "prn.txt", "Aux", "nul.json", "com1", "COM9.x", "lpt5",
                             "Lpt9", "con .dat"})
    EXPECT_NE(CircuitNameProblem(device).find("is the name of a device on Windows"),
              std::string::npos)
        << device;
  for (const char* fine : {"Com10", "lpt", "Console", "nullify", "com0", "Auxiliary Ring"})
    EXPECT_EQ(CircuitNameProblem(fine), "") << fine;
  // What a file name cannot hold is named, never dropped (a path would
  // otherwise become the name of another circuit).
  EXPECT_EQ(CircuitNameProblem("../Circuits/Harbour Loop"),
            "a circuit's name may not hold / (it is the name of its file): leave it out");
  EXPECT_EQ(CircuitNameProblem("a:b|c\\d:~"),
            "a circuit's name may not hold :, |, \\ and a tilde (it is the name of its file): "
            "leave them out");
  // A letter beyond ASCII is the player's to keep: UTF-8 on disk, listed and
  // loaded under the name typed.
  const std::string uber = "\xDC" "ber Ring";
  ASSERT_EQ(SaveDrawing(editor, uber), "");
  EXPECT_TRUE(fs::exists(circuits / "\xC3\x9C" "ber Ring.json"));
  EXPECT_NE(CircuitList().find(uber + "~"), std::string::npos);
  Load(CircuitFolderFor(uber) / (uber + ".json"));
  EXPECT_FALSE(Node().empty());
  ASSERT_EQ(SaveDrawing(editor, "My Harbour"), "");
  EXPECT_FALSE(editor.unsaved);
  EXPECT_NE(CircuitList().find("My Harbour~"), std::string::npos);
  EXPECT_EQ(testing_support::ReadBytes(circuits / "My Harbour SL.txt"), shippedLabels);
  const std::string track = TrackDocument();
  ResetRaceData();
  UseGameFolders(game);
  Load(circuits / "My Harbour.json");
  EXPECT_EQ(TrackDocument(), track);
  ASSERT_EQ(RaceNow().labels.size(), 2u);
  EXPECT_EQ(RaceNow().labels[1].text, "The Quay");

  // Replaced without labels, the old ones do not stay behind.
  SetLabel(editor, 3, 4, "");
  SetLabel(editor, 12, 9, "");
  ASSERT_EQ(SaveDrawing(editor, "My Harbour"), "");
  EXPECT_EQ(testing_support::ReadBytes(circuits / "My Harbour SL.txt"), "");

  // Another spelling is the same circuit: it exists already, and saving
  // under it leaves one circuit, listed once.
  EXPECT_EQ(PlayerCircuitLike("MY HARBOUR"), "My Harbour");
  EXPECT_EQ(PlayerCircuitLike("My Harbour 2"), "");
  ASSERT_EQ(SaveDrawing(editor, "my harbour"), "");
  EXPECT_EQ(PlayerCircuitLike("My Harbour"), "my harbour");
  const std::string list = LowerAscii(CircuitList());
  const size_t first = list.find("my harbour~");
  EXPECT_NE(first, std::string::npos) << list;
  EXPECT_EQ(list.find("my harbour~", first + 1), std::string::npos) << list;
}

// The unsaved mark is the drawing against the save, whatever steps led
// there: set while a stroke is still painted, cleared by undoing back to
// the save, set again by undoing past it.
TEST_F(EditorModel, TheUnsavedMarkIsExactlyTheDifferenceFromTheSave) {
  Load(game / "Circuits" / "Puddleford Park.json");
  DrawingFromRace(editor);
  EXPECT_FALSE(editor.unsaved);
  BeginStroke(editor);
  ASSERT_TRUE(Paint(editor, 0, 0, 0, 48));
  EXPECT_TRUE(editor.unsaved) << "during the stroke";
  ASSERT_TRUE(Paint(editor, 0, 1, 0, 48));
  EndStroke(editor);
  EXPECT_TRUE(editor.unsaved);
  ASSERT_TRUE(Undo(editor));
  EXPECT_FALSE(editor.unsaved) << "back at the drawing opened";
  ASSERT_TRUE(Redo(editor));
  EXPECT_TRUE(editor.unsaved);
  ASSERT_EQ(SaveDrawing(editor, "Mine"), "");
  EXPECT_FALSE(editor.unsaved);
  ASSERT_TRUE(Undo(editor));
  EXPECT_TRUE(editor.unsaved) << "before the save";
  ASSERT_TRUE(Redo(editor));
  EXPECT_FALSE(editor.unsaved) << "the saved drawing again";
  const int was = editor.drawing.layers[0](2, 0);
  ASSERT_TRUE(Paint(editor, 0, 2, 0, 49));
  EXPECT_TRUE(editor.unsaved);
  ASSERT_TRUE(Paint(editor, 0, 2, 0, was));
  EXPECT_FALSE(editor.unsaved) << "painted back by hand";
  ASSERT_TRUE(SetLabel(editor, 2, 0, "Woods"));
  EXPECT_TRUE(editor.unsaved) << "a label is part of the drawing";
}

#ifndef _WIN32  // a child process that is not root
TEST_F(EditorModel, ASaveIntoAFolderThatCannotBeWrittenSaysWhyAndLosesNothing) {
  const fs::path circuits = game / "Circuits";
  Load(circuits / "Puddleford Park.json");
  DrawingFromRace(editor);
  ASSERT_EQ(SaveDrawing(editor, "Mine"), "");
  const std::string before = testing_support::ReadBytes(circuits / "Mine.json");
  const std::string labelsBefore = testing_support::ReadBytes(circuits / "Mine SL.txt");
  // A changed drawing, saved where it cannot be written: in a child that
  // is not root (root writes anywhere), into a folder it may only read.
  Paint(editor, 0, 0, 0, 48);
  SetLabel(editor, 0, 0, "Woods");
  fs::permissions(game, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                            fs::perms::others_read | fs::perms::others_exec);
  fs::permissions(circuits, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                fs::perms::group_exec | fs::perms::others_read |
                                fs::perms::others_exec);
  int pipeEnds[2];
  ASSERT_EQ(pipe(pipeEnds), 0);
  pid_t child = fork();
  if (child == 0) {
    close(pipeEnds[0]);
    if (geteuid() == 0 && setuid(65534) != 0) _exit(2);
    const std::string why = SaveDrawing(editor, "Mine");
    ssize_t written = write(pipeEnds[1], why.data(), why.size());
    _exit(written == static_cast<ssize_t>(why.size()) ? 0 : 3);
  }
  close(pipeEnds[1]);
  std::string why;
  char buffer[256];
  for (ssize_t n; (n = read(pipeEnds[0], buffer, sizeof buffer)) > 0;) why.append(buffer, n);
  close(pipeEnds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  fs::permissions(circuits, fs::perms::owner_all, fs::perm_options::add);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_EQ(why.rfind("could not write file: " + (circuits / "Mine SL.txt").string(), 0), 0u) << why;
  EXPECT_NE(why.find("Permission denied"), std::string::npos) << why;
  EXPECT_EQ(testing_support::ReadBytes(circuits / "Mine.json"), before);
  EXPECT_EQ(testing_support::ReadBytes(circuits / "Mine SL.txt"), labelsBefore);
  for (const auto& entry : fs::directory_iterator(circuits))
    EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos)
        << entry.path() << " left behind";
  EXPECT_TRUE(editor.unsaved) << "the drawing is still the player's to save elsewhere";
}
#endif

// A drawing that does not build yet is kept as a draft: beside the
// circuits in their Drafts folder, where neither a new race, nor the check,
// nor any load for a race takes it; reopened it is the same drawing, and
// saved once it builds it becomes the circuit and the draft goes. Bad
// names and bad files are refused without a write or a crash.
TEST_F(EditorModel, ADraftKeepsWhatDoesNotBuildUntilItBecomesTheCircuit) {
  const fs::path circuits = game / "Circuits", drafts = circuits / "Drafts";
  Load(circuits / "Puddleford Park.json");
  DrawingFromRace(editor);
  int sx = -1, sy = -1;
  for (int x = 0; x < editor.drawing.Cols() && sx < 0; ++x)
    for (int y = 0; y < editor.drawing.Rows(); ++y)
      if (editor.drawing.layers[0](x, y) == 34) sx = x, sy = y;
  ASSERT_GE(sx, 0);
  const int gapTile = editor.drawing.layers[0](sx + 2, sy);
  ClearCell(editor, 0, sx + 2, sy);
  SetLabel(editor, 1, 1, "Evening Woods");
  ASSERT_FALSE(CheckDrawing(editor).builds);
  const CircuitDrawing broken = editor.drawing;

  for (const char* bad : {"a/b", "nul", "harbour loop", ""})
    EXPECT_NE(SaveDraft(editor, bad), "") << bad;
  EXPECT_FALSE(fs::exists(drafts / "a" / "b.json"));
  ASSERT_EQ(SaveDraft(editor, "Evening Loop"), "");
  EXPECT_TRUE(editor.draft);
  EXPECT_FALSE(editor.unsaved);
  EXPECT_TRUE(fs::exists(drafts / "Evening Loop.json"));
  EXPECT_FALSE(fs::exists(circuits / "Evening Loop.json"));
  EXPECT_EQ(DraftNames(), std::vector<std::string>{"Evening Loop"});
  EXPECT_EQ(PlayerDraftLike("EVENING LOOP"), "Evening Loop");
  EXPECT_EQ(CircuitList().find("Evening"), std::string::npos) << CircuitList();
  // Never raced, even copied in among the circuits: the loader and the
  // check refuse it by name.
  fs::copy_file(drafts / "Evening Loop.json", circuits / "Copied Draft.json");
  try {
    Load(circuits / "Copied Draft.json");
    ADD_FAILURE() << "a draft loaded for a race";
  } catch (const FatalError& e) {
    EXPECT_EQ(std::string(e.what()).rfind("a draft of the circuit editor, not a circuit", 0), 0u)
        << e.what();
  }
  testing_support::ToolRun run = testing_support::RunTool(
      "check " + testing_support::Quoted((drafts / "Evening Loop.json").string()) + " --game-dir " +
      testing_support::Quoted(game.string()));
  EXPECT_NE(run.status, 0);
  EXPECT_NE(run.err.find("a draft of the circuit editor"), std::string::npos) << run.err;
  fs::remove(circuits / "Copied Draft.json");

  // Reopened, the same drawing, labels and all.
  CircuitEditor reopened;
  ResetRaceData();
  ASSERT_EQ(OpenDraft(reopened, "Evening Loop"), "");
  EXPECT_TRUE(SameDrawing(reopened.drawing, broken));
  EXPECT_EQ(reopened.name, "Evening Loop");
  EXPECT_TRUE(reopened.draft);
  EXPECT_FALSE(reopened.unsaved);
  EXPECT_NE(OpenDraft(reopened, "No Such Draft"), "");
  testing_support::WriteBytes(drafts / "Torn.json", "{\"Base\":[[1,2],[3");
  EXPECT_NE(OpenDraft(reopened, "Torn"), "");
  fs::remove(drafts / "Torn.json");
  ASSERT_EQ(OpenDraft(reopened, "Evening Loop"), "");

  // Mended and saved: the circuit, with its labels, and no draft left.
  Paint(reopened, 0, sx + 2, sy, gapTile);
  ASSERT_TRUE(CheckDrawing(reopened).builds);
  ASSERT_EQ(SaveDrawing(reopened, "Evening Loop"), "");
  EXPECT_FALSE(reopened.draft);
  EXPECT_TRUE(fs::exists(circuits / "Evening Loop.json"));
  EXPECT_NE(testing_support::ReadBytes(circuits / "Evening Loop SL.txt").find("Evening Woods, 1, 1\r\n"),
            std::string::npos);
  EXPECT_TRUE(DraftNames().empty());
  EXPECT_FALSE(fs::exists(drafts / "Evening Loop SL.txt"));
  EXPECT_NE(CircuitList().find("Evening Loop~"), std::string::npos);
  EXPECT_EQ(CircuitListLine("Evening Loop"), "Evening Loop (yours)");
  EXPECT_EQ(CircuitListLine("Harbour Loop"), "Harbour Loop");

  // Broken again and kept as a draft of that name: the circuit stays as it
  // was saved, raceable, until the draft builds.
  const std::string circuitBytes = testing_support::ReadBytes(circuits / "Evening Loop.json");
  ClearCell(reopened, 0, sx + 2, sy);
  ASSERT_EQ(SaveDraft(reopened, "Evening Loop"), "");
  EXPECT_EQ(testing_support::ReadBytes(circuits / "Evening Loop.json"), circuitBytes);
  EXPECT_EQ(DraftNames(), std::vector<std::string>{"Evening Loop"});
}

// The right-angle brush lays both bends of a turn around the corner cell in
// one step; four of them close a rectangle of straights that builds, and a
// turn that would leave the grid lays nothing.
TEST_F(EditorModel, TheRightAngleBrushTurnsARectangleOfStraightsIntoACircuit) {
  NewDrawing(editor, 12, 10);
  for (int x = 1; x <= 10; ++x) Paint(editor, 0, x, 1, 0), Paint(editor, 0, x, 8, 0);
  for (int y = 1; y <= 8; ++y) Paint(editor, 0, 1, y, 1), Paint(editor, 0, 10, y, 1);
  Paint(editor, 0, 5, 1, 34);  // the start, cars leaving east
  EXPECT_FALSE(PaintRightAngle(editor, kFirstRightAngle + kTurnWestNorth, 0, 0));
  EXPECT_FALSE(PaintRightAngle(editor, kFirstRightAngle + kTurnEastSouth, 11, 9));
  EXPECT_FALSE(PaintRightAngle(editor, 41, 5, 5)) << "a marker is no brush";
  const size_t steps = editor.undo.size();
  ASSERT_TRUE(PaintRightAngle(editor, kFirstRightAngle + kTurnEastSouth, 1, 1));
  ASSERT_TRUE(PaintRightAngle(editor, kFirstRightAngle + kTurnWestSouth, 10, 1));
  ASSERT_TRUE(PaintRightAngle(editor, kFirstRightAngle + kTurnEastNorth, 1, 8));
  ASSERT_TRUE(PaintRightAngle(editor, kFirstRightAngle + kTurnWestNorth, 10, 8));
  EXPECT_EQ(editor.undo.size(), steps + 4) << "a turn is one step";
  for (auto [x, y] : {std::pair{1, 1}, {10, 1}, {1, 8}, {10, 8}})
    EXPECT_EQ(editor.drawing.layers[0](x, y), kEditorGround) << "the corner cell is cut off";
  // Each turn a sharp corner: marked on its first bend and on the straight
  // after its second, clockwise from the start.
  for (auto [x, y] : {std::pair{9, 1}, {10, 3}, {10, 7}, {8, 8}, {2, 8}, {1, 6}, {1, 2}, {3, 1}})
    Paint(editor, 2, x, y, 41);
  const DrawingCheck& check = CheckDrawing(editor);
  ASSERT_TRUE(check.builds) << check.problem << " / " << check.first;
  EXPECT_EQ(check.corners, 4);
  EXPECT_TRUE(check.offPath.empty());
  EXPECT_TRUE(RacesToTheFlag(1));
  // Undone, the last turn gives back the straights and the corner it took.
  CheckDrawing(editor);
  ASSERT_TRUE(Undo(editor));
  for (int k = 0; k < 8; ++k) Undo(editor);
  EXPECT_EQ(editor.drawing.layers[0](10, 8), 1);
  EXPECT_EQ(editor.drawing.layers[0](9, 8), 0);
  EXPECT_EQ(editor.drawing.layers[0](10, 7), 1);
}
