// The player's gear choice: which buttons the rules enable, and what each
// way out of the wait does.
#include <gtest/gtest.h>

#include "race/define.h"
#include "game/screens.h"
#include "game/init.h"
#include "race/movement.h"
#include "race/save_load.h"
#include "minigui/mini_gui.h"
#include "platform/screen.h"
#include "platform/services.h"
#include "screen_support.h"
#include "game/gear_panel.h"
#include "race/gear_advice.h"
#include "game/view.h"
#include "game/screen_settings.h"

namespace fs = std::filesystem;

namespace {
// The race asks for a gear: the panel's choice for the current car, applied.
void UserMoves() {
  CarRecord& car = CurrentCar();
  ApplyGearChoice(car, ChooseGearOnPanel(OfferGears()));
}

std::vector<int> gStates;
std::function<void()> gAnswer;

class GearChoice : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::path game = testing_support::BuildGameDir();
    if (!fs::exists(game / "Theme" / "Frame.png")) GTEST_SKIP() << "no art in the game folder yet";
    dir = testing_support::MakeTempDir("gears");
    fs::copy(game, dir, fs::copy_options::recursive);
    testing_support::StartGameHeadless(1920, 1080, dir);
    Load(gProg.circuitsFolder / "Puddleford Park.json");
    ShowLoadedCircuit();
    Options().raceName = "gears";
    CarRecord car;
    car.gear1 = 4, car.gear2 = 7, car.gear3 = 10, car.gear4 = 13, car.gear5 = 16, car.gearTop = 19;
    car.sharp = 3, car.hairpin = 2, car.downShift = 2, car.ors = 1, car.hb = 2;
    car.listInd = 0, car.lane = 0;
    Car()["Mine"] = car;
    Node()[0].car[0] = "Mine";
    Node()[0].corner = 0;
    SelectCar("Mine");
    SelectNode(0);
    // On the first frame of the wait: note the buttons' states, then answer.
    gHooks.menuFrame = [] {
      if (gStates.empty()) {
        for (int i = 0; i < 7; ++i) gStates.push_back(GetButtonState(gElements.GearButtons, i));
        if (gAnswer) gAnswer();
      }
    };
    gStates.clear();
  }
  void TearDown() override {
    gHooks.menuFrame = nullptr;
    gAnswer = nullptr;
    if (!dir.empty()) fs::remove_all(dir);
  }
  void ClickGear(int index) {
    const ButtonArray* b = gElements.GearButtons;
    PlatPushMouseMove(b->buttonX[index] + b->buttonWidth / 2,
                      b->buttonY[index] + b->buttonHeight / 2);
    PlatPushButtonUp(1);
  }
  CarRecord& Mine() { return Car()["Mine"]; }
  fs::path dir;
};
}  // namespace

TEST_F(GearChoice, ThirdOutsideACornerOffersOneUpAndTwoDown) {
  Mine().gear = 3;
  gAnswer = [this] { ClickGear(1); };
  UserMoves();
  EXPECT_EQ(gStates, (std::vector<int>{0, 0, 1, 0, 2, 2, 2}));
  EXPECT_EQ(Mine().gear, 2);
  EXPECT_EQ(IsFrameHidden(gElements.GearFrame), 1);
}

TEST_F(GearChoice, AnOrFromFourthGoesStraightToTopWithoutALogLine) {
  Mine().gear = 4;
  Mine().ORpermitted = 1;
  gAnswer = [this] { ClickGear(6); };
  UserMoves();
  EXPECT_EQ(gStates[6], 1);
  EXPECT_EQ(gStates[5], 2);  // Top itself is two gears up
  EXPECT_EQ(Mine().gear, 6);
  EXPECT_EQ(Mine().ors, 0);
  EXPECT_EQ(Mine().ORpermitted, 0);
}

TEST_F(GearChoice, InsideASharpCornerTheLimitCapsTheChoice) {
  Mine().gear = 4;
  Mine().downShift = 1;
  Node()[0].corner = 1;
  gAnswer = [] { PlatPushTypedKey(kKeySpace, " "); };
  UserMoves();
  EXPECT_EQ(gStates, (std::vector<int>{2, 2, 0, 1, 2, 2, 2}));
  EXPECT_EQ(Mine().gear, 4);  // kept
}

// A car in no gear (on the grid, or standing after a spin) is offered 1st
// alone: it is highlighted, and Return takes it rather than keeping gear 0.
TEST_F(GearChoice, AStandingSpunOutCarMayOnlyTakeFirstAndReturnTakesIt) {
  Mine().gear = 0;
  Mine().gearTop = Mine().gear5;
  gAnswer = [] { PlatPushTypedKey(kKeyReturn, ""); };
  UserMoves();
  EXPECT_EQ(gStates, (std::vector<int>{1, 2, 2, 2, 2, 2, 2}));
  EXPECT_EQ(Mine().gear, 1) << "the car moves in 1st";
}

TEST_F(GearChoice, SaveRaceKeepsWaitingAndMainMenuLeavesTheGearAlone) {
  Mine().gear = 3;
  gAnswer = [] {
    const ButtonArray* b = gElements.RaceButtons;
    for (int i : {1, 2}) {
      PlatPushMouseMove(b->buttonX[i] + b->buttonWidth / 2, b->buttonY[i] + b->buttonHeight / 2);
      PlatPushButtonUp(1);
    }
  };
  gScreen.gameState = 2;
  UserMoves();
  EXPECT_TRUE(fs::exists(gProg.savedRacesFolder / "gears.json"));
  EXPECT_EQ(gScreen.gameState, 1);
  EXPECT_EQ(Mine().gear, 3);
}

TEST_F(GearChoice, EscapeGoesToTheMenuAsOnTheRaceScreen) {
  Mine().gear = 3;
  gAnswer = [] { PlatPushTypedKey(kKeyEscape, "\x1b"); };
  gScreen.gameState = 2;
  EXPECT_EQ(ChooseGearOnPanel(OfferGears()), kChooseLeave);
  EXPECT_EQ(gScreen.gameState, 1);
  EXPECT_EQ(Mine().gear, 3);
  EXPECT_EQ(IsFrameHidden(gElements.GearFrame), 1) << "no panel over the menu or a race loaded there";
}

// A hand-edited table or saved race with absurd numbers still offers only the
// gears that exist, and at once (the loop used to count down two billion).
TEST_F(GearChoice, AbsurdNumbersOfferOnlyTheGearsThatExist) {
  struct Case {
    int gear, downShift;
    std::vector<int> states;
    int returned;
  } cases[] = {
      // gear, downshift, the states shown, the gear Return leaves the car in
      {0, 2147483647, {1, 2, 2, 2, 2, 2, 2}, 1},
      {6, 2147483647, {0, 0, 0, 0, 0, 1, 2}, 6},
      {3, -2147483647 - 1, {2, 2, 1, 0, 2, 2, 2}, 3},
      {2147483647, 1, {2, 2, 2, 2, 0, 1, 2}, 6},
      {-5, 3, {1, 2, 2, 2, 2, 2, 2}, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.gear);
    Mine().gear = c.gear;
    Mine().downShift = c.downShift;
    gStates.clear();
    gAnswer = [] { PlatPushTypedKey(kKeyReturn, ""); };
    UserMoves();
    EXPECT_EQ(gStates, c.states);
    EXPECT_EQ(Mine().gear, c.returned) << "Return takes the highlighted gear, one that exists";
  }
}
