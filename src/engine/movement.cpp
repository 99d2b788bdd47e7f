#include "engine/movement.h"

#include <algorithm>
#include <cstdint>

#include "common/common.h"
#include "engine/ai.h"
#include "engine/analyze.h"
#include "engine/car_data.h"
#include "engine/define.h"
#include "engine/gui_manager.h"
#include "engine/mouse.h"
#include "engine/start_end.h"
#include "platform/platform.h"

namespace {
const char* kModule = "Movement";
UserMovesHandler gUserMoves = nullptr;

int LastNodeIndex() {
  return static_cast<int>(Node().size()) - 1;
}

NodeRecord& NextNodeRecord() {
  if (Node().empty()) FATAL("no nodes", kModule, "NextNode");
  int i = gRace.currentNode + 1;
  return Node()[i > LastNodeIndex() || i < 0 ? 0 : i];
}

// Takes the car out of a place only when the place holds it, so a race state
// that went wrong can never push another car off the track.
void LeavePlace(NodeRecord& node, const CarRecord& car) {
  if ((car.lane == 0 || car.lane == 1) && node.car[car.lane] == gRace.currentCar)
    node.car[car.lane].clear();
}

DriverRecord* CurrentDriver() {
  auto it = Driver().find(gRace.currentCar);
  return it == Driver().end() ? nullptr : &it->second;
}

int CornerLimit(const CarRecord& car, int cornerType) {
  return cornerType == 1 ? car.sharp : car.hairpin;
}

// The car of the current standing and the node it stands on become current.
void SelectStandingCar() {
  const std::string key = CurrentStanding().car;
  if (!SelectCar(key)) FATAL("unknown car in the running order: " + key, kModule, "RaceStep");
  if (!SelectNode(CurrentCar().listInd)) FATAL("car off the track: " + key, kModule, "RaceStep");
}
}  // namespace

void SetUserMovesHandler(UserMovesHandler handler) {
  gUserMoves = handler;
}

long long SkillRoll() {
  const DriverRecord* driver = CurrentDriver();
  // 64 bits: a hostile skill cannot overflow the bonus.
  long long bonus = driver == nullptr ? 0 : (static_cast<long long>(driver->skill) - 2) * 8;
  return PlatRandom(100, 1) + bonus;
}

void LogCarLine(const std::string& text) {
  AddLogText(gRace.currentCar);
  AddLogText("  " + text);
}

// --- Turn sequence -----------------------------------------------------------

void RaceStep() {
  if (Standing().empty()) return;
  if (!SelectStanding(gRace.currentStanding)) SelectStanding(0);
  SelectStandingCar();
  ShowCarStatus(0);
  if (CurrentCar().finished != 0 || MoveOneNode() == 1) {
    EndOfMove();
    return;
  }
  ShowCarStatus(1);
}

void EndOfMove() {
  CarRecord& car = CurrentCar();
  car.turns += 1.0f;
  car.bonus = car.remaining;
  int position = gRace.currentStanding + 1;
  if (gProg.centerMode != 0 && position == gProg.centerMode) {
    int at = CurrentStanding().listInd;
    if (at >= 0 && at <= LastNodeIndex()) CentreView(Node()[at].nodeX, Node()[at].nodeY);
  }
  if (!SelectStanding(gRace.currentStanding + 1)) {
    if (CheckRaceOver()) {
      EndOfRace();
      return;
    }
  }
  SelectStandingCar();
  StartMove();
  ShowCarStatus(0);
}

void StartMove() {
  CarRecord& car = CurrentCar();
  const DriverRecord* driver = CurrentDriver();
  if (driver != nullptr && driver->user != 0 && gUserMoves != nullptr) {
    gUserMoves();
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
}

void UpdateStandings() {
  std::vector<StandingRecord>& order = Standing();
  order.clear();
  for (const auto& [key, car] : Car())
    if (car.listInd != -1 && car.finished == 0)
      order.push_back({key, car.lap, car.listInd, car.lane});
  // Three stable passes, the most significant last: lap, then node, then lane.
  std::stable_sort(order.begin(), order.end(), [](auto& a, auto& b) { return a.lane < b.lane; });
  std::stable_sort(order.begin(), order.end(),
                   [](auto& a, auto& b) { return a.listInd > b.listInd; });
  std::stable_sort(order.begin(), order.end(), [](auto& a, auto& b) { return a.lap > b.lap; });
  ShowStandings();
  gRace.currentStanding = order.empty() ? -1 : 0;
}

bool CheckRaceOver() {
  UpdateStandings();
  return Standing().empty();
}

int CrossLine() {
  CarRecord& car = CurrentCar();
  // At or beyond the last lap: a loaded race with a lap past its laps must
  // still end.
  if (car.lap >= gProg.laps) {
    FinishCar();
    return 1;
  }
  FirstNode();
  car.listInd = 0;
  car.lap += 1;
  if (car.lap > 1) car.ORpermitted = 1;
  return 0;
}

void FinishCar() {
  CarRecord& car = CurrentCar();
  car.finished = 1;
  car.gear = 0;
  car.remaining = 0;
  LeavePlace(CurrentNode(), car);
  OrderOfFinish().push_back(gRace.currentCar);
  std::string time = RaceTime();
  if (DriverRecord* driver = CurrentDriver()) driver->lastTime = time;
  long long p = static_cast<long long>(OrderOfFinish().size());
  const char* suffix = p == 1 ? "st" : p == 2 ? "nd" : p == 3 ? "rd" : "th";
  LogCarLine("finished " + Decimal(p) + suffix);
}

// --- Movement ----------------------------------------------------------------

LanesFree NextLanesFree() {
  const NodeRecord& next = NextNodeRecord();
  return {next.car[0].empty(), next.car[1].empty()};
}

NodeCell NextNodeCell() {
  const NodeRecord& next = NextNodeRecord();
  return {next.nodeX, next.nodeY};
}

LanePenalties NextNodePenalties() {
  const NodeRecord& next = NextNodeRecord();
  return {next.penalty == 0 ? 2 : 0, next.penalty == 1 ? 2 : 0};
}

LaneChoice ChooseLane(bool free0, bool free1, int p0, int p1) {
  if (free0 && p0 == 0) return {0, 0};
  if (free1 && p1 == 0) return {1, 0};
  if (free1) return {1, p1};
  return {0, p0};
}

int MoveOneNode() {
  CarRecord& car = CurrentCar();
  LanesFree lanes = NextLanesFree();
  if (!lanes.free0 && !lanes.free1) return 1;  // blocked: the MP stay
  NodeRecord& from = CurrentNode();
  NodeCell next = NextNodeCell();
  int cost = IsDiagonalStep(from.nodeX, from.nodeY, next.x, next.y) ? 3 : 2;
  LanePenalties penalties = NextNodePenalties();
  LaneChoice choice = ChooseLane(lanes.free0, lanes.free1, penalties.p0, penalties.p1);
  cost += choice.extra;
  if (car.remaining < cost) return 1;
  car.remaining -= cost;
  int c = from.corner;
  LeavePlace(from, car);
  if (gRace.currentNode >= LastNodeIndex()) {
    if (CrossLine() == 1) return 1;
  } else {
    NextNode();
    car.listInd = gRace.currentNode;
  }
  NodeRecord& to = CurrentNode();
  car.lane = choice.lane;
  car.facing = to.facing;
  to.car[choice.lane] = gRace.currentCar;
  car.cornerExit = 0;
  if (to.corner != c) {
    car.remaining = Max(car.remaining - car.bonus, 0);
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
  long long limit = CornerLimit(car, car.inCorner);
  long long gear = car.gear;
  if (gear <= limit) return 0;
  if (gear >= limit + 3) {
    AddLogText(gRace.currentCar);
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
      return 1;
    }
    car.hb -= 2;
    AddLogText("  uses 2 HBs");
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
    if (SkillRoll() >= 50) return;  // the car holds the line
  }
  LogCarLine("off the line");
  car.gear = static_cast<int>(std::max<long long>(static_cast<long long>(limit) - 1, INT32_MIN));
}

void Spinout() {
  CarRecord& car = CurrentCar();
  if (car.gearTop == car.gear5) return;  // spun out before: never again
  AddLogText("  spinout!");
  car.gear = 0;
  car.remaining = 0;
  car.gearTop = car.gear5;
}

void Crash() {
  CarRecord& car = CurrentCar();
  AddLogText("  crashes!");
  car.finished = 2;
  car.gear = 0;
  car.remaining = 0;
  car.turns = 0.0f;
  LeavePlace(CurrentNode(), car);
  DNF().push_back(gRace.currentCar);
  if (DriverRecord* driver = CurrentDriver()) driver->lastTime = "0";
}
