// Drivers and season, the start grid, race times, results and the last-race
// record.
#include <algorithm>
#include <set>

#include "platform/services.h"
#include "race/data_file.h"
#include "race/movement.h"
#include "race/race_end.h"
#include "race/race_start.h"
#include "race/season.h"
#include "race_support.h"
#include "test_support.h"

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

namespace {
std::string Read(const fs::path& file) {
  return testing_support::ReadBytes(file);
}
}  // namespace

class Season : public RaceTest {
 protected:
  void WriteData(const char* name, const std::string& text) {
    SaveText(gProg.dataFolder / name, text);
  }
};

TEST_F(Season, DriversFileLinesReadLenientlyAndWriteBack) {
  WriteData(
      "Drivers.csv",
      "; comment\r\n\r\n,,,\r\nAnn Apex,Comet,3,1,12,t1:05,0,\r\n  Bo Brake, Bolt ,2x,2,abc,,1\r\n"
      "Old Name,Comet,1,1,1,t0,0,\r\n");
  LoadDrivers();
  ASSERT_EQ(Driver().size(), 2u);
  const DriverRecord& comet = Driver()["Comet"];
  EXPECT_EQ(comet.name, "Old Name") << "the later line replaces the earlier";
  const DriverRecord& bolt = Driver()[" Bolt "];
  EXPECT_EQ(bolt.name, "Bo Brake");
  EXPECT_EQ(bolt.skill, 2);
  EXPECT_EQ(bolt.points, 0);
  EXPECT_EQ(bolt.lastTime, "0");
  EXPECT_EQ(bolt.user, 1);
  Driver()["Comet"].lastTime = "1:23";
  SaveDrivers();
  EXPECT_EQ(Read(gProg.dataFolder / "Drivers.csv"),
            "Bo Brake, Bolt ,2,2,0,t0,1,\r\nOld Name,Comet,1,1,1,t1:23,0,\r\n");
}

TEST_F(Season, PointsByPlace) {
  for (const char* key : {"A", "B", "C", "D", "E", "F", "G", "H"}) {
    AddCar(key);
    OrderOfFinish().push_back(key);
  }
  DNF().push_back("H");
  OrderOfFinish().pop_back();
  gProg.points = "964321";
  AwardPoints();
  std::vector<int> got;
  for (const char* key : {"A", "B", "C", "D", "E", "F", "G", "H"})
    got.push_back(DriverOf(key).points);
  EXPECT_EQ(got, (std::vector<int>{9, 6, 4, 3, 2, 1, 0, 0}));

  for (auto& [key, d] : Driver()) d.points = 0;
  gProg.points = "53";
  AwardPoints();
  EXPECT_EQ(DriverOf("A").points, 5);
  EXPECT_EQ(DriverOf("B").points, 3);
  EXPECT_EQ(DriverOf("C").points, 0);

  for (auto& [key, d] : Driver()) d.points = 0;
  gProg.points = "98765432";
  AwardPoints();
  EXPECT_EQ(DriverOf("F").points, 4);
  EXPECT_EQ(DriverOf("G").points, 0) << "six places at most";

  gProg.points = "9x4";  // letters in the scale score nothing
  EXPECT_EQ(PlacePoints(1), 9);
  EXPECT_EQ(PlacePoints(2), 0);
  EXPECT_EQ(PlacePoints(3), 4);
  EXPECT_EQ(PlacePoints(4), 0);
  EXPECT_EQ(PlacePoints(0), 0);
}

TEST_F(Season, RaceTimes) {
  LayStraight(100);
  CarRecord& a = AddCar("A");
  a.listInd = 99;
  SelectCar("A");
  a.turns = 83.0f;
  EXPECT_EQ(RaceTime(), "1:24");
  EXPECT_EQ(a.turns, 83.99f);
  Options().laps = 2;
  a.turns = 83.0f;
  EXPECT_EQ(RaceTime(), "2:48");
  Options().laps = 4;
  a.listInd = 0;
  a.turns = 119.5f;  // 119 500 ms: 59.5 s round up into the next minute
  EXPECT_EQ(RaceTime(), "2:00");
  a.turns = 65.0f;
  EXPECT_EQ(RaceTime(), "1:05");
  a.turns = 0.0f;
  EXPECT_EQ(RaceTime(), "0");
  a.turns = -7.0f;  // a damaged save: still a time
  EXPECT_EQ(RaceTime(), "0:00");
}

TEST_F(Season, ResultsLinesWithMarksAndDnfs) {
  gProg.points = "96432101";
  for (int i = 1; i <= 8; ++i) {
    std::string key = "C" + Decimal(i);
    AddCar(key);
    DriverOf(key).lastTime = "1:0" + Decimal(i);
    OrderOfFinish().push_back(key);
  }
  Car()["C2"].gearTop = Car()["C2"].gear5;
  DriverOf("C2").user = 1;
  DriverOf("C3").user = 1;
  AddCar("X");
  Car()["X"].gearTop = Car()["X"].gear5;
  DriverOf("X").user = 1;
  DNF().push_back("X");
  Lines lines = RaceResultsLines();
  ASSERT_EQ(lines.size(), 9u);
  EXPECT_EQ(lines[0], "  1   9  C1 - C1 Driver  1:01");
  EXPECT_EQ(lines[1], "  2   6  C2 - C2 Driver  1:02  SO  P");
  EXPECT_EQ(lines[2], "  3   4  C3 - C3 Driver  1:03  P");
  EXPECT_EQ(lines[6], "  7   0  C7 - C7 Driver  1:07");
  EXPECT_EQ(lines[7], "  8   1  C8 - C8 Driver  1:08")
      << "the column shows the scale beyond six places";
  EXPECT_EQ(lines[8], " DNF  0  X - X Driver  0:00");
}

TEST_F(Season, EndOfRaceWritesDriversSeasonFileAndLastRace) {
  WriteData("Last Race.txt", "Summer Cup\r\n1  X\r\n");
  Options().raceName = "Oval";
  for (const char* key : {"A", "B", "C"}) AddCar(key);
  OrderOfFinish() = {"B", "A"};
  DNF() = {"C"};
  DriverOf("B").lastTime = "2:10";
  DriverOf("A").lastTime = "2:15";
  Standing().push_back({"A", 4, 3, 0});
  static std::string heading;
  static Lines shown;
  Report().raceEnded = [](const std::string& h, const Lines& l) {
    heading = h;
    shown = l;
  };
  Options().autoMode = 1;
  EndOfRace();
  EXPECT_EQ(Options().autoMode, 0);
  EXPECT_EQ(heading, "Oval Race Results");
  EXPECT_EQ(shown, (Lines{"  1   9  B - B Driver  2:10", "  2   6  A - A Driver  2:15",
                          " DNF  0  C - C Driver  0:00"}));
  EXPECT_EQ(Read(gProg.dataFolder / "Drivers.csv"),
            "A Driver,A,2,0,6,t2:15,0,\r\nB Driver,B,2,0,9,t2:10,0,\r\nC Driver,C,2,0,0,t0,0,\r\n");
  EXPECT_EQ(Read(gProg.resultsFolder / "Summer Cup.txt"),
            " \r\nOval\r\n \r\n 1 9  B - B Driver  2:10\r\n 2 6  A - A Driver  2:15\r\n 3 0  C - C "
            "Driver  0:00\r\n");
  EXPECT_EQ(Read(gProg.dataFolder / "Last Race.txt"), "Summer Cup\r\n1  B\r\n2  A\r\nDNF  C\r\n");
  EXPECT_TRUE(Standing().empty());
  EXPECT_TRUE(OrderOfFinish().empty());
  EXPECT_TRUE(DNF().empty());
  Lines log(LogLines().end() - 2, LogLines().end());
  EXPECT_EQ(log, (Lines{"end of race", " "}));
}

TEST_F(Season, StandingsLinesPadSortAndMark) {
  for (const char* key : {"A", "B", "C", "D"}) AddCar(key);
  DriverOf("A").points = 3;
  DriverOf("B").points = 123;
  DriverOf("C").points = 3;
  DriverOf("D").points = 7;
  DriverOf("D").user = 1;
  Lines lines = SeasonStandingsLines(53);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], "  B Driver - B" + std::string(53 - 14 - 8, ' ') + "12");
  EXPECT_EQ(lines[1].substr(0, 14), "  D Driver - D");
  EXPECT_EQ(lines[1].substr(lines[1].size() - 5), " 7  P");
  EXPECT_EQ(lines[2].substr(0, 14), "  A Driver - A") << "equal points keep the table's order";
  EXPECT_EQ(lines[3].substr(0, 14), "  C Driver - C");
  // With the rank in front the points end four columns from the right.
  EXPECT_EQ((" 1" + lines[0]).size(), 53u - 4u);
  EXPECT_EQ(SeasonStandingsLines(10)[0], "  B Driver - B  12") << "no room: no padding";
}

// The standings as shown break equal points by the best finish, then by the
// place in the last race, read back from the season file as the end of a race
// writes it (a car out of a race has no place; a standings block is no race).
TEST_F(Season, ShownStandingsBreakTiesByBestFinishThenLastRace) {
  WriteData("Last Race.txt", "Cup\r\n");
  for (const char* key : {"A", "B", "C", "D", "E", "F"}) AddCar(key);
  auto race = [](const std::string& name, Lines finish, Lines out) {
    OrderOfFinish() = std::move(finish);
    DNF() = std::move(out);
    for (const std::string& key : OrderOfFinish()) DriverOf(key).lastTime = "1:00";
    Lines kept;
    for (const std::string& line : RaceResultsLines()) kept.push_back(line.substr(5));
    AppendToSeasonFile(name, kept);
  };
  gProg.points = "9643";  // 5th and later: no points, but a place
  race("One", {"B", "A", "C", "E", "F"}, {"D"});
  AppendToSeasonFile("Season Standings", SeasonStandingsLines(53));
  race("Two", {"C", "D", "F"}, {"A", "B"});
  const auto places = SeasonPlacesFromFile(Read(gProg.resultsFolder / "Cup.txt"));
  EXPECT_EQ(places.at("A").best, 2);
  EXPECT_EQ(places.at("A").last, 0) << "out of the last race";
  EXPECT_EQ(places.at("D").best, 2);
  EXPECT_EQ(places.at("E").best, 4);
  EXPECT_EQ(places.at("E").last, 0) << "not in the last race";
  EXPECT_EQ(places.at("F").best, 3);
  for (const char* key : {"A", "B", "C", "D", "E", "F"}) DriverOf(key).points = 5;
  DriverOf("E").points = 6;
  EXPECT_EQ(StandingsOrder(places), (Lines{"E", "C", "B", "D", "A", "F"}));
  EXPECT_EQ(StandingsOrder({}), (Lines{"E", "A", "B", "C", "D", "F"})) << "nothing known: the table's order";
}

TEST_F(Season, NewSeasonResetsDriversAndNamesTheSeason) {
  WriteData("Drivers - Master.csv", "; master\r\nAnn,A,2,1,0,t0,0,\r\n\r\nBob,B,3,2,0,t0,0,\r\n");
  WriteData("Drivers.csv", "Ann,A,2,1,40,t0,0,\r\n");
  for (const std::string& answer : {std::string(), std::string("no name")}) {
    NewSeason([&answer] { return answer; });
    EXPECT_EQ(Options().seasonName, "New Season");
    EXPECT_EQ(Read(gProg.resultsFolder / "New Season.txt"), "New Season\r\n");
    EXPECT_EQ(Read(gProg.dataFolder / "Last Race.txt"), "New Season");
  }
  EXPECT_EQ(Read(gProg.dataFolder / "Drivers.csv"), "Ann,A,2,1,0,t0,0,\r\nBob,B,3,2,0,t0,0,\r\n");
  EXPECT_EQ(Lines(LogLines().begin(), LogLines().begin() + 3), (Lines{" ", "new season", " "}));
  SaveText(gProg.resultsFolder / "Spring, 2 .txt", "old\r\n");
  NewSeason([] { return std::string("Spring, 2 "); });
  EXPECT_EQ(Read(gProg.resultsFolder / "Spring, 2 .txt"), "Spring, 2 \r\n") << "replaced";
  try {
    NewSeason([] { return std::string("../escape"); });
    ADD_FAILURE() << "no fatal error";
  } catch (const FatalError& e) {
    ExpectFatal(e.what(), "invalid season name: ../escape", "Start End in NewSeason");
  }
}

TEST_F(Season, SeasonFileBlocksAndNamesThatCannotBeFiles) {
  WriteData("Last Race.txt", "");
  AppendToSeasonFile("Title", {"x", "y"});
  EXPECT_EQ(Options().seasonName, "no name");
  EXPECT_EQ(Read(gProg.resultsFolder / "no name.txt"), " \r\nTitle\r\n \r\n 1x\r\n 2y\r\n");
  AppendToSeasonFile("Next", {});
  EXPECT_EQ(Read(gProg.resultsFolder / "no name.txt"),
            " \r\nTitle\r\n \r\n 1x\r\n 2y\r\n \r\nNext\r\n \r\n");
  WriteData("Last Race.txt", "../../outside\r\n");
  AppendToSeasonFile("Title", {"x"});
  EXPECT_FALSE(fs::exists(gProg.resultsFolder / ".." / ".." / "outside.txt"));
  EXPECT_TRUE(SeasonFile().empty());
  fs::remove(gProg.dataFolder / "Last Race.txt");
  try {
    AppendToSeasonFile("Title", {"x"});
    ADD_FAILURE() << "no fatal error";
  } catch (const FatalError& e) {
    ExpectFatal(e.what(), "could not find file: ", "Data File mod in LoadText");
  }
}

class StartGrid : public RaceTest {
 protected:
  void SetUp() override {
    RaceTest::SetUp();
    LayStraight(40);
    for (const char* key : {"A", "B", "C", "D", "E"}) AddCar(key);
  }
  static Lines GridOrder() {
    Lines keys;
    for (const StandingRecord& s : Standing()) keys.push_back(s.car);
    return keys;
  }
};

TEST_F(StartGrid, InOrderTwoAbreastFromTheStartTile) {
  SelectedCars() = {"C", "A", "B"};
  ASSERT_EQ(SetStartGrid(1), 1);
  EXPECT_EQ(GridOrder(), (Lines{"C", "A", "B"}));
  EXPECT_EQ(Car()["C"].listInd, 39);
  EXPECT_EQ(Car()["C"].lane, 0);
  EXPECT_EQ(Car()["A"].listInd, 39);
  EXPECT_EQ(Car()["A"].lane, 1);
  EXPECT_EQ(Car()["B"].listInd, 38);
  EXPECT_EQ(Car()["B"].lane, 0);
  EXPECT_EQ(Car()["B"].facing, 2);
  EXPECT_EQ(Node()[39].car[1], "A");
  EXPECT_EQ(Node()[38].car[0], "B");
  EXPECT_EQ(Car()["D"].listInd, -1) << "cars not selected take no part";
  EXPECT_EQ(Standing()[2].listInd, 38);
}

TEST_F(StartGrid, ByPointsStableForEqualPoints) {
  DriverOf("A").points = 5;
  DriverOf("B").points = 9;
  DriverOf("C").points = 5;
  SelectedCars() = {"C", "A", "B"};
  ASSERT_EQ(SetStartGrid(2), 1);
  EXPECT_EQ(GridOrder(), (Lines{"B", "C", "A"}));
}

TEST_F(StartGrid, RandomShufflesTheSelectionItself) {
  SelectedCars() = {"A", "B", "C", "D", "E"};
  PlatSeedRandom(7);
  ASSERT_EQ(SetStartGrid(3), 1);
  Lines first = GridOrder();
  EXPECT_EQ(first, SelectedCars()) << "the selection stays shuffled";
  Lines sorted = first;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(sorted, (Lines{"A", "B", "C", "D", "E"}));
  // The same seed gives the same grid; over a few seeds the pole changes.
  std::set<std::string> poles;
  for (int seed = 0; seed < 12; ++seed) {
    for (NodeRecord& n : Node()) n.car[0] = n.car[1] = "";
    Standing().clear();
    SelectedCars() = {"A", "B", "C", "D", "E"};
    PlatSeedRandom(seed);
    SetStartGrid(3);
    poles.insert(Standing()[0].car);
    if (seed == 7) {
      EXPECT_EQ(GridOrder(), first);
    }
  }
  EXPECT_GT(poles.size(), 2u);
}

TEST_F(StartGrid, LastRaceOrderFromTheRecord) {
  SaveText(gProg.dataFolder / "Last Race.txt", "Cup\r\n1  D\r\n2   B \r\nDNF  E\r\nDNF  A\r\n");
  SelectedCars() = {"C"};
  ASSERT_EQ(SetStartGrid(4), 1);
  EXPECT_EQ(GridOrder(), (Lines{"D", "B", "E", "A"}));
  EXPECT_EQ(Car()["A"].listInd, 38);
  EXPECT_EQ(Car()["A"].lane, 1);
  EXPECT_EQ(Car()["C"].listInd, -1);
}

// The record is read line after line, once: a record padded to a million
// lines (a few megabytes) takes as long as reading it, not a million
// re-reads from its start.
TEST_F(StartGrid, LastRaceOfAMillionLinesIsReadInOnePass) {
  std::string record = "Cup\r\n";
  for (int i = 0; i < 1000000; ++i) record += "\r\n";
  SaveText(gProg.dataFolder / "Last Race.txt", record + "1  D\r\n2  B\r\n");
  SelectedCars() = {"C"};
  ASSERT_EQ(SetStartGrid(4), 1);
  EXPECT_EQ(GridOrder(), (Lines{"D", "B"}));
}

TEST_F(StartGrid, LastRaceWithoutCarsIsRefused) {
  for (const char* record : {"", "Spring Cup", "Spring Cup\r\n"}) {
    SaveText(gProg.dataFolder / "Last Race.txt", record);
    Messages().clear();
    EXPECT_EQ(SetStartGrid(4), 0) << record;
    EXPECT_EQ(Messages(), (Lines{"There is no record of last race.~Choose another option."}));
    EXPECT_TRUE(Standing().empty());
  }
  fs::remove(gProg.dataFolder / "Last Race.txt");
  EXPECT_THROW(SetStartGrid(4), FatalError);
}

TEST_F(StartGrid, CarsThatCannotStartAreLeftOffWithALine) {
  SaveText(gProg.dataFolder / "Last Race.txt", "Cup\r\n1  Ghost\r\n2  A\r\n3  A\r\nDNF  B\r\n");
  Driver().erase("B");
  ASSERT_EQ(SetStartGrid(4), 1);
  EXPECT_EQ(GridOrder(), (Lines{"A"}));
  EXPECT_EQ(Car()["A"].listInd, 39) << "no hole where a car was left off";
  EXPECT_EQ(LogLines(),
            (Lines{"Ghost", "  not on the grid: unknown car", "A",
                   "  not on the grid: already on it", "B", "  not on the grid: no driver"}));
  // Every car without a driver: nothing to race.
  for (NodeRecord& n : Node()) n.car[0] = n.car[1] = "";
  Standing().clear();
  Driver().clear();
  SelectedCars() = {"A", "C"};
  EXPECT_EQ(SetStartGrid(1), 0);
  EXPECT_EQ(Messages().size(), 1u);
}

TEST_F(StartGrid, MoreCarsThanPlaces) {
  LayStraight(2);
  SelectedCars() = {"A", "B", "C", "D", "E"};
  ASSERT_EQ(SetStartGrid(1), 1);
  EXPECT_EQ(GridOrder(), (Lines{"A", "B", "C", "D"}));
  EXPECT_EQ(Car()["D"].listInd, 0);
  EXPECT_EQ(LogLines(), (Lines{"E", "  not on the grid: no place left"}));
  EXPECT_THROW(PlaceOnGrid("E", 5), FatalError);
}

TEST_F(StartGrid, RaceStartScalesHbsAndOrsToTheLaps) {
  Options().laps = 3;
  Car()["A"].hb = 7;
  Car()["A"].ors = 2;
  Car()["A"].ORpermitted = 1;
  Car()["E"].hb = 9;  // not racing: scaled all the same
  SelectedCars() = {"A", "B"};
  SetStartGrid(1);
  PrepareRaceCars();
  EXPECT_EQ(LogLines(), (Lines{"3 lap race", " "}));
  EXPECT_EQ(Car()["A"].hb, 5);
  EXPECT_EQ(Car()["A"].ors, 1);
  EXPECT_EQ(Car()["A"].ORpermitted, 0);
  EXPECT_EQ(Car()["E"].hb, 6);
  StartFirstMove();
  EXPECT_EQ(CurrentCarKey(), "A");
  EXPECT_EQ(Car()["A"].gear, 1);
  EXPECT_EQ(Car()["A"].remaining, 4);
}
