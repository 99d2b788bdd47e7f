// Fixtures of the race tests: a fresh race state in a temporary game folder,
// hand-laid tracks, cars with drivers, scripted rolls and the commentary
// heard line by line.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/common.h"
#include "race/define.h"
#include "race/report.h"

// The sanitizer build runs every program many times slower: the longest
// race tests race less there.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitizerBuild = true;
#else
constexpr bool kSanitizerBuild = false;
#endif

// Everything the commentary said since the fixture started (or was cleared).
std::vector<std::string>& LogLines();
std::vector<std::string>& Messages();

// A straight lap of n nodes along row 0, heading east, no corner, no penalty.
void LayStraight(int n);
// Marks nodes [first, last] as a corner of the type and runs no analysis:
// tests set distances themselves where they need them.
void MarkCorner(int first, int last, int type);

// A car with MP 4, 7, 10, 13, 16, 19; 6 HBs; sharp 3, hairpin 2; 2 ORs;
// downShift 1; and a driver "<key> Driver" of skill 2 and style 0.
CarRecord& AddCar(const std::string& key);
DriverRecord& DriverOf(const std::string& key);
// Puts the car on a node place and makes car and node current.
void Put(const std::string& key, int node, int lane);
// Makes the car and its node current.
void Select(const std::string& key);

void ScriptRolls(const std::vector<int>& rolls);

// The full fatal message text up to " @ " and a line number.
void ExpectFatal(const std::string& what, const std::string& prefix,
                 const std::string& moduleAndProcedure);

class RaceTest : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  std::filesystem::path dir;  // a fresh program folder with Data/ and Results/
};
