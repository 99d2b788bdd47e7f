// The car table and the MP per gear.
#include <set>

#include "../support/test_support.h"
#include "race/car_data.h"
#include "racedata_support.h"

namespace {
void WriteCars(const std::filesystem::path& dir, const std::string& text) {
  testing_support::WriteBytes(dir / "Data" / "Car Data.csv", text);
}
}  // namespace

TEST_F(RaceDataTest, CarTableEdgeCases) {
  WriteCars(dir, "; no cars yet\r\n\r\n,,,\r\n");
  Car()["stale"] = CarRecord{};
  LoadCarData();
  EXPECT_TRUE(Car().empty());

  WriteCars(dir,
            "Comet,4,7,10,13,16,19,6,3,2,2,1,5\r\n"
            "Slow ,1,2,3,4,5,6,0,1,1,0,1,87\r\n"
            ",9,9,9,9,9,9,9,6,6,9,5,9\r\n"
            "Comet,5,8,11,14,17,20,7,4,3,3,2,6\r\n");
  LoadCarData();
  ASSERT_EQ(Car().size(), 3u);
  const CarRecord& comet = Car().at("Comet");  // the later line wins
  EXPECT_EQ(comet.gear1, 5);
  EXPECT_EQ(comet.gearTop, 20);
  EXPECT_EQ(comet.hb, 7);
  EXPECT_EQ(comet.sharp, 4);
  EXPECT_EQ(comet.hairpin, 3);
  EXPECT_EQ(comet.ors, 3);
  EXPECT_EQ(comet.downShift, 2);
  EXPECT_EQ(comet.tile, 6);
  ASSERT_EQ(Car().count("Slow "), 1u);  // the blank before the comma stays
  EXPECT_EQ(Car().at("Slow ").gear2, 2);
  EXPECT_EQ(Car().at("Slow ").tile, 87);
  ASSERT_EQ(Car().count(""), 1u);
  for (const auto& [key, car] : Car()) {
    EXPECT_EQ(car.listInd, -1) << key;
    EXPECT_EQ(car.lane, -1) << key;
    EXPECT_EQ(car.facing, -1) << key;
    EXPECT_EQ(car.gear, 0) << key;
    EXPECT_EQ(car.turns, 0.0f) << key;
  }
}

// Every rule a car line must keep, each with its own message naming the file,
// the line (as it stands in the file, comments counted) and the rule.
TEST_F(RaceDataTest, CarTableRules) {
  const std::string good = "Good,4,7,10,13,16,19,6,3,2,2,1,0";
  struct Case {
    std::string line, rule;
  } cases[] = {
      {"Bad,0,7,10,13,16,19,6,3,2,2,1,0", "MP in 1st must be 1 or more"},
      {"Bad,4,7,10,13,-1,19,6,3,2,2,1,0", "MP in 5th must be 1 or more"},
      {"Bad,4,7,10,13,16,0,6,3,2,2,1,0", "MP in Top must be 1 or more"},
      {"Bad,4,7,10,13,16,19,-1,3,2,2,1,0", "HBs must not be negative"},
      {"Bad,4,7,10,13,16,19,6,0,2,2,1,0", "safe gear for sharp corners must be from 1 to 6"},
      {"Bad,4,7,10,13,16,19,6,7,2,2,1,0", "safe gear for sharp corners must be from 1 to 6"},
      {"Bad,4,7,10,13,16,19,6,3,0,2,1,0", "safe gear for hairpins must be from 1 to 6"},
      {"Bad,4,7,10,13,16,19,6,3,2,-2,1,0", "ORs must not be negative"},
      {"Bad,4,7,10,13,16,19,6,3,2,2,0,0", "gears dropped at once must be from 1 to 5"},
      {"Bad,4,7,10,13,16,19,6,3,2,2,2147483647,0", "gears dropped at once must be from 1 to 5"},
      {"Bad,4,7,10,13,16,19,6,3,2,2,1,88", "image cell must be from 0 to 87"},
      {"Bad,4,7,10,13,16,19,6,3,2,2,1,-1", "image cell must be from 0 to 87"},
      {"Short,4,7,10", "MP in 4th must be 1 or more"},  // missing fields read 0
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    WriteCars(dir, "; comment\r\n" + good + "\r\n\r\n\t" + c.line + "\r\n");
    try {
      LoadCarData();
      ADD_FAILURE() << "accepted";
    } catch (const FatalError& e) {
      ExpectFatal(e.what(), "Car Data.csv, line 4 (" + c.line + "): " + c.rule,
                  "Define in LoadCarData");
    }
  }
  // The limits themselves are allowed.
  WriteCars(dir, "Edge,1,1,1,1,1,1,0,6,1,0,5,87\r\nLow,1,1,1,1,1,1,0,1,6,0,1,0\r\n");
  LoadCarData();
  EXPECT_EQ(Car().size(), 2u);
}

TEST_F(RaceDataTest, MissingCarTableIsFatal) {
  try {
    LoadCarData();
    FAIL();
  } catch (const FatalError& e) {
    EXPECT_EQ(std::string(e.what()).rfind("could not find file: ", 0), 0u) << e.what();
  }
}

TEST_F(RaceDataTest, GearMPOfTheCurrentCar) {
  WriteCars(dir, "A,4,7,10,13,16,19,6,3,2,2,1,5\r\nB,1,2,3,4,5,6,0,1,1,0,1,0\r\n");
  LoadCarData();
  ASSERT_TRUE(SelectCar("A"));
  const int expected[8] = {0, 4, 7, 10, 13, 16, 19, 0};
  for (int g = 0; g <= 7; ++g) EXPECT_EQ(GearMP(g), expected[g]) << "gear " << g;
  EXPECT_EQ(GearMP(-1), 0);
  ASSERT_TRUE(SelectCar("B"));
  EXPECT_EQ(GearMP(6), 6);
  EXPECT_FALSE(SelectCar("C"));
  EXPECT_EQ(CurrentCarKey(), "B");
}

TEST(ShippedCars, TwelveToSixteenBalancedCars) {
  ResetProgramState();
  ResetRaceData();
  SetProgramFolder(testing_support::SourceDir() / "game");
  LoadCarData();
  ASSERT_GE(Car().size(), 12u);
  ASSERT_LE(Car().size(), 16u);
  std::set<int> tiles;
  for (const auto& [key, c] : Car()) {
    SCOPED_TRACE(key);
    EXPECT_TRUE(c.gear1 >= 3 && c.gear1 <= 5);
    EXPECT_TRUE(c.gearTop >= 16 && c.gearTop <= 20);
    EXPECT_TRUE(c.gear1 < c.gear2 && c.gear2 < c.gear3 && c.gear3 < c.gear4 && c.gear4 < c.gear5 &&
                c.gear5 < c.gearTop);
    EXPECT_TRUE(c.downShift >= 1 && c.downShift <= 3);
    EXPECT_TRUE(c.hairpin >= 1 && c.hairpin < c.sharp && c.sharp <= 4);
    EXPECT_GE(c.hb, 4);
    EXPECT_GE(c.ors, 1);
    EXPECT_TRUE(tiles.insert(c.tile).second) << "each car its own image";
  }
}
