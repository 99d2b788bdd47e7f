// The gear panel's corner information, against cases worked by hand from the
// computer drivers' projection: MP with the bonus, the distance and safe gear
// of the next corner, and the verdict for each gear the panel offers.
#include "race/gear_advice.h"

#include "platform/services.h"
#include "race_support.h"

namespace {
// Every button offered but 1st, 2nd and "use OR".
constexpr int kThirdUp[kGearButtons] = {2, 2, 0, 0, 0, 0, 2};

class GearPanel : public RaceTest {
 protected:
  // A lap of 40 nodes, a sharp corner at nodes 30 to 32; car "A" (MP 4, 7,
  // 10, 13, 16, 19; sharp 3, hairpin 2; downshift 1) on node 10 with `mp` MP
  // to the corner.
  CarRecord& Setup(int mp) {
    LayStraight(40);
    MarkCorner(30, 32, 1);
    Corner().push_back({30, 1, 1, 0, 0, 0});
    for (int i = 0; i < 30; ++i) {
      Node()[i].distanceInMPs = (30 - i) * 2;
      Node()[i].nextCornerType = 1;
    }
    Node()[10].distanceInMPs = mp;
    CarRecord& a = AddCar("A");
    a.gear = 4;
    Put("A", 10, 0);
    Standing().push_back({"A", 0, 10, 0});
    gRace.currentStanding = 0;
    return a;
  }
};
}  // namespace

TEST_F(GearPanel, SafeOffTheLineChanceAndCrash) {
  Setup(10);
  GearAdvice advice = AdviseGears(kThirdUp);
  EXPECT_EQ(advice.corner, "sharp corner in 10 MP");
  EXPECT_EQ(advice.safeGear, "safe gear: 3");
  // 3rd: 10 MP reach the corner in 3rd. 4th: 13 MP, arriving one over.
  // 5th: 16, two over. Top: 19, three over.
  EXPECT_EQ(advice.rows[0], "");
  EXPECT_EQ(advice.rows[1], "");
  EXPECT_EQ(advice.rows[2], "10 MP safe");
  EXPECT_EQ(advice.rows[3], "13 MP may go off the line");
  EXPECT_EQ(advice.rows[4], "16 MP chance: spin-out or crash");
  EXPECT_EQ(advice.rows[5], "19 MP crash");
  EXPECT_EQ(advice.rows[6], "");
}

TEST_F(GearPanel, TheMoveBrakesOnTheWayAndTheBonusCounts) {
  CarRecord& a = Setup(20);
  // 20 MP away: 5th (16) leaves 4, the next move in 4th arrives one over;
  // 4th (13) leaves 7, the next in 3rd arrives safe; Top (19) leaves 1, then
  // 5th: two over.
  GearAdvice advice = AdviseGears(kThirdUp);
  EXPECT_EQ(advice.rows[3], "13 MP safe");
  EXPECT_EQ(advice.rows[4], "16 MP may go off the line");
  EXPECT_EQ(advice.rows[5], "19 MP chance: spin-out or crash");
  // 3 MP carried over: every gear gives 3 more, and the projection counts
  // the way from 20 - 3 = 17: Top leaves -2, arriving in Top.
  a.bonus = 3;
  advice = AdviseGears(kThirdUp);
  EXPECT_EQ(advice.rows[2], "13 MP safe");
  EXPECT_EQ(advice.rows[5], "22 MP crash");
  EXPECT_EQ(advice.corner, "sharp corner in 20 MP");
}

TEST_F(GearPanel, InsideACornerAndWithNoCornerAhead) {
  Setup(10);
  Node()[10].corner = 2;
  GearAdvice advice = AdviseGears(kThirdUp);
  EXPECT_EQ(advice.corner, "in a hairpin");
  EXPECT_EQ(advice.safeGear, "safe gear: 2");
  for (int i = 2; i < 6; ++i) EXPECT_EQ(advice.rows[i].substr(6), "safe") << i;
  Node()[10].corner = 0;
  Node()[10].nextCornerType = 0;
  advice = AdviseGears(kThirdUp);
  EXPECT_EQ(advice.corner, "no corner ahead");
  EXPECT_EQ(advice.safeGear, "");
  EXPECT_EQ(advice.rows[5], "19 MP safe");
  Node()[10].nextCornerType = 2;
  advice = AdviseGears(kThirdUp);
  EXPECT_EQ(advice.corner, "hairpin in 10 MP");
  EXPECT_EQ(advice.safeGear, "safe gear: 2");
  EXPECT_EQ(advice.rows[2], "10 MP may go off the line");
}

TEST_F(GearPanel, TheOrRowIsTopAndNothingOfTheRaceChanges) {
  CarRecord& a = Setup(200);
  a.ORpermitted = 1;
  a.ors = 1;
  a.bonus = 2;
  const int states[kGearButtons] = {2, 2, 0, 1, 0, 2, 1};
  uint64_t rolls = PlatRandomCalls();
  CarRecord before = a;
  GearAdvice advice = AdviseGears(states);
  EXPECT_EQ(advice.rows[5], "") << "Top itself is not offered";
  EXPECT_EQ(advice.rows[6], "21 MP safe");
  EXPECT_EQ(advice.rows[3], "15 MP safe");
  EXPECT_EQ(PlatRandomCalls(), rolls) << "no die is rolled";
  EXPECT_EQ(a.gear, before.gear);
  EXPECT_EQ(a.ors, before.ors);
  EXPECT_EQ(a.ORpermitted, before.ORpermitted);
  EXPECT_EQ(a.bonus, before.bonus);
  EXPECT_EQ(a.remaining, before.remaining);
  EXPECT_EQ(a.hb, before.hb);
  EXPECT_EQ(gRace.currentCar, "A");
  EXPECT_EQ(gRace.currentNode, 10);
  EXPECT_TRUE(LogLines().empty());
  // No current car: no advice, no fault.
  gRace.currentCar = "";
  advice = AdviseGears(states);
  EXPECT_EQ(advice.corner, "");
}
