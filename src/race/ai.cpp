#include "race/ai.h"

#include <algorithm>
#include <cmath>

#include "common/common.h"
#include "race/car_data.h"
#include "race/define.h"
#include "race/report.h"
#include "platform/services.h"

namespace {
// The options weighed for the move in hand, per thread: the balance report
// runs races side by side.
thread_local std::vector<GearOption> gOptions;

int Roll() {
  return RaceRandom(100, 1);
}

int StyleOfCurrentDriver() {
  auto it = Driver().find(CurrentCarKey());
  return it == Driver().end() ? 0 : it->second.style;  // no driver: no style
}

// Index of the car's entry in the running order, -1 when it has none.
int StandingIndex(const std::string& key) {
  for (size_t i = 0; i < Standing().size(); ++i)
    if (Standing()[i].car == key) return static_cast<int>(i);
  return -1;
}
}  // namespace

std::vector<GearOption>& GearOptions() {
  return gOptions;
}

void ComputerGear() {
  gOptions.clear();
  CarRecord& car = CurrentCar();
  const int g0 = car.gear;
  if (car.finished != 0) return;
  const NodeRecord& node = CurrentNode();
  // Inside a corner at or above its limit the car holds its gear.
  if (car.cornerExit == 0 &&
      ((node.corner == 1 && g0 >= car.sharp) || (node.corner == 2 && g0 >= car.hairpin)))
    return;
  const int keepNode = RaceNow().currentNode;
  const bool spunOut = car.gear5 == car.gearTop;
  if (car.ORpermitted != 0 && car.ors >= 1 && g0 == 4 && !spunOut) gOptions.push_back({6, 0});
  // 64 bits and clamped bounds: the loop never runs past the real gears.
  long long high = std::min<long long>(static_cast<long long>(g0) + 1, 6);
  long long low = std::max<long long>(static_cast<long long>(g0) - car.downShift, 1);
  for (long long g = high; g >= low; --g) {
    if (g == 6 && spunOut) continue;
    gOptions.push_back({static_cast<int>(g), 0});
  }
  for (GearOption& option : gOptions) option.risk = EvaluateGear(option.gear);
  car.gear = PickGear();
  if (car.gear == 6 && g0 == 4) {
    car.ors -= 1;
    car.ORpermitted = 0;
    LogCarLine("uses 1 OR");
  }
  SelectNode(keepNode);
}

int EvaluateGear(int g) {
  const CarRecord& car = CurrentCar();
  const NodeRecord& node = CurrentNode();
  if (node.corner != 0) return 0;
  long long limit = 0;
  if (node.nextCornerType == 1) {
    limit = car.sharp;
  } else if (node.nextCornerType == 2) {
    limit = car.hairpin;
  } else {
    return 0;  // no corner ahead to fear
  }
  long long d = static_cast<long long>(node.distanceInMPs) - car.bonus;
  long long gear = g;
  // Each pass is one more move, braking as hard as the car may but never
  // below the corner's limit. Once the gear no longer changes the answer is
  // settled, and a gear without MP never gets there: both end the loop.
  for (;;) {
    int mp = GearMP(static_cast<int>(std::clamp<long long>(gear, -1, 7)));
    if (mp <= 0) break;
    d -= mp;
    if (d <= 0) break;
    long long next = std::max(gear - car.downShift, limit);
    if (next == gear) break;
    gear = next;
  }
  long long over = gear - limit;
  if (over <= 0) return 0;
  if (over == 1) return 1;
  if (over == 2) return 3;
  return 99;
}

int PickGear() {
  const CarRecord& car = CurrentCar();
  int rank = NextCorner(car.listInd) ? CurrentCorner().rank : 0;
  const int laps = Options().laps;
  const int third = static_cast<int>(std::lround(laps / 3.0));
  int big = 40;
  int small = 40;
  switch (StyleOfCurrentDriver()) {
    case 1:
      if (car.lap <= third && car.hb >= laps) big = small = 80;
      break;
    case 2:
      if (Roll() <= 95 && car.hb >= laps) small = 80;
      break;
    case 3:
      if (car.lap > laps - third && car.hb >= 1) big = small = 80;
      break;
    default:
      break;
  }
  int index = StandingIndex(CurrentCarKey());
  int p = 1 + index;
  if (car.lap >= laps - 1 && p > 3) {
    big += 10;
    small += 10;
  }
  if (index == 0 && Standing().size() >= 2 && GapInNodes(CurrentCarKey(), Standing()[1].car) > 4) {
    big = 2;
    small = 10;
  }
  // Highest gear first, the lesser risk first among equal gears: a stable
  // insertion sort, for there are seven options at the most.
  for (size_t i = 1; i < gOptions.size(); ++i) {
    const GearOption option = gOptions[i];
    size_t j = i;
    for (; j > 0; --j) {
      const GearOption& before = gOptions[j - 1];
      if (before.gear > option.gear || (before.gear == option.gear && before.risk <= option.risk))
        break;
      gOptions[j] = before;
    }
    gOptions[j] = option;
  }
  for (const GearOption& option : gOptions) {
    if (option.risk >= 99) continue;
    if (option.risk >= 3) {
      if (rank <= 1 && Roll() <= big) return option.gear;
    } else if (option.risk >= 1) {
      if (rank <= 4 && Roll() <= small) return option.gear;
    } else {
      return option.gear;
    }
  }
  // Nothing worth the risk: brake as hard as allowed. A gear below standing
  // means nothing, so the car stops at 0 rather than sinking further.
  return static_cast<int>(
      std::clamp<long long>(static_cast<long long>(car.gear) - car.downShift, 0, 6));
}

bool NextCorner(int i) {
  const int nodes = static_cast<int>(Node().size());
  if (Corner().empty() || nodes == 0) return false;
  if (i < 0 || i >= nodes) i = 0;
  for (int step = 0; step < nodes; ++step) {
    for (size_t c = 0; c < Corner().size(); ++c)
      if (Corner()[c].entryNode == i) return SelectCorner(static_cast<int>(c));
    i = i + 1 == nodes ? 0 : i + 1;
  }
  return false;
}

int GapInNodes(const std::string& a, const std::string& b) {
  auto carA = Car().find(a);
  auto carB = Car().find(b);
  if (carA == Car().end() || carB == Car().end()) return 0;
  const long long n = static_cast<long long>(Node().size());
  const long long ia = carA->second.listInd, ib = carB->second.listInd;
  long long gap = ia - ib;
  if (carA->second.lap > carB->second.lap) gap = ia + 1 + (n - ib);
  if (carB->second.lap > carA->second.lap) gap = ib + 1 + (n - ia);
  return static_cast<int>(std::clamp<long long>(gap, INT32_MIN, INT32_MAX));
}
