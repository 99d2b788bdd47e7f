#include "race_support.h"

#include "platform/services.h"
#include "race/movement.h"
#include "race/race_end.h"
#include "race/race_start.h"
#include "test_support.h"

namespace fs = std::filesystem;

std::vector<std::string>& LogLines() {
  static std::vector<std::string> lines;
  return lines;
}

std::vector<std::string>& Messages() {
  static std::vector<std::string> shown;
  return shown;
}

void LayStraight(int n) {
  Node().assign(n, NodeRecord{});
  for (int i = 0; i < n; ++i) {
    NodeRecord& node = Node()[i];
    node.nodeX = i;
    node.nodeY = 0;
    node.facing = 2;
    node.penalty = -1;
  }
}

void MarkCorner(int first, int last, int type) {
  for (int i = first; i <= last; ++i) Node()[i].corner = type;
  if (last + 1 < static_cast<int>(Node().size())) Node()[last + 1].lastCornerNode = 1;
}

CarRecord& AddCar(const std::string& key) {
  CarRecord car;
  car.gear1 = 4;
  car.gear2 = 7;
  car.gear3 = 10;
  car.gear4 = 13;
  car.gear5 = 16;
  car.gearTop = 19;
  car.hb = 6;
  car.sharp = 3;
  car.hairpin = 2;
  car.ors = 2;
  car.downShift = 1;
  Car()[key] = car;
  DriverRecord driver;
  driver.name = key + " Driver";
  driver.skill = 2;
  driver.lastTime = "0";
  Driver()[key] = driver;
  return Car()[key];
}

DriverRecord& DriverOf(const std::string& key) {
  return Driver().at(key);
}

void Put(const std::string& key, int node, int lane) {
  CarRecord& car = Car().at(key);
  car.listInd = node;
  car.lane = lane;
  Node()[node].car[lane] = key;
  Select(key);
}

void Select(const std::string& key) {
  ASSERT_TRUE(SelectCar(key));
  ASSERT_TRUE(SelectNode(Car().at(key).listInd));
}

void ScriptRolls(const std::vector<int>& rolls) {
  PlatScriptRandom(rolls);
}

void ExpectFatal(const std::string& what, const std::string& prefix,
                 const std::string& moduleAndProcedure) {
  std::string tail = "\r\n" + moduleAndProcedure + " @ ";
  EXPECT_EQ(what.substr(0, prefix.size()), prefix) << what;
  size_t at = what.rfind(tail);
  ASSERT_NE(at, std::string::npos) << what;
  std::string line = what.substr(at + tail.size());
  EXPECT_FALSE(line.empty());
  EXPECT_EQ(line.find_first_not_of("0123456789"), std::string::npos) << what;
}

void RaceTest::SetUp() {
  ResetProgramState();
  ResetRaceData();
  SelectedCars().clear();
  LogLines().clear();
  Messages().clear();
  // Nothing waits for a player in a test: the computer drives every car.
  Report() = RaceReport{};
  Report().commentary = [](const std::string& line) { LogLines().push_back(line); };
  SetMessageBoxHandler([](const std::string& text) { Messages().push_back(text); });
  Options().keepFiles = false;
  // A rolls script that is never meant to run out stands in for the dice;
  // a test that draws unexpectedly sees 100s.
  PlatScriptRandom({100});
  PlatSeedRandom(1);
  dir = testing_support::MakeTempDir("race");
  fs::create_directories(dir / "Data");
  fs::create_directories(dir / "Results");
  SetProgramFolder(dir);
  Options().laps = 4;
}

void RaceTest::TearDown() {
  Report() = RaceReport{};
  SetMessageBoxHandler(nullptr);
  PlatScriptRandom({});
  Options().keepFiles = false;
  std::error_code ec;
  fs::remove_all(dir, ec);
}
