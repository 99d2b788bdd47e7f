#include "race/gear_advice.h"

#include "common/common.h"
#include "race/ai.h"
#include "race/car_data.h"
#include "race/define.h"

namespace {
// At least two characters, so the rows line up.
std::string PadLeft2(long long value) {
  std::string text = Decimal(value);
  return text.size() < 2 ? " " + text : text;
}

std::string GearName(int gear) {
  return gear == 6 ? "Top" : Decimal(gear);
}
}  // namespace

GearOffer OfferGears() {
  GearOffer offer;
  CarRecord& car = CurrentCar();
  int g0 = car.gear;
  int at = Max(0, Min(g0, 6));  // a gear that exists, whatever a saved race says
  const NodeRecord* node = SelectNode(car.listInd) ? &CurrentNode() : nullptr;
  int corner = node != nullptr ? node->corner : 0;
  int top = at + 1;
  if (corner != 0 && car.cornerExit == 0) {
    int limit = corner == 1 ? car.sharp : car.hairpin;
    top = Max(Min(limit, at + 1), at - 1);
  }
  bool spunOut = car.gear5 == car.gearTop;
  if (car.ORpermitted != 0 && corner == 0 && car.ors >= 1 && g0 == 4 && !spunOut)
    offer.states[6] = 1;
  // Only the gears that exist (1..6) are offered, whatever a saved race or the
  // car table says, so the loop stays short.
  int lowest = Max(1, at - Max(0, Min(car.downShift, 6)));
  for (int g = Min(top, 6); g >= lowest; --g) {
    if (g == 6 && spunOut) continue;
    offer.states[g - 1] = 0;
  }
  if (g0 >= 1 && g0 <= 6) offer.states[g0 - 1] = 1;
  return offer;
}

void ApplyGearChoice(CarRecord& car, int answer) {
  if (answer == kChooseLeave || answer == kChooseKeepGear) {
    // The gear stays as it is.
  } else if (answer >= 1 && answer <= 6) {
    car.gear = answer;
  } else if (answer == kChooseUseOR) {
    car.ors -= 1;
    car.gear = 6;
    car.ORpermitted = 0;
  } else {
    FATAL("error in gear selection routine", "Movement", "UserMoves");
  }
}

std::string RiskWords(int risk) {
  if (risk <= 0) return "safe";
  if (risk == 1) return "may go off the line";
  if (risk < 99) return "chance: spin-out or crash";
  return "crash";
}

GearAdvice AdviseGears(const int states[kGearButtons]) {
  GearAdvice advice;
  if (!SelectCar(gRace.currentCar)) return advice;
  KeepCurrent keep;
  const CarRecord& car = CurrentCar();
  if (!SelectNode(car.listInd)) return advice;
  const NodeRecord& node = CurrentNode();
  auto limitOf = [&car](int type) { return type == 1 ? car.sharp : car.hairpin; };
  if (node.corner == 1 || node.corner == 2) {
    advice.corner = node.corner == 1 ? "in a sharp corner" : "in a hairpin";
    advice.safeGear = "safe gear: " + GearName(limitOf(node.corner));
  } else if (node.nextCornerType == 1 || node.nextCornerType == 2) {
    advice.corner = std::string(node.nextCornerType == 1 ? "sharp corner" : "hairpin") + " in " +
                    Decimal(node.distanceInMPs) + " MP";
    advice.safeGear = "safe gear: " + GearName(limitOf(node.nextCornerType));
  } else {
    advice.corner = "no corner ahead";
  }
  for (int i = 0; i < kGearButtons; ++i) {
    if (states[i] == 2) continue;
    int gear = i < 6 ? i + 1 : 6;  // "use OR" is Top
    long long mp = static_cast<long long>(GearMP(gear)) + car.bonus;
    advice.risks[i] = EvaluateGear(gear);
    advice.rows[i] = PadLeft2(mp) + " MP " + RiskWords(advice.risks[i]);
  }
  return advice;
}
