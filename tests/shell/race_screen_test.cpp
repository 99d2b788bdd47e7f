// The race on the real screens: the side panel during a race and the results
// page at its end, drawn with the shipped art (screenshots for a reviewer).
#include "../support/screen_support.h"
#include "dialogs/requester.h"
#include "race/ai.h"
#include "race/analyze.h"
#include "game/gear_panel.h"
#include "game/screens.h"
#include "game/results_view.h"
#include "game/season_view.h"
#include "game/side_panel.h"
#include "game/init.h"
#include "game/keys.h"
#include "race/movement.h"
#include "game/setup_dialogs.h"
#include "game/track_view.h"
#include "race/save_load.h"
#include "race/race_end.h"
#include "race/race_start.h"
#include "race/report.h"
#include "race/season.h"
#include "minigui/mini_gui.h"
#include "platform/screen.h"
#include "platform/services.h"
#include "race_support.h"
#include "game/view.h"
#include "race/data_file.h"
#include "game/screen_settings.h"

namespace fs = std::filesystem;

class RaceScreen : public testing::Test {
 protected:
  virtual int Width() const { return 1920; }
  virtual int Height() const { return 1080; }
  void SetUp() override {
    fs::path built = testing_support::BuildGameDir();
    if (!fs::exists(built / "Theme" / "Frame.png") || !fs::exists(built / "Images" / "Tileset.png"))
      GTEST_SKIP() << "the shipped art is not in the game folder yet";
    game = testing_support::MakeTempDir("race-screen");
    fs::copy(built, game, fs::copy_options::recursive);
    testing_support::StartGameHeadless(Width(), Height(), game);
  }
  void TearDown() override {
    Options().keepFiles = false;
    testing_support::StopGameHeadless();
    if (!game.empty()) fs::remove_all(game);
  }
  fs::path game;
};

TEST_F(RaceScreen, SidePanelDuringTheRaceAndTheResultsAtTheEnd) {
  testing_support::NoWaitAtTheFlag();
  PlatSeedRandom(3);
  Load(gProg.circuitsFolder / "Harbour Loop.json");
  ShowLoadedCircuit();
  Options().raceName = "Harbour Loop";
  UnattendedRace race;
  race.laps = 2;
  ASSERT_TRUE(SetUpUnattendedRace(race));
  for (int i = 0; i < 300; ++i) RaceStep();
  ASSERT_FALSE(Standing().empty());
  const TextArea* info = gElements.RaceInfoArea;
  ASSERT_EQ(info->lines.size(), 7u);
  EXPECT_EQ(info->lines[0], CurrentCarKey());
  EXPECT_EQ(info->lines[1], Driver()[CurrentCarKey()].name);
  // The whole field of 14, leader first.
  ASSERT_EQ(gElements.StandingsArea->lines.size(), 14u);
  EXPECT_EQ(gElements.StandingsArea->lines.front(), " 1 " + Standing()[0].car);
  EXPECT_EQ(gElements.StandingsArea->lines.back().substr(0, 3), "14 ");
  EXPECT_FALSE(gElements.LogArea->lines.empty());
  RenderFrame();
  PlatSaveScreenshot(testing_support::ArtifactDir() / "race_side_panel.png");

  while (!Standing().empty()) RaceStep();
  // The standings view is the last one shown: every driver of the season.
  EXPECT_EQ(gElements.ResultsArea->lines.size(), Driver().size() + 5)
      << "headings, every driver, then a blank line and the key's three";
  EXPECT_EQ(GetButtonState(gElements.RaceButtons, 1), 2) << "no saving a finished race";
  SetPageHidden(3, 0);
  RenderFrame();
  PlatSaveScreenshot(testing_support::ArtifactDir() / "race_standings.png");
  // Back on the race screen the running order keeps the final places.
  SetPageHidden(3, 1);
  const std::vector<std::string>& order = gElements.StandingsArea->lines;
  ASSERT_EQ(order.size(), 14u);
  EXPECT_EQ(order.front().substr(0, 3), " 1 ");
  EXPECT_EQ(order.front().substr(order.front().size() - 2), " F");
  RenderFrame();
  PlatSaveScreenshot(testing_support::ArtifactDir() / "race_after_the_flag.png");
}

// --- The running order ---------------------------------------------------------------
TEST(StandingsRows, TheWholeFieldWhenItFits) {
  EXPECT_EQ(StandingsRowsShown(std::vector<bool>(14, false), 28).size(), 14u);
  EXPECT_EQ(StandingsRowsShown(std::vector<bool>(1, true), 12), std::vector<int>{0});
  EXPECT_TRUE(StandingsRowsShown({}, 12).empty());
  EXPECT_TRUE(StandingsRowsShown(std::vector<bool>(3, false), 0).empty());
}

TEST(StandingsRows, TheLeaderAndThePlayersCarsStayInViewWhenRowsRunShort) {
  // 14 cars, 12 rows, the player last: the leader, the front of the field,
  // the car just ahead of the player's and the player's.
  std::vector<bool> players(14, false);
  players[13] = true;
  EXPECT_EQ(StandingsRowsShown(players, 12),
            (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 12, 13}));
  // Two of the player's cars in the middle and at the back.
  players[7] = true;
  std::vector<int> rows = StandingsRowsShown(players, 5);
  EXPECT_EQ(rows, (std::vector<int>{0, 6, 7, 12, 13}));
  // The player drives every car: the leader, then as many as fit, in order.
  EXPECT_EQ(StandingsRowsShown(std::vector<bool>(20, true), 4), (std::vector<int>{0, 1, 2, 3}));
  // A field of one.
  EXPECT_EQ(StandingsRowsShown(std::vector<bool>{false}, 1), std::vector<int>{0});
}

namespace {
// A 14-car race of every car, two laps, with the player driving `playerPlace`
// (0-based place of the grid), after `steps` race steps of the computer.
void FourteenCarRace(int steps) {
  testing_support::NoWaitAtTheFlag();
  PlatSeedRandom(5);
  Load(gProg.circuitsFolder / "Grand Serpentine.json");
  ShowLoadedCircuit();
  Options().raceName = "Grand Serpentine";
  UnattendedRace race;
  race.laps = 2;
  ASSERT_TRUE(SetUpUnattendedRace(race));
  for (int i = 0; i < steps; ++i) RaceStep();
}
}  // namespace

TEST_F(RaceScreen, TheWholeFieldAtTenEightyWithThePlayersCarSelected) {
  FourteenCarRace(200);
  ASSERT_EQ(Standing().size(), 14u);
  std::string mine = Standing()[9].car;
  Driver()[mine].user = 1;
  ShowStandings();
  const TextArea* area = gElements.StandingsArea;
  EXPECT_GE(area->rows, 14);
  ASSERT_EQ(area->lines.size(), 14u);
  for (size_t i = 0; i < 14; ++i)
    EXPECT_EQ(area->lines[i], RightAlign2(i + 1) + " " + Standing()[i].car);
  EXPECT_EQ(GetTextAreaSelection(area), "10 " + mine + "~");
  // The area stays inside the side panel.
  EXPECT_LE(area->y + area->height, FrameBottom(gElements.RaceFrame) - 32);
}

class SmallRaceScreen : public RaceScreen {
 protected:
  int Width() const override { return 1024; }
  int Height() const override { return 768; }
};

TEST_F(SmallRaceScreen, TheLeaderAndThePlayersCarStayInViewAtSevenSixtyEight) {
  FourteenCarRace(200);
  ASSERT_EQ(Standing().size(), 14u);
  std::string mine = Standing()[13].car;
  Driver()[mine].user = 1;
  ShowStandings();
  const TextArea* area = gElements.StandingsArea;
  EXPECT_EQ(area->rows, 12);
  ASSERT_EQ(area->lines.size(), 12u);
  EXPECT_EQ(area->lines.front(), " 1 " + Standing()[0].car);
  EXPECT_EQ(area->lines.back(), "14 " + mine);
  EXPECT_EQ(GetTextAreaSelection(area), "14 " + mine + "~");
  EXPECT_LE(area->y + area->height, 768);
}

// --- The player's race, as a player sees it ----------------------------------------
namespace {
std::string gShotPrefix;
int gGearPanels = 0;
std::string gCornerLine;
std::string gMine;
bool gMineOnScreen = false;
bool gMineMarkedInOrder = false;

long long gPanelSeen = 0;
int gCovered = 0;  // panels that covered the car choosing

// Whether the car's centre lies under the gear panel.
bool UnderThePanel(const std::string& key) {
  const CarRecord& car = Car()[key];
  const NodeRecord& node = Node()[car.listInd];
  const int x = ScreenX(node.nodeX * 64 + node.x[car.lane == 1 ? 1 : 0]);
  const int y = ScreenY(node.nodeY * 64 + node.y[car.lane == 1 ? 1 : 0]);
  for (const Frame* f : {gElements.GearFrame, gElements.GearInfoFrame})
    if (x >= FrameX(f) && x <= FrameRight(f) && y >= FrameY(f) && y <= FrameBottom(f)) return true;
  return false;
}

// On the first frame of every gear panel: the car choosing is not under
// it, and its title names that car; of the first two, a picture. Return
// takes the highlighted gear.
void OnGearPanelFrame() {
  if (gPanelSeen == GearPanelsOpened()) return;
  gPanelSeen = GearPanelsOpened();
  ++gGearPanels;
  gCovered += UnderThePanel(CurrentCarKey());
  EXPECT_EQ(gElements.GearTitleLabel->text.rfind(CurrentCarKey(), 0), 0u) << gElements.GearTitleLabel->text;
  PlatPushKey(kKeyReturn, true);
  PlatPushKey(kKeyReturn, false);
  if (gGearPanels == 2)
    PlatSaveScreenshot(testing_support::ArtifactDir() / (gShotPrefix + "_gear_panel_2.png"));
  if (gGearPanels > 1) return;
  gCornerLine = gElements.GearCornerLabel->text;
  gMineMarkedInOrder =
      GetTextAreaSelection(gElements.StandingsArea).find(gMine) != std::string::npos;
  const CarRecord& car = Car()[gMine];
  const NodeRecord& node = Node()[car.listInd];
  int x = ScreenX(node.nodeX * 64 + node.x[car.lane]);
  int y = ScreenY(node.nodeY * 64 + node.y[car.lane]);
  gMineOnScreen = x >= 0 && x < gView.trackViewWidth && y >= 0 && y < PlatScreenHeight();
  PlatSaveScreenshot(testing_support::ArtifactDir() / (gShotPrefix + "_gear_panel.png"));
}

void OnInputBoxFrame() {
  PlatSaveScreenshot(testing_support::ArtifactDir() / (gShotPrefix + "_input_box.png"));
  PlatPushKey(kKeyReturn, true);
  PlatPushKey(kKeyReturn, false);
}

// A 14-car race in which the player drives the car in 8th place: the view is
// scrolled far from it before its turn, so the gear panel must bring it back.
// With room for one row only, the leader holds it and the player's car cannot
// be shown in the order too (`rowsForMine` false).
void PlayersRace(const std::string& prefix, bool rowsForMine = true) {
  gShotPrefix = prefix;
  gGearPanels = 0;
  PlatCaptureFrames(true);
  FourteenCarRace(150);
  ASSERT_EQ(Standing().size(), 14u);
  gMine = Standing()[7].car;
  Driver()[gMine].user = 1;
  // A second car driven by the player, further back.
  const std::string second = Standing()[11].car;
  Driver()[second].user = 1;
  gView.scrollX = gView.maxScrollX;
  gView.scrollY = gView.maxScrollY;
  gHooks.menuFrame = OnGearPanelFrame;
  gPanelSeen = GearPanelsOpened();
  gCovered = 0;
  for (int i = 0; i < 400 && gGearPanels == 0; ++i) RaceStep();
  ASSERT_EQ(gGearPanels, 1) << "the gear panel opened for the player's car";
  for (int i = 0; i < 4000 && gGearPanels < 12 && !Standing().empty(); ++i) RaceStep();
  gHooks.menuFrame = nullptr;
  // Below 1024 x 768 the panel takes most of the track view: there it may.
  if (PlatScreenWidth() >= 1024) {
    EXPECT_EQ(gCovered, 0) << "of " << gGearPanels << " panels";
  }
  EXPECT_TRUE(gMineOnScreen) << "the view went to the player's car";
  if (rowsForMine) {
    EXPECT_TRUE(gMineMarkedInOrder) << "the running order marks the player's car";
  }
  EXPECT_NE(gCornerLine.find("MP"), std::string::npos) << gCornerLine;
  // A line for each of the two cars, naming it (shortened where the line
  // is long), one under the other between the commentary and the running
  // order.
  const GameElements& e = gElements;
  const Label* rows[] = {e.OwnMoveLabel, e.MoreOwnMoveLabels[0]};
  std::vector<std::string> named;
  for (const Label* row : rows) {
    const std::string name = row->text.substr(0, row->text.find(": "));
    EXPECT_TRUE(!name.empty() && (gMine.rfind(name, 0) == 0 || second.rfind(name, 0) == 0)) << row->text;
    named.push_back(name);
    EXPECT_LE(row->text.size() * row->font->glyphWidth, static_cast<size_t>(e.LogArea->width)) << row->text;
    EXPECT_GE(row->y, e.LogArea->y + e.LogArea->height);
    EXPECT_LE(row->y + SpriteFontHeight(row->font), e.StandingsArea->y);
  }
  EXPECT_NE(named[0], named[1]);
  // The longest line a move can bring (blocked, a two-digit place, one of
  // two cars) fits the commentary's width, still naming the car.
  ASSERT_TRUE(SelectCar(second));
  Car()[second].finished = 0;
  Car()[second].remaining = 2;
  CurrentMoveEvents() = MoveEvents{};
  CurrentMoveEvents().blocked = true;
  CurrentMoveEvents().spent = 8;
  const std::string longest = OwnMoveText(11);
  EXPECT_LE(longest.size() * rows[0]->font->glyphWidth, static_cast<size_t>(e.LogArea->width)) << longest;
  EXPECT_EQ(longest.substr(0, 1), second.substr(0, 1)) << longest;
  EXPECT_NE(longest.find("blocked 8/10"), std::string::npos) << longest;
  EXPECT_GE(rows[1]->y, rows[0]->y + SpriteFontHeight(rows[0]->font));
  EXPECT_EQ(e.MoreOwnMoveLabels[1]->text, "");
  RenderFrame();
  PlatSaveScreenshot(testing_support::ArtifactDir() / (prefix + "_race.png"));
  SetModalFrameHook(OnInputBoxFrame);
  EXPECT_EQ(InputBox("Enter", "Grand Serpentine"), "Grand Serpentine");
  SetModalFrameHook(nullptr);
  PlatCaptureFrames(false);
}
}  // namespace

// --- The end of a race and the season, at every size ----------------------------
namespace {
std::string gLongName;
std::string gEndShots;

// The flag falls on a race the player drove (one car, marked afterwards so
// that the race ran by itself), a driver with a name too long for any table.
void EndOfRaceShots(const std::string& heading, const std::vector<std::string>&) {
  MarkRaceOver();
  // The player's car is one at the foot of the standings: in every table.
  Driver()[DNF().empty() ? OrderOfFinish().back() : DNF().back()].user = 1;
  Driver()[OrderOfFinish().at(0)].name = gLongName;
  FillRaceResults(heading, RaceResultRows());
  // The player's row is highlighted and marked, finished or not.
  std::string mine = GetTextAreaSelection(gElements.ResultsArea);
  if (!mine.empty() && mine.back() == '~') mine.pop_back();
  EXPECT_NE(mine.find(DNF().empty() ? OrderOfFinish().back() : DNF().back()), std::string::npos) << mine;
  EXPECT_EQ(mine.size() > 2 ? mine.substr(mine.size() - 2) : mine, " P") << mine;
  SetPageHidden(3, 0);
  RenderFrame();
  PlatSaveScreenshot(testing_support::ArtifactDir() / (gEndShots + "_results.png"));
  FillSeasonStandings();
  RenderFrame();
  PlatSaveScreenshot(testing_support::ArtifactDir() / (gEndShots + "_standings.png"));
  SetPageHidden(3, 1);
}

std::string gChartShot;
void SeasonChartFrame() {
  RenderFrame();
  if (!gChartShot.empty()) PlatSaveScreenshot(testing_support::ArtifactDir() / gChartShot);
  gChartShot.clear();
  PlatPushButtonUp(1);  // seen: the page closes
}

// The season page as it is drawn: every point inside the chart's box, every
// table line inside its area with a player's row ending in its mark, and a
// name cut only where its column has no more room, ending in an ellipsis.
void CheckSeasonPage(int races, const std::string& shot) {
  const SeasonChart chart = MakeSeasonChart(SeasonFileText());
  ASSERT_EQ(chart.races, races);
  const ChartBox box = SeasonChartBox();
  const Frame* panel = gElements.SeasonChartPanel;
  EXPECT_GE(box.left, FrameX(panel));
  EXPECT_LE(box.left + box.width, FrameRight(panel));
  EXPECT_GE(box.top, FrameY(panel));
  EXPECT_LE(box.top + box.height, FrameBottom(panel));
  for (size_t i = 0; i < chart.cars.size(); ++i)
    for (int race = 0; race <= races; ++race) {
      int x = 0, y = 0;
      ChartPoint(chart, box, race, race == 0 ? 0 : chart.total[i][race - 1], x, y);
      EXPECT_TRUE(x >= box.left && x <= box.left + box.width && y >= box.top && y <= box.top + box.height)
          << chart.cars[i] << " after race " << race;
    }
  gChartShot = shot;
  ShowSeasonChart(SeasonChartFrame);
  const TextArea* table = gElements.SeasonTableArea;
  const int columns = TextAreaColumns(table);
  ASSERT_GE(table->lines.size(), 2u);
  EXPECT_LE(static_cast<int>(table->lines.size()), table->rows) << "every line in view, none to scroll to";
  int players = 0, cut = 0, drivers = 0;
  for (size_t i = 1; i < table->lines.size(); ++i) {
    const std::string& line = table->lines[i];
    EXPECT_LE(static_cast<int>(line.size()), columns) << line;
    if (line.rfind("  Places of races", 0) == 0) continue;
    ++drivers;
    if (line.substr(line.size() - 2) == " P") ++players;
    if (line.find('\x85') != std::string::npos) {
      ++cut;
      EXPECT_EQ(line.find(gLongName.substr(0, 20)), 2u) << "only the name longer than any table is cut: " << line;
    }
  }
  EXPECT_EQ(players, 1) << "the player's car keeps its row";
  if (races > 0) {
    EXPECT_EQ(cut, 1);
    EXPECT_EQ(table->lines[1].find(gLongName.substr(0, 20)), 2u) << "the leader keeps the first row";
    EXPECT_EQ(drivers, std::min(static_cast<int>(chart.cars.size()), table->rows - 1 - (races > 3)));
  }
}

// A two-lap race to its flag, its results and standings as the player sees
// them, then the season's chart after one race, 40 races and none.
void EndOfARaceAndTheSeason(const std::string& prefix) {
  gEndShots = prefix;
  gLongName = "Dusty Throttleworth-\xC5ngstr\xF6m of the Long Name and the Longer Names";
  PlatCaptureFrames(true);
  PlatSeedRandom(3);
  Load(gProg.circuitsFolder / "Harbour Loop.json");
  ShowLoadedCircuit();
  Options().raceName = "Harbour Loop";
  Report().raceEnded = EndOfRaceShots;
  UnattendedRace race;
  race.laps = 2;
  ASSERT_TRUE(SetUpUnattendedRace(race));
  for (int i = 0; i < 20000 && !Standing().empty(); ++i) RaceStep();
  ASSERT_TRUE(Standing().empty());
  CheckSeasonPage(1, prefix + "_season_chart.png");
  // The same race 39 times more: a long season.
  const std::string text = SeasonFileText();
  std::vector<std::string> rows;
  for (size_t start = 0; start < text.size();) {
    const size_t end = std::min(text.find("\r\n", start), text.size());
    rows.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  // The first race's block: " ", its title, " ", then its lines (the file
  // numbers them; the append numbers them again).
  std::vector<std::string> lines;
  for (size_t i = 0; i + 3 < rows.size() && lines.empty(); ++i)
    if (rows[i] == " " && rows[i + 2] == " " && rows[i + 1] != "Season Standings")
      for (size_t row = i + 3; row < rows.size() && rows[row] != " " && rows[row].size() > 6; ++row)
        lines.push_back(rows[row].substr(2));
  ASSERT_FALSE(lines.empty());
  for (int i = 0; i < 39; ++i) AppendToSeasonFile("Harbour Loop", lines);
  CheckSeasonPage(40, prefix + "_season_chart_40.png");
  fs::remove(SeasonFile());
  CheckSeasonPage(0, prefix + "_season_chart_0.png");
  PlatCaptureFrames(false);
}
}  // namespace

TEST_F(RaceScreen, TheEndOfARaceAndTheSeasonAtTenEighty) {
  EndOfARaceAndTheSeason("end_1920x1080");
}

TEST_F(RaceScreen, ThePlayersRaceAtTenEighty) {
  PlayersRace("player_1920x1080");
}

TEST_F(SmallRaceScreen, TheEndOfARaceAndTheSeasonAtSevenSixtyEight) {
  EndOfARaceAndTheSeason("end_1024x768");
}

TEST_F(SmallRaceScreen, ThePlayersRaceAtSevenSixtyEight) {
  PlayersRace("player_1024x768");
}

class FourKRaceScreen : public RaceScreen {
 protected:
  int Width() const override { return 3840; }
  int Height() const override { return 2160; }
};

TEST_F(FourKRaceScreen, TheEndOfARaceAndTheSeasonAtTwentyOneSixty) {
  EndOfARaceAndTheSeason("end_3840x2160");
}

TEST_F(FourKRaceScreen, ThePlayersRaceAtTwentyOneSixty) {
  PlayersRace("player_3840x2160");
}

// Smaller than the game is laid out for: the race goes on to the player's
// gear panel, and the running order keeps the leader and stays on the screen.
class TinyRaceScreen : public RaceScreen {
 protected:
  int Width() const override { return 800; }
  int Height() const override { return 600; }
};

TEST_F(TinyRaceScreen, ThePlayersRaceAtEightHundredBySixHundred) {
  PlayersRace("player_800x600", false);
  const TextArea* area = gElements.StandingsArea;
  ASSERT_EQ(area->rows, 1);
  EXPECT_LE(area->y + area->height, 600);
  ASSERT_FALSE(area->lines.empty());
  EXPECT_EQ(area->lines.front(), " 1 " + Standing()[0].car);
}

// --- Fast forward ----------------------------------------------------------------------
namespace {
std::vector<std::string> gHeard;
void Hear(const std::string& line) {
  gHeard.push_back(line);
}
// The player's choice, scripted: the panel opens as in the game, and the
// player takes the gear the computer would (the wait for a click is left out).
int KeepGear(const GearOffer&) {
  PrepareGearPanel();
  ComputerGear();
  return kChooseKeepGear;
}

struct RaceRecord {
  std::vector<std::string> commentary;
  std::vector<std::string> results;
  std::string drivers, lastRace;
  long long panels = 0;
  int fastForwards = 0;
};

// A 2-lap race of every car on Harbour Loop from seed 11, the player driving
// the car in 4th place (or none), run to the end by single steps or by "f".
RaceRecord RunRace(const fs::path& game, bool fast, bool player, bool draw = false) {
  // Every run starts from the same files: the drivers' points set the grid.
  fs::path built = testing_support::BuildGameDir();
  for (const char* folder : {"Data", "Results"}) {
    fs::remove_all(game / folder);
    if (fs::exists(built / folder))
      fs::copy(built / folder, game / folder, fs::copy_options::recursive);
  }
  fs::create_directories(game / "Results");
  gHeard.clear();
  Report().commentary = Hear;
  testing_support::NoWaitAtTheFlag();
  PlatSeedRandom(11);
  Load(gProg.circuitsFolder / "Harbour Loop.json");
  ShowLoadedCircuit();
  Options().raceName = "Harbour Loop";
  UnattendedRace race;
  race.laps = 2;
  EXPECT_TRUE(SetUpUnattendedRace(race));
  if (player) Driver()[Standing()[3].car].user = 1;
  gScreen.gameState = 2;
  Report().chooseGear = KeepGear;
  RaceRecord record;
  long long drawnSteps = 0;
  long long panels = GearPanelsOpened();
  while (!Standing().empty() && record.fastForwards < 10000) {
    if (fast) {
      FastForward();
      ++record.fastForwards;
    } else {
      RaceStep();
      // Every few steps a frame: the cars glide; the race must not notice.
      if (draw && ++drawnSteps % 7 == 0) RenderFrame();
    }
  }
  Report().chooseGear = ChooseGearOnPanel;
  Report().commentary = nullptr;
  record.panels = GearPanelsOpened() - panels;
  record.commentary = gHeard;
  record.results = gElements.ResultsArea->lines;  // the standings shown at the end
  record.drivers = testing_support::ReadBytes(game / "Data" / "Drivers.csv");
  record.lastRace = testing_support::ReadBytes(game / "Data" / "Last Race.txt");
  return record;
}
}  // namespace

TEST_F(RaceScreen, FastForwardGoesAsSingleStepsAndStopsAtEveryGearPanel) {
  RaceRecord steps = RunRace(game, false, true);
  RaceRecord fast = RunRace(game, true, true);
  ASSERT_GT(steps.panels, 10) << "the player's car moved many times";
  EXPECT_EQ(fast.panels, steps.panels);
  // Each "f" ran up to one gear panel; the last one ran to the results.
  EXPECT_EQ(fast.fastForwards, fast.panels + 1);
  EXPECT_EQ(fast.commentary, steps.commentary);
  EXPECT_EQ(fast.results, steps.results);
  EXPECT_EQ(fast.drivers, steps.drivers);
  EXPECT_EQ(fast.lastRace, steps.lastRace);
  EXPECT_FALSE(steps.results.empty());
}

TEST_F(RaceScreen, FastForwardWithoutThePlayersCarsRunsToTheResults) {
  RaceRecord steps = RunRace(game, false, false);
  RaceRecord fast = RunRace(game, true, false);
  EXPECT_EQ(fast.fastForwards, 1);
  EXPECT_EQ(fast.panels, 0);
  EXPECT_EQ(fast.commentary, steps.commentary);
  EXPECT_EQ(fast.results, steps.results);
  EXPECT_EQ(fast.lastRace, steps.lastRace);
}

// After "Load Race" the side panel shows the running order and the current
// car at once, and "Auto Mode" shows what the loaded race does.
TEST_F(RaceScreen, AfterALoadTheSidePanelAndAutoModeFollowTheRace) {
  testing_support::NoWaitAtTheFlag();
  PlatSeedRandom(4);
  Load(gProg.circuitsFolder / "Puddleford Park.json");
  ShowLoadedCircuit();
  Options().raceName = "Puddleford Park";
  UnattendedRace race;
  race.laps = 1;
  ASSERT_TRUE(SetUpUnattendedRace(race));
  for (int i = 0; i < 40; ++i) RaceStep();
  Options().autoMode = 1;
  Save(gProg.savedRacesFolder / "Puddleford Park.json");
  const std::string current = CurrentCarKey();
  ClearTextArea(gElements.StandingsArea);
  ClearTextArea(gElements.RaceInfoArea);
  SetButtonState(gElements.RaceButtons, 0, 0);
  Options().autoMode = 0;
  ResetRaceData();
  Load(gProg.savedRacesFolder / "Puddleford Park.json");
  ShowLoadedCircuit();
  ResumeLoadedRace();
  EXPECT_EQ(Options().autoMode, 1);
  EXPECT_EQ(GetButtonState(gElements.RaceButtons, 0), 1);
  EXPECT_EQ(GetButtonState(gElements.RaceButtons, 1), 0);
  const std::vector<std::string>& shown = gElements.StandingsArea->lines;
  ASSERT_FALSE(shown.empty());
  EXPECT_EQ(shown.back(),
            Decimal(static_cast<long long>(Standing().size())) + " " + Standing().back().car);
  ASSERT_FALSE(gElements.RaceInfoArea->lines.empty());
  EXPECT_EQ(CurrentCarKey(), current);
  Options().autoMode = 0;
}

// Drawing (gliding cars and all) changes nothing of the race: the same
// commentary, results and files with a frame after every step as without.
TEST_F(TinyRaceScreen, AReplayWithAndWithoutDrawingGoesTheSame) {
  Options().autoMode = 1;
  RaceRecord drawn = RunRace(game, false, false, true);
  RaceRecord plain = RunRace(game, false, false, false);
  EXPECT_EQ(drawn.commentary, plain.commentary);
  EXPECT_EQ(drawn.results, plain.results);
  EXPECT_EQ(drawn.drivers, plain.drivers);
  EXPECT_EQ(drawn.lastRace, plain.lastRace);
  EXPECT_FALSE(plain.commentary.empty());
}

