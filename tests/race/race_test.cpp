// Whole races: every car out, invariants over many seeded races on every
// shipped circuit, and velotrax-tool simulate (replay, a season, bad input).
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <random>
#include <set>

#include "../support/test_support.h"
#include "race/analyze.h"
#include "race/data_file.h"
#include "race/movement.h"
#include "race/save_load.h"
#include "race/race_end.h"
#include "race/race_start.h"
#include "race/report.h"
#include "race/season.h"
#include "platform/services.h"
#include "race_support.h"
#include "race/folders.h"

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

namespace {
Lines gResults;
void KeepResults(const std::string& heading, const Lines& lines) {
  gResults = lines;
  gResults.insert(gResults.begin(), heading);
}

using testing_support::ShippedCircuits;

using testing_support::Quoted;
using testing_support::ToolRun;

ToolRun Simulate(const fs::path& gameDir, const std::string& args) {
  return testing_support::RunTool("simulate " + args + " --game-dir " + Quoted(gameDir.string()));
}

Lines SplitOutput(const std::string& out) {
  Lines lines;
  size_t start = 0;
  for (size_t nl; (nl = out.find('\n', start)) != std::string::npos; start = nl + 1)
    lines.push_back(out.substr(start, nl - start));
  return lines;
}

std::string Circuit(const char* name) {
  return Quoted((testing_support::SourceDir() / "game" / "Circuits" / (std::string(name) + ".json"))
                    .string());
}
}  // namespace

class WholeRace : public RaceTest {};

TEST_F(WholeRace, EveryCarCrashes) {
  Options().laps = 1;
  Options().raceName = "Wall";
  LayStraight(12);
  MarkCorner(5, 6, 1);
  SaveText(gProg.dataFolder / "Last Race.txt", "Cup\r\n");
  for (const char* key : {"X", "Y", "Z"}) {
    CarRecord& car = AddCar(key);
    car.sharp = 0;  // any gear is three over this corner's limit
    car.hairpin = 0;
    car.gear = 3;
  }
  SelectedCars() = {"Z", "X", "Y"};
  ASSERT_EQ(SetStartGrid(1), 1);
  Report().raceEnded = KeepResults;
  PrepareRaceCars();
  StartFirstMove();
  for (int steps = 0; !Standing().empty() && steps < 1000; ++steps) RaceStep();
  ASSERT_TRUE(Standing().empty());
  for (const char* key : {"X", "Y", "Z"}) EXPECT_EQ(Car()[key].finished, 2) << key;
  std::string record = testing_support::ReadBytes(gProg.dataFolder / "Last Race.txt");
  EXPECT_EQ(record.substr(0, 5), "Cup\r\n");
  EXPECT_EQ(record.size(), 5u + 3 * 8u) << record;
  EXPECT_EQ(std::count(record.begin(), record.end(), 'D'), 3) << "only DNF lines: " << record;
  ASSERT_EQ(gResults.size(), 4u);
  EXPECT_EQ(gResults[0], "Wall Race Results");
  for (size_t i = 1; i < gResults.size(); ++i) EXPECT_EQ(gResults[i].substr(0, 9), " DNF  0  ");
  for (const auto& [key, driver] : Driver()) EXPECT_EQ(driver.points, 0);
  std::string season = testing_support::ReadBytes(gProg.resultsFolder / "Cup.txt");
  EXPECT_NE(season.find(" 3 0  "), std::string::npos) << season;
}

// Many seeded races on every shipped circuit, checked after every step.
TEST_F(WholeRace, InvariantsOverSeededRacesOnEveryCircuit) {
  fs::path game = testing_support::CopyGameFolder("invariants");
  SetProgramFolder(game);
  ReadSettings();
  LoadTrackTiles();
  SetLoadDriversHandler(LoadDrivers);
  Report().commentary = nullptr;
  PlatScriptRandom({});
  Report().raceEnded = KeepResults;
  std::vector<fs::path> circuits = ShippedCircuits();
  ASSERT_GE(circuits.size(), 5u);
  int races = 0, finishers = 0, outs = 0;
  for (const fs::path& circuit : circuits) {
    for (int seed = 1; seed <= 6; ++seed) {
      SCOPED_TRACE(circuit.stem().string() + ", seed " + Decimal(seed));
      PlatSeedRandom(seed * 7919);
      Load(circuit);
      Options().raceName = circuit.stem().string();
      UnattendedRace race;
      race.laps = 1 + seed % 5;
      race.gridMode = 1 + seed % 3;
      ASSERT_TRUE(SetUpUnattendedRace(race));
      const size_t cars = Standing().size();
      ASSERT_EQ(cars, Car().size());
      const long long limit =
          200LL * (race.laps + 1) * static_cast<long long>(Node().size()) * cars;
      long long steps = 0;
      while (!Standing().empty()) {
        ASSERT_LT(++steps, limit) << "the race does not end";
        RaceStep();
        std::set<std::string> seen;
        for (size_t i = 0; i < Node().size(); ++i)
          for (int lane = 0; lane < 2; ++lane) {
            const std::string& key = Node()[i].car[lane];
            if (key.empty()) continue;
            ASSERT_TRUE(seen.insert(key).second) << key << " stands in two places";
            const CarRecord& car = Car().at(key);
            ASSERT_EQ(car.finished, 0) << key;
            ASSERT_EQ(car.listInd, static_cast<int>(i)) << key;
            ASSERT_EQ(car.lane, lane) << key;
          }
        for (const auto& [key, car] : Car()) ASSERT_GE(car.remaining, 0) << key;
      }
      ASSERT_EQ(gResults.size(), cars + 1) << "every car finished or dropped out";
      for (const auto& [key, car] : Car()) {
        ASSERT_TRUE(car.finished == 1 || car.finished == 2) << key;
        (car.finished == 1 ? finishers : outs)++;
      }
      ++races;
    }
  }
  EXPECT_EQ(races, 6 * static_cast<int>(circuits.size()));
  EXPECT_GT(finishers, 0);
  EXPECT_GT(outs, 0) << "over thirty races some car should have crashed";
  SetLoadDriversHandler(nullptr);
  fs::remove_all(game);
}

class SimulateTool : public testing::Test {
 protected:
  void SetUp() override {
    game = testing_support::CopyGameFolder("simulate");
    second = testing_support::CopyGameFolder("simulate2");
  }
  void TearDown() override {
    fs::remove_all(game);
    fs::remove_all(second);
  }
  fs::path game, second;
};

TEST_F(SimulateTool, ARaceReplaysExactlyFromItsRolls) {
  std::mt19937 gen(42);
  std::string rolls;
  for (int i = 0; i < 997; ++i) rolls += Decimal(1 + gen() % 100) + (i % 20 == 19 ? "\n" : " ");
  testing_support::WriteBytes(game / "rolls.txt", rolls);
  const std::string args = Circuit("Harbour Loop") + " --laps 3 --grid random --races 2 --rolls " +
                           Quoted((game / "rolls.txt").string());
  ToolRun a = Simulate(game, args);
  ToolRun b = Simulate(second, args);
  ASSERT_EQ(a.status, 0) << a.err;
  ASSERT_EQ(b.status, 0) << b.err;
  EXPECT_EQ(a.out, b.out);
  Lines lines = SplitOutput(a.out);
  ASSERT_GT(lines.size(), 40u);
  EXPECT_EQ(lines[0], "3 lap race");
  EXPECT_EQ(lines[1], " ");
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "=== results"), 2);
  auto results = std::find(lines.begin(), lines.end(), "=== results");
  ASSERT_LT(results + 15, lines.end());
  EXPECT_EQ(*(results + 1), "Harbour Loop Race Results");
  EXPECT_EQ(*(results - 1), " ");
  EXPECT_EQ(*(results - 2), "end of race");
  EXPECT_EQ(*(results + 16), "3 lap race") << "fourteen results lines, then the second race";

  // Other dice, another race.
  fs::remove_all(second);
  second = testing_support::CopyGameFolder("simulate2");
  testing_support::WriteBytes(second / "rolls.txt", "37 5 88 61\n");
  ToolRun c =
      Simulate(second, Circuit("Harbour Loop") + " --laps 3 --grid random --races 2 --rolls " +
                           Quoted((second / "rolls.txt").string()));
  ASSERT_EQ(c.status, 0) << c.err;
  EXPECT_NE(c.out, a.out);
}

// The figure-eight raced to the flag: every car crosses the crossing both
// ways, lap after lap, and the race ends with every car classified.
TEST_F(SimulateTool, TheFigureEightIsRacedToTheFlag) {
  for (const char* seed : {"1", "2", "3"}) {
    ToolRun run = Simulate(game, Circuit("Crossways Eight") + " --laps 3 --seed " + seed);
    ASSERT_EQ(run.status, 0) << run.err;
    Lines lines = SplitOutput(run.out);
    auto results = std::find(lines.begin(), lines.end(), "=== results");
    ASSERT_NE(results, lines.end()) << run.out;
    EXPECT_EQ(*(results - 2), "end of race");
    EXPECT_EQ(*(results + 1), "Crossways Eight Race Results");
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "no car can move any more"), 0);
    EXPECT_NE(std::find_if(
                  lines.begin(), lines.end(),
                  [](const std::string& l) { return l.find("finished 1st") != std::string::npos; }),
              lines.end())
        << run.out;
  }
}

TEST_F(SimulateTool, ASeasonOfFiveRacesAddsUpThePoints) {
  ToolRun run =
      Simulate(game, Circuit("Puddleford Park") +
                         " --laps 2 --grid points --races 5 --seed 11 --new-season 'Test Cup'");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find("new season"), std::string::npos)
      << "commentary before the laps line goes to stderr";
  Lines lines = SplitOutput(run.out);
  const std::string scale = "964321";
  std::map<std::string, int> expected;
  int blocks = 0;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i] != "=== results") continue;
    ++blocks;
    for (size_t j = i + 2; j < lines.size() && lines[j] != "2 lap race"; ++j) {
      const std::string& line = lines[j];
      size_t dash = line.find(" - ");
      ASSERT_NE(dash, std::string::npos) << line;
      std::string key = line.substr(9, dash - 9);
      int place = line.substr(1, 3) == "DNF" ? 0 : LenientInt(line.substr(1, 2));
      expected[key] += place >= 1 && place <= 6 ? scale[place - 1] - '0' : 0;
    }
  }
  EXPECT_EQ(blocks, 5);
  ASSERT_EQ(expected.size(), 14u);
  std::string drivers = CleanText(LoadText(game / "Data" / "Drivers.csv"));
  int checked = 0;
  for (const std::string& line : SplitLines(drivers)) {
    std::string key = CommaField(line, 2);
    EXPECT_EQ(LenientInt(CommaField(line, 5)), expected[key]) << key;
    ++checked;
  }
  EXPECT_EQ(checked, 14);
  std::string season = testing_support::ReadBytes(game / "Results" / "Test Cup.txt");
  size_t races = 0;
  for (size_t at = season.find("\r\nPuddleford Park\r\n"); at != std::string::npos;
       at = season.find("\r\nPuddleford Park\r\n", at + 1))
    ++races;
  EXPECT_EQ(races, 5u);
  EXPECT_EQ(testing_support::ReadBytes(game / "Data" / "Last Race.txt").substr(0, 10),
            "Test Cup\r\n");
}

TEST_F(SimulateTool, TheLastRaceGridNeedsARecord) {
  ToolRun run = Simulate(game, Circuit("Diagonal Downs") + " --laps 1 --grid last --seed 1");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("There is no record of last race."), std::string::npos) << run.err;
  EXPECT_EQ(run.out, "");
  run = Simulate(game, Circuit("Diagonal Downs") + " --laps 1 --seed 1 --cars 'Typhoon,Mistral'");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(testing_support::ReadBytes(game / "Data" / "Last Race.txt").substr(0, 9),
            "no name\r\n");
  run = Simulate(game, Circuit("Diagonal Downs") + " --laps 1 --grid last --seed 2");
  ASSERT_EQ(run.status, 0) << run.err;
  Lines lines = SplitOutput(run.out);
  EXPECT_EQ(lines.size() - (std::find(lines.begin(), lines.end(), "=== results") - lines.begin()),
            4u)
      << "the two cars of the last race, no more";
}

TEST_F(SimulateTool, BadArgumentsAndFilesExitOneWithAMessage) {
  testing_support::WriteBytes(game / "zero.txt", "5 0 7");
  testing_support::WriteBytes(game / "words.txt", "5 five");
  testing_support::WriteBytes(game / "empty.txt", " \n");
  const std::string c = Circuit("Diagonal Downs");
  const std::pair<std::string, std::string> cases[] = {
      {c, "--laps is required"},
      {c + " --laps 0", "--laps wants a whole number from 1 to 99: 0"},
      {c + " --laps 3x", "--laps wants a whole number"},
      {c + " --laps 2 --grid fastest", "--grid wants order, points, random or last"},
      {c + " --laps 2 --cars 'Typhoon,,Mistral'", "--cars wants car keys"},
      {c + " --laps 2 --cars Hovercraft", "unknown car: Hovercraft"},
      {c + " --laps 2 --seed 1 --rolls x", "--seed and --rolls exclude each other"},
      {c + " --laps 2 --rolls " + Quoted((game / "zero.txt").string()),
       "roll 2 is not a whole number from 1 to 100: 0"},
      {c + " --laps 2 --rolls " + Quoted((game / "words.txt").string()), "roll 2 is not"},
      {c + " --laps 2 --rolls " + Quoted((game / "empty.txt").string()), "holds no rolls"},
      {c + " --laps 2 --rolls " + Quoted((game / "none.txt").string()),
       "could not read rolls file"},
      {c + " --laps 2 --new-season '../x'", "--new-season takes letters"},
      {c + " --laps 2 --speed 3", "unknown option: --speed"},
      {Quoted((game / "missing.json").string()) + " --laps 2", "could not find file: "},
  };
  for (const auto& [args, message] : cases) {
    SCOPED_TRACE(args);
    ToolRun run = Simulate(game, args);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(message), std::string::npos) << run.err;
  }
  fs::remove(game / "Data" / "Drivers.csv");
  ToolRun run = Simulate(game, c + " --laps 2");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("could not find file: "), std::string::npos) << run.err;
}

TEST_F(SimulateTool, ACarWithoutADriverIsLeftOffTheGrid) {
  std::string drivers = testing_support::ReadBytes(game / "Data" / "Drivers.csv");
  size_t at = drivers.find(",Typhoon,");
  ASSERT_NE(at, std::string::npos);
  size_t start = drivers.rfind("\r\n", at) + 2;
  drivers.erase(start, drivers.find("\r\n", at) + 2 - start);
  testing_support::WriteBytes(game / "Data" / "Drivers.csv", drivers);
  ToolRun run = Simulate(game, Circuit("Switchback Ridge") + " --laps 1 --seed 3");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find("Typhoon\n  not on the grid: no driver"), std::string::npos) << run.err;
  EXPECT_EQ(run.out.find("Typhoon"), std::string::npos);
  Lines lines = SplitOutput(run.out);
  EXPECT_EQ(lines.size() - (std::find(lines.begin(), lines.end(), "=== results") - lines.begin()),
            15u);
}
