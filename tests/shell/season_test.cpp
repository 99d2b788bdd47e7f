// A newcomer's season, played through the real screens from the welcome box
// to "Quit": three 2-lap races on Harbour Loop, Puddleford Park and
// Switchback Ridge with the whole field, the player driving one car in the
// first and the last. A player object answers whatever the game shows, one
// input at a time, and checks on the way what the player should see.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <map>
#include <stdexcept>

#include "dialogs/requester.h"
#include "game/gear_panel.h"
#include "game/hooks.h"
#include "game/init.h"
#include "game/main_loop.h"
#include "game/main_menu.h"
#include "game/results_view.h"
#include "game/screens.h"
#include "game/season_view.h"
#include "game/side_panel.h"
#include "game/track_view.h"
#include "minigui/mini_gui.h"
#include "platform/screen.h"
#include "platform/services.h"
#include "race/data_file.h"
#include "race/define.h"
#include "race/movement.h"
#include "race/report.h"
#include "race/season.h"
#include "screen_support.h"
#include "game/screen_settings.h"

namespace fs = std::filesystem;

namespace {
bool Shown(const Frame* frame) { return frame != nullptr && IsFrameHidden(frame) == 0; }
bool Shown(const std::string& requester) {
  const Requester* req = FindRequester(requester);
  return req != nullptr && Shown(req->frame);
}

void ClickAt(int x, int y) {
  PlatPushMouseMove(x, y);
  PlatPushButtonUp(1);
}
void Click(const ButtonArray* b, int i) {
  ClickAt(b->buttonX[i] + b->buttonWidth / 2, b->buttonY[i] + b->buttonHeight / 2);
}
void ClickLine(const TextArea* area, int line) {
  ClickAt(area->x + 20, area->y + area->margin + (line - area->top) * SpriteFontHeight(area->font) + 5);
}
void Type(const std::string& text) {
  for (char c : text) PlatPushText(std::string(1, c));
}
int LineOf(const TextArea* area, const std::string& start) {
  for (size_t i = 0; i < area->lines.size(); ++i)
    if (area->lines[i].rfind(start, 0) == 0) return static_cast<int>(i);
  return -1;
}

// What the player sees and does, race by race.
struct Season {
  int race = 0;            // 1 to 3 once the set-up of that race began
  std::string drives;      // the car the player drives in this race
  std::vector<std::string> setUpSteps;  // the car selection's inputs, in order
  size_t setUpStep = 0;
  int gearPanels = 0;
  bool leftAtTheGearPanel = false;
  std::string askedCar;    // whose gear was asked when the player left
  bool backFromTheMenu = false;
  bool savedRace3 = false;
  bool quitAsked = false;
  bool leaveAsked = false;
  bool loaded = false;
  bool toldLoaded = false;
  int ownMoves = 0;        // moves of the player's car told on the panel
  bool sawOffTheLine = false;
  bool sawFinishersAtTheTop = false;
  bool scrolled = false;
  bool toldSinceShot = false;
  size_t field = 0;        // cars of this race, once it is set up
  int placesChecked = 0;   // the player's moves whose place was checked
  int markedFrames = 0;    // frames whose running order was checked
  std::map<std::string, bool> shots;
  // Return held down as race 1 ends, let go on its results page.
  bool heldReturn = false;
  bool letGoOfReturn = false;
  bool resultsOutlivedTheHeldKey = false;
  long long returnAtPanel = -1;  // the gear panel answered with Return
  int returnAnswers = 0;
  std::vector<std::string> answers;  // the end-of-race questions, as asked
  // The season chart's frame corner as the chart showed it, and whether the
  // question after it stood over something else there.
  int chartCornerX = -1, chartCornerY = -1;
  uint32_t chartCorner = 0;
  int freshUnderTheQuestion = 0;
};
Season gSeason;
int gCalls = 0;
int gLastInput = -100;
void (*gRealMoveEnded)(int) = nullptr;
void (*gRealRunningOrder)() = nullptr;
void (*gRealRaceEnded)(const std::string&, const std::vector<std::string>&) = nullptr;

void Shot(const std::string& what) {
  if (gSeason.shots[what]) return;
  gSeason.shots[what] = true;
  PlatSaveScreenshot(testing_support::ArtifactDir() / ("season_1920x1080_" + what + ".png"));
}

void Fail(const std::string& why) { throw std::runtime_error(why); }

// A pixel of the frame the player sees now (0xRRGGBBAA).
uint32_t PixelSeen(int x, int y) {
  const std::vector<uint8_t> rgba = PlatScreenshotRgba();
  const size_t at = (static_cast<size_t>(y) * PlatScreenWidth() + x) * 4;
  if (at + 3 >= rgba.size()) return 0;
  return static_cast<uint32_t>(rgba[at]) << 24 | rgba[at + 1] << 16 | rgba[at + 2] << 8 | rgba[at + 3];
}

// The gear the player picks: the highest that may go off the line, else the
// highest safe one, else first. Driving on the edge shows the panel's lines.
int PickGear() {
  const GameElements& e = gElements;
  int safe = -1;
  for (int i = 5; i >= 0; --i) {
    if (GetButtonState(e.GearButtons, i) == 2) continue;
    // What this move brings, not the next one after it.
    const std::string& text = e.GearAdviceLabels[i]->text;
    const std::string row = text.substr(0, text.find(", then"));
    if (row.find("off the line") != std::string::npos) return i;
    if (safe == -1 && row.find("safe") != std::string::npos) safe = i;
  }
  if (safe != -1) return safe;
  for (int i = 0; i < 6; ++i)
    if (GetButtonState(e.GearButtons, i) != 2) return i;
  return -1;
}

void AtTheGearPanel() {
  Season& s = gSeason;
  ++s.gearPanels;
  if (s.race == 1 && !s.leftAtTheGearPanel) {
    // Escape goes to the menu; the same choice waits there.
    s.leftAtTheGearPanel = true;
    s.askedCar = CurrentCarKey();
    PlatPushTypedKey(kKeyEscape, "");
    return;
  }
  if (s.backFromTheMenu) {
    s.backFromTheMenu = false;
    if (CurrentCarKey() != s.askedCar) Fail("back from the menu, another car is asked");
  }
  if (s.returnAtPanel != -1 && s.returnAtPanel == GearPanelsOpened())
    Fail("a press of Return did not answer the gear panel");
  int gear = PickGear();
  if (s.race == 3 && s.returnAnswers < 3) {
    // Return keeps the gear: a plain press answers the panel.
    ++s.returnAnswers;
    s.returnAtPanel = GearPanelsOpened();
    PlatPushTypedKey(kKeyReturn, "");
  } else if (gear == -1) {
    PlatPushTypedKey(kKeyReturn, "");
  } else {
    Click(gElements.GearButtons, gear);
  }
}

void AtTheMenu() {
  Season& s = gSeason;
  const ButtonArray* menu = gElements.MenuButtons;
  if (s.leftAtTheGearPanel && s.race == 1 && !s.backFromTheMenu && s.gearPanels == 1) {
    s.backFromTheMenu = true;
    Click(menu, 3);  // "Return"
    return;
  }
  if (s.race == 0 || s.race == 2) {
    if (s.race == 0) {
      s.race = 1;
      // The laps typed with no click first; the first click after them acts.
      s.setUpSteps = {"type 2", "new season", "all", "ok"};
    } else {
      s.race = 3;
      s.setUpSteps = {"ok"};
    }
    s.setUpStep = 0;
    s.gearPanels = 0;
    Click(menu, 0);  // "New Race"
    return;
  }
  if (s.race == 3 && s.savedRace3 && !s.loaded) {
    if (!s.quitAsked) {
      s.quitAsked = true;
      Click(menu, 2);  // "Quit": the race moved on since its save
    } else {
      Click(menu, 1);  // "Load Race"
    }
    return;
  }
  Click(menu, 2);  // "Quit", the season over
}

void AtTheCarSelection() {
  Season& s = gSeason;
  const GameElements& e = gElements;
  if (s.setUpStep == 0 && s.race > 1) {
    // The last set-up's cars and laps come back.
    if (e.InRaceArea->lines.size() != Car().size()) Fail("the last race's cars were not offered again");
    if (GetKBAText(e.LapsEntry) != "2") Fail("the laps were not kept");
  }
  if (s.setUpStep >= s.setUpSteps.size()) Fail("the car selection stayed open");
  const std::string step = s.setUpSteps[s.setUpStep++];
  if (step == "type 2") {
    Type("2");
  } else if (step == "new season") {
    if (GetKBAText(e.LapsEntry) != "2") Fail("the laps box did not take the key");
    const CheckBox* box = e.NewSeasonBox;
    ClickAt(box->x + 8, box->y + 8);
  } else if (step == "all") {
    if (GetCheckBox(e.NewSeasonBox) != 1) Fail("the first click after typing did nothing");
    Click(e.AllButton, 0);
  } else {
    Click(e.CarSelectButtons, 0);
  }
}

void AtTheDriveSelection() {
  Season& s = gSeason;
  TextArea* area = gElements.DriveArea;
  // No car is the player's yet: the side panel shows none, nor an order.
  if (!gElements.RaceInfoArea->lines.empty())
    Fail("before the drive selection the side panel shows " + gElements.RaceInfoArea->lines[0]);
  if (!gElements.StandingsArea->lines.empty()) Fail("a running order before the drive selection");
  const std::string chosen = GetTextAreaSelection(area);
  if (s.race == 1 || s.race == 3) {
    if (chosen.empty()) {
      ClickLine(area, s.race == 1 ? 0 : 3);
      return;
    }
    s.drives = chosen.substr(0, chosen.size() - 1);
  } else {
    // Race 2: the car driven in race 1 is offered again; the player takes it off.
    if (!chosen.empty()) {
      if (chosen != s.drives + "~") Fail("race 1's car was not offered again: " + chosen);
      ClickLine(area, LineOf(area, s.drives));
      return;
    }
    s.drives.clear();
  }
  s.field = Standing().size();
  Click(gElements.DriveOKButton, 0);
}

void AtARequester() {
  Season& s = gSeason;
  if (Shown("Message Box")) {
    PlatPushTypedKey(kKeyReturn, "");
  } else if (Shown("Input Box")) {
    Type("Test Season");  // no click into the field first
    PlatPushTypedKey(kKeyReturn, "");
  } else if (Shown("Answer Box")) {
    const TextArea* text = FindRequester("Answer Box")->textArea;
    const std::string question = text->lines.empty() ? "" : text->lines[0];
    s.answers.push_back(question);
    bool yes = question == "Save current standings?" && s.race != 3;
    if (question == "Save current standings?" && s.chartCornerX >= 0) {
      // The chart has closed: the box stands over the board, not over the
      // chart's last frame.
      if (PixelSeen(s.chartCornerX, s.chartCornerY) == s.chartCorner)
        Fail("the chart is still under \"Save current standings?\"");
      ++s.freshUnderTheQuestion;
      s.chartCornerX = -1;
      if (s.race == 1) Shot("save_standings_question");
    }
    if (question.rfind("Quit without saving", 0) == 0) {
      Shot("quit_question");
      yes = false;
    }
    // Loading the save over the steps made since: asked first, then done.
    if (question.rfind("Start another race without saving", 0) == 0) {
      s.leaveAsked = true;
      yes = true;
    }
    Click(FindRequester("Answer Box")->buttonArray, yes ? 0 : 1);
  } else if (Shown("List Box")) {
    TextArea* list = FindRequester("List Box")->textArea;
    const std::string want = s.race == 1   ? "Harbour Loop"
                             : s.race == 3 && !s.savedRace3 ? "Switchback Ridge"
                                                             : "Switchback Ridge  lap ";
    int line = LineOf(list, want);
    if (line == -1) Fail("not in the list: " + want);
    if (list->selected == line) {
      if (s.savedRace3) {
        Shot("load_list");
        s.loaded = true;
      }
      PlatPushTypedKey(kKeyReturn, "");
    } else {
      ClickLine(list, line);
    }
  }
}

void OnTheRaceScreen() {
  Season& s = gSeason;
  const GameElements& e = gElements;
  // The frame after an off-the-line of the player's shows its line.
  if (s.sawOffTheLine && s.toldSinceShot && !s.shots["own_move_off_the_line"] &&
      e.OwnMoveLabel->text.rfind("off the line", 0) == 0)
    Shot("own_move_off_the_line");
  s.toldSinceShot = false;
  // The commentary is never cut off at the box's edge, and a loaded race
  // opens it with its name and lap.
  for (const std::string& line : e.LogArea->lines)
    if (static_cast<int>(line.size()) > TextAreaColumns(e.LogArea))
      Fail("cut off in the commentary: " + line);
  if (s.loaded && !s.toldLoaded) {
    const std::vector<std::string>& log = e.LogArea->lines;
    if (log.size() < 2 || log[0] != "Switchback Ridge" || log[1] != "  loaded at lap 1")
      Fail("the commentary does not say which race was loaded");
    s.toldLoaded = true;
  }
  if (s.race == 1 && !s.scrolled && s.ownMoves >= 6) {
    // The wheel over the commentary scrolls it back.
    const TextArea* log = e.LogArea;
    if (log->top > 0) {
      int before = log->top;
      PlatPushMouseMove(log->x + 20, log->y + 20);
      PlatPushWheel(3);
      s.scrolled = true;
      (void)before;
      return;
    }
  }
  if (s.scrolled && !s.shots["scrolled_commentary"]) {
    if (e.LogArea->top + e.LogArea->rows >= static_cast<int>(e.LogArea->lines.size()))
      Fail("the wheel did not scroll the commentary");
    Shot("scrolled_commentary");
    PlatPushWheel(-30);
    return;
  }
  if (s.race == 3 && !s.savedRace3 && s.gearPanels >= 4 && Options().laps == 2) {
    Click(e.RaceButtons, 1);  // "Save Race"
    s.savedRace3 = true;
    s.gearPanels = 100;  // a few more steps, then the menu
    return;
  }
  if (s.race == 3 && s.savedRace3 && !s.quitAsked && s.gearPanels >= 101) {
    PlatPushTypedKey(kKeyEscape, "");  // to the menu, unsaved steps behind
    return;
  }
  if (s.race == 1 && s.ownMoves < 3) {
    PlatPushTypedKey(kKeySpace, " ");  // a step at a time, at first
    return;
  }
  PlatPushText("f");  // fast forward to the player's next choice
}

// One input at a time: the loops poll before they draw, so an input pushed
// here is taken before the next frame.
void Act() {
  ++gCalls;
  // A season takes about 450 calls; a player stuck in a loop fails within
  // a minute instead of running for a quarter of an hour.
  if (gCalls > 5000) Fail("the season did not end");
  if (gCalls - gLastInput < 2) return;
  gLastInput = gCalls;
  Season& s = gSeason;
  const GameElements& e = gElements;
  for (const char* r : {"Message Box", "Input Box", "Answer Box", "List Box"}) {
    if (Shown(r)) {
      AtARequester();
      return;
    }
  }
  if (Shown(e.SeasonFrame)) {
    // The chart plots the season file's points: after its last race each
    // driver's line ends at the points the drivers' table keeps, and every
    // point lies inside the chart's box.
    const SeasonChart chart = MakeSeasonChart(SeasonFileText());
    if (chart.races != s.race) Fail("the chart shows " + std::to_string(chart.races) + " races");
    const ChartBox box = SeasonChartBox();
    for (size_t i = 0; i < chart.cars.size(); ++i) {
      if (chart.total[i].back() != Driver()[chart.cars[i]].points)
        Fail("the chart ends " + chart.cars[i] + " at " + std::to_string(chart.total[i].back()));
      for (int race = 0; race < chart.races; ++race) {
        int x = 0, y = 0;
        ChartPoint(chart, box, race + 1, chart.total[i][race], x, y);
        if (x < box.left || x > box.left + box.width || y < box.top || y > box.top + box.height)
          Fail("a point of the chart outside its box");
      }
    }
    Shot("season_chart_" + std::to_string(s.race));
    s.chartCornerX = FrameX(e.SeasonFrame) + 6;
    s.chartCornerY = FrameY(e.SeasonFrame) + 6;
    s.chartCorner = PixelSeen(s.chartCornerX, s.chartCornerY);
    ClickAt(10, 10);
  } else if (Shown(e.ResultsFrame)) {
    const std::string title = e.ResultsTitleArea->lines.empty() ? "" : e.ResultsTitleArea->lines[0];
    const bool results = title.find("Race Results") != std::string::npos;
    if (s.letGoOfReturn && !s.resultsOutlivedTheHeldKey) {
      if (!results) Fail("Return held as the race ended closed its results");
      s.resultsOutlivedTheHeldKey = true;
    }
    if (results) {
      if (e.ResultsArea->lines.empty() || e.ResultsArea->lines[0].find("Time") == std::string::npos)
        Fail("the results have no headings");
      if (s.race == 1) Shot("results");
      if (s.heldReturn && !s.letGoOfReturn) {
        // The key pressed before the page opened repeats, then goes up.
        PlatPushKey(kKeyReturn, true, true);
        PlatPushKey(kKeyReturn, false);
        s.letGoOfReturn = true;
        return;
      }
    }
    if (s.resultsOutlivedTheHeldKey && results && s.race == 1) {
      PlatPushTypedKey(kKeyReturn, "");  // a fresh press closes the page
    } else {
      ClickAt(10, 10);
    }
  } else if (Shown(e.NextRaceFrame)) {
    if (s.race == 1) {
      Shot("next_race");
      if (e.NextRaceLabel->text != "Next: Puddleford Park") Fail("offered " + e.NextRaceLabel->text);
      s.race = 2;
      s.setUpSteps = {"ok"};
      s.setUpStep = 0;
      s.gearPanels = 0;
      Click(e.NextRaceButtons, 0);
    } else {
      Click(e.NextRaceButtons, 1);  // "Main Menu"
    }
  } else if (Shown(e.CarSelectFrame)) {
    AtTheCarSelection();
  } else if (Shown(e.DriveFrame)) {
    AtTheDriveSelection();
  } else if (Shown(e.MenuFrame)) {
    AtTheMenu();
  } else if (gScreen.gameState == 1) {
    gLastInput = -100;  // on the way to the menu: nothing to answer yet
  } else if (Shown(e.GearFrame)) {
    AtTheGearPanel();
  } else {
    OnTheRaceScreen();
  }
}

// Whenever the running order is shown: every car of the race is in it, the
// finishers at the top.
void RunningOrderShown() {
  gRealRunningOrder();
  Season& s = gSeason;
  // Every car of the race in the running order; the finishers at the top.
  if (!OrderOfFinish().empty() && !Standing().empty()) {
    std::vector<RunningOrderRow> rows = RunningOrderRows();
    if (rows.size() != s.field)
      Fail("a car is missing from the running order: " + std::to_string(rows.size()) + " of " +
           std::to_string(s.field) + ", " + std::to_string(OrderOfFinish().size()) + " F, " +
           std::to_string(DNF().size()) + " out");
    if (rows[0].text.find(OrderOfFinish()[0]) == std::string::npos ||
        rows[0].text.substr(rows[0].text.size() - 2) != " F")
      Fail("the winner is not at the top: " + rows[0].text);
    s.sawFinishersAtTheTop = true;
  }
}

// Race 1 ends with Return already down: the player pressed it and holds it
// as the results open.
void RaceEnded(const std::string& heading, const std::vector<std::string>& results) {
  if (gSeason.race == 1 && !gSeason.heldReturn) {
    PlatPushKey(kKeyReturn, true);
    PlatPollKeyboard();
    gSeason.heldReturn = true;
  }
  gRealRaceEnded(heading, results);
}

// After every move: the player's own line says what that move brought.
void MoveEnded(int place) {
  gRealMoveEnded(place);
  if (!IsPlayersCar(CurrentCarKey())) return;
  gSeason.toldSinceShot = true;
  const std::string& told = gElements.OwnMoveLabel->text;
  if (told != OwnMoveText(place) || told.empty()) Fail("the player's move was not told: " + told);
  // The place told is the car's line in the running order shown now.
  const std::string key = CurrentCarKey();
  if (Car()[key].finished == 0) {
    const size_t comma = told.rfind(", ");
    const long long toldPlace = comma == std::string::npos ? 0 : std::atoll(told.c_str() + comma + 2);
    if (toldPlace < 1 || toldPlace > static_cast<long long>(gSeason.field))
      Fail("a place outside the field: " + told);
    const std::string row = RightAlign2(toldPlace) + " " + key;
    const std::vector<std::string>& shown = gElements.StandingsArea->lines;
    if (std::find(shown.begin(), shown.end(), row) == shown.end())
      Fail("told " + told + ", the running order shows " + GetTextAreaSelection(gElements.StandingsArea));
    ++gSeason.placesChecked;
  }
  ++gSeason.ownMoves;
  const MoveEvents& events = CurrentMoveEvents();
  if (events.offTheLine && !events.spunOut && Car()[CurrentCarKey()].finished == 0) {
    if (told.rfind("off the line", 0) != 0) Fail("an off-the-line told as " + told);
    gSeason.sawOffTheLine = true;
  }
}

// Every frame of a race: the player's car, and only it, is marked in the
// running order (none in race 2), from the first frame on.
void CheckMarks() {
  Season& s = gSeason;
  if (s.field == 0 || Standing().empty() || Shown(gElements.DriveFrame)) return;
  std::string marked = GetTextAreaSelection(gElements.StandingsArea);
  bool ok = s.drives.empty() ? marked.find_first_not_of('~') == std::string::npos
                             : marked.find(s.drives) != std::string::npos &&
                                   std::count(marked.begin(), marked.end(), '~') <= 2;
  if (!ok) Fail("race " + std::to_string(s.race) + " marks \"" + marked + "\"");
  ++s.markedFrames;
}

void RenderAndAct() {
  RenderFrame();
  CheckMarks();
  Act();
}
void ActOnModalFrame() { Act(); }

class NewcomersSeason : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::path game = testing_support::BuildGameDir();
    if (!fs::exists(game / "Theme" / "Frame.png")) GTEST_SKIP() << "no art in the game folder yet";
  }
  void TearDown() override {
    SetModalFrameHook(nullptr);
    testing_support::StopGameHeadless();
    for (const fs::path& d : dirs) fs::remove_all(d);
  }
  // The whole season in a fresh copy of the game folder; the files it leaves.
  std::map<std::string, std::string> PlaySeason(uint64_t seed) {
    fs::path dir = testing_support::MakeTempDir("season");
    dirs.push_back(dir);
    fs::copy(testing_support::BuildGameDir(), dir, fs::copy_options::recursive);
    testing_support::StartGameHeadless(1920, 1080, dir);
    PlatCaptureFrames(true);
    PlatSeedRandom(seed);
    gSeason = Season{};
    gCalls = 0;
    gLastInput = -100;
    gHooks.renderFrame = RenderAndAct;
    gHooks.menuFrame = ActOnModalFrame;
    SetModalFrameHook(ActOnModalFrame);
    gRealMoveEnded = Report().moveEnded;
    Report().moveEnded = MoveEnded;
    gRealRunningOrder = Report().runningOrder;
    Report().runningOrder = RunningOrderShown;
    gRealRaceEnded = Report().raceEnded;
    Report().raceEnded = RaceEnded;
    MainLoop();
    PlatCaptureFrames(false);
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
      if (!entry.is_regular_file()) continue;
      std::string rel = fs::relative(entry.path(), dir).generic_string();
      if (rel.rfind("Images/", 0) == 0 || rel.rfind("Theme/", 0) == 0) continue;
      files[rel] = testing_support::ReadBytes(entry.path());
    }
    return files;
  }
  std::vector<fs::path> dirs;
};
}  // namespace

TEST_F(NewcomersSeason, ThreeRacesThroughTheScreensAsAPlayerLivesThem) {
  std::map<std::string, std::string> files, again;
  try {
    files = PlaySeason(7);
    Season first = gSeason;
    testing_support::StopGameHeadless();
    // The same dice, the same answers: the same files, byte for byte.
    again = PlaySeason(7);
    EXPECT_EQ(gSeason.ownMoves, first.ownMoves);
  } catch (const std::exception& e) {
    FAIL() << e.what() << " (race " << gSeason.race << ")";
  }
  ASSERT_EQ(files.size(), again.size());
  for (const auto& [name, bytes] : files) EXPECT_TRUE(again[name] == bytes) << name;
  const Season& s = gSeason;
  EXPECT_EQ(s.race, 3);
  EXPECT_TRUE(s.leftAtTheGearPanel);
  EXPECT_GT(s.ownMoves, 10);
  EXPECT_GT(s.placesChecked, 10);
  EXPECT_TRUE(s.sawOffTheLine);
  EXPECT_TRUE(s.sawFinishersAtTheTop);
  EXPECT_TRUE(s.scrolled);
  EXPECT_TRUE(s.quitAsked);
  EXPECT_TRUE(s.leaveAsked) << "Load Race over an unsaved race asks first";
  EXPECT_TRUE(s.loaded);
  EXPECT_TRUE(s.toldLoaded);
  EXPECT_GT(s.markedFrames, 100);
  EXPECT_EQ(s.freshUnderTheQuestion, 3) << "\"Save current standings?\" over the board, after each chart";
  EXPECT_TRUE(s.resultsOutlivedTheHeldKey) << "Return held from the race let go on its results";
  EXPECT_EQ(s.returnAnswers, 3) << "the gear panel answered with Return";
  // The two questions after each race, the quit question once.
  EXPECT_EQ(std::count(s.answers.begin(), s.answers.end(), "Save current standings?"), 3);
  // The season file: three races and the standings kept after two of them.
  std::string season;
  for (const auto& [name, bytes] : files)
    if (name.find("Test Season") != std::string::npos) season = bytes;
  ASSERT_FALSE(season.empty());
  for (const char* race : {"Harbour Loop", "Puddleford Park", "Switchback Ridge"})
    EXPECT_NE(season.find(race), std::string::npos) << race;
  size_t standings = 0;
  for (size_t at = season.find("Season Standings"); at != std::string::npos;
       at = season.find("Season Standings", at + 1))
    ++standings;
  EXPECT_EQ(standings, 2u);
}
