// The car table and the MP per gear.
#include <set>

#include "../support/test_support.h"
#include "engine/car_data.h"
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
            "Slow ,1,2\r\n"
            ",9,9,9,9,9,9,9,9,9,9,9,9\r\n"
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
  EXPECT_EQ(Car().at("Slow ").gear3, 0);  // missing fields read 0
  EXPECT_EQ(Car().at("Slow ").tile, 0);
  ASSERT_EQ(Car().count(""), 1u);
  for (const auto& [key, car] : Car()) {
    EXPECT_EQ(car.listInd, -1) << key;
    EXPECT_EQ(car.lane, -1) << key;
    EXPECT_EQ(car.facing, -1) << key;
    EXPECT_EQ(car.gear, 0) << key;
    EXPECT_EQ(car.turns, 0.0f) << key;
  }
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
  WriteCars(dir, "A,4,7,10,13,16,19,6,3,2,2,1,5\r\nB,1,2,3,4,5,6,0,0,0,0,0,0\r\n");
  LoadCarData();
  ASSERT_TRUE(SelectCar("A"));
  const int expected[8] = {0, 4, 7, 10, 13, 16, 19, 0};
  for (int g = 0; g <= 7; ++g) EXPECT_EQ(GearMP(g), expected[g]) << "gear " << g;
  EXPECT_EQ(GearMP(-1), 0);
  ASSERT_TRUE(SelectCar("B"));
  EXPECT_EQ(GearMP(6), 6);
  EXPECT_FALSE(SelectCar("C"));
  EXPECT_EQ(gRace.currentCar, "B");
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
