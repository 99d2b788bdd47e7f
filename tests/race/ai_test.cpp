// Computer drivers: the options offered, the projection to the next corner,
// the willingness by style, stage and place, the leader rule, ORs.
#include "race/ai.h"

#include "platform/services.h"
#include "race_support.h"

class Ai : public RaceTest {
 protected:
  // A lap of 40 nodes; one sharp corner at nodes 30 to 32 of the given rank;
  // car "A" on node 10 with `mp` MP to the corner.
  CarRecord& Setup(int mp, int rank) {
    LayStraight(40);
    MarkCorner(30, 32, 1);
    Corner().push_back({30, rank, 1, 0, 0, 0});
    for (int i = 0; i < 30; ++i) {
      Node()[i].distanceInMPs = (30 - i) * 2;
      Node()[i].nextCornerType = 1;
    }
    Node()[10].distanceInMPs = mp;
    CarRecord& a = AddCar("A");
    a.gear3 = 9;
    a.gear4 = 12;
    a.gear5 = 15;
    a.gearTop = 18;
    a.gear = 4;
    a.hb = 0;
    Put("A", 10, 0);
    Standing().push_back({"A", 0, 10, 0});
    RaceNow().currentStanding = 0;
    return a;
  }
  static std::vector<int> Gears() {
    std::vector<int> gears;
    for (const GearOption& o : GearOptions()) gears.push_back(o.gear);
    return gears;
  }
  static std::vector<int> Risks() {
    std::vector<int> risks;
    for (const GearOption& o : GearOptions()) risks.push_back(o.risk);
    return risks;
  }
};

TEST_F(Ai, TwentyMpToASharpCornerFromFourth) {
  Setup(20, 1);
  EXPECT_EQ(EvaluateGear(5), 1) << "20 - 15 = 5, then 4th: -7, arriving in 4th";
  EXPECT_EQ(EvaluateGear(4), 0) << "20 - 12 = 8, then 3rd: -1";
  EXPECT_EQ(EvaluateGear(3), 0);
  ScriptRolls({40});
  ComputerGear();
  EXPECT_EQ(Gears(), (std::vector<int>{5, 4, 3}));
  EXPECT_EQ(Risks(), (std::vector<int>{1, 0, 0}));
  EXPECT_EQ(Car()["A"].gear, 5) << "roll 40 is within the small willingness";
  Car()["A"].gear = 4;
  ScriptRolls({41});
  ComputerGear();
  EXPECT_EQ(Car()["A"].gear, 4);
}

TEST_F(Ai, OnlyTheBestFourCornersAreWorthAOneGearGamble) {
  Setup(20, 5);
  uint64_t before = PlatRandomCalls();
  ScriptRolls({1});
  ComputerGear();
  EXPECT_EQ(Car()["A"].gear, 4);
  EXPECT_EQ(PlatRandomCalls(), before) << "no roll for a corner ranked 5";
}

TEST_F(Ai, ProjectionBrakesButNeverBelowTheLimit) {
  CarRecord& a = Setup(40, 1);
  a.downShift = 2;
  EXPECT_EQ(EvaluateGear(6), 0) << "40 - 18 = 22, 4th: 10, 3rd (not 2nd): -. Arrives in 3rd";
  a.downShift = 1;
  EXPECT_EQ(EvaluateGear(6), 1) << "22, 5th: 7, 4th: -5";
  Node()[10].distanceInMPs = 10;
  EXPECT_EQ(EvaluateGear(6), 99);
  EXPECT_EQ(EvaluateGear(5), 3);
  a.bonus = 5;
  Node()[10].distanceInMPs = 20;
  EXPECT_EQ(EvaluateGear(6), 99) << "the bonus shortens the way: 15 - 18";
  Node()[10].corner = 1;
  EXPECT_EQ(EvaluateGear(6), 0) << "inside a corner every option is safe";
}

TEST_F(Ai, ACarWithoutMpInAGearStillGetsAnAnswer) {
  CarRecord& a = Setup(40, 1);
  a.gear5 = 0;
  a.gearTop = 0;
  EXPECT_EQ(EvaluateGear(6), 99);
  a.downShift = -3;  // absurd data: the projection still ends, shifting up
  a.gear5 = 15;      // past Top, where no gear gives MP
  EXPECT_EQ(EvaluateGear(5), 99);
}

TEST_F(Ai, OrOptionFromFourthUsesOneOr) {
  CarRecord& a = Setup(200, 1);
  for (int i = 0; i < 30; ++i) Node()[i].distanceInMPs = 200;
  a.ORpermitted = 1;
  a.ors = 2;
  a.lap = 2;
  ComputerGear();
  EXPECT_EQ(Gears(), (std::vector<int>{6, 5, 4, 3}));
  EXPECT_EQ(a.gear, 6);
  EXPECT_EQ(a.ors, 1);
  EXPECT_EQ(a.ORpermitted, 0);
  EXPECT_EQ(LogLines(), (std::vector<std::string>{"A", "  uses 1 OR"}));
  EXPECT_EQ(RaceNow().currentNode, 10) << "the node is current again";
}

TEST_F(Ai, ASpunCarNeverGetsTop) {
  CarRecord& a = Setup(200, 1);
  a.gearTop = a.gear5;
  a.ORpermitted = 1;
  a.ors = 2;
  ComputerGear();
  EXPECT_EQ(Gears(), (std::vector<int>{5, 4, 3}));
  a.gear = 5;
  ComputerGear();
  EXPECT_EQ(Gears(), (std::vector<int>{5, 4}));
  EXPECT_EQ(a.ors, 2);
}

TEST_F(Ai, StandingOnACornerNodeTakesTheHighestOption) {
  CarRecord& a = Setup(20, 1);
  a.gear = 2;
  Node()[10].corner = 1;
  a.cornerExit = 1;
  ComputerGear();
  EXPECT_EQ(Risks(), (std::vector<int>{0, 0, 0}));
  EXPECT_EQ(a.gear, 3);
}

TEST_F(Ai, InsideACornerAtItsLimitTheGearIsKept) {
  CarRecord& a = Setup(20, 1);
  a.gear = 3;
  Node()[10].corner = 1;
  ComputerGear();
  EXPECT_TRUE(GearOptions().empty());
  EXPECT_EQ(a.gear, 3);
}

TEST_F(Ai, AllOptionsAtRiskNinetyNineBrakeAsHardAsAllowed) {
  CarRecord& a = Setup(2, 1);
  a.gear = 6;
  a.sharp = 2;
  a.downShift = 1;
  ComputerGear();
  EXPECT_EQ(Risks(), (std::vector<int>{99, 99}));
  EXPECT_EQ(a.gear, 5);
  // Never below standing, whatever the downshift.
  a.sharp = -5;
  a.gear = 1;
  a.downShift = 3;
  ComputerGear();
  EXPECT_EQ(a.gear, 0);
  ComputerGear();
  EXPECT_EQ(a.gear, 0);
}

// Willingness: a risk-1 option (5th) against a safe one (4th); the roll
// that decides is the last one of the script.
class Willingness : public Ai {
 protected:
  int Pick(int style, int lap, int hb, const std::vector<int>& rolls) {
    CarRecord& a = Car()["A"];
    a.lap = lap;
    a.hb = hb;
    a.gear = 4;
    DriverOf("A").style = style;
    ScriptRolls(rolls);
    GearOptions() = {{5, 1}, {4, 0}};
    return PickGear();
  }
  void SetUp() override {
    Ai::SetUp();
    Setup(20, 1);
  }
};

TEST_F(Willingness, StyleOneChargesEarlyWithHbsInHand) {
  EXPECT_EQ(Pick(1, 0, 4, {80}), 5);
  EXPECT_EQ(Pick(1, 1, 4, {80}), 5);
  EXPECT_EQ(Pick(1, 2, 4, {80}), 4) << "laps 4: third = 1";
  EXPECT_EQ(Pick(1, 1, 3, {80}), 4) << "fewer HBs than laps";
  EXPECT_EQ(Pick(0, 0, 9, {41}), 4) << "no style: 40";
}

TEST_F(Willingness, StyleTwoDrawsForItsMood) {
  EXPECT_EQ(Pick(2, 0, 4, {95, 80}), 5);
  EXPECT_EQ(Pick(2, 0, 4, {96, 80}), 4);
  EXPECT_EQ(Pick(2, 0, 3, {1, 80}), 4);
}

TEST_F(Willingness, StyleThreeChargesLate) {
  EXPECT_EQ(Pick(3, 4, 1, {80}), 5);
  EXPECT_EQ(Pick(3, 3, 1, {80}), 4);
  EXPECT_EQ(Pick(3, 4, 0, {80}), 4);
}

TEST_F(Willingness, BehindTheFirstThreeOnTheLastLapsTenMore) {
  for (const char* key : {"B", "C", "D"}) {
    AddCar(key).lap = 3;
    Standing().insert(Standing().begin(), {key, 3, 20, 0});
  }
  EXPECT_EQ(Pick(0, 3, 0, {50}), 5) << "place 4 on lap 3 of 4";
  EXPECT_EQ(Pick(0, 2, 0, {50}), 4) << "too early";
  Standing().erase(Standing().begin());
  EXPECT_EQ(Pick(0, 3, 0, {50}), 4) << "place 3";
}

TEST_F(Willingness, ALeaderWellAheadTakesFewRisks) {
  AddCar("B");
  Car()["B"].listInd = 5;
  Standing().push_back({"B", 0, 5, 0});
  EXPECT_EQ(Pick(0, 0, 0, {10}), 5) << "gap 5: small = 10";
  EXPECT_EQ(Pick(0, 0, 0, {11}), 4);
  GearOptions() = {{6, 3}, {5, 1}, {4, 0}};
  ScriptRolls({2});
  EXPECT_EQ(PickGear(), 6) << "big = 2 at the best corner";
  ScriptRolls({3, 11});
  EXPECT_EQ(PickGear(), 4);
  Car()["B"].listInd = 6;  // gap 4: the rule does not apply
  EXPECT_EQ(Pick(0, 0, 0, {40}), 5);
  EXPECT_EQ(RaceNow().currentStanding, 0);
}

TEST_F(Willingness, TwoGearGamblesOnlyAtTheBestCorner) {
  GearOptions() = {{6, 3}, {5, 1}, {4, 0}};
  ScriptRolls({40});
  EXPECT_EQ(PickGear(), 6);
  Corner()[0].rank = 2;
  uint64_t before = PlatRandomCalls();
  GearOptions() = {{6, 3}, {5, 1}, {4, 0}};
  ScriptRolls({40});
  EXPECT_EQ(PickGear(), 5) << "rank 2: no roll for risk 3, one for risk 1";
  EXPECT_EQ(PlatRandomCalls() - before, 1u);
  Corner()[0].rank = 0;  // fewer than two corners: every corner ranks 0
  GearOptions() = {{6, 3}, {4, 0}};
  ScriptRolls({40});
  EXPECT_EQ(PickGear(), 6);
}

TEST_F(Ai, GapInNodesCountsLaps) {
  LayStraight(40);
  AddCar("A").listInd = 12;
  AddCar("B").listInd = 5;
  EXPECT_EQ(GapInNodes("A", "B"), 7);
  EXPECT_EQ(GapInNodes("B", "A"), -7);
  Car()["A"].lap = 2;
  Car()["A"].listInd = 2;
  Car()["B"].lap = 1;
  Car()["B"].listInd = 35;
  EXPECT_EQ(GapInNodes("A", "B"), 2 + 1 + (40 - 35));
  EXPECT_EQ(GapInNodes("B", "A"), 2 + 1 + (40 - 35));
  EXPECT_EQ(GapInNodes("A", "nobody"), 0);
}

TEST_F(Ai, NextCornerWrapsToTheFirst) {
  LayStraight(20);
  Corner().push_back({4, 2, 1, 0, 0, 0});
  Corner().push_back({12, 1, 2, 0, 0, 0});
  ASSERT_TRUE(NextCorner(5));
  EXPECT_EQ(RaceNow().currentCorner, 1);
  ASSERT_TRUE(NextCorner(12));
  EXPECT_EQ(RaceNow().currentCorner, 1);
  ASSERT_TRUE(NextCorner(13));
  EXPECT_EQ(RaceNow().currentCorner, 0);
  Corner().clear();
  EXPECT_FALSE(NextCorner(3));
}
