// A season soak through velotrax-tool: race after race with changing fields,
// laps and grid rules, new seasons in between, every race saved and loaded
// again every few steps. After each race the season points add up and every
// starter is in the results once. VELOTRAX_SOAK_RACES sets how many races
// (a few by default; hundreds under the sanitizer build for a real soak).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <set>

#include "../support/test_support.h"
#include "race/data_file.h"
#include "race_support.h"

namespace fs = std::filesystem;
using testing_support::Quoted;
using testing_support::ToolRun;

namespace {
std::map<std::string, int> DriverPoints(const fs::path& file) {
  std::map<std::string, int> points;
  for (const std::string& line : SplitLines(CleanText(LoadText(file))))
    points[CommaField(line, 2)] = LenientInt(CommaField(line, 5));
  return points;
}

// The results block of the tool's output: car key and place (0 for "DNF").
std::vector<std::pair<std::string, int>> Results(const std::string& out) {
  std::vector<std::pair<std::string, int>> results;
  size_t at = out.find("=== results\n");
  if (at == std::string::npos) return results;
  at = out.find('\n', at + 12) + 1;  // past the heading
  for (size_t nl; (nl = out.find('\n', at)) != std::string::npos; at = nl + 1) {
    std::string line = out.substr(at, nl - at);
    size_t dash = line.find(" - ");
    if (line.size() < 10 || dash == std::string::npos) break;
    results.push_back(
        {line.substr(9, dash - 9), line.substr(1, 3) == "DNF" ? 0 : LenientInt(line.substr(1, 2))});
  }
  return results;
}
}  // namespace

TEST(SeasonSoak, RaceAfterRaceReloadedEveryFewStepsThePointsAddUp) {
  const char* wanted = std::getenv("VELOTRAX_SOAK_RACES");
  const int races = wanted != nullptr ? std::max(1, std::atoi(wanted)) : kSanitizerBuild ? 2 : 6;
  fs::path game = testing_support::CopyGameFolderToMemory("soak");
  const std::vector<fs::path> circuits = testing_support::ShippedCircuits();
  const std::map<std::string, int> master = DriverPoints(game / "Data" / "Drivers - Master.csv");
  std::vector<std::string> keys;
  for (const auto& [key, points] : master) keys.push_back(key);
  const std::string scale = "964321";
  std::mt19937 gen(2026);
  std::map<std::string, int> expected = DriverPoints(game / "Data" / "Drivers.csv");
  const auto start = std::chrono::steady_clock::now();
  const char* grids[] = {"order", "points", "random", "last"};
  std::set<std::string> lastRace;
  for (int race = 0; race < races; ++race) {
    // A field of 2 to 14 cars in a shuffled order.
    std::vector<std::string> field = keys;
    std::shuffle(field.begin(), field.end(), gen);
    field.resize(2 + gen() % (keys.size() - 1));
    std::string cars;
    for (const std::string& key : field) cars += (cars.empty() ? "" : ",") + key;
    const bool newSeason = race % 10 == 0;
    // "last" needs a last race of the same season.
    const std::string grid = grids[gen() % (newSeason ? 3 : 4)];
    const int laps = 1 + static_cast<int>(gen() % 3);
    std::string args = "simulate " + Quoted(circuits[gen() % circuits.size()].string()) +
                       " --game-dir " + Quoted(game.string()) + " --laps " + Decimal(laps) +
                       " --cars " + Quoted(cars) + " --grid " + grid + " --seed " + Decimal(gen()) +
                       " --reload-every " + Decimal(3 + gen() % 7);
    if (newSeason) args += " --new-season 'Soak " + Decimal(race / 10) + "'";
    SCOPED_TRACE("race " + Decimal(race) + ": " + args);
    ToolRun run = testing_support::RunTool(args);
    ASSERT_EQ(run.status, 0) << run.err;
    if (newSeason) expected = master;
    // A "last race" grid starts the cars of the last race, not this field.
    std::set<std::string> seen;
    for (const auto& [key, place] : Results(run.out)) {
      ASSERT_TRUE(seen.insert(key).second) << key << " twice in the results";
      if (place >= 1 && place <= 6) expected[key] += scale[place - 1] - '0';
    }
    EXPECT_EQ(seen, grid == "last" ? lastRace : std::set<std::string>(field.begin(), field.end()));
    lastRace = seen;
    ASSERT_EQ(DriverPoints(game / "Data" / "Drivers.csv"), expected);
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("season soak: %d races in %.1f s\n", races, seconds);
  fs::remove_all(game);
}
