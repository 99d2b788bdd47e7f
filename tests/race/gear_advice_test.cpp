// The gear panel's advice, from playing the move out: cases worked by hand
// from the dice rules, the two positions players met on Harbour Loop, and a
// property over positions of seeded races on every shipped circuit (the
// grouped play-out against every value of every roll, the words against the
// odds).
#include "race/gear_advice.h"

#include <cmath>

#include "platform/services.h"
#include "race/ai.h"
#include "race/car_data.h"
#include "race/analyze.h"
#include "race/movement.h"
#include "race/race_start.h"
#include "race/save_load.h"
#include "race/season.h"
#include "race_support.h"
#include "test_support.h"
#include "race/folders.h"

namespace fs = std::filesystem;

namespace {
// Every button offered but 1st, 2nd and "use OR".
constexpr int kThirdUp[kGearButtons] = {2, 2, 0, 0, 0, 0, 2};

class GearAdviceTest : public RaceTest {
 protected:
  // A lap of 40 nodes, a sharp corner at nodes 30 to 32; car "A" (MP 4, 7,
  // 10, 13, 16, 19; sharp 3, hairpin 2; downshift 1; 6 HBs; skill 2, so no
  // bonus on a roll) in 4th, `mp` MP before the corner.
  CarRecord& Setup(int mp) {
    LayStraight(40);
    MarkCorner(30, 32, 1);
    Corner().push_back({30, 1, 1, 0, 0, 0});
    CarRecord& a = AddCar("A");
    a.gear = 4;
    Put("A", 30 - mp / 2, 0);
    Standing().push_back({"A", 0, a.listInd, 0});
    RaceNow().currentStanding = 0;
    return a;
  }
};
}  // namespace

TEST_F(GearAdviceTest, ChancesCountedOverEveryRoll) {
  CarRecord& a = Setup(10);
  GearAdvice advice = AdviseGears(kThirdUp);
  EXPECT_EQ(advice.corner, "sharp corner in 10 MP");
  EXPECT_EQ(advice.safeGear, "safe gear: 3");
  EXPECT_EQ(advice.rows[0], "");
  EXPECT_EQ(advice.rows[2], "10 MP safe");
  // 4th arrives one over: an HB is spent and a roll of 50 or more of 100
  // holds the line; 49 values go off it.
  EXPECT_EQ(advice.rows[3], "13 MP off the line 49%");
  // 5th arrives two over: 1-20 is "spin-out" and 21-40 "off the line",
  // each softened by two HBs; the spin-out then rolls again and 1-19 of
  // those crash: 20 x 19 of 10,000 roll pairs.
  EXPECT_NEAR(advice.odds[4].crash, 0.038, 1e-12);
  EXPECT_EQ(advice.odds[4].spinOut, 0);
  EXPECT_EQ(advice.rows[4], "16 MP crash 4%");
  EXPECT_EQ(advice.rows[5], "19 MP will crash");
  EXPECT_EQ(advice.risks[5], 99);
  // Without HBs: off the line for certain in 4th; in 5th 21-40 spins out
  // and 1-20 crashes. With one HB both become off the line.
  a.hb = 0;
  advice = AdviseGears(kThirdUp);
  EXPECT_EQ(advice.rows[3], "13 MP will go off the line");
  EXPECT_EQ(advice.rows[4], "16 MP crash 20%, spin-out 20%");
  EXPECT_EQ(advice.shortRows[4], "16 MP crash 20%, spin 20%");
  a.hb = 1;
  advice = AdviseGears(kThirdUp);
  EXPECT_EQ(advice.rows[4], "16 MP off the line 40%");
  // A skilled driver adds 16 to every roll: 34 and up hold the line.
  a.hb = 6;
  DriverOf("A").skill = 4;
  EXPECT_EQ(AdviseGears(kThirdUp).rows[3], "13 MP off the line 33%");
}

TEST_F(GearAdviceTest, TheMoveCarriesItsBonusAndTheNextMoveIsInView) {
  CarRecord& a = Setup(20);
  // 20 MP away no gear but Top reaches the corner this move; but 5th and
  // Top leave the car too close to it to shift down to 3rd in one move.
  GearAdvice advice = AdviseGears(kThirdUp);
  EXPECT_EQ(advice.rows[3], "13 MP safe");
  EXPECT_EQ(advice.rows[4], "16 MP safe, then at best off the line 49%");
  EXPECT_EQ(advice.next[4].gear, 4);
  EXPECT_EQ(advice.rows[5], "19 MP safe, then at best crash 4%");
  EXPECT_EQ(advice.shortRows[5], "19 MP safe, then crash 4%");
  EXPECT_EQ(advice.safeGear, "safe gear: 3");
  // 3 MP carried over: kept by a move that meets no corner, shown apart;
  // Top reaches the corner with 2 of them left, which are dropped there.
  a.bonus = a.remaining = 3;
  advice = AdviseGears(kThirdUp);
  EXPECT_EQ(advice.rows[2], "10 + 3 MP safe");
  EXPECT_EQ(advice.rows[4], "16 + 3 MP safe, then at best off the line 49%");
  EXPECT_EQ(advice.rows[5], "19 + 1 MP will crash");
}

// A sharp corner of one node and a hairpin two nodes on: 3rd, safe for
// the first, reaches the second, and the header says so.
TEST_F(GearAdviceTest, TheSafeGearAgreesWithTheRowsWhenASecondCornerIsInReach) {
  CarRecord& a = Setup(10);
  for (NodeRecord& node : Node()) node.corner = 0;
  MarkCorner(30, 30, 1);
  MarkCorner(32, 33, 2);
  a.gear3 = 14;
  const int lowGears[kGearButtons] = {0, 0, 0, 0, 2, 2, 2};
  GearAdvice advice = AdviseGears(lowGears);
  EXPECT_EQ(advice.rows[2], "14 MP off the line 49%");
  EXPECT_EQ(advice.rows[1], " 7 MP safe");
  EXPECT_EQ(advice.safeGear, "safe gear: 2, a second corner in reach");
}

TEST_F(GearAdviceTest, InsideACornerAndWithNoCornerAhead) {
  Setup(10);
  Node()[25].corner = 2;  // the car stands in a hairpin, a sharp corner 10 MP on
  GearAdvice advice = AdviseGears(kThirdUp);
  EXPECT_EQ(advice.corner, "in a hairpin, sharp corner in 10 MP");
  EXPECT_EQ(advice.safeGear, "safe gear: 3");
  EXPECT_EQ(advice.rows[3], "13 MP off the line 49%")
      << "standing in a corner does not make the next one safe";
  for (NodeRecord& node : Node()) node.corner = 0;
  advice = AdviseGears(kThirdUp);
  EXPECT_EQ(advice.corner, "no corner ahead");
  EXPECT_EQ(advice.safeGear, "");
  EXPECT_EQ(advice.rows[5], "19 MP safe");
}

// The way the header speaks of: on the last lap the flag, when it comes
// before the corner; and where a node with both lanes taken stops the car.
TEST_F(GearAdviceTest, TheFlagOnTheLastLapAndABlockedWay) {
  CarRecord& a = Setup(10);
  Put("A", 37, 0);
  Options().laps = 3;
  a.lap = 2;
  GearAdvice advice = AdviseGears(kThirdUp);
  EXPECT_EQ(advice.corner, "sharp corner in 66 MP");
  EXPECT_EQ(advice.safeGear, "safe gear: 3");
  a.lap = 3;
  advice = AdviseGears(kThirdUp);
  EXPECT_EQ(advice.corner, "the flag in 6 MP") << "no corner past the flag";
  EXPECT_EQ(advice.safeGear, "");
  EXPECT_EQ(advice.rows[5], "19 MP safe");
  AddCar("B");
  AddCar("C");
  Put("B", 39, 0);
  Put("C", 39, 1);
  Select("A");
  advice = AdviseGears(kThirdUp);
  EXPECT_EQ(advice.corner, "the flag in 6 MP");
  EXPECT_EQ(advice.blocked, "blocked after 2 MP");
  // The rows agree with the header: the move stops at the full node and
  // what it could not spend waits for the next move.
  EXPECT_EQ(advice.rows[5], "19 MP blocked: 2 used, 17 carried over, safe");
  EXPECT_EQ(advice.shortRows[5], "19 MP blocked: 2 used, 17 kept, safe");
  // Boxed in: no gear moves the car, every gear keeps all its MP.
  Node()[39].car[0].clear();
  Node()[39].car[1].clear();
  Put("B", 38, 0);
  Put("C", 38, 1);
  Select("A");
  advice = AdviseGears(kThirdUp);
  EXPECT_EQ(advice.blocked, "blocked after 0 MP");
  for (int i = 0; i < 6; ++i) {
    if (kThirdUp[i] == 2) continue;
    const std::string mp = Decimal(GearMP(i + 1));
    EXPECT_EQ(advice.rows[i], (mp.size() < 2 ? " " : "") + mp + " MP blocked: 0 used, " + mp + " carried over, safe");
  }
  Node()[38].car[0].clear();
  Node()[38].car[1].clear();
  Put("B", 39, 0);
  Put("C", 39, 1);
  Select("A");
  CurrentCar().lap = 2;
  advice = AdviseGears(kThirdUp);
  EXPECT_EQ(advice.corner, "sharp corner in 66 MP");
  EXPECT_EQ(advice.blocked, "blocked after 2 MP");
  // Beyond the corner a full node is not on the way.
  Node()[39].car[0].clear();
  Node()[39].car[1].clear();
  Put("B", 33, 0);
  Put("C", 33, 1);
  Select("A");
  EXPECT_EQ(AdviseGears(kThirdUp).blocked, "");
}

TEST_F(GearAdviceTest, TheOrRowIsTopAndNothingOfTheRaceChanges) {
  CarRecord& a = Setup(10);
  a.ORpermitted = 1;
  a.ors = 1;
  a.bonus = a.remaining = 2;
  a.hb = 0;
  const int states[kGearButtons] = {2, 2, 0, 1, 0, 2, 1};
  uint64_t rolls = PlatRandomCalls();
  CarRecord before = a;
  std::vector<NodeRecord> nodes = Node();
  GearAdvice advice = AdviseGears(states);
  EXPECT_EQ(advice.rows[5], "") << "Top itself is not offered";
  // The 2 MP carried over are dropped at the corner.
  EXPECT_EQ(advice.rows[6], "19 MP will crash");
  EXPECT_EQ(advice.rows[3], "13 MP will go off the line");
  EXPECT_EQ(PlatRandomCalls(), rolls) << "no die is rolled";
  EXPECT_EQ(a.gear, before.gear);
  EXPECT_EQ(a.ors, before.ors);
  EXPECT_EQ(a.ORpermitted, before.ORpermitted);
  EXPECT_EQ(a.bonus, before.bonus);
  EXPECT_EQ(a.remaining, before.remaining);
  EXPECT_EQ(a.hb, before.hb);
  EXPECT_EQ(a.listInd, before.listInd);
  EXPECT_EQ(a.finished, 0);
  for (size_t i = 0; i < nodes.size(); ++i) {
    EXPECT_EQ(Node()[i].car[0], nodes[i].car[0]) << i;
    EXPECT_EQ(Node()[i].car[1], nodes[i].car[1]) << i;
  }
  EXPECT_TRUE(DNF().empty());
  EXPECT_EQ(CurrentCarKey(), "A");
  EXPECT_EQ(RaceNow().currentNode, 25);
  EXPECT_TRUE(LogLines().empty());
  // No current car: no advice, no fault.
  ClearCurrentCar();
  advice = AdviseGears(states);
  EXPECT_EQ(advice.corner, "");
}

// A hand-edited save: no HBs, a gear above Top, absurd MP, a car in a corner
// on the lap's last node. The advice says what the move does and the
// play-out stays bounded however far the MP would carry the car.
TEST_F(GearAdviceTest, HandEditedPositionsStayBounded) {
  CarRecord& a = Setup(10);
  MarkCorner(39, 39, 2);
  Put("A", 39, 1);
  a.hb = 0;
  a.gear = 9;
  a.gear1 = a.gear5 = a.gearTop = 2000000000;
  Options().laps = 99;
  const int every[kGearButtons] = {0, 0, 0, 0, 0, 0, 0};
  GearAdvice advice = AdviseGears(every);
  EXPECT_EQ(advice.corner, "in a hairpin, sharp corner in 62 MP");
  // Top meets the sharp corner three gears over: a crash, nothing to roll.
  EXPECT_EQ(advice.rows[5].substr(advice.rows[5].size() - 5), "crash");
  EXPECT_TRUE(advice.odds[5].complete);
  // 1st is safe in every corner, and its MP would carry the car round the
  // circuit until its 99th lap: played as far as the bound, no further.
  EXPECT_EQ(advice.risks[0], 0);
  EXPECT_FALSE(advice.odds[0].complete);
  EXPECT_EQ(advice.rows[0], "2000000000 MP safe?");
  EXPECT_EQ(a.gear, 9);
  EXPECT_EQ(a.listInd, 39);
}

TEST(Percent, WholeNumbersThatNeverHideWhatCanHappen) {
  EXPECT_EQ(Percent(0), "0%");
  EXPECT_EQ(Percent(0.001), "1%");
  EXPECT_EQ(Percent(0.038), "4%");
  EXPECT_EQ(Percent(0.999), "99%");
  EXPECT_EQ(Percent(1), "100%");
}

// The two positions players met on Harbour Loop: the last node of the sharp
// corner before the hairpin, and the node after it.
class HarbourLoop : public RaceTest {
 protected:
  void SetUp() override {
    RaceTest::SetUp();
    game = testing_support::CopyGameFolderToMemory("harbour");
    SetProgramFolder(game);
    LoadTrackTiles();
    Load(game / "Circuits" / "Harbour Loop.json");
    ASSERT_EQ(Node()[28].corner, 1);
    ASSERT_EQ(Node()[29].corner, 0);
    ASSERT_EQ(Node()[35].corner, 2);
    CarRecord& car = AddCar("Mine");
    car.gear4 = 16;
    car.gear5 = 17;
    car.sharp = 4;
    car.hairpin = 3;
    car.gear = 4;
    car.hb = 0;
    car.inCorner = 1;
  }
  void TearDown() override {
    fs::remove_all(game);
    RaceTest::TearDown();
  }
  fs::path game;
};

TEST_F(HarbourLoop, LeavingTheSharpCornerInFourthWithoutHbsGoesOffTheLine) {
  Put("Mine", 28, 0);
  GearOffer offer = OfferGears();
  ASSERT_NE(offer.states[3], 2) << "4th is offered";
  GearAdvice advice = AdviseGears(offer.states);
  EXPECT_EQ(advice.corner, "in a sharp corner, hairpin in 14 MP");
  EXPECT_EQ(advice.rows[3], "16 MP will go off the line");
  EXPECT_EQ(advice.odds[3].offTheLine, 1.0);
}

TEST_F(HarbourLoop, TheDistanceIsTheMpOfTheWayToTheCorner) {
  Put("Mine", 29, 0);
  EXPECT_EQ(Node()[29].distanceInMPs, 14) << "the analysis keeps its own number";
  EXPECT_EQ(NextCornerAhead().mp, 12);
  EXPECT_EQ(AdviseGears(OfferGears().states).corner, "hairpin in 12 MP");
}

// The move in the race itself, not in the play-out: a copy of the race at
// the gear choice, the gear answered, the risk rolls forced, stepped with
// RaceStep until the move is over.
namespace race_itself {
thread_local std::vector<int> gForced;
thread_local size_t gAsked = 0;
thread_local int gAnswer = 0;
thread_local bool gOver = false;
thread_local MoveEvents gSeen;
thread_local size_t gAskedInMove = 0;

int ForcedRoll() {
  const size_t i = gAsked++;
  return i < gForced.size() ? gForced[i] : 50;
}
int Answer(const GearOffer&) { return gAnswer; }
void MoveOver(int) {
  if (gOver) return;
  gOver = true;
  gSeen = CurrentMoveEvents();
  gAskedInMove = gAsked;
}

// What the move brought, and how many rolls it asked for.
MoveEvents RaceTheMove(const Race& at, int answer, const std::vector<int>& rolls, size_t& asked) {
  Race race = at;
  race.report = RaceReport{};
  race.report.chooseGear = Answer;
  race.report.moveEnded = MoveOver;
  race.options.keepFiles = true;
  race.dice.tried = ForcedRoll;
  gForced = rolls;
  gAsked = gAskedInMove = 0;
  gAnswer = answer;
  gOver = false;
  gSeen = MoveEvents{};
  RaceScope scope(race);
  for (int steps = 0; !gOver && !Standing().empty() && steps < 100000; ++steps) RaceStep();
  asked = gAskedInMove;
  return gSeen;
}

// Every value of each roll the race asks for, up to two rolls; `deeper` is
// set when a move asks for more.
void Count(const Race& at, int answer, std::vector<int>& rolls, double weight, MoveOdds& odds,
           bool& deeper) {
  size_t asked = 0;
  MoveEvents events = RaceTheMove(at, answer, rolls, asked);
  if (asked > rolls.size()) {
    if (rolls.size() >= 2) {
      deeper = true;
      return;
    }
    rolls.push_back(0);
    for (int value = 1; value <= 100; ++value) {
      rolls.back() = value;
      Count(at, answer, rolls, weight / 100.0, odds, deeper);
    }
    rolls.pop_back();
    return;
  }
  if (events.offTheLine > 0) odds.offTheLine += weight;
  if (events.spunOut) odds.spinOut += weight;
  if (events.crashed) odds.crash += weight;
}
}  // namespace race_itself

// Every gear panel a player's car would open in seeded races on every
// shipped circuit (the car driven as the computer would drive it): the
// grouped play-out equals every value of every roll, each row's odds are
// what the race itself brings over every forced roll, and the words say
// what the odds say.
TEST(GearAdviceProperty, OddsEqualEveryRollAndTheWordsFollowThem) {
  fs::path game = testing_support::CopyGameFolderToMemory("advice");
  testing_support::ReadGameFolderAsTheGame(game);
  static int checked = 0, deep = 0, risky = 0, againstTheRace = 0, nextChecked = 0, nextRisky = 0, blocked = 0;
  checked = deep = risky = againstTheRace = nextChecked = nextRisky = blocked = 0;
  Report() = RaceReport{};
  Report().chooseGear = [](const GearOffer& offer) {
    GearAdvice advice = AdviseGears(offer.states);
    for (int i = 0; i < kGearButtons; ++i) {
      if (offer.states[i] == 2) continue;
      const int answer = i < 6 ? i + 1 : kChooseUseOR;
      const MoveOdds& odds = advice.odds[i];
      MoveOdds every = PlayMoveOutEveryRoll(answer, 2);
      if (!every.complete) {
        ++deep;  // three rolls or more: 100^3 runs are too many here
      } else {
        EXPECT_TRUE(odds.complete);
        EXPECT_NEAR(odds.offTheLine, every.offTheLine, 1e-9) << answer;
        EXPECT_NEAR(odds.spinOut, every.spinOut, 1e-9) << answer;
        EXPECT_NEAR(odds.crash, every.crash, 1e-9) << answer;
        // The race itself, for every risky row and some safe ones.
        if (RiskOf(odds) != 0 || (!kSanitizerBuild && checked % 7 == 0)) {
          std::vector<int> rolls;
          MoveOdds raced;
          bool deeper = false;
          race_itself::Count(CurrentRace(), answer, rolls, 1.0, raced, deeper);
          if (!deeper) {
            ++againstTheRace;
            EXPECT_NEAR(odds.offTheLine, raced.offTheLine, 1e-9) << answer;
            EXPECT_NEAR(odds.spinOut, raced.spinOut, 1e-9) << answer;
            EXPECT_NEAR(odds.crash, raced.crash, 1e-9) << answer;
          }
        }
      }
      const int risk = advice.risks[i];
      EXPECT_EQ(risk, RiskOf(odds));
      risky += risk != 0;
      // The row names its worst outcome first, then every other one it can
      // have and none it cannot, never "0%" nor "100%".
      const std::string& row = advice.rows[i];
      std::string words = row.substr(row.find(" MP ") + 4);
      words = words.substr(0, words.find(", then"));
      // A move stopped by a full node says how far it gets and what it
      // keeps, and no more than the gear and the carried MP give; where
      // rolls decide whether it gets there, the chance of being stopped.
      if (words.rfind("blocked: ", 0) == 0) {
        ++blocked;
        EXPECT_GE(odds.blocked, 1.0) << row;
        const long long used = std::atoll(words.c_str() + 9);
        const size_t comma = words.find(" used, "), over = words.find(" carried over, ");
        EXPECT_TRUE(comma != std::string::npos && over != std::string::npos) << row;
        const long long carried = comma == std::string::npos ? 0 : std::atoll(words.c_str() + comma + 7);
        EXPECT_LE(used + carried, GearMP(answer == kChooseUseOR ? 6 : answer) + CurrentCar().bonus) << row;
        words = over == std::string::npos ? words : words.substr(over + 15);
      } else {
        EXPECT_EQ(words.find("blocked") != std::string::npos, odds.blocked > 0) << row;
        words = words.substr(0, words.find(", blocked "));
      }
      const std::string first = words.substr(0, words.find(','));
      const double chances[] = {odds.crash, odds.spinOut, odds.offTheLine};
      const char* names[] = {"crash", "spin", "off the line"};
      bool worstSeen = false;
      for (int o = 0; o < 3; ++o) {
        const bool named = words.find(names[o]) != std::string::npos;
        EXPECT_EQ(named, chances[o] > 0) << row;
        if (chances[o] > 0 && !worstSeen) {
          worstSeen = true;
          EXPECT_NE(first.find(names[o]), std::string::npos) << row;
        }
      }
      EXPECT_EQ(words == "safe" || words == "safe?", risk == 0) << row;
      EXPECT_EQ(words.find(" 0%"), std::string::npos) << row;
      EXPECT_EQ(words.find("100%"), std::string::npos) << row;
      // The next move after a safe one, against every value of its rolls.
      const NextMove& next = advice.next[i];
      EXPECT_EQ(row.find(", then at best") != std::string::npos, next.gear != 0 && RiskOf(next.odds) != 0)
          << row;
      // Under the sanitizers, every risky one and a quarter of the others.
      if (next.gear != 0 && (!kSanitizerBuild || RiskOf(next.odds) != 0 || checked % 4 == 0)) {
        NextMove brute = PlayNextMoveOutEveryRoll(answer, 2);
        EXPECT_EQ(brute.gear, next.gear);
        if (brute.odds.complete) {
          ++nextChecked;
          nextRisky += RiskOf(next.odds) != 0;
          EXPECT_NEAR(next.odds.offTheLine, brute.odds.offTheLine, 1e-9) << row;
          EXPECT_NEAR(next.odds.spinOut, brute.odds.spinOut, 1e-9) << row;
          EXPECT_NEAR(next.odds.crash, brute.odds.crash, 1e-9) << row;
        }
      }
      ++checked;
    }
    ComputerGear();  // the race goes on as the computer would drive it
    return kChooseKeepGear;
  };
  for (const fs::path& circuit : testing_support::ShippedCircuits()) {
    SCOPED_TRACE(circuit.filename().string());
    PlatScriptRandom({});
    PlatSeedRandom(7);
    Load(game / "Circuits" / circuit.filename());
    Options().raceName = circuit.stem().string();
    UnattendedRace race;
    race.laps = kSanitizerBuild ? 1 : 2;
    ASSERT_TRUE(SetUpUnattendedRace(race));
    // The player drives the cars in 2nd and last place of the grid.
    Driver()[Standing()[1].car].user = 1;
    Driver()[Standing().back().car].user = 1;
    for (long long steps = 0; !Standing().empty() && steps < 100000; ++steps) RaceStep();
    EXPECT_TRUE(Standing().empty());
  }
  EXPECT_GT(checked, 200);
  EXPECT_GT(risky, 20) << "positions where a gear is not safe";
  EXPECT_LT(deep, checked / 10);
  EXPECT_GT(againstTheRace, 20) << "rows played in the race itself, every risky one among them";
  EXPECT_GT(nextChecked, kSanitizerBuild ? 20 : 100) << "safe rows with a next move";
  EXPECT_GT(blocked, 0) << "rows of a car stopped by a full node";
  // One lap under the sanitizers meets none of them.
  if (!kSanitizerBuild) {
    EXPECT_GT(nextRisky, 0) << "safe rows whose next move is at risk";
  }
  Report() = RaceReport{};
  SetLoadDriversHandler(nullptr);
  fs::remove_all(game);
}
