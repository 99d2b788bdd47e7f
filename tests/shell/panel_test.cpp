// The race on the side panel and the results page: the current car's status,
// the running order, the panel's buttons, the standings view, the clipboard
// and the grid choice read from the set-up dialog's controls.
#include <unistd.h>

#include "game/results_view.h"
#include "game/screens.h"
#include "game/setup_dialogs.h"
#include "game/side_panel.h"
#include "minigui/mini_gui.h"
#include "platform/screen.h"
#include "platform/services.h"
#include "race/data_file.h"
#include "race/movement.h"
#include "race/race_end.h"
#include "race/season.h"
#include "race_support.h"
#include "screen_support.h"
#include "game/screen_settings.h"

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

namespace {
// Text areas built by hand: 9 x 18 glyphs, as the shipped font.
struct Areas {
  SpriteFont font;
  TextArea info, standings, results, title, log;
  Areas() {
    font.glyphWidth = 9;
    font.glyphHeight = 18;
    auto make = [this](TextArea& a, int width, int margin, int rows, int scrollMode) {
      a.font = &font;
      a.width = width;
      a.margin = margin;
      a.rows = rows;
      a.scrollMode = scrollMode;
    };
    make(info, 180, 0, 7, 0);
    make(standings, 176, 4, 12, 0);
    make(results, 488, 4, 22, 1);
    make(title, 488, 0, 1, 0);
    make(log, 176, 4, 8, 1);
    gElements.RaceInfoArea = &info;
    gElements.LogArea = &log;
    gElements.StandingsArea = &standings;
    gElements.ResultsArea = &results;
    gElements.ResultsTitleArea = &title;
  }
  ~Areas() { gElements = GameElements{}; }
};
}  // namespace

class Panel : public RaceTest {
 protected:
  void SetUp() override {
    RaceTest::SetUp();
    gElements = GameElements{};
  }
};

TEST_F(Panel, CarStatusLines) {
  Areas areas;
  LayStraight(5);
  CarRecord& a = AddCar("Comet");
  Put("Comet", 2, 0);
  a.gear = 6;
  a.bonus = 3;
  a.remaining = 11;
  ShowCarStatus(0);
  EXPECT_EQ(areas.info.lines, (Lines{"Comet", "Comet Driver", "lap: 1", "sharp: 3 hrpin: 2",
                                     "HBs: 6  ORs: 2", "downshift: 1", "gear: Tp MP: 19 +3"}));
  EXPECT_EQ(areas.info.selected, 6);
  a.gearTop = a.gear5;
  a.gear = 4;
  a.lap = 3;
  Driver().erase("Comet");
  ShowCarStatus(1);
  EXPECT_EQ(areas.info.lines, (Lines{"Comet", "", "lap: 3", "sharp: 3 hrpin: 2", "HBs: 6  ORs: 2",
                                     "downshift: 1 SO", "gear: 4 MP: 11"}));
  ClearCurrentCar();
  ShowCarStatus(0);
  EXPECT_TRUE(areas.info.lines.empty());
}

TEST_F(Panel, RunningOrderStartsWithTheLeaderWhenRowsRunShort) {
  Areas areas;
  LayStraight(20);
  for (int i = 1; i <= 15; ++i) {
    AddCar("K" + Decimal(i));
    Put("K" + Decimal(i), 16 - i, 0);
  }
  UpdateStandings();
  RaceNow().currentStanding = 4;
  ShowStandings();
  ASSERT_EQ(areas.standings.lines.size(), 12u);
  EXPECT_EQ(areas.standings.lines.front(), " 1 K1");
  EXPECT_EQ(areas.standings.lines[8], " 9 K9");
  EXPECT_EQ(areas.standings.lines[9], "10 K10");
  EXPECT_EQ(areas.standings.lines.back(), "12 K12");
  EXPECT_EQ(RaceNow().currentStanding, 4);
}

// Finished cars keep their places at the top, cars out of the race go to
// the foot, and after the flag the final places stay on the panel.
TEST_F(Panel, TheRunningOrderShowsEveryCarOfTheRace) {
  Areas areas;
  LayStraight(10);
  for (const char* key : {"A", "B", "C", "D", "E"}) AddCar(key);
  DriverOf("A").user = 1;
  OrderOfFinish() = {"C", "A"};
  // A and D have just finished and gone out: the race's own order keeps them
  // until the pass rebuilds it; the panel lists the cars as they stand now,
  // each once.
  Standing() = {{"A", 3, 2, 0}, {"B", 3, 1, 0}, {"E", 3, 0, 0}, {"D", 2, 5, 1}};
  Put("B", 1, 0);
  Put("E", 0, 0);
  Car()["A"].finished = Car()["C"].finished = 1;
  Car()["D"].finished = 2;
  DNF() = {"D"};
  ShowStandings();
  EXPECT_EQ(areas.standings.lines, (Lines{" 1 C F", " 2 A F", " 3 B", " 4 E", "-- D"}));
  EXPECT_EQ(areas.standings.selected, 1) << "the player's car, finished";
  Standing().clear();
  Report().runningOrder = ShowStandings;
  Options().keepFiles = true;
  EndOfRace();
  EXPECT_TRUE(OrderOfFinish().empty()) << "the race's own lists are cleared";
  EXPECT_EQ(areas.standings.lines, (Lines{" 1 C F", " 2 A F", "-- D"}));
}

// A name too long for the panel is shortened with an ellipsis before its
// mark: the "F" and the place always show, and every row fits its 18 columns.
TEST_F(Panel, LongNamesKeepTheirMarksInTheRunningOrder) {
  Areas areas;
  for (const char* key : {"Blue Lightning", "Grey Ghost", "Long Long Long Name"}) AddCar(key);
  OrderOfFinish() = {"Blue Lightning"};
  Standing() = {{"Grey Ghost", 3, 2, 0}};
  Car()["Grey Ghost"].listInd = 2;  // racing, where the running order reads it
  Car()["Grey Ghost"].lap = 3;
  for (const char* key : {"Blue Lightning", "Long Long Long Name"}) Car()[key].listInd = -1;
  DNF() = {"Long Long Long Name"};
  ShowStandings();
  EXPECT_EQ(areas.standings.lines, (Lines{" 1 Blue Lightni\x85 F", " 2 Grey Ghost", "-- Long Long Long\x85"}));
  for (const std::string& row : areas.standings.lines) EXPECT_EQ(row.size() <= 18u, true) << row;
  EXPECT_EQ(RunningOrderRows()[0].text, " 1 Blue Lightning F") << "no width: whole";
}

// The commentary scrolls back to the race's first line and forward to its
// last at the foot of the box, no further.
TEST_F(Panel, TheCommentaryScrollsNoFurtherThanItsLastLine) {
  Areas areas;
  for (int i = 0; i < 20; ++i) AddCommentaryLine("line " + std::to_string(i));
  EXPECT_EQ(areas.log.top, 12) << "the newest lines in view";
  ScrollCommentaryBy(-5);
  EXPECT_EQ(areas.log.top, 7);
  ScrollCommentaryBy(100);
  EXPECT_EQ(areas.log.top, 12);
  ScrollCommentaryBy(-100);
  EXPECT_EQ(areas.log.top, 0);
}

// The results page is a table: its columns line up under their headings
// whatever the names, a long name is shortened before the marks, the
// player's row is highlighted, and a key says what the marks and the time mean.
TEST_F(Panel, ResultsAreATableWithAKey) {
  Areas areas;
  const std::vector<RaceResultRow> rows = {
      {1, 9, "Blue Lightning Special", "Baron von Slipstream the Third", "1:05", true, true},
      {2, 6, "B", "Ann", "0:28", false, false},
      {0, 0, "C", "C Driver", "0:00", false, false}};
  FillRaceResults("Oval Race Results", rows);
  const Lines& shown = areas.results.lines;
  ASSERT_EQ(shown.size(), 8u);
  const size_t time = shown[0].find("Time") + 4, points = shown[0].find("Pts") + 3;
  EXPECT_EQ(shown[1].find("65 moves") + 8, time);
  EXPECT_EQ(shown[2].find("28 moves") + 8, time);
  EXPECT_EQ(shown[1].substr(points - 1), "9 SO P");
  EXPECT_EQ(shown[2].substr(points - 1), "6");
  EXPECT_EQ(shown[3].substr(0, 8), "DNF  C  ");
  EXPECT_EQ(shown[1].find("Blue Lightnin\x85 Baron von Sli\x85"), shown[0].find("Car"));
  EXPECT_EQ(shown[2].find("Ann"), shown[0].find("Driver"));
  EXPECT_LE(shown[1].size(), static_cast<size_t>(TextAreaColumns(&areas.results)));
  EXPECT_EQ(areas.results.selected, 1) << "the player's row";
  EXPECT_NE(shown[5].find("DNF did not finish"), std::string::npos);
  EXPECT_NE(shown[5].find("SO spun out"), std::string::npos);
  EXPECT_NE(shown[7].find("moves"), std::string::npos);
  EXPECT_EQ(MovesOfTime("0"), -1);
  EXPECT_EQ(MovesOfTime("12:00"), 720);
}

// The player hears what their move brought, in one line.
TEST_F(Panel, TheLineForThePlayersOwnMove) {
  for (const char* key : {"A", "B", "C"}) AddCar(key);
  DriverOf("A").user = 1;
  OrderOfFinish() = {"C"};
  SelectCar("A");
  NoteOwnMoveStart();  // 6 HBs
  CurrentMoveEvents() = MoveEvents{};
  EXPECT_EQ(OwnMoveLine(1), "safe, 2nd") << "the finisher is ahead of it";
  Car()["A"].hb = 5;
  CurrentMoveEvents().offTheLine = 1;
  EXPECT_EQ(OwnMoveLine(2), "off the line, 1 HB, 3rd");
  // Cut short: 4 MP spent, 3 left.
  CurrentMoveEvents().blocked = true;
  CurrentMoveEvents().spent = 4;
  Car()["A"].remaining = 3;
  EXPECT_EQ(OwnMoveLine(2), "off the line, 1 HB, blocked, 4 of 7 MP, 3rd");
  CurrentMoveEvents().blocked = false;
  CurrentMoveEvents().spunOut = true;
  EXPECT_EQ(OwnMoveLine(11), "spun out, 1 HB, 12th");
  Car()["A"].finished = 2;
  EXPECT_EQ(OwnMoveLine(2), "crashed, 1 HB");
  Car()["A"].finished = 1;
  Car()["A"].hb = 6;
  OrderOfFinish().push_back("A");
  EXPECT_EQ(OwnMoveLine(2), "finished 2nd");
  // With two cars of the player's, the line names the car.
  DriverOf("C").user = 1;
  EXPECT_EQ(OwnMoveLine(2), "A: finished 2nd");
  SelectCar("B");
  EXPECT_EQ(OwnMoveLine(1), "") << "not the player's car";
}

TEST_F(Panel, RaceButtons) {
  ButtonArray buttons;
  buttons.x = 100;
  buttons.y = 100;
  buttons.buttonWidth = 176;
  buttons.buttonHeight = 32;
  buttons.totalWidth = 176;
  buttons.totalHeight = 96;
  buttons.endX = 100;
  buttons.endY = 196;
  buttons.states = {0, 0, 0};
  gElements.RaceButtons = &buttons;
  OpenScreen();
  auto clickAt = [](int x, int y) {
    PlatPushMouseMove(x, y);
    while (PlatNextWindowEvent() != kEventNone) {
    }
    RaceButtonClick();
  };
  clickAt(150, 110);
  EXPECT_EQ(Options().autoMode, 1);
  EXPECT_EQ(buttons.states[0], 1);
  clickAt(150, 110);
  EXPECT_EQ(Options().autoMode, 0);
  Options().raceName = "Oval";
  fs::create_directories(gProg.savedRacesFolder);
  clickAt(150, 150);
  EXPECT_TRUE(fs::exists(gProg.savedRacesFolder / "Oval.json"));
  EXPECT_EQ(LogLines(), (Lines{"race saved"}));
  // A save that cannot be written (here a folder in the way of its temporary
  // file): a message box says why, the earlier save stays, the race goes on.
  const std::string earlier = testing_support::ReadBytes(gProg.savedRacesFolder / "Oval.json");
  const fs::path inTheWay =
      (gProg.savedRacesFolder / "Oval.json").string() + ".tmp-" + std::to_string(getpid());
  fs::create_directory(inTheWay);
  static std::vector<std::string> boxes;
  boxes.clear();
  SetMessageBoxHandler([](const std::string& text) { boxes.push_back(text); });
  gScreen.gameState = 2;
  clickAt(150, 150);
  SetMessageBoxHandler(nullptr);
  fs::remove(inTheWay);
  EXPECT_EQ(boxes, (Lines{"could not save " + (gProg.savedRacesFolder / "Oval.json").string() +
                          ": a folder of that name is in the way"}));
  EXPECT_EQ(testing_support::ReadBytes(gProg.savedRacesFolder / "Oval.json"), earlier);
  EXPECT_EQ(LogLines(), (Lines{"race saved"}));
  EXPECT_EQ(gScreen.gameState, 2) << "the race goes on";
  clickAt(150, 180);
  EXPECT_EQ(gScreen.gameState, 1);
  gScreen.gameState = 2;
  clickAt(50, 50);
  EXPECT_EQ(gScreen.gameState, 2);
  gElements = GameElements{};
}

TEST_F(Panel, WaitForAcknowledgeEndsOnAClickOrAKey) {
  OpenScreen();
  // Each returns on what was queued, and takes it: a click or key left
  // behind would act on the screen after the results.
  PlatPushButtonUp(1);
  WaitForAcknowledge();
  EXPECT_EQ(PlatNextWindowEvent(), kEventNone);
  PlatPushKey(kKeySpace, true);
  PlatPushKey(kKeySpace, false);
  WaitForAcknowledge();
  PlatPollKeyboard();
  EXPECT_FALSE(PlatKeyReleased(kKeySpace)) << "the key went to the results page";
  EXPECT_EQ(PlatNextWindowEvent(), kEventNone);
}

TEST_F(Panel, SeasonStandingsViewAndTheClipboard) {
  Areas areas;
  Options().raceName = "Oval";
  for (const char* key : {"A", "B", "C"}) AddCar(key);
  DriverOf("B").points = 9;
  DriverOf("A").points = 6;
  FillSeasonStandings();
  // The standings view, every driver with points, the title centred.
  const std::string title = "Season Standings after Oval";
  size_t centred = (TextAreaColumns(&areas.title) - title.size()) / 2;
  EXPECT_EQ(areas.title.lines.back().find(title), centred);
  ASSERT_EQ(areas.results.lines.size(), 8u);
  // A table: the points end under their heading; the page says how ties go.
  const Lines& shown = areas.results.lines;
  EXPECT_EQ(shown[0].substr(0, 11), "  #  Driver");
  EXPECT_EQ(shown[0].size(), shown[1].size());
  EXPECT_EQ(shown[0].substr(shown[0].size() - 3), "Pts");
  EXPECT_EQ(shown[1].substr(0, 13), "  1  B Driver");
  EXPECT_EQ(shown[2].substr(0, 13), "  2  A Driver");
  EXPECT_NE(shown[6].find("Equal points: the best finish, then the last race"), std::string::npos);
  // The clipboard gets the season file whole; one that cannot be a file is
  // skipped silently.
  SaveText(gProg.dataFolder / "Last Race.txt", "");
  AppendToSeasonFile("Title", {"x", "y"});
  OpenScreen();  // the clipboard needs the video subsystem
  CopySeasonFileToClipboard();
  EXPECT_EQ(PlatGetClipboardText(), testing_support::ReadBytes(gProg.resultsFolder / "no name.txt"));
  Options().seasonName = "../../outside";
  SaveText(gProg.dataFolder / "Last Race.txt", "../../outside\r\n");
  AppendToSeasonFile("Title", {"x"});
  CopySeasonFileToClipboard();
  EXPECT_EQ(PlatGetClipboardText(), testing_support::ReadBytes(gProg.resultsFolder / "no name.txt"));
}

TEST_F(Panel, GridModeFromTheDialogControls) {
  CheckBox newSeason, random;
  OptionBoxes options;
  gElements.NewSeasonBox = &newSeason;
  gElements.RandomBox = &random;
  gElements.GridOptions = &options;
  newSeason.state = 1;
  options.selected = 1;
  EXPECT_EQ(GridModeFromDialog(), 1)
      << "new season without random: in order, whatever the options say";
  random.state = 1;
  EXPECT_EQ(GridModeFromDialog(), 3);
  newSeason.state = 0;
  options.selected = -1;
  EXPECT_EQ(GridModeFromDialog(), 1);
  for (int i = 0; i < 3; ++i) {
    options.selected = i;
    EXPECT_EQ(GridModeFromDialog(), i + 2);
  }
  options.selected = 3;
  try {
    GridModeFromDialog();
    ADD_FAILURE() << "no fatal error";
  } catch (const FatalError& e) {
    ExpectFatal(e.what(), "logic error", "Start End in SetStartGrid");
  }
  gElements = GameElements{};
}
