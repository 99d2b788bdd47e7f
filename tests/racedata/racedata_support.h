// Fixtures of the race-data tests: a fresh race state, a small tile table of
// the tests' own and grids written row by row.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/common.h"
#include "race/define.h"

using Rows = std::vector<std::vector<int>>;  // [y][x], as the grid reads

// A tile table with the facings the circuits use and lane offsets that tell
// the tiles apart (x = tile, y = tile + 100 for lane 0; + 1 for lane 1).
std::string TestTileTable();

// Layers from rows; an empty Middle or Top is filled with -1.
void SetLayers(const Rows& base, const Rows& middle = {}, const Rows& top = {});

// The rectangle every analysis test starts from: a sharp corner opened by a
// 41 and closed by a 40, a hairpin opened and closed by 40s, tight bends
// with penalty markers.
extern const Rows kRectBase, kRectMiddle, kRectTop;

// Captures what the race code shows in a "Message Box".
std::vector<std::string>& MessageBoxes();

// The full fatal message text up to " @ " and a line number.
void ExpectFatal(const std::string& what, const std::string& prefix,
                 const std::string& moduleAndProcedure);

class RaceDataTest : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  std::filesystem::path dir;  // a fresh program folder with Data/ and Circuits/
};
