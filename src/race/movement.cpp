#include "race/movement.h"

#include <algorithm>
#include <cstdint>
#include <set>
#include <vector>

#include <cmath>

#include "common/common.h"
#include "race/ai.h"
#include "race/analyze.h"
#include "race/car_data.h"
#include "race/define.h"
#include "race/race_end.h"
#include "race/report.h"
#include "platform/services.h"

namespace {
const char* kModule = "Movement";

int LastNodeIndex() {
  return static_cast<int>(Node().size()) - 1;
}

NodeRecord& NextNodeRecord() {
  if (Node().empty()) FATAL("no nodes", kModule, "NextNode");
  int i = RaceNow().currentNode + 1;
  return Node()[i > LastNodeIndex() || i < 0 ? 0 : i];
}

// Takes the car out of a place only when the place holds it, so a race state
// that went wrong can never push another car off the track.
void LeavePlace(NodeRecord& node, const CarRecord& car) {
  if ((car.lane == 0 || car.lane == 1) && node.car[car.lane] == CurrentCarKey())
    node.car[car.lane].clear();
}

DriverRecord* CurrentDriver() {
  auto it = Driver().find(CurrentCarKey());
  return it == Driver().end() ? nullptr : &it->second;
}

int CornerLimit(const CarRecord& car, int cornerType) {
  return cornerType == 1 ? car.sharp : car.hairpin;
}

// The car of the current standing and the node it stands on become current.
void SelectStandingCar() {
  StandingRecord& s = CurrentStanding();
  const CarTable& cars = Car();
  const bool known = s.carIndex >= 0 && static_cast<size_t>(s.carIndex) < cars.size() &&
                     cars.EntryAt(static_cast<size_t>(s.carIndex)).first == s.car;
  if (!known) s.carIndex = cars.IndexOf(s.car);
  if (!SelectCarAt(s.carIndex))
    FATAL("unknown car in the running order: " + s.car, kModule, "RaceStep");
  if (!SelectNode(CurrentCar().listInd))
    FATAL("car off the track: " + s.car, kModule, "RaceStep");
}

// Whether the car will ever have MP to spend: MP in its gear now, or a gear
// choice ahead of it that offers a gear with MP.
bool CanGainMP(const std::string& key, const CarRecord& car, const NodeRecord& node) {
  if (CarGearMP(car, car.gear) >= 1) return true;
  auto driver = Driver().find(key);
  bool user = driver != Driver().end() && driver->second.user != 0 && Report().chooseGear != nullptr;
  int at = std::clamp(car.gear, 0, 6);
  int top = Min(at + 1, 6);
  if (node.corner != 0 && car.cornerExit == 0) {
    int limit = CornerLimit(car, node.corner);
    if (!user && car.gear >= limit) return false;  // the computer holds its gear there
    if (user) top = Min(Max(Min(limit, at + 1), at - 1), 6);
  }
  int low = Max(1, at - std::clamp(car.downShift, 0, 6));
  for (int g = top; g >= low; --g) {
    if (CarGearMP(car, g) >= 1) return true;
  }
  return false;
}

// True when no car of the running order can ever move again: cars that will
// never have MP block for good, and so do cars whose next node is held in
// both lanes by cars that never move (a ring of cars blocking each other).
bool NoCarCanMove() {
  const int last = LastNodeIndex();
  std::set<std::string> movable, racing;
  for (const StandingRecord& s : Standing()) racing.insert(s.car);
  for (bool grew = true; grew;) {
    grew = false;
    for (const StandingRecord& s : Standing()) {
      if (movable.count(s.car) != 0) continue;
      auto it = Car().find(s.car);
      if (it == Car().end()) continue;
      const CarRecord& car = it->second;
      if (car.finished != 0 || car.listInd < 0 || car.listInd > last) continue;
      if (!CanGainMP(s.car, car, Node()[car.listInd])) continue;
      const NodeRecord& next = Node()[car.listInd >= last ? 0 : car.listInd + 1];
      for (const std::string& holder : next.car) {
        // A place held by a key outside the running order is not ours to
        // judge (the loader lets none through): it counts as one that frees.
        if (holder.empty() || racing.count(holder) == 0 || movable.count(holder) != 0) {
          movable.insert(s.car);
          grew = true;
          break;
        }
      }
    }
  }
  return movable.empty();
}

bool SamePlaces(const std::vector<StandingRecord>& a, const std::vector<StandingRecord>& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](auto& x, auto& y) {
    return x.car == y.car && x.lap == y.lap && x.listInd == y.listInd && x.lane == y.lane;
  });
}

// The cars still racing drop out where they stand and the race ends with the
// results as they are.
void EndStuckRace() {
  AddLogText("no car can move any more");
  for (const StandingRecord& s : Standing()) {
    if (!SelectCar(s.car)) continue;
    CarRecord& car = CurrentCar();
    if (SelectNode(car.listInd)) LeavePlace(CurrentNode(), car);
    car.finished = 2;
    car.gear = 0;
    car.remaining = 0;
    DNF().push_back(s.car);
    if (DriverRecord* driver = CurrentDriver()) driver->lastTime = "0";
  }
  EndOfRace();
}
}  // namespace

void SetRollSource(RollSource source) {
  CurrentRace().dice.tried = source;
}

MoveEvents& CurrentMoveEvents() {
  return CurrentRace().moveEvents;
}

long long SkillRoll() {
  const DriverRecord* driver = CurrentDriver();
  // 64 bits: a hostile skill cannot overflow the bonus.
  long long bonus = driver == nullptr ? 0 : (static_cast<long long>(driver->skill) - 2) * 8;
  int roll = RaceRandom(100, 1);
  return roll + bonus;
}

// --- Turn sequence -----------------------------------------------------------

void RaceStep() {
  if (Standing().empty()) return;
  if (!SelectStanding(RaceNow().currentStanding)) SelectStanding(0);
  SelectStandingCar();
  if (RaceNow().choosingGear) {
    // A gear choice left open: asked again before the car moves.
    RaceNow().choosingGear = false;
    StartMove();
    ReportCarStatus(0);
    return;
  }
  ReportCarStatus(0);
  if (CurrentCar().finished != 0 || MoveOneNode() == 1) {
    EndOfMove();
    return;
  }
  ReportCarStatus(1);
}

void EndOfMove() {
  CarRecord& car = CurrentCar();
  car.turns += 1.0f;
  car.bonus = car.remaining;
  if (Report().moveEnded != nullptr) Report().moveEnded(PlaceNow(CurrentCarKey()));
  if (!SelectStanding(RaceNow().currentStanding + 1)) {
    // A whole pass without a car changing place may mean that none ever will.
    thread_local std::vector<StandingRecord> before;
    before = Standing();
    if (CheckRaceOver()) {
      EndOfRace();
      return;
    }
    if (SamePlaces(before, Standing()) && NoCarCanMove()) {
      EndStuckRace();
      return;
    }
  }
  SelectStandingCar();
  StartMove();
  ReportCarStatus(0);
}

void StartMove() {
  CurrentMoveEvents() = MoveEvents{};
  CarRecord& car = CurrentCar();
  const int gearBefore = car.gear;
  const DriverRecord* driver = CurrentDriver();
  if (driver != nullptr && driver->user != 0 && Report().chooseGear != nullptr) {
    ReportCarStatus(0);
    if (car.finished == 0) {
      GearOffer offer = OfferGears();
      // Until the player has chosen, the move has not begun: a race saved
      // now asks again when it is resumed.
      RaceNow().choosingGear = true;
      int answer = Report().chooseGear(offer);
      // The player left for the menu: the move has not begun and the choice
      // is asked again when the race goes on, as after a save made now.
      if (answer == kChooseLeave) return;
      RaceNow().choosingGear = false;
      ApplyGearChoice(car, answer);
    }
  } else {
    switch (car.inCorner) {
      case 1:
        if (car.gear < car.sharp || car.cornerExit != 0) ComputerGear();
        break;
      case 2:
        if (car.gear < car.hairpin || car.cornerExit != 0) ComputerGear();
        break;
      default:
        ComputerGear();
    }
  }
  // Saturating: a car table with absurd MP cannot overflow the count.
  long long remaining = static_cast<long long>(car.remaining) + GearMP(car.gear);
  car.remaining = static_cast<int>(std::clamp<long long>(remaining, INT32_MIN, INT32_MAX));
  if (car.finished == 0) ReportEvent(RaceEventKind::kMoveBegun, gearBefore);
}

std::vector<StandingRecord> RunningOrderNow() {
  std::vector<StandingRecord> order;
  int index = 0;
  for (const auto& [key, car] : Car()) {
    if (car.listInd != -1 && car.finished == 0)
      order.push_back({key, car.lap, car.listInd, car.lane, index});
    ++index;
  }
  // Lap, then node, then lane (lane 0 first), then key order.
  std::sort(order.begin(), order.end(), [](const StandingRecord& a, const StandingRecord& b) {
    if (a.lap != b.lap) return a.lap > b.lap;
    if (a.listInd != b.listInd) return a.listInd > b.listInd;
    if (a.lane != b.lane) return a.lane < b.lane;
    return a.carIndex < b.carIndex;
  });
  return order;
}

int PlaceNow(const std::string& key) {
  const std::vector<StandingRecord> order = RunningOrderNow();
  for (size_t i = 0; i < order.size(); ++i)
    if (order[i].car == key) return static_cast<int>(i) + 1;
  return 0;
}

void UpdateStandings() {
  Standing() = RunningOrderNow();
  ReportRunningOrder();
  RaceNow().currentStanding = Standing().empty() ? -1 : 0;
}

bool CheckRaceOver() {
  UpdateStandings();
  return Standing().empty();
}

int CrossLine() {
  CarRecord& car = CurrentCar();
  // At or beyond the last lap: a loaded race with a lap past its laps must
  // still end.
  if (car.lap >= Options().laps) {
    FinishCar();
    return 1;
  }
  FirstNode();
  car.listInd = 0;
  car.lap += 1;
  if (car.lap > 1) car.ORpermitted = 1;
  ReportEvent(RaceEventKind::kLap, car.lap);
  return 0;
}

void FinishCar() {
  CarRecord& car = CurrentCar();
  car.finished = 1;
  car.gear = 0;
  car.remaining = 0;
  LeavePlace(CurrentNode(), car);
  OrderOfFinish().push_back(CurrentCarKey());
  std::string time = RaceTime();
  if (DriverRecord* driver = CurrentDriver()) driver->lastTime = time;
  long long p = static_cast<long long>(OrderOfFinish().size());
  const char* suffix = p == 1 ? "st" : p == 2 ? "nd" : p == 3 ? "rd" : "th";
  LogCarLine("finished " + Decimal(p) + suffix);
  ReportEvent(RaceEventKind::kFinish, static_cast<int>(p));
}

std::string RaceTime() {
  CarRecord& car = CurrentCar();
  if (car.turns == 0.0f) return "0";
  const int nodes = Max(static_cast<int>(Node().size()), 1);
  const int laps = Max(Options().laps, 1);
  car.turns = static_cast<float>(car.turns + static_cast<double>(car.listInd) / nodes);
  car.turns = static_cast<float>(car.turns * (4.0 / laps));
  double ms = std::trunc(static_cast<double>(car.turns) * 1000.0);
  // A time from a damaged save stays a time: never negative, never past
  // what an integer holds.
  if (!std::isfinite(ms) || ms < 0) ms = 0;
  long long total = static_cast<long long>(std::min(ms, 1e15));
  long long minutes = total / 60000;
  long long seconds = std::llround((total % 60000) / 1000.0);
  if (seconds == 60) {
    minutes += 1;
    seconds = 0;
  }
  return Decimal(minutes) + ":" + (seconds < 10 ? "0" : "") + Decimal(seconds);
}

// --- The player's gear choice --------------------------------------------------

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

// --- Movement ----------------------------------------------------------------

LaneChoice ChooseLane(bool free0, bool free1, int p0, int p1) {
  if (free0 && p0 == 0) return {0, 0};
  if (free1 && p1 == 0) return {1, 0};
  if (free1) return {1, p1};
  return {0, p0};
}

StepOnTheWay StepBetween(const NodeRecord& from, const NodeRecord& to) {
  StepOnTheWay step;
  const bool free0 = to.car[0].empty(), free1 = to.car[1].empty();
  step.blocked = !free0 && !free1;
  LaneChoice choice = ChooseLane(free0, free1, to.penalty == 0 ? 2 : 0, to.penalty == 1 ? 2 : 0);
  step.lane = choice.lane;
  step.cost = (IsDiagonalStep(from.nodeX, from.nodeY, to.nodeX, to.nodeY) ? 3 : 2) + choice.extra;
  return step;
}

CornerAhead WalkToNextCorner(int from) {
  CornerAhead ahead;
  const int nodes = static_cast<int>(Node().size());
  if (from < 0 || from >= nodes) return ahead;
  auto clamped = [](long long mp) { return static_cast<int>(std::min<long long>(mp, INT32_MAX)); };
  long long mp = 0;
  int at = from;
  for (int step = 0; step < nodes; ++step) {
    const NodeRecord& here = Node()[at];
    const int next = at + 1 < nodes ? at + 1 : 0;
    const NodeRecord& to = Node()[next];
    const StepOnTheWay way = StepBetween(here, to);
    if (way.blocked && ahead.blockedAfter < 0) ahead.blockedAfter = clamped(mp);
    mp += way.cost;
    if (next == 0 && ahead.line < 0) ahead.line = clamped(mp);
    if (here.corner == 0 && to.corner != 0) {
      ahead.mp = clamped(mp);
      ahead.type = to.corner;
      return ahead;
    }
    at = next;
  }
  return ahead;
}

int MoveOneNode() {
  CarRecord& car = CurrentCar();
  NodeRecord& from = CurrentNode();
  const StepOnTheWay step = StepBetween(from, NextNodeRecord());
  if (step.blocked) {
    CurrentMoveEvents().blocked = true;
    return 1;  // the MP stay
  }
  if (car.remaining < step.cost) return 1;
  car.remaining -= step.cost;
  CurrentMoveEvents().spent += step.cost;
  int c = from.corner;
  LeavePlace(from, car);
  if (RaceNow().currentNode >= LastNodeIndex()) {
    if (CrossLine() == 1) return 1;
  } else {
    NextNode();
    car.listInd = RaceNow().currentNode;
  }
  NodeRecord& to = CurrentNode();
  car.lane = step.lane;
  car.facing = to.facing;
  to.car[step.lane] = CurrentCarKey();
  car.cornerExit = 0;
  if (to.corner != c) {
    const int left = Max(car.remaining - car.bonus, 0);
    CurrentMoveEvents().bonusLost += Max(car.remaining - left, 0);
    car.remaining = left;
    car.bonus = 0;
    if (CornerCheck(c) == 1) return 1;
  }
  return 0;
}

int CornerCheck(int c) {
  CarRecord& car = CurrentCar();
  if (c != 0) {
    car.inCorner = 0;
    car.cornerExit = 1;
    return 0;
  }
  car.inCorner = CurrentNode().corner;
  ReportEvent(RaceEventKind::kCornerEntered, car.inCorner);
  long long limit = CornerLimit(car, car.inCorner);
  long long gear = car.gear;
  if (gear <= limit) return 0;
  if (gear >= limit + 3) {
    AddLogText(CurrentCarKey());
    Crash();
    return 1;
  }
  if (gear == limit + 2) return TakeChance();
  LineRisk(static_cast<int>(limit));
  return 0;
}

int TakeChance() {
  LogCarLine("chance ...");
  long long r = SkillRoll();
  int outcome = 0;
  if (r >= -99 && r <= 20) {
    outcome = 2;
  } else if (r >= 21 && r <= 40) {
    outcome = 1;
  } else if (r >= 41 && r <= 100) {
    AddLogText("  safe!");
    return 0;
  }
  CarRecord& car = CurrentCar();
  switch (UseHBs(outcome)) {
    case 0:
      AddLogText("  safe!");
      return 0;
    case 1:
      LineRisk(CornerLimit(car, car.inCorner));
      return 0;
    case 2:
      Spinout();
      return 0;
    default:
      Crash();
      return 1;
  }
}

int UseHBs(int outcome) {
  CarRecord& car = CurrentCar();
  if (car.hb < 0 || car.hb > 999) return 0;
  if (outcome == 1 || outcome == 2) {
    if (car.hb == 0) return outcome + 1;
    if (car.hb == 1) {
      car.hb -= 1;
      AddLogText("  uses 1 HB");
      ReportEvent(RaceEventKind::kHBUsed, 1);
      return 1;
    }
    car.hb -= 2;
    AddLogText("  uses 2 HBs");
    ReportEvent(RaceEventKind::kHBUsed, 2);
    if (outcome == 1) return 0;
    return SkillRoll() >= 20 ? 0 : 3;
  }
  return 0;
}

void LineRisk(int limit) {
  CarRecord& car = CurrentCar();
  if (car.hb >= 1) {
    car.hb -= 1;
    LogCarLine("uses 1 HB");
    ReportEvent(RaceEventKind::kHBUsed, 1);
    if (SkillRoll() >= 50) return;  // the car holds the line
  }
  LogCarLine("off the line");
  ++CurrentMoveEvents().offTheLine;
  ReportEvent(RaceEventKind::kOffTheLine);
  car.gear = static_cast<int>(std::max<long long>(static_cast<long long>(limit) - 1, INT32_MIN));
}

void Spinout() {
  CarRecord& car = CurrentCar();
  if (car.gearTop == car.gear5) return;  // spun out before: never again
  AddLogText("  spinout!");
  CurrentMoveEvents().spunOut = true;
  ReportEvent(RaceEventKind::kSpinOut);
  car.gear = 0;
  car.remaining = 0;
  car.gearTop = car.gear5;
}

void Crash() {
  CarRecord& car = CurrentCar();
  AddLogText("  crashes!");
  CurrentMoveEvents().crashed = true;
  ReportEvent(RaceEventKind::kCrash);
  car.finished = 2;
  car.gear = 0;
  car.remaining = 0;
  car.turns = 0.0f;
  LeavePlace(CurrentNode(), car);
  DNF().push_back(CurrentCarKey());
  if (DriverRecord* driver = CurrentDriver()) driver->lastTime = "0";
}
