// The saved races the real game plays under Xvfb (tests/smoke/positions_test.sh):
// a race set up on Harbour Loop as the game sets one up, the player's car
// moved to where each position is about, saved while the player chooses its
// gear. Each is checked here for what the gear panel must say of it; the
// files go to the screenshots folder, "positions/NAME.json".
#include "platform/services.h"
#include "race/analyze.h"
#include "race/gear_advice.h"
#include "race/movement.h"
#include "race/race_start.h"
#include "race/save_load.h"
#include "race/season.h"
#include "race/folders.h"
#include "race_support.h"
#include "test_support.h"

namespace fs = std::filesystem;

namespace {
class SavedPositions : public testing::Test {
 protected:
  // The race on that circuit, set up as the game sets one up.
  void SetUpOn(const std::string& circuit, std::vector<std::string> cars = {}) {
    game = testing_support::CopyGameFolderToMemory("positions");
    testing_support::ReadGameFolderAsTheGame(game);
    Report() = RaceReport{};
    PlatScriptRandom({});
    PlatSeedRandom(3);
    Load(game / "Circuits" / (circuit + ".json"));
    Options().raceName = circuit;
    UnattendedRace race;
    race.laps = 2;
    race.cars = cars;
    ASSERT_TRUE(SetUpUnattendedRace(race));
    ASSERT_GE(Standing().size(), 4u);
  }
  void TearDown() override {
    if (game.empty()) return;
    Report() = RaceReport{};
    SetLoadDriversHandler(nullptr);
    fs::remove_all(game);
  }
  // The car of that place of the grid, driven by the player, with no MP
  // yet: they are counted once its gear is chosen.
  CarRecord& Mine(int place) {
    const std::string& key = Standing()[place].car;
    Driver()[key].user = 1;
    CarRecord& car = Car().at(key);
    car.remaining = car.bonus = 0;
    return car;
  }
  // Moves the car of that place of the grid to a free node, on that lap.
  void MoveTo(int place, int node, int lane, int lap) {
    StandingRecord& s = Standing()[place];
    CarRecord& car = Car().at(s.car);
    Node()[car.listInd].car[car.lane].clear();
    Put(s.car, node, lane);
    car.lap = s.lap = lap;
    s.listInd = node;
    s.lane = lane;
  }
  bool Free(int node) { return Node()[node].car[0].empty() && Node()[node].car[1].empty(); }
  // The advice for the grid's first car, as its panel would open.
  GearAdvice Advice() {
    Select(Standing()[0].car);
    return AdviseGears(OfferGears().states);
  }
  // Saved while the grid's first car chooses, as "Save Race" saves it.
  void SaveAs(const std::string& name) {
    RaceNow().currentStanding = 0;
    RaceNow().choosingGear = true;
    const fs::path dir = testing_support::ArtifactDir() / "positions";
    fs::create_directories(dir);
    Save(dir / (name + ".json"));
  }
  fs::path game;
};
}  // namespace

// On the grid the car is in no gear and only 1st is offered; the player
// drives the first two cars of the grid.
TEST_F(SavedPositions, TheGridWithTwoDrivenCars) {
  ASSERT_NO_FATAL_FAILURE(SetUpOn("Harbour Loop"));
  Mine(0).gear = 0;  // as before the computer chose for it
  Mine(1);
  Select(Standing()[0].car);
  GearOffer offer = OfferGears();
  EXPECT_EQ(CurrentCar().gear, 0);
  for (int i = 0; i < kGearButtons; ++i) EXPECT_EQ(offer.states[i] != 2, i == 0) << i;
  SaveAs("grid");
}

// In Top before the sharp corner, shifting down one gear a move: Top is safe
// for this move and says what the next one can be at best.
TEST_F(SavedPositions, TopBeforeASharpCorner) {
  ASSERT_NO_FATAL_FAILURE(SetUpOn("Grand Serpentine", {"Mistral", "Typhoon", "Vanguard", "Arrowhead"}));
  CarRecord& car = Mine(0);
  car.gear = 6;
  car.downShift = 1;
  int found = -1;
  for (int node = static_cast<int>(Node().size()) - 1; node > 0 && found < 0; --node) {
    if (!Free(node) || Node()[node].corner != 0) continue;
    MoveTo(0, node, 0, 1);
    const GearAdvice advice = Advice();
    if (advice.corner.rfind("sharp corner in", 0) == 0 &&
        advice.rows[5].find("safe, then at best") != std::string::npos)
      found = node;
  }
  ASSERT_GE(found, 0) << "no node before the corner where Top is safe and the next move is not";
  EXPECT_NE(Advice().corner.find("sharp corner in"), std::string::npos) << Advice().corner;
  SaveAs("top");
}

// On the last lap 6 MP before the line, the sharp corner beyond it is not
// spoken of.
TEST_F(SavedPositions, TheLastLapSixMpBeforeTheLine) {
  ASSERT_NO_FATAL_FAILURE(SetUpOn("Harbour Loop", {"Mistral", "Typhoon", "Vanguard", "Arrowhead"}));
  CarRecord& car = Mine(0);
  car.gear = 3;
  // The others behind it on the lap, out of the way to the line.
  for (int place = 1; place < 4; ++place) MoveTo(place, 18 + 2 * place, 0, Options().laps);
  int found = -1;
  for (int node = static_cast<int>(Node().size()) - 1; node > 0 && found < 0; --node) {
    if (!Free(node)) continue;
    MoveTo(0, node, 0, Options().laps);
    if (Advice().corner == "the flag in 6 MP") found = node;
  }
  ASSERT_GE(found, 0);
  EXPECT_EQ(Advice().safeGear, "");
  SaveAs("flag");
}

// Two cars side by side two nodes ahead cut the move short.
TEST_F(SavedPositions, ABlockedWay) {
  ASSERT_NO_FATAL_FAILURE(SetUpOn("Harbour Loop"));
  CarRecord& car = Mine(0);
  car.gear = 2;
  int at = static_cast<int>(Node().size()) - 3;
  while (at > 0 && !(Free(at) && Free(at + 1) && Free(at + 2) && Node()[at + 1].corner == 0)) --at;
  ASSERT_GT(at, 0);
  MoveTo(0, at, 0, 1);
  MoveTo(1, at + 2, 0, 1);
  MoveTo(2, at + 2, 1, 1);
  EXPECT_EQ(Advice().blocked, "blocked after 2 MP");
  SaveAs("blocked");
}
