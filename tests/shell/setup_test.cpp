// A new race set up through the real dialogs with scripted clicks and keys,
// and a saved race resumed.
#include <gtest/gtest.h>

#include "dialogs/requester.h"
#include "race/car_data.h"
#include "race/define.h"
#include "game/screens.h"
#include "game/side_panel.h"
#include "game/init.h"
#include "game/main_loop.h"
#include "game/main_menu.h"
#include "race/movement.h"
#include "game/setup_dialogs.h"
#include "race/save_load.h"
#include "race/race_end.h"
#include "race/race_start.h"
#include "race/report.h"
#include "race/season.h"
#include "minigui/mini_gui.h"
#include "platform/screen.h"
#include "platform/services.h"
#include "screen_support.h"
#include "game/view.h"
#include "game/race_saves.h"
#include "game/main_menu.h"
#include "game/screen_settings.h"

#include <regex>

namespace fs = std::filesystem;

namespace {
std::vector<std::function<void()>> gScript;
size_t gStep = 0;

void ClickButton(const ButtonArray* b, int i) {
  PlatPushMouseMove(b->buttonX[i] + b->buttonWidth / 2, b->buttonY[i] + b->buttonHeight / 2);
  PlatPushButtonUp(1);
}

class RaceSetUp : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::path game = testing_support::BuildGameDir();
    if (!fs::exists(game / "Theme" / "Frame.png")) GTEST_SKIP() << "no art in the game folder yet";
    dir = testing_support::MakeTempDir("setup");
    fs::copy(game, dir, fs::copy_options::recursive);
    testing_support::StartGameHeadless(1920, 1080, dir);
    gScreen.gameState = 2;
    Options().raceName = "Puddleford Park";
    Load(gProg.circuitsFolder / "Puddleford Park.json");
    ShowLoadedCircuit();
    gScript.clear();
    gStep = 0;
    // One scripted step per frame, whether the frame is a set-up dialog's or
    // a requester's.
    gHooks.menuFrame = [] {
      if (gStep < gScript.size()) gScript[gStep++]();
    };
    SetModalFrameHook(gHooks.menuFrame);
  }
  void TearDown() override {
    gHooks.menuFrame = nullptr;
    SetModalFrameHook(nullptr);
    if (!dir.empty()) fs::remove_all(dir);
  }
  fs::path dir;
};
}  // namespace

TEST_F(RaceSetUp, AllCarsAcceptedWithReturnRaceWithTheirAllowancesScaled) {
  gProg.laps = 2;
  gScript = {[] { ClickButton(gElements.AllButton, 0); },
             [] { PlatPushTypedKey(kKeyReturn, ""); },  // accepts, laps stay 2
             [] { ClickButton(gElements.DriveOKButton, 0); }};
  NewRaceSetUp();
  EXPECT_EQ(gStep, 3u);
  EXPECT_EQ(gScreen.gameState, 2);
  EXPECT_EQ(gProg.laps, 2);
  EXPECT_EQ(Options().laps, 2) << "the race is run with them";
  EXPECT_EQ(Options().autoMode, 0);
  CarTable raced = Car();
  LoadCarData();
  ASSERT_EQ(Standing().size(), Car().size());
  for (const auto& [key, car] : Car()) {
    EXPECT_EQ(raced[key].hb, car.hb * 2 / 4) << key;
    EXPECT_EQ(raced[key].ors, car.ors * 2 / 4) << key;
    EXPECT_GE(raced[key].listInd, 0) << key;
  }
  for (const auto& [key, driver] : Driver()) EXPECT_EQ(driver.user, 0) << key;
  EXPECT_EQ(IsFrameHidden(gElements.CarSelectFrame), 1);
  EXPECT_EQ(IsFrameHidden(gElements.DriveFrame), 1);
}

TEST_F(RaceSetUp, ChosenCarsOnlyAndTheCarsThePlayerDrives) {
  // Pick the first two lines of the available list one by one, move them
  // across, accept with OK; in the drive dialog pick the first car and take
  // it with Return.
  auto line = [](TextArea* area, int i) {
    PlatPushMouseMove(area->x + 20, area->y + area->margin + i * SpriteFontHeight(area->font) + 5);
    PlatPushButtonUp(1);
  };
  gScript = {[&] { line(gElements.AvailableArea, 0); }, [&] { line(gElements.AvailableArea, 1); },
             [] { ClickButton(gElements.MoveButtons, 0); },
             [] { ClickButton(gElements.CarSelectButtons, 0); },
             [&] { line(gElements.DriveArea, 0); }, [] { PlatPushTypedKey(kKeyReturn, ""); },
             // The player's car has pole: its first gear choice, kept with Return.
             [] { PlatPushTypedKey(kKeyReturn, ""); }};
  NewRaceSetUp();
  EXPECT_EQ(gStep, 7u);
  ASSERT_EQ(SelectedCars().size(), 2u);
  std::vector<std::string> keys;
  for (const auto& [key, car] : Car()) keys.push_back(key);
  std::sort(keys.begin(), keys.end());
  EXPECT_EQ(SelectedCars()[0], keys[0]);
  EXPECT_EQ(SelectedCars()[1], keys[1]);
  ASSERT_EQ(Standing().size(), 2u);
  int users = 0;
  for (const auto& [key, driver] : Driver()) users += driver.user;
  EXPECT_EQ(users, 1);
  EXPECT_EQ(Driver()[Standing()[0].car].user, 1);
}

// The last race's driven cars are not this race's: a race the player drives
// no car in marks none, from its first frame on.
TEST_F(RaceSetUp, MarksAreThisRacesFromItsFirstFrame) {
  LoadDrivers();
  for (auto& [key, driver] : Driver()) driver.user = 1;
  SaveDrivers();
  gScript = {[] { ClickButton(gElements.AllButton, 0); },
             [] { ClickButton(gElements.CarSelectButtons, 0); },
             [] { ClickButton(gElements.DriveOKButton, 0); }};
  NewRaceSetUp();
  ASSERT_FALSE(Standing().empty());
  EXPECT_EQ(gElements.StandingsArea->selected, -1);
  for (const StandingRecord& s : Standing()) EXPECT_EQ(Driver()[s.car].user, 0) << s.car;
}

// Resting the pointer on a car of the set-up's lists shows its figures.
TEST_F(RaceSetUp, TheCarListShowsACarsFiguresUnderThePointer) {
  LoadCarData();
  const std::string key = Car().begin()->first;
  CarRecord& car = Car().begin()->second;
  car.gearTop = 19, car.hb = 6, car.ors = 2, car.sharp = 3, car.hairpin = 2;
  EXPECT_EQ(CarFiguresText(key, 4),
            key + "~Top 19 MP, 6 HBs, 2 ORs~safe gears: sharp 3, hairpin 2~");
  // Other laps: the race's own HBs and ORs, as its panel will show them.
  EXPECT_EQ(CarFiguresText(key, 3), key + "~Top 19 MP, 6 HBs, 2 ORs~safe gears: sharp 3, hairpin 2~"
                                          "HBs, ORs are for 4 laps:~3 laps give 4 HBs, 1 ORs~");
  EXPECT_EQ(CarFiguresText("no such car", 4), "");
  TextArea* area = gElements.AvailableArea;
  ClearTextArea(area);
  AddText(area, "first");
  AddText(area, key);
  const int hiddenY = area->y + area->margin + 2;
  EXPECT_EQ(TextAreaLineAt(area, area->x + 10, hiddenY), "") << "the dialog is not open";
  SetPageHidden(4, 0);
  const int lineY = area->y + area->margin + SpriteFontHeight(area->font) + 2;
  EXPECT_EQ(TextAreaLineAt(area, area->x + 10, lineY), key);
  EXPECT_EQ(TextAreaLineAt(area, area->x - 10, lineY), "") << "beside the list";
  EXPECT_EQ(TextAreaLineAt(area, area->x + 10, area->y + area->height - 2), "") << "no line there";
  EXPECT_EQ(area->selected, -1) << "pointing picks nothing";
  SetPageHidden(4, 1);
  ClearTextArea(area);
}

TEST_F(RaceSetUp, NothingChosenAsksAgainAndCancelGivesUp) {
  gScript = {[] { ClickButton(gElements.CarSelectButtons, 0); },  // OK with no car
             [] { PlatPushTypedKey(kKeyReturn, ""); },            // dismisses the message
             [] { PlatPushTypedKey(kKeyEscape, ""); }};
  NewRaceSetUp();
  EXPECT_EQ(gScreen.gameState, 1);
  EXPECT_TRUE(Standing().empty());
}

TEST_F(RaceSetUp, ASavedRaceResumesWithItsCarsBackOnTheirNodes) {
  gScript = {[] { ClickButton(gElements.AllButton, 0); },
             [] { ClickButton(gElements.CarSelectButtons, 0); },
             [] { ClickButton(gElements.DriveOKButton, 0); }};
  NewRaceSetUp();
  for (int i = 0; i < 200; ++i) RaceStep();
  std::string turnOf = CurrentCarKey();
  fs::path saved = gProg.savedRacesFolder / "resume.json";
  Save(saved);
  std::string before = SaveDocument();
  Load(saved);
  ShowLoadedCircuit();
  ResumeLoadedRace();
  EXPECT_EQ(CurrentCarKey(), turnOf);
  EXPECT_EQ(SaveDocument(), before);
  for (const StandingRecord& s : Standing()) {
    const CarRecord& car = Car()[s.car];
    if (car.finished == 0) {
      EXPECT_EQ(Node()[car.listInd].car[car.lane], s.car);
    }
  }
}

// A saved race built to be stuck: two cars stand side by side inside a corner
// in gear 0, and their car table (a saved race carries its own) makes 0 the
// safe gear there, so the computer never changes their gear. Every other car
// piles up behind them; the race must still end, with the results as they stand.
TEST_F(RaceSetUp, AStuckSavedRaceEndsWithTheResultsAsTheyStand) {
  gScript = {[] { ClickButton(gElements.AllButton, 0); },
             [] { ClickButton(gElements.CarSelectButtons, 0); },
             [] { ClickButton(gElements.DriveOKButton, 0); }};
  NewRaceSetUp();
  ASSERT_GE(Standing().size(), 4u);
  // The first corner node that no car of the grid stands on.
  int k = 1;
  while (k < static_cast<int>(Node().size()) &&
         (Node()[k].corner == 0 || !Node()[k].car[0].empty() || !Node()[k].car[1].empty()))
    ++k;
  ASSERT_LT(k, static_cast<int>(Node().size()));
  for (int lane = 0; lane < 2; ++lane) {
    std::string key = Standing()[lane].car;
    CarRecord& car = Car()[key];
    Node()[car.listInd].car[car.lane].clear();
    car.listInd = k;
    car.lane = lane;
    car.gear = 0;
    car.remaining = car.bonus = 0;
    car.sharp = car.hairpin = 0;
    car.inCorner = Node()[k].corner;
    car.cornerExit = 0;
    Node()[k].car[lane] = key;
  }
  fs::path saved = gProg.savedRacesFolder / "stuck.json";
  Save(saved);
  Load(saved);
  ShowLoadedCircuit();
  ResumeLoadedRace();

  static std::vector<std::string> log;
  log.clear();
  Report().commentary = [](const std::string& line) { log.push_back(line); };
  testing_support::NoWaitAtTheFlag();
  int steps = 0;
  for (; !Standing().empty() && steps < 200000; ++steps) RaceStep();
  Report().commentary = nullptr;
  ASSERT_TRUE(Standing().empty()) << "the race is still running after " << steps << " steps";
  auto said = std::find(log.begin(), log.end(), "no car can move any more");
  ASSERT_NE(said, log.end());
  ASSERT_LT(said + 1, log.end());
  EXPECT_EQ(*(said + 1), "end of race");
  EXPECT_EQ(std::count(log.begin(), log.end(), "no car can move any more"), 1);
  // Nobody finished; every car is out, the two stuck ones among them.
  for (const auto& [key, car] : Car()) EXPECT_EQ(car.finished, 2) << key;
  std::string record = testing_support::ReadBytes(gProg.dataFolder / "Last Race.txt");
  size_t dnf = 0;
  for (size_t at = record.find("DNF  "); at != std::string::npos; at = record.find("DNF  ", at + 1))
    ++dnf;
  EXPECT_EQ(dnf, Car().size()) << record;
}

namespace {
std::vector<std::string> gResultsHeard;
void HearResults(const std::string& heading, const std::vector<std::string>& lines) {
  gResultsHeard = lines;
  gResultsHeard.insert(gResultsHeard.begin(), heading);
}
}  // namespace

// As a player lives it: "Save Race" mid-race, "Main Menu", everything in
// memory gone, "Load Race" and the saved race picked from the list; the race
// goes on to the flag with the results of the race that never stopped.
TEST_F(RaceSetUp, SavedThroughTheScreensAndLoadedAgainTheRaceGoesOnToTheFlag) {
  testing_support::NoWaitAtTheFlag();
  Report().raceEnded = HearResults;
  PlatScriptRandom({});
  auto startRace = [this](uint64_t seed) {
    Options().raceName = "Puddleford Park";
    Load(gProg.circuitsFolder / "Puddleford Park.json");
    ShowLoadedCircuit();
    PlatSeedRandom(seed);
    ForgetSetUpChoices();  // each race set up afresh, "all" clicked
    gScript = {[] { ClickButton(gElements.AllButton, 0); },
               [] { ClickButton(gElements.CarSelectButtons, 0); },
               [] { ClickButton(gElements.DriveOKButton, 0); }};
    gStep = 0;
    NewRaceSetUp();
    ASSERT_FALSE(Standing().empty());
  };
  auto runToTheFlag = [] {
    for (int steps = 0; !Standing().empty() && steps < 100000; ++steps) RaceStep();
    ASSERT_TRUE(Standing().empty());
  };
  const fs::path lastRace = gProg.dataFolder / "Last Race.txt";

  startRace(21);
  runToTheFlag();
  const std::vector<std::string> plain = gResultsHeard;
  const std::string plainRecord = testing_support::ReadBytes(lastRace);
  ASSERT_GT(plain.size(), 10u);

  startRace(21);
  for (int i = 0; i < 300; ++i) RaceStep();
  ASSERT_FALSE(Standing().empty());
  ClickButton(gElements.RaceButtons, 1);  // "Save Race"
  RaceScreenPass();
  EXPECT_TRUE(fs::exists(gProg.savedRacesFolder / "Puddleford Park.json"));
  // The load list tells the lap and when; a file it cannot read, its name.
  testing_support::WriteBytes(gProg.savedRacesFolder / "Broken.json", "{\"Laps\": 2, \"Standing\"");
  std::vector<SavedRaceLine> listed = SavedRaceLines(gProg.savedRacesFolder);
  ASSERT_EQ(listed.size(), 2u);
  EXPECT_EQ(listed[0].line, "Broken");
  EXPECT_EQ(listed[1].name, "Puddleford Park");
  EXPECT_TRUE(std::regex_match(listed[1].line,
                               std::regex("Puddleford Park  lap \\d+ of " + std::to_string(Options().laps) + "  20\\d\\d-\\d\\d-\\d\\d \\d\\d:\\d\\d")))
      << listed[1].line;
  fs::remove(gProg.savedRacesFolder / "Broken.json");
  ClickButton(gElements.RaceButtons, 2);  // "Main Menu"
  RaceScreenPass();
  EXPECT_EQ(gScreen.gameState, 1);
  ResetRaceData();

  TextArea* list = FindRequester("List Box")->textArea;
  gScript = {[] { ClickButton(gElements.MenuButtons, 1); },  // "Load Race"
             [list] { PlatPushMouseMove(list->x + 20, list->y + list->margin + 9); },
             [] { PlatPushButtonUp(1); }, [] { PlatPushTypedKey(kKeyReturn, ""); }};
  gStep = 0;
  MainMenu();
  EXPECT_EQ(gScreen.gameState, 2);
  EXPECT_EQ(Options().raceName, "Puddleford Park");
  ASSERT_FALSE(Standing().empty());
  EXPECT_EQ(GetButtonState(gElements.RaceButtons, 1), 0) << "\"Save Race\" enabled";

  // "Auto Mode" on: the race screen's own loop steps the race.
  ClickButton(gElements.RaceButtons, 0);
  PlatSetDrivenClock(0);
  for (int i = 0; i < 5; ++i) {
    PlatAdvanceDrivenClock(1000);
    RaceScreenPass();
  }
  PlatUseRealClock();
  EXPECT_EQ(Options().autoMode, 1);
  runToTheFlag();
  EXPECT_EQ(gResultsHeard, plain);
  EXPECT_EQ(testing_support::ReadBytes(lastRace), plainRecord);
  Options().keepFiles = false;
}

// "Quit" asks before a race that moved on since its save is lost, and only then.
TEST_F(RaceSetUp, QuitAsksFirstWhenTheRaceMovedOnSinceItsSave) {
  gScript = {[] { ClickButton(gElements.AllButton, 0); },
             [] { ClickButton(gElements.CarSelectButtons, 0); },
             [] { ClickButton(gElements.DriveOKButton, 0); }};
  NewRaceSetUp();
  for (int i = 0; i < 50; ++i) RaceStep();
  const ButtonArray* answer = FindRequester("Answer Box")->buttonArray;
  auto quitAnswering = [answer](int button) {
    gScript = {[] { ClickButton(gElements.MenuButtons, 2); },
               [answer, button] { ClickButton(answer, button); }};
    gStep = 0;
  };
  // "No": the menu stays, and "Return" goes back to the race.
  quitAnswering(1);
  gScript.push_back([] { ClickButton(gElements.MenuButtons, 3); });
  MainMenu();
  EXPECT_EQ(gStep, 3u);
  EXPECT_EQ(gScreen.gameState, 2);
  // Saved: "Quit" quits at once.
  SaveRaceFromScreen();
  gScript = {[] { ClickButton(gElements.MenuButtons, 2); }};
  gStep = 0;
  MainMenu();
  EXPECT_EQ(gScreen.gameState, 3);
  // Moved on again: "Yes" quits.
  RaceStep();
  quitAnswering(0);
  MainMenu();
  EXPECT_EQ(gStep, 2u);
  EXPECT_EQ(gScreen.gameState, 3);
}

// "Next Race" after the last circuit of the list: the page says so and only
// "Main Menu" is offered (a click on the greyed button does nothing, Return
// takes the menu).
TEST_F(RaceSetUp, NextRaceWithNothingToRaceSaysSoAndGoesToTheMenu) {
  EXPECT_EQ(CircuitAfter("Harbour Loop"), "Puddleford Park");
  const std::string last = "Switchback Ridge";
  ASSERT_EQ(CircuitAfter(last), "");
  static bool messageShown;
  messageShown = false;
  gScript = {[] { ClickButton(gElements.NextRaceButtons, 0); },
             [] {
               messageShown = IsFrameHidden(FindRequester("Message Box")->frame) == 0;
               PlatPushTypedKey(kKeyReturn, "");
             }};
  gStep = 0;
  Options().raceName = last;
  gScreen.gameState = 2;
  OfferNextRace();
  EXPECT_EQ(gStep, 2u);
  EXPECT_FALSE(messageShown) << "the greyed button did nothing";
  EXPECT_EQ(gScreen.gameState, 1);
  EXPECT_EQ(gElements.NextRaceLabel->text, "That was the last circuit.");
  EXPECT_EQ(GetButtonState(gElements.NextRaceButtons, 0), 2);
  EXPECT_TRUE(Standing().empty()) << "no race was set up";
}

// "Save Race" from the gear panel: the car's move had not begun, so the
// loaded race asks for the gear again and goes on as the race that was not
// stopped did.
TEST_F(RaceSetUp, SavedWhileChoosingAGearTheChoiceIsAskedAgain) {
  gScript = {[] { ClickButton(gElements.AllButton, 0); },
             [] { ClickButton(gElements.CarSelectButtons, 0); },
             [] { ClickButton(gElements.DriveOKButton, 0); }};
  NewRaceSetUp();
  for (int i = 0; i < 120; ++i) RaceStep();
  // The next car to start its move is the player's.
  const std::string mine = Standing()[(RaceNow().currentStanding + 1) % Standing().size()].car;
  Driver().at(mine).user = 1;
  gScript = {[] { ClickButton(gElements.RaceButtons, 1); },  // "Save Race"
             [] { PlatPushTypedKey(kKeyReturn, ""); }};      // keep the gear
  gStep = 0;
  for (int i = 0; i < 200 && gStep < gScript.size(); ++i) RaceStep();
  ASSERT_EQ(gStep, gScript.size()) << "the gear panel was shown";
  ASSERT_EQ(CurrentCarKey(), mine);
  const std::string afterChoice = SaveDocument();
  EXPECT_EQ(afterChoice.find("ChoosingGear"), std::string::npos);
  const fs::path saved = gProg.savedRacesFolder / (Options().raceName + ".json");
  EXPECT_NE(testing_support::ReadBytes(saved).find(",\"ChoosingGear\":1}"), std::string::npos);

  ResetRaceData();
  Load(saved);
  ShowLoadedCircuit();
  gScript = {[] { PlatPushTypedKey(kKeyReturn, ""); }};
  gStep = 0;
  ResumeLoadedRace();
  EXPECT_EQ(gStep, 1u) << "asked again";
  EXPECT_EQ(SaveDocument(), afterChoice);
}
