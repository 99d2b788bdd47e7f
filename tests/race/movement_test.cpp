// Movement and hazards: blocking, lanes and penalties, carried MP, corner
// entries with every risk branch, HBs, spin-outs, crashes, the running order
// and the finish.
#include "race/movement.h"

#include "../support/test_support.h"
#include "race/data_file.h"
#include "race/race_end.h"
#include "race/race_start.h"
#include "race/report.h"
#include "race/season.h"
#include "platform/services.h"
#include "race_support.h"

using Lines = std::vector<std::string>;

class Movement : public RaceTest {};

TEST_F(Movement, BlockedCarKeepsItsMpAndCarriesThemIntoTheNextMove) {
  LayStraight(10);
  AddCar("A").gear = 3;
  Car()["A"].remaining = 7;
  Put("A", 2, 0);
  Node()[3].car[0] = "X";
  Node()[3].car[1] = "Y";
  EXPECT_EQ(MoveOneNode(), 1);
  EXPECT_EQ(Car()["A"].remaining, 7);
  EXPECT_EQ(Car()["A"].listInd, 2);
  EXPECT_EQ(Node()[2].car[0], "A");

  // Through the turn sequence: the move ends, the 7 MP become the bonus and
  // the next move adds its gear's MP to them (no corner ahead: 4th is safe).
  UpdateStandings();
  RaceStep();
  const CarRecord& a = Car()["A"];
  EXPECT_EQ(a.bonus, 7);
  EXPECT_EQ(a.gear, 4);
  EXPECT_EQ(a.remaining, 7 + 13);
  EXPECT_FLOAT_EQ(a.turns, 1.0f);
}

TEST_F(Movement, LaneChoicePrefersLaneZeroAndAvoidsPenalties) {
  EXPECT_EQ(ChooseLane(true, true, 0, 0).lane, 0);
  LaneChoice c = ChooseLane(true, true, 2, 0);
  EXPECT_EQ(c.lane, 1);
  EXPECT_EQ(c.extra, 0);
  c = ChooseLane(false, true, 0, 2);
  EXPECT_EQ(c.lane, 1);
  EXPECT_EQ(c.extra, 2);
  c = ChooseLane(true, false, 2, 0);
  EXPECT_EQ(c.lane, 0);
  EXPECT_EQ(c.extra, 2);

  LayStraight(10);
  AddCar("A").remaining = 10;
  Put("A", 1, 0);
  Node()[2].penalty = 0;
  ASSERT_EQ(MoveOneNode(), 0);
  EXPECT_EQ(Car()["A"].lane, 1) << "lane 0 penalised, lane 1 free";
  EXPECT_EQ(Car()["A"].remaining, 8) << "plain step cost";
  EXPECT_EQ(Node()[2].car[1], "A");
  EXPECT_EQ(Node()[1].car[0], "") << "old place freed";

  Node()[3].car[0] = "X";
  Node()[3].penalty = 1;
  ASSERT_EQ(MoveOneNode(), 0);
  EXPECT_EQ(Car()["A"].lane, 1);
  EXPECT_EQ(Car()["A"].remaining, 4) << "lane 0 taken, penalised lane 1 at cost + 2";
  EXPECT_EQ(Car()["A"].listInd, 3);
}

TEST_F(Movement, DiagonalStepCostsThreeAndShortMpEndTheMove) {
  LayStraight(10);
  Node()[3].nodeY = 1;  // 2 -> 3 is diagonal
  AddCar("A").remaining = 2;
  Put("A", 2, 0);
  EXPECT_EQ(MoveOneNode(), 1);
  EXPECT_EQ(Car()["A"].remaining, 2);
  EXPECT_EQ(Car()["A"].listInd, 2);
  Car()["A"].remaining = 3;
  EXPECT_EQ(MoveOneNode(), 0);
  EXPECT_EQ(Car()["A"].remaining, 0);
  EXPECT_EQ(Car()["A"].facing, 2);
}

TEST_F(Movement, BonusIsLostOnEnteringAndOnLeavingACorner) {
  LayStraight(10);
  MarkCorner(3, 4, 1);
  CarRecord& a = AddCar("A");
  a.gear = 3;
  a.bonus = 3;
  a.remaining = 5;
  Put("A", 2, 0);
  ASSERT_EQ(MoveOneNode(), 0);
  EXPECT_EQ(a.remaining, 0);
  EXPECT_EQ(a.bonus, 0);
  EXPECT_EQ(a.inCorner, 1);
  EXPECT_TRUE(LogLines().empty()) << "3rd is the limit: nothing happens";
  EXPECT_EQ(MoveOneNode(), 1) << "no MP left for the next step";

  a.remaining = 11;
  ASSERT_EQ(MoveOneNode(), 0);  // 3 -> 4, still in the corner: nothing lost
  EXPECT_EQ(a.remaining, 9);
  a.bonus = 4;
  ASSERT_EQ(MoveOneNode(), 0);  // 4 -> 5 leaves it
  EXPECT_EQ(a.remaining, 3);
  EXPECT_EQ(a.bonus, 0);
  EXPECT_EQ(a.inCorner, 0);
  EXPECT_EQ(a.cornerExit, 1);
  ASSERT_EQ(MoveOneNode(), 0);
  EXPECT_EQ(a.cornerExit, 0) << "only until the next step";
  EXPECT_EQ(a.remaining, 1);
}

// The car enters a sharp corner (limit 3) from node 2 in the given gear.
class CornerEntry : public Movement {
 protected:
  int Enter(int gear, int hb, int skill, const std::vector<int>& rolls) {
    LayStraight(10);
    MarkCorner(3, 5, 1);
    CarRecord& a = AddCar("A");
    a.gear = gear;
    a.hb = hb;
    a.remaining = 20;
    DriverOf("A").skill = skill;
    Put("A", 2, 0);
    ScriptRolls(rolls);
    calls = PlatRandomCalls();
    return MoveOneNode();
  }
  uint64_t Rolled() const { return PlatRandomCalls() - calls; }
  const CarRecord& A() { return Car()["A"]; }
  uint64_t calls = 0;
};

TEST_F(CornerEntry, AtTheLimitNothingHappens) {
  EXPECT_EQ(Enter(3, 0, 2, {1}), 0);
  EXPECT_EQ(Rolled(), 0u);
  EXPECT_TRUE(LogLines().empty());
}

TEST_F(CornerEntry, OneGearOverWithoutHbsGoesOffTheLine) {
  EXPECT_EQ(Enter(4, 0, 2, {100}), 0);
  EXPECT_EQ(LogLines(), (Lines{"A", "  off the line"}));
  EXPECT_EQ(A().gear, 2);
  EXPECT_EQ(Rolled(), 0u);
}

TEST_F(CornerEntry, OneGearOverAnHbHoldsTheLineFromFifty) {
  EXPECT_EQ(Enter(4, 1, 2, {50}), 0);
  EXPECT_EQ(LogLines(), (Lines{"A", "  uses 1 HB"}));
  EXPECT_EQ(A().gear, 4);
  EXPECT_EQ(A().hb, 0);
}

TEST_F(CornerEntry, OneGearOverAnHbFailsBelowFifty) {
  EXPECT_EQ(Enter(4, 1, 2, {49}), 0);
  EXPECT_EQ(LogLines(), (Lines{"A", "  uses 1 HB", "A", "  off the line"}));
  EXPECT_EQ(A().gear, 2);
}

TEST_F(CornerEntry, SkillShiftsEveryRoll) {
  EXPECT_EQ(Enter(4, 1, 4, {34}), 0);  // 34 + 16 = 50
  EXPECT_EQ(A().gear, 4);
  LogLines().clear();
  EXPECT_EQ(Enter(4, 1, 0, {65}), 0);  // 65 - 16 = 49
  EXPECT_EQ(A().gear, 2);
}

TEST_F(CornerEntry, TwoGearsOverIsAChance) {
  EXPECT_EQ(Enter(5, 0, 2, {41}), 0);
  EXPECT_EQ(LogLines(), (Lines{"A", "  chance ...", "  safe!"}));
  EXPECT_EQ(A().gear, 5);
}

TEST_F(CornerEntry, ChanceOutcomeOneWithOneHbThenOffTheLine) {
  // The commentary the rules give as their example.
  EXPECT_EQ(Enter(5, 1, 2, {40}), 0);
  EXPECT_EQ(LogLines(), (Lines{"A", "  chance ...", "  uses 1 HB", "A", "  off the line"}));
  EXPECT_EQ(A().gear, 2);
  EXPECT_EQ(A().hb, 0);
  EXPECT_EQ(Rolled(), 1u);
}

TEST_F(CornerEntry, ChanceOutcomeOneWithTwoHbsIsSafe) {
  EXPECT_EQ(Enter(5, 5, 2, {21}), 0);
  EXPECT_EQ(LogLines(), (Lines{"A", "  chance ...", "  uses 2 HBs", "  safe!"}));
  EXPECT_EQ(A().hb, 3);
}

TEST_F(CornerEntry, ChanceOutcomeOneWithoutHbsSpinsOut) {
  EXPECT_EQ(Enter(5, 0, 2, {40}), 0);
  EXPECT_EQ(LogLines(), (Lines{"A", "  chance ...", "  spinout!"}));
  EXPECT_EQ(A().gear, 0);
  EXPECT_EQ(A().remaining, 0);
  EXPECT_EQ(A().gearTop, A().gear5);
  EXPECT_EQ(A().listInd, 3) << "a spun car keeps its place";
  EXPECT_EQ(Node()[3].car[0], "A");
}

TEST_F(CornerEntry, ChanceOutcomeTwoWithTwoHbsRollsAgain) {
  EXPECT_EQ(Enter(5, 3, 2, {20, 20}), 0);
  EXPECT_EQ(LogLines(), (Lines{"A", "  chance ...", "  uses 2 HBs", "  safe!"}));
  EXPECT_EQ(A().hb, 1);
  LogLines().clear();
  EXPECT_EQ(Enter(5, 3, 2, {20, 19}), 1);
  EXPECT_EQ(LogLines(), (Lines{"A", "  chance ...", "  uses 2 HBs", "  crashes!"}));
  EXPECT_EQ(A().finished, 2);
}

TEST_F(CornerEntry, ChanceOutcomeTwoWithOneHbBecomesOffTheLine) {
  EXPECT_EQ(Enter(5, 1, 2, {1}), 0);
  EXPECT_EQ(LogLines(), (Lines{"A", "  chance ...", "  uses 1 HB", "A", "  off the line"}));
}

TEST_F(CornerEntry, ChanceOutcomeTwoWithoutHbsCrashes) {
  EXPECT_EQ(Enter(5, 0, 2, {20}), 1);
  EXPECT_EQ(LogLines(), (Lines{"A", "  chance ...", "  crashes!"}));
  EXPECT_EQ(A().finished, 2);
  EXPECT_EQ(DNF(), (Lines{"A"}));
}

TEST_F(CornerEntry, SkillFourAboveOneHundredIsASingleSafe) {
  EXPECT_EQ(Enter(5, 0, 4, {85}), 0);  // 101: outcome 0
  EXPECT_EQ(LogLines(), (Lines{"A", "  chance ...", "  safe!"}));
  LogLines().clear();
  EXPECT_EQ(Enter(5, 0, 4, {24}), 0);  // 40: outcome 1, no HB: spin-out
  EXPECT_EQ(LogLines(), (Lines{"A", "  chance ...", "  spinout!"}));
}

TEST_F(CornerEntry, ThreeGearsOverCrashes) {
  EXPECT_EQ(Enter(6, 9, 2, {100}), 1);
  EXPECT_EQ(LogLines(), (Lines{"A", "  crashes!"}));
  EXPECT_EQ(Rolled(), 0u);
  EXPECT_EQ(A().gear, 0);
  EXPECT_FLOAT_EQ(A().turns, 0.0f);
  EXPECT_EQ(Node()[3].car[0], "") << "the crashed car leaves the track at once";
  EXPECT_EQ(DriverOf("A").lastTime, "0");
}

TEST_F(CornerEntry, HairpinUsesItsOwnLimit) {
  LayStraight(10);
  MarkCorner(3, 4, 2);
  CarRecord& a = AddCar("A");
  a.gear = 3;  // hairpin limit 2
  a.hb = 0;
  a.remaining = 5;
  Put("A", 2, 0);
  EXPECT_EQ(MoveOneNode(), 0);
  EXPECT_EQ(LogLines(), (Lines{"A", "  off the line"}));
  EXPECT_EQ(a.gear, 1);
  EXPECT_EQ(a.inCorner, 2);
}

TEST_F(Movement, UseHBsTable) {
  LayStraight(3);
  CarRecord& a = AddCar("A");
  Put("A", 0, 0);
  struct Row {
    int outcome, hb, roll, out, hbAfter;
    Lines log;
  };
  const Row rows[] = {
      {1, 2, 0, 0, 0, {"  uses 2 HBs"}},
      {1, 999, 0, 0, 997, {"  uses 2 HBs"}},
      {1, 1, 0, 1, 0, {"  uses 1 HB"}},
      {1, 0, 0, 2, 0, {}},
      {2, 5, 20, 0, 3, {"  uses 2 HBs"}},
      {2, 5, 19, 3, 3, {"  uses 2 HBs"}},
      {2, 1, 0, 1, 0, {"  uses 1 HB"}},
      {2, 0, 0, 3, 0, {}},
      {0, 5, 0, 0, 5, {}},
      {3, 5, 0, 0, 5, {}},
      {1, 1000, 0, 0, 1000, {}},
      {2, -1, 0, 0, -1, {}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE("outcome " + Decimal(r.outcome) + ", hb " + Decimal(r.hb));
    a.hb = r.hb;
    LogLines().clear();
    ScriptRolls({r.roll == 0 ? 100 : r.roll});
    EXPECT_EQ(UseHBs(r.outcome), r.out);
    EXPECT_EQ(a.hb, r.hbAfter);
    EXPECT_EQ(LogLines(), r.log);
  }
}

TEST_F(Movement, ASpunCarIsNotSpunAgain) {
  LayStraight(3);
  CarRecord& a = AddCar("A");
  Put("A", 0, 0);
  a.gear = 5;
  a.remaining = 9;
  Spinout();
  EXPECT_EQ(LogLines(), (Lines{"  spinout!"}));
  a.gear = 3;
  a.remaining = 9;
  Spinout();
  EXPECT_EQ(LogLines().size(), 1u);
  EXPECT_EQ(a.gear, 3);
  EXPECT_EQ(a.remaining, 9);

  // Outcome 1 without HBs becomes 2, and the spun car is not spun again:
  // nothing follows the chance line.
  LayStraight(10);
  MarkCorner(3, 4, 1);
  a.gear = 5;
  a.hb = 0;
  a.remaining = 9;
  a.inCorner = 0;
  Put("A", 2, 0);
  LogLines().clear();
  ScriptRolls({30});
  EXPECT_EQ(MoveOneNode(), 0);
  EXPECT_EQ(LogLines(), (Lines{"A", "  chance ..."}));
  EXPECT_EQ(a.gear, 5);
}

TEST_F(Movement, ACrashFreesThePlaceForTheCarBehindInTheSamePass) {
  LayStraight(10);
  MarkCorner(4, 5, 1);
  AddCar("A").gear = 6;
  AddCar("B").gear = 3;
  Put("A", 3, 0);
  Put("B", 2, 0);
  Node()[4].car[1] = "X";  // only the crashed car's place can free lane 0
  UpdateStandings();
  ASSERT_EQ(Standing()[0].car, "A");
  Car()["A"].remaining = 2;  // its move: one step, into the corner
  ASSERT_TRUE(SelectStanding(0));
  RaceStep();
  ASSERT_EQ(Car()["A"].finished, 2);
  EXPECT_EQ(Node()[4].car[0], "");
  // A's move ended and B's started: with no distances laid every option is
  // safe, so the computer shifts up to 4th.
  ASSERT_EQ(CurrentCarKey(), "B");
  ASSERT_EQ(Car()["B"].remaining, 13);
  RaceStep();
  RaceStep();
  EXPECT_EQ(Car()["B"].listInd, 4);
  EXPECT_EQ(Node()[4].car[0], "B");
}

TEST_F(Movement, RunningOrderByLapThenNodeThenLane) {
  LayStraight(10);
  for (const char* key : {"P", "Q", "R", "S", "T"}) AddCar(key);
  auto at = [](const char* key, int lap, int node, int lane) {
    Car()[key].lap = lap;
    Car()[key].listInd = node;
    Car()[key].lane = lane;
  };
  at("P", 2, 5, 1);
  at("Q", 2, 5, 0);
  at("R", 2, 7, 0);
  at("S", 3, 1, 1);
  Car()["T"].listInd = -1;  // not in the race
  Car()["S"].finished = 1;
  UpdateStandings();
  ASSERT_EQ(Standing().size(), 3u);
  EXPECT_EQ(Standing()[0].car, "R");
  EXPECT_EQ(Standing()[1].car, "Q");
  EXPECT_EQ(Standing()[2].car, "P");
  EXPECT_EQ(RaceNow().currentStanding, 0);
  Car()["R"].finished = 2;
  Car()["Q"].finished = 2;
  EXPECT_FALSE(CheckRaceOver());
  Car()["P"].finished = 1;
  EXPECT_TRUE(CheckRaceOver());
}

TEST_F(Movement, CrossingTheLineCountsLapsAndGrantsOrsFromLapTwo) {
  Options().laps = 3;
  LayStraight(10);
  CarRecord& a = AddCar("A");
  for (int lap = 0; lap < 3; ++lap) {
    SCOPED_TRACE("lap " + Decimal(lap));
    a.lap = lap;
    a.ORpermitted = 0;
    a.remaining = 2;
    Put("A", 9, 0);
    ASSERT_EQ(MoveOneNode(), 0);
    EXPECT_EQ(a.lap, lap + 1);
    EXPECT_EQ(a.listInd, 0);
    EXPECT_EQ(Node()[0].car[0], "A");
    EXPECT_EQ(Node()[9].car[0], "");
    EXPECT_EQ(a.ORpermitted, lap + 1 > 1 ? 1 : 0);
    Node()[0].car[0].clear();
  }
  a.lap = 3;
  a.turns = 9.0f;
  a.remaining = 5;
  a.gear = 4;
  Put("A", 9, 0);
  EXPECT_EQ(MoveOneNode(), 1);
  EXPECT_EQ(a.finished, 1);
  EXPECT_EQ(a.gear, 0);
  EXPECT_EQ(a.remaining, 0);
  EXPECT_EQ(a.listInd, 9) << "a finished car is still on the last node";
  EXPECT_EQ(Node()[9].car[0], "");
  EXPECT_EQ(Node()[0].car[0], "");
  EXPECT_EQ(OrderOfFinish(), (Lines{"A"}));
  EXPECT_EQ(LogLines(), (Lines{"A", "  finished 1st"}));
  EXPECT_NE(DriverOf("A").lastTime, "0");
}

TEST_F(Movement, FinishingPlacesAndTheirSuffixes) {
  LayStraight(4);
  AddCar("A");
  Put("A", 3, 0);
  const std::pair<int, const char*> cases[] = {{1, "1st"},   {2, "2nd"},   {3, "3rd"},
                                               {4, "4th"},   {11, "11th"}, {12, "12th"},
                                               {13, "13th"}, {21, "21th"}, {22, "22th"}};
  for (auto [place, text] : cases) {
    OrderOfFinish().assign(place - 1, "Z");
    LogLines().clear();
    FinishCar();
    EXPECT_EQ(LogLines().back(), std::string("  finished ") + text);
  }
}

TEST_F(Movement, ALoadedCarPastItsLastLapStillFinishes) {
  Options().laps = 2;
  LayStraight(4);
  CarRecord& a = AddCar("A");
  a.lap = 7;
  a.remaining = 2;
  Put("A", 3, 1);
  EXPECT_EQ(MoveOneNode(), 1);
  EXPECT_EQ(a.finished, 1);
}

TEST_F(Movement, TheLastFinisherEndsTheRaceInTheSameStep) {
  Options().laps = 1;
  LayStraight(6);
  CarRecord& a = AddCar("A");
  a.lap = 1;
  a.gear = 1;
  a.remaining = 2;
  Put("A", 5, 0);
  UpdateStandings();
  SaveText(gProg.dataFolder / "Last Race.txt", "Cup\r\n");
  RaceStep();
  EXPECT_TRUE(Standing().empty());
  EXPECT_TRUE(OrderOfFinish().empty()) << "the end of the race empties the lists";
  EXPECT_EQ(LogLines().back(), " ");
  EXPECT_EQ(LogLines()[LogLines().size() - 2], "end of race");
  EXPECT_EQ(testing_support::ReadBytes(gProg.dataFolder / "Last Race.txt"), "Cup\r\n1  A\r\n");
}

TEST_F(Movement, AUserCarCallsTheMoveSelectionHook) {
  LayStraight(6);
  AddCar("A").gear = 2;
  Put("A", 1, 0);
  DriverOf("A").user = 1;
  static int called = 0;
  called = 0;
  Report().chooseGear = [](const GearOffer&) {
    ++called;
    return 5;
  };
  StartMove();
  EXPECT_EQ(called, 1);
  EXPECT_EQ(Car()["A"].remaining, 16);
  Report().chooseGear = nullptr;
  Car()["A"].remaining = 0;
  StartMove();  // no move selection installed: the computer drives it
  EXPECT_EQ(called, 1);
  EXPECT_EQ(Car()["A"].gear, 6);
}

// The player leaves the gear panel for the menu: the move does not begin,
// and the next step of the race asks for the gear again.
TEST_F(Movement, AChoiceLeftForTheMenuIsAskedAgain) {
  LayStraight(6);
  AddCar("A").gear = 2;
  Put("A", 1, 0);
  DriverOf("A").user = 1;
  Standing().push_back({"A", 0, 1, 0});
  RaceNow().currentStanding = 0;
  static int asked = 0;
  asked = 0;
  Report().chooseGear = [](const GearOffer&) { return ++asked == 1 ? kChooseLeave : 3; };
  StartMove();
  EXPECT_EQ(asked, 1);
  EXPECT_TRUE(RaceNow().choosingGear) << "a save now asks again on loading";
  EXPECT_EQ(Car()["A"].remaining, 0) << "the move has not begun";
  RaceStep();
  EXPECT_EQ(asked, 2);
  EXPECT_FALSE(RaceNow().choosingGear);
  EXPECT_EQ(Car()["A"].gear, 3);
  EXPECT_EQ(Car()["A"].remaining, 10);
  EXPECT_EQ(Car()["A"].listInd, 1) << "asking is the whole step";
  Report().chooseGear = nullptr;
}

TEST_F(Movement, AComputerCarAtTheLimitInsideACornerKeepsItsGear) {
  LayStraight(10);
  MarkCorner(3, 6, 1);
  CarRecord& a = AddCar("A");
  a.gear = 3;
  a.inCorner = 1;
  Put("A", 4, 0);
  StartMove();
  EXPECT_EQ(a.gear, 3);
  EXPECT_EQ(a.remaining, 10);
  a.cornerExit = 1;  // just left one: a free choice again
  a.remaining = 0;
  StartMove();
  EXPECT_EQ(a.gear, 4);
}

// The sounds follow the race through its report's events: for a scripted
// pass, a player's car that shifts up, enters a corner one gear over, spends
// an HB in vain and goes off the line, then a car that crashes into it in
// Top, each event told once, in order, with the gear and node of the moment.
TEST_F(Movement, TheReportTellsEveryEventOfAPassInOrder) {
  LayStraight(12);
  MarkCorner(4, 6, 1);
  AddCar("A").gear = 3;
  AddCar("B").gear = 5;
  Put("A", 3, 0);
  Put("B", 2, 0);
  DriverOf("A").user = 1;
  DriverOf("B").user = 1;
  static std::vector<RaceEvent> heard;
  heard.clear();
  Report().event = [](const RaceEvent& event) { heard.push_back(event); };
  // A takes 4th, B Top; once B is out the player leaves for the menu.
  Report().chooseGear = [](const GearOffer&) {
    if (Car()["B"].finished != 0) return kChooseLeave;
    return CurrentCarKey() == "A" ? 4 : 6;
  };
  ScriptRolls({10});  // the HB does not hold the line
  UpdateStandings();
  ASSERT_TRUE(SelectStanding(0));
  ASSERT_TRUE(SelectCar("A"));
  StartMove();
  for (int step = 0; step < 40 && Car()["B"].finished == 0; ++step) RaceStep();
  Report().event = nullptr;
  Report().chooseGear = nullptr;
  ASSERT_EQ(Car()["B"].finished, 2);

  using K = RaceEventKind;
  struct Want {
    K kind;
    int car, gear, node, value;
  };
  const Want want[] = {
      {K::kMoveBegun, 0, 4, 3, 3},   {K::kCornerEntered, 0, 4, 4, 1}, {K::kHBUsed, 0, 4, 4, 1},
      {K::kOffTheLine, 0, 4, 4, 0},  {K::kMoveBegun, 1, 6, 2, 5},     {K::kCornerEntered, 1, 6, 4, 1},
      {K::kCrash, 1, 6, 4, 0},
  };
  ASSERT_EQ(heard.size(), std::size(want)) << "nothing more: the player left before A's next move began";
  for (size_t i = 0; i < heard.size(); ++i) {
    EXPECT_EQ(heard[i].kind, want[i].kind) << i;
    EXPECT_EQ(heard[i].car, want[i].car) << i;
    EXPECT_EQ(heard[i].gear, want[i].gear) << i;
    EXPECT_EQ(heard[i].node, want[i].node) << i;
    EXPECT_EQ(heard[i].value, want[i].value) << i;
  }
}
