// Where a full field would start on a circuit: the grid runs back from the
// start tile two cars to a node, and a circuit maker should hear when it
// runs into a corner or packs two cars onto one another.
#include "race/grid_warnings.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "common/common.h"
#include "race/car_data.h"
#include "platform/services.h"
#include "race/define.h"

namespace {
// A car as the asset generator draws it in its cell: 21 pixels across the
// wheels, 37 from front wing to rear wing. Half a pixel of grace, so cars
// that only touch are not reported.
constexpr double kCarWidth = 20.5;
constexpr double kCarLength = 36.5;

// Two cars facing the same way overlap when their centres are closer than a
// car's width across the direction of travel and a car's length along it.
bool SideBySideOverlap(const NodeRecord& node) {
  static const int kDx[8] = {0, 1, 1, 1, 0, -1, -1, -1};
  static const int kDy[8] = {-1, -1, 0, 1, 1, 1, 0, -1};
  if (node.facing < 0 || node.facing > 7) return false;
  double ax = kDx[node.facing], ay = kDy[node.facing];
  const double norm = std::hypot(ax, ay);
  ax /= norm;
  ay /= norm;
  const double dx = node.x[1] - node.x[0], dy = node.y[1] - node.y[0];
  const double along = std::fabs(dx * ax + dy * ay);
  const double across = std::fabs(dy * ax - dx * ay);
  return along < kCarLength && across < kCarWidth;
}

std::string CellOf(const NodeRecord& node, int index) {
  return "cell " + Decimal(node.nodeX) + ", " + Decimal(node.nodeY) + " (node " + Decimal(index) +
         ")";
}
}  // namespace

std::vector<std::string> GridWarnings() {
  const std::filesystem::path table = gProg.dataFolder / "Car Data.csv";
  std::error_code missing;
  if (!std::filesystem::exists(table, missing))
    return {"no car table at " + PlatPathText(table) + ": the start grid was not checked"};
  LoadCarData();
  return GridWarningsFor(static_cast<int>(Car().size()));
}

std::vector<std::string> GridWarningsFor(int field) {
  std::vector<std::string> warnings;
  const int nodes = static_cast<int>(Node().size());
  if (field > 2 * nodes)
    warnings.push_back("the grid has places for " + Decimal(2 * nodes) + " cars, the car table " +
                       Decimal(field) + ": the last cars cannot start");
  // Rows in one corner make one warning: from the first place inside it
  // back to the last.
  int runFirst = 0, runLast = 0, runType = 0, runFrom = 0, runTo = 0;
  auto endRun = [&] {
    if (runType == 0) return;
    std::string places = runLast == runFirst ? "place " + Decimal(runFirst)
                         : runLast == runFirst + 1
                             ? "places " + Decimal(runFirst) + " and " + Decimal(runLast)
                             : "places " + Decimal(runFirst) + " to " + Decimal(runLast);
    std::string where = CellOf(Node()[runFrom], runFrom);
    if (runTo != runFrom) where = "from " + where + " back to " + CellOf(Node()[runTo], runTo);
    warnings.push_back("the grid for " + Decimal(field) + " cars reaches into a " +
                       (runType == 2 ? "hairpin" : "sharp corner") + ": " + places + " " +
                       (runTo != runFrom ? where : "at " + where));
    runType = 0;
  };
  std::vector<std::string> overlaps;
  for (int row = 1; 2 * row - 1 <= field && row <= nodes; ++row) {
    const int index = nodes - row;
    const NodeRecord& node = Node()[index];
    const int first = 2 * row - 1;
    const int last = std::min(first + 1, field);
    if (node.corner != runType) endRun();
    if (node.corner != 0) {
      if (runType == 0) {
        runType = node.corner;
        runFirst = first;
        runFrom = index;
      }
      runLast = last;
      runTo = index;
    }
    if (last > first && SideBySideOverlap(node))
      overlaps.push_back("cars at grid places " + Decimal(first) + " and " + Decimal(last) +
                         " overlap on screen at " + CellOf(node, index));
  }
  endRun();
  warnings.insert(warnings.end(), overlaps.begin(), overlaps.end());
  return warnings;
}
