// The circuit editor as a player uses it: from the main menu, through
// clicks on the palette and the grid, key presses and the Input Box, to a
// saved circuit that builds node for node like the shipped one made by the
// circuit tool from its source, and races to the flag.
#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "common/common.h"
#include "dialogs/help.h"
#include "dialogs/requester.h"
#include "editor/editor_screen.h"
#include "game/hooks.h"
#include "game/main_menu.h"
#include "game/screens.h"
#include "game/view.h"
#include "minigui/mini_gui.h"
#include "platform/screen.h"
#include "platform/services.h"
#include "race/data_file.h"
#include "race/define.h"
#include "race/folders.h"
#include "race/save_load.h"
#include "race_support.h"
#include "screen_support.h"
#include "game/screen_settings.h"

namespace fs = std::filesystem;

namespace {
using Step = std::function<void()>;
std::vector<Step> gScript;
size_t gStep = 0;
int gSpare = 0;

bool EditorOpen() {
  return gEditorScreen.frame != nullptr && !IsFrameHidden(gEditorScreen.frame);
}

// One scripted step a frame, whichever loop draws it; past the script, the
// way out of whatever is open, so a broken script fails instead of hanging.
void RunStep() {
  if (gStep < gScript.size()) {
    gScript[gStep++]();
    return;
  }
  if (++gSpare > 300) {
    ADD_FAILURE() << "the script ran out and the editor would not close";
    std::abort();
  }
  const bool odd = gSpare % 2 == 1;
  if (TestDriveRunning() || EditorOpen()) {
    PlatPushTypedKey(odd ? kKeyEscape : kKeyReturn, "");
  } else if (odd) {
    PlatPushTypedKey(kKeyEscape, "");
  } else {
    const ButtonArray* b = gElements.MenuButtons;
    PlatPushMouseMove(b->buttonX[2] + 20, b->buttonY[2] + 10);
    PlatPushButtonUp(1);  // "Quit"
  }
}

void ClickAt(int x, int y, int button = 1) {
  PlatPushMouseMove(x, y);
  PlatPushButtonUp(button);
}
void ClickButton(const ButtonArray* b, int i) {
  ClickAt(b->buttonX[i] + b->buttonWidth / 2, b->buttonY[i] + b->buttonHeight / 2);
}
void CellPoint(int col, int row, int& x, int& y) {
  x = ScreenX(col * kTileSize + kTileSize / 2);
  y = ScreenY(row * kTileSize + kTileSize / 2);
}
Step ClickCell(int col, int row, int button = 1) {
  return [=] {
    int x = 0, y = 0;
    CellPoint(col, row, x, y);
    ClickAt(x, y, button);
  };
}
Step Key(const std::string& typed) {
  return [=] { PlatPushTypedKey(30, typed); };
}
// Ctrl with a key as a quick hand types it: Ctrl let go before the key,
// all within one frame.
Step CtrlKey(int scanCode) {
  return [=] {
    PlatPushKey(kKeyLeftCtrl, true);
    PlatPushKey(scanCode, true);
    PlatPushKey(kKeyLeftCtrl, false);
    PlatPushKey(scanCode, false);
  };
}
Step Shot(const std::string& name) {
  return [=] { PlatSaveScreenshot(testing_support::ArtifactDir() / (name + ".png")); };
}
// The Input Box: a click into its entry keeps what it offers, the old text
// erased, the new typed, and one Return confirms.
void TypeIntoInputBox(std::vector<Step>& script, const std::string& text, int erase) {
  script.push_back([] {  // End keeps the text the box holds, to type after it
    PlatPushKey(kKeyEnd, true);
    PlatPushKey(kKeyEnd, false);
  });
  script.push_back([=] {
    for (int i = 0; i < erase; ++i) {
      PlatPushKey(kKeyBackspace, true);
      PlatPushKey(kKeyBackspace, false);
    }
    for (char c : text) PlatPushTypedKey(30, std::string(1, c));
    PlatPushTypedKey(kKeyReturn, "");
  });
}
void PickListLine(std::vector<Step>& script, int line) {
  script.push_back([line] {
    TextArea* list = FindRequester("List Box")->textArea;
    PlatPushMouseMove(list->x + 20, list->y + list->margin + 9 + line * SpriteFontHeight(list->font));
  });
  script.push_back([] { PlatPushButtonUp(1); });
  script.push_back([] { PlatPushTypedKey(kKeyReturn, ""); });
}
void PickTile(std::vector<Step>& script, int tab, int tile) {
  script.push_back(Key(std::string(1, static_cast<char>('1' + tab))));
  script.push_back([=] {
    const std::vector<int>& tiles = TabTiles(tab);
    int index = static_cast<int>(std::find(tiles.begin(), tiles.end(), tile) - tiles.begin());
    int x = 0, y = 0;
    PaletteTilePoint(index, x, y);
    ClickAt(x, y);
  });
}

class CircuitEditorScreen : public ::testing::TestWithParam<std::pair<int, int>> {
 protected:
  void SetUp() override {
    dir = testing_support::MakeTempDir("editor-screen");
    fs::copy(testing_support::BuildGameDir(), dir, fs::copy_options::recursive);
    testing_support::StartGameHeadless(GetParam().first, GetParam().second, dir);
    gScreen.gameState = 1;
    gScript.clear();
    gStep = 0;
    gSpare = 0;
    gHooks.menuFrame = RunStep;
    SetModalFrameHook(RunStep);
    SetEditorFrameHook(RunStep);
    PlatCaptureFrames(true);
    PlatSetDrivenClock(0);
  }
  void TearDown() override {
    PlatUseRealClock();
    PlatCaptureFrames(false);
    SetEditorFrameHook(nullptr);
    SetModalFrameHook(nullptr);
    testing_support::StopGameHeadless();
    fs::remove_all(dir);
  }
  std::string Size() const {
    return Decimal(GetParam().first) + "x" + Decimal(GetParam().second);
  }
  fs::path dir;
};
}  // namespace

TEST_P(CircuitEditorScreen, DrawsAShippedCircuitCellByCellSavesItAndItRaces) {
  // The circuit to draw: Puddleford Park as the circuit tool makes it from
  // its source, read here only to know what to click.
  const fs::path made = dir / "made.json";
  testing_support::ToolRun run = testing_support::RunTool(
      "make-circuit " + testing_support::Quoted((testing_support::SourceDir() / "tools" / "circuits" / "Puddleford Park.txt").string()) +
      " " + testing_support::Quoted(made.string()) + " --game-dir " + testing_support::Quoted(dir.string()));
  ASSERT_EQ(run.status, 0) << run.err;
  Load(made);
  const Grid layers[3] = {Base(), Middle(), Top()};
  const std::vector<NodeRecord> path = Node();
  const std::string madeTrack = TrackDocument();
  ResetRaceData();
  const int cols = layers[0].cols, rows = layers[0].rows;

  std::vector<Step>& s = gScript;
  s.push_back([] { ClickButton(gElements.MenuButtons, 4); });  // "Circuit Editor"
  PickListLine(s, 0);                                            // a new circuit
  TypeIntoInputBox(s, Decimal(cols), 2);
  TypeIntoInputBox(s, Decimal(rows), 2);
  s.push_back(Shot("editor_blank_" + Size()));
  // The key strip sits between the status and the commands, inside the
  // panel, where it leaves the status room for the longest check result
  // (a short screen keeps its keys in the help).
  // A short screen has one short line of them under the commands instead.
  s.push_back([this] {
    const TextArea* status = gEditorScreen.status;
    const ButtonArray* commands = gEditorScreen.commands;
    const int commandsEnd = commands->buttonY[kCmdClose] + commands->buttonHeight;
    EXPECT_GE(status->height, 10 * SpriteFontHeight(status->font)) << "the status keeps its lines";
    ASSERT_NE(gEditorScreen.keys[0], nullptr) << "keys on every screen";
    for (const Label* keys : gEditorScreen.keys) {
      if (Size() != "1920x1080" && keys == nullptr) continue;
      ASSERT_NE(keys, nullptr);
      const int right = keys->x + SpriteFontWidth(keys->font) * static_cast<int>(keys->text.size());
      if (keys->y >= commandsEnd) {
        EXPECT_NE(Size(), "1920x1080");
        EXPECT_LE(keys->y + SpriteFontHeight(keys->font), FrameBottom(gEditorScreen.frame) - 16)
            << "inside the frame's border";
        EXPECT_LE(right, FrameX(gEditorScreen.frame) + 256 - 24) << "inside the frame's border";
        continue;
      }
      EXPECT_GE(keys->y, status->y + status->height) << keys->text;
      EXPECT_LE(keys->y + SpriteFontHeight(keys->font), commands->buttonY[0]) << keys->text;
      EXPECT_LE(right, status->x + status->width) << keys->text;
    }
  });

  // The start tile, then the path in the order the cars drive it, a drag of
  // the mouse along its first straight run.
  std::vector<std::pair<int, int>> cells;
  cells.push_back({path.back().nodeX, path.back().nodeY});
  for (size_t i = 0; i + 1 < path.size(); ++i) cells.push_back({path[i].nodeX, path[i].nodeY});
  int tile = -1;
  size_t i = 0;
  bool dragged = false, halfDrawn = false;
  while (i < cells.size()) {
    auto [x, y] = cells[i];
    const int t = layers[0](x, y);
    if (t != tile) {
      PickTile(s, kTabTrack, t);
      tile = t;
    }
    size_t run = 1;
    while (i + run < cells.size() && layers[0](cells[i + run].first, cells[i + run].second) == t &&
           cells[i + run].second == y)
      ++run;
    if (!dragged && run >= 3) {
      dragged = true;
      s.push_back([x, y] {
        int px = 0, py = 0;
        CellPoint(x, y, px, py);
        PlatPushMouseMove(px, py);
        PlatPushButtonDown(1);
      });
      for (size_t k = 1; k < run; ++k) {
        auto [cx, cy] = cells[i + k];
        s.push_back([cx, cy] {
          int px = 0, py = 0;
          CellPoint(cx, cy, px, py);
          PlatPushMouseMove(px, py);
        });
      }
      s.push_back([] { PlatPushButtonUp(1); });
      i += run;
      continue;
    }
    s.push_back(ClickCell(x, y));
    if (!halfDrawn && i >= cells.size() / 2 && i + 1 < cells.size()) {
      halfDrawn = true;
      // Half the lap drawn: the check names where the track stops.
      s.push_back([] {
        const CircuitEditor& e = EditedCircuit();
        EXPECT_FALSE(e.check.builds);
        EXPECT_GE(e.check.cellX, 0) << e.check.problem;
      });
      s.push_back(Shot("editor_half_drawn_" + Size()));
      // A wrong tile, undone with Ctrl+Z; a right one undone and redone.
      auto [nx, ny] = cells[i + 1];
      PickTile(s, kTabTrack, 33);
      tile = 33;
      s.push_back(ClickCell(nx, ny));
      s.push_back(CtrlKey(44));
      s.push_back([nx, ny] { EXPECT_EQ(EditedCircuit().drawing.layers[0](nx, ny), kEditorGround); });
      s.push_back(ClickCell(x, y, 3));  // right-click clears
      s.push_back([x, y] { EXPECT_EQ(EditedCircuit().drawing.layers[0](x, y), kEditorGround); });
      s.push_back(CtrlKey(44));
      s.push_back(CtrlKey(44));
      s.push_back(CtrlKey(21));
      s.push_back([x, y, t] { EXPECT_EQ(EditedCircuit().drawing.layers[0](x, y), t); });
    }
    ++i;
  }
  // Everything else of the base layer, then lanes and corners.
  for (int k = 0; k < 3; ++k) {
    std::map<int, std::vector<std::pair<int, int>>> byTile;
    for (int x = 0; x < cols; ++x)
      for (int y = 0; y < rows; ++y)
        if (layers[k](x, y) != (k == 0 ? kEditorGround : -1)) byTile[layers[k](x, y)].push_back({x, y});
    for (const auto& [t, where] : byTile) {
      PickTile(s, k == 0 ? (t < 40 ? kTabTrack : kTabScenery) : k == 1 ? kTabLanes : kTabCorners, t);
      for (auto [x, y] : where)
        if (k != 0 || t >= 40 || std::find(cells.begin(), cells.end(), std::make_pair(x, y)) == cells.end())
          s.push_back(ClickCell(x, y));
    }
  }
  // The labels, typed in.
  const std::string labels = testing_support::ReadBytes(dir / "Circuits" / "Puddleford Park SL.txt");
  s.push_back(Key("5"));
  for (const std::string& line : SplitLines(CleanText(labels))) {
    s.push_back(ClickCell(LenientInt(CommaField(line, 2)), LenientInt(CommaField(line, 3))));
    TypeIntoInputBox(s, CommaField(line, 1), 0);
  }
  s.push_back([] {
    const CircuitEditor& e = EditedCircuit();
    EXPECT_TRUE(e.check.builds) << e.check.problem;
    EXPECT_TRUE(e.unsaved);
  });
  s.push_back(Shot("editor_finished_" + Size()));
  s.push_back(Key("4"));
  s.push_back([] {
    int x = 0, y = 0;
    PaletteTilePoint(1, x, y);
    PlatPushMouseMove(x, y);
  });
  s.push_back(Shot("editor_palette_hover_" + Size()));

  // A test drive, watched for a while, and back where it was left.
  static CircuitDrawing drawn;
  s.push_back([] {
    drawn = EditedCircuit().drawing;
    ClickButton(gEditorScreen.commands, kCmdTestDrive);
  });
  for (int frame = 0; frame < 50; ++frame)
    s.push_back([] { PlatAdvanceDrivenClock(gScreen.timeSlice + 1); });
  s.push_back([] { EXPECT_TRUE(TestDriveRunning()); });
  s.push_back(Shot("editor_test_drive_" + Size()));
  s.push_back([] { PlatPushTypedKey(kKeyEscape, ""); });
  s.push_back([] {
    EXPECT_FALSE(TestDriveRunning());
    EXPECT_TRUE(SameDrawing(EditedCircuit().drawing, drawn));
    EXPECT_TRUE(EditedCircuit().check.builds);
  });

  // Saved under a name of the player's, then closed without a question.
  s.push_back([] { ClickButton(gEditorScreen.commands, kCmdSave); });
  TypeIntoInputBox(s, "My Park", 0);
  s.push_back([] {
    EXPECT_FALSE(EditedCircuit().unsaved);
    ASSERT_FALSE(gEditorScreen.status->lines.empty());
    const std::string& said = gEditorScreen.status->lines[0];
    EXPECT_EQ(said.find("Saved as My Park."), 0u) << said;
  });
  s.push_back([] { PlatPushTypedKey(kKeyEscape, ""); });
  s.push_back([] { EXPECT_FALSE(EditorOpen()); });
  MainMenu();
  EXPECT_EQ(gSpare, 2) << "the script ran to its end: " << gStep << " of " << gScript.size();
  EXPECT_EQ(gScreen.gameState, 3);

  // The saved circuit: in the list of a new race, node for node the one the
  // tool made, its labels as shipped, and it races to the flag.
  EXPECT_NE(CircuitList().find("My Park~"), std::string::npos);
  const fs::path saved = dir / "Circuits" / "My Park.json";
  ASSERT_TRUE(fs::exists(saved));
  ResetRaceData();
  UseGameFolders(dir);
  Load(saved);
  EXPECT_EQ(TrackDocument(), madeTrack);
  for (int k = 0; k < 3; ++k) EXPECT_EQ((k == 0 ? Base() : k == 1 ? Middle() : Top()).cells, layers[k].cells) << k;
  EXPECT_EQ(testing_support::ReadBytes(dir / "Circuits" / "My Park SL.txt"), CleanText(labels));
  run = testing_support::RunTool("simulate " + testing_support::Quoted(saved.string()) + " --game-dir " +
                                 testing_support::Quoted(dir.string()) + " --laps 2 --seed 3");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("=== results"), std::string::npos) << run.out;
}

INSTANTIATE_TEST_SUITE_P(Sizes, CircuitEditorScreen,
                         ::testing::Values(std::make_pair(1024, 768), std::make_pair(1920, 1080)),
                         [](const auto& info) {
                           return "W" + std::to_string(info.param.first);
                         });

// A shipped circuit opens as a copy: saving it under its own name is
// refused and the shipped files stay byte for byte; Escape and the window's
// close button ask before changes are lost, and "No" keeps them; Escape in
// the name box of Ctrl+S cancels the box, not the editor; a name is saved
// as typed, letters beyond ASCII kept, or refused by its characters; what was
// on the board before the editor is there after it.
TEST_P(CircuitEditorScreen, AShippedCircuitIsNeverReplacedAndUnsavedWorkIsAskedFor) {
  const fs::path circuits = dir / "Circuits";
  const std::string shipped = testing_support::ReadBytes(circuits / "Harbour Loop.json");
  const std::string shippedLabels = testing_support::ReadBytes(circuits / "Harbour Loop SL.txt");
  Load(circuits / "Puddleford Park.json");
  const Grid before = Base();

  std::vector<Step>& s = gScript;
  s.push_back([] { ClickButton(gElements.MenuButtons, 4); });
  std::string list = std::string("(a new circuit)~") + CircuitList();
  int line = 0;
  for (size_t at = 0; list.compare(at, 13, "Harbour Loop~") != 0; at = list.find('~', at) + 1) ++line;
  PickListLine(s, line);
  s.push_back([] {
    EXPECT_TRUE(EditorOpen());
    EXPECT_EQ(EditedCircuit().name, "") << "a copy, not the shipped circuit";
    EXPECT_FALSE(EditedCircuit().unsaved);
    EXPECT_TRUE(EditedCircuit().check.builds);
    EXPECT_EQ(gEditorScreen.tab, kTabTrack) << "each circuit opens on the tiles";
  });
  // "?" opens the help at the editor's part; the game's own help stays at its top.
  s.push_back(Key("?"));
  s.push_back([] {
    const TextArea* help = gHelp.textArea;
    EXPECT_EQ(help->hidden, 0);
    ASSERT_LT(static_cast<size_t>(help->top + 1), help->lines.size());
    EXPECT_EQ(help->lines[help->top + 1], "THE CIRCUIT EDITOR");
    PlatPushTypedKey(kKeyEscape, "");
  });
  s.push_back([] {
    EXPECT_TRUE(EditorOpen());
    EXPECT_EQ(gHelp.textArea->top, 0);
  });
  PickTile(s, kTabScenery, 48);
  s.push_back(ClickCell(0, 0));
  s.push_back([] { PlatPushTypedKey(kKeyEscape, ""); });     // leave?
  s.push_back([] { PlatPushTypedKey(kKeyEscape, ""); });     // no
  s.push_back([] { PlatPushWindowEvent(kEventCloseRequest); });  // leave?
  s.push_back([] { PlatPushTypedKey(kKeyEscape, ""); });         // no
  s.push_back(CtrlKey(31));                                      // Ctrl+S: the name box
  s.push_back([] { PlatPushTypedKey(kKeyEscape, ""); });         // cancels that box only
  s.push_back([] {
    EXPECT_TRUE(EditorOpen());
    EXPECT_TRUE(EditedCircuit().unsaved);
    EXPECT_EQ(EditedCircuit().drawing.layers[0](0, 0), 48);
  });
  s.push_back([] { ClickButton(gEditorScreen.commands, kCmdSave); });
  TypeIntoInputBox(s, "", 5);                                // "Harbour Loop copy" less " copy"
  s.push_back([] { PlatPushTypedKey(kKeyReturn, ""); });     // the refusal, read
  s.push_back(Shot("editor_prompt_after_refusal_" + Size()));  // no box left behind
  // A path in the name is refused by its character, not cut down to a name
  // of another circuit; a letter beyond ASCII is kept.
  TypeIntoInputBox(s, "../Circuits/Harbour Loop", 12);
  s.push_back([] {
    const std::vector<std::string>& lines = FindRequester("Message Box")->textArea->lines;
    std::string said;
    for (const std::string& line : lines) said += line + " ";
    EXPECT_NE(said.find("may not hold /"), std::string::npos) << said;
    PlatPushTypedKey(kKeyReturn, "");
  });
  TypeIntoInputBox(s, "\xDC" "ber Ring", 24);
  s.push_back([] {
    EXPECT_FALSE(EditedCircuit().unsaved);
    EXPECT_EQ(EditedCircuit().name, "\xDC" "ber Ring");
  });
  PickTile(s, kTabScenery, 49);
  s.push_back(ClickCell(1, 0));
  s.push_back([] { ClickButton(gEditorScreen.commands, kCmdClose); });  // leave?
  s.push_back([] { PlatPushTypedKey(kKeyReturn, ""); });                // yes
  s.push_back([] { EXPECT_FALSE(EditorOpen()); });
  MainMenu();
  EXPECT_EQ(gSpare, 2) << "the script ran to its end: " << gStep << " of " << gScript.size();

  EXPECT_EQ(Base().cells, before.cells) << "the board as it was";
  EXPECT_EQ(testing_support::ReadBytes(circuits / "Harbour Loop.json"), shipped);
  EXPECT_EQ(testing_support::ReadBytes(circuits / "Harbour Loop SL.txt"), shippedLabels);
  EXPECT_FALSE(fs::exists(circuits / "CircuitsHarbour Loop.json"));
  // Saved under the name typed (UTF-8 on disk), listed for a new race, and
  // it races.
  const std::string name = "\xDC" "ber Ring";
  EXPECT_NE(CircuitList().find(name + "~"), std::string::npos) << CircuitList();
  const fs::path saved = PlatDiskPath(circuits / (name + ".json"));
  EXPECT_EQ(saved.filename().string(), "\xC3\x9C" "ber Ring.json");
  Load(CircuitFolderFor(name) / (name + ".json"));
  EXPECT_EQ(Base()(0, 0), 48) << "saved";
  EXPECT_NE(Base()(1, 0), 49) << "left without saving";
  EXPECT_EQ(testing_support::ReadBytes(PlatDiskPath(circuits / (name + " SL.txt"))), shippedLabels);
  testing_support::ToolRun run =
      testing_support::RunTool("simulate " + testing_support::Quoted(saved.string()) + " --game-dir " +
                               testing_support::Quoted(dir.string()) + " --laps 1 --seed 3");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("=== results"), std::string::npos) << run.out;
}

namespace {
// A drag of the left button from one cell to another along a row or column.
void Drag(std::vector<Step>& script, int x0, int y0, int x1, int y1) {
  script.push_back([=] {
    int px = 0, py = 0;
    CellPoint(x0, y0, px, py);
    PlatPushMouseMove(px, py);
    PlatPushButtonDown(1);
  });
  const int n = std::max(std::abs(x1 - x0), std::abs(y1 - y0));
  for (int k = 1; k <= n; ++k)
    script.push_back([=] {
      int px = 0, py = 0;
      CellPoint(x0 + (x1 - x0) * k / n, y0 + (y1 - y0) * k / n, px, py);
      PlatPushMouseMove(px, py);
    });
  script.push_back([] { PlatPushButtonUp(1); });
}

// The lines a list box offers now.
std::vector<std::string> ListLines() {
  return FindRequester("List Box")->textArea->lines;
}
// The status as one text, its lines joined again.
std::string StatusText() {
  std::string text;
  for (const std::string& line : gEditorScreen.status->lines) text += (text.empty() ? "" : " ") + line;
  return text;
}
bool Listed(const std::string& line) {
  const std::vector<std::string> lines = ListLines();
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}
}  // namespace

// A new player's evening: a rectangle of straights turned at its corners by
// the right-angle brush, kept as a draft while it has no start and no
// corner markers (Save keeps it, the editor's list offers it as a draft,
// New Race does not), reopened as it was, finished and saved as the
// player's circuit, which New Race then lists as theirs.
TEST_P(CircuitEditorScreen, ARectangleKeptAsADraftOvernightBecomesTheCircuit) {
  std::vector<Step>& s = gScript;
  s.push_back([] { ClickButton(gElements.MenuButtons, 4); });
  PickListLine(s, 0);
  TypeIntoInputBox(s, "12", 2);
  s.push_back(Shot("editor_height_prompt_" + Size()));  // the list and the width box gone
  TypeIntoInputBox(s, "10", 2);
  PickTile(s, kTabTrack, 0);
  Drag(s, 1, 1, 10, 1);
  Drag(s, 1, 8, 10, 8);
  PickTile(s, kTabTrack, 1);
  Drag(s, 1, 1, 1, 8);
  Drag(s, 10, 1, 10, 8);
  PickTile(s, kTabCorners, kFirstRightAngle + kTurnEastSouth);
  s.push_back(ClickCell(1, 1));
  PickTile(s, kTabCorners, kFirstRightAngle + kTurnWestSouth);
  s.push_back(ClickCell(10, 1));
  PickTile(s, kTabCorners, kFirstRightAngle + kTurnEastNorth);
  s.push_back(ClickCell(1, 8));
  PickTile(s, kTabCorners, kFirstRightAngle + kTurnWestNorth);
  s.push_back(ClickCell(10, 8));
  s.push_back([] {
    int x = 0, y = 0;
    PaletteTilePoint(1, x, y);
    PlatPushMouseMove(x, y);
  });
  s.push_back(Shot("editor_right_angles_" + Size()));
  static CircuitDrawing kept;
  s.push_back([] {
    const CircuitEditor& e = EditedCircuit();
    EXPECT_EQ(e.drawing.layers[0](9, 1), 8);
    EXPECT_EQ(e.drawing.layers[0](10, 2), 5);
    EXPECT_EQ(e.drawing.layers[0](1, 1), kEditorGround);
    EXPECT_FALSE(e.check.builds) << "no start yet";
    kept = e.drawing;
  });
  s.push_back(CtrlKey(31));
  s.push_back([] {
    EXPECT_EQ(FindRequester("Input Box")->label->text, "draft name (it does not build yet)");
  });
  TypeIntoInputBox(s, "Evening Loop", 0);
  s.push_back([] {
    const CircuitEditor& e = EditedCircuit();
    EXPECT_TRUE(e.draft);
    EXPECT_FALSE(e.unsaved);
    EXPECT_EQ(StatusText().rfind("Kept as the draft Evening Loop:", 0), 0u) << StatusText();
    EXPECT_NE(gEditorScreen.title->text.find("(draft)"), std::string::npos) << gEditorScreen.title->text;
  });
  s.push_back(Shot("editor_draft_saved_" + Size()));
  s.push_back([] { PlatPushTypedKey(kKeyEscape, ""); });  // nothing unsaved: no question
  s.push_back([] {
    EXPECT_FALSE(EditorOpen());
    // Back at the menu with no race of the player's on: no race buttons.
    EXPECT_NE(gElements.RaceButtons->hidden, 0);
  });

  // New Race lists no draft.
  s.push_back([] { ClickButton(gElements.MenuButtons, 0); });
  s.push_back([] {
    EXPECT_FALSE(Listed("Evening Loop")) << "a draft among the circuits";
    EXPECT_FALSE(Listed("Evening Loop (draft)"));
    EXPECT_TRUE(Listed("Harbour Loop"));
    PlatPushTypedKey(kKeyEscape, "");
  });

  // The editor's list offers it as a draft, after the circuits; it opens as kept.
  s.push_back([] { ClickButton(gElements.MenuButtons, 4); });
  s.push_back([] {
    const std::vector<std::string> lines = ListLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "Evening Loop (draft)");
  });
  PickListLine(s, static_cast<int>(TildeFields(CircuitList()).size()) + 1);
  s.push_back([] {
    ASSERT_TRUE(EditorOpen());
    const CircuitEditor& e = EditedCircuit();
    EXPECT_TRUE(SameDrawing(e.drawing, kept));
    EXPECT_EQ(e.name, "Evening Loop");
    EXPECT_TRUE(e.draft);
    EXPECT_FALSE(e.unsaved);
  });
  // Finished: a start on the top straight and a sharp corner at each turn.
  PickTile(s, kTabTrack, 34);
  s.push_back(ClickCell(5, 1));
  PickTile(s, kTabCorners, 41);
  for (auto [x, y] : {std::pair{9, 1}, {10, 3}, {10, 7}, {8, 8}, {2, 8}, {1, 6}, {1, 2}, {3, 1}})
    s.push_back(ClickCell(x, y));
  s.push_back([] { EXPECT_TRUE(EditedCircuit().check.builds) << EditedCircuit().check.problem; });
  // A straight left in the grass is marked; a second start is refused with
  // both cells named; each undone.
  PickTile(s, kTabTrack, 0);
  s.push_back(ClickCell(5, 4));
  s.push_back([] {
    const DrawingCheck& c = EditedCircuit().check;
    EXPECT_TRUE(c.builds);
    ASSERT_EQ(c.offPath.size(), 1u);
    EXPECT_EQ(c.offPath[0].x, 5);
    EXPECT_NE(StatusText().find("cell 5, 4"), std::string::npos) << StatusText();
  });
  s.push_back(Shot("editor_stray_piece_" + Size()));
  // Its warnings run past the box: the wheel over it scrolls it to its
  // last line and no further, and leaves the circuit where it was.
  static int viewY = 0;
  s.push_back([] {
    const TextArea* status = gEditorScreen.status;
    EXPECT_LT(status->rows, static_cast<int>(status->lines.size()));
    viewY = gView.scrollY;
    PlatPushMouseMove(status->x + 20, status->y + 20);
    PlatPushWheel(-20);
  });
  s.push_back([] {
    const TextArea* status = gEditorScreen.status;
    EXPECT_EQ(status->top + status->rows, static_cast<int>(status->lines.size()));
    EXPECT_EQ(gView.scrollY, viewY);
  });
  s.push_back(CtrlKey(44));
  PickTile(s, kTabTrack, 35);
  s.push_back(ClickCell(10, 5));
  s.push_back([] {
    const DrawingCheck& c = EditedCircuit().check;
    EXPECT_FALSE(c.builds);
    EXPECT_NE(c.problem.find("2 start tiles"), std::string::npos) << c.problem;
    EXPECT_EQ(c.starts, (std::vector<std::pair<int, int>>{{5, 1}, {10, 5}})) << "both marked";
    EXPECT_NE(StatusText().find("cell 5, 1 and cell 10, 5"), std::string::npos) << StatusText();
  });
  s.push_back(Shot("editor_two_starts_" + Size()));
  s.push_back(CtrlKey(44));
  s.push_back([] { ClickButton(gEditorScreen.commands, kCmdSave); });
  TypeIntoInputBox(s, "", 0);  // the name it was kept under
  s.push_back([] {
    const CircuitEditor& e = EditedCircuit();
    EXPECT_FALSE(e.draft);
    EXPECT_FALSE(e.unsaved);
    EXPECT_EQ(StatusText().rfind("Saved as Evening Loop. It builds", 0), 0u) << StatusText();
  });
  s.push_back([] { PlatPushTypedKey(kKeyEscape, ""); });
  s.push_back([] { ClickButton(gElements.MenuButtons, 0); });
  s.push_back([] {
    EXPECT_TRUE(Listed("Evening Loop (yours)"));
    EXPECT_TRUE(Listed("Harbour Loop")) << "shipped, unmarked";
    PlatPushTypedKey(kKeyEscape, "");
  });
  MainMenu();
  EXPECT_EQ(gSpare, 2) << "the script ran to its end: " << gStep << " of " << gScript.size();
  EXPECT_TRUE(fs::exists(dir / "Circuits" / "Evening Loop.json"));
  EXPECT_TRUE(DraftNames().empty()) << "the draft went with the save";
  testing_support::ToolRun run = testing_support::RunTool(
      "simulate " + testing_support::Quoted((dir / "Circuits" / "Evening Loop.json").string()) +
      " --game-dir " + testing_support::Quoted(dir.string()) + " --laps 1 --seed 3");
  EXPECT_EQ(run.status, 0) << run.err;
}
