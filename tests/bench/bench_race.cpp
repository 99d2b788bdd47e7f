// A 10-lap race with every car on the largest shipped circuit, as
// velotrax-tool simulate runs it: the turn sequence from the first step to
// the end of the race (results and files included). Loading the circuit and
// the set-up are left out of the timing.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "../support/test_support.h"
#include "common/common.h"
#include "platform/services.h"
#include "race/analyze.h"
#include "race/define.h"
#include "race/folders.h"
#include "race/movement.h"
#include "race/race_start.h"
#include "race/report.h"
#include "race/save_load.h"
#include "race/season.h"

namespace fs = std::filesystem;

namespace {
std::string gOutput;  // what the tool would print
void Print(const std::string& line) {
  gOutput += line;
  gOutput += '\n';
}
}  // namespace

static void BM_TenLapRaceEveryCar(benchmark::State& state) {
  fs::path game = testing_support::CopyGameFolder("bench-race");
  testing_support::ReadGameFolderAsTheGame(game);
  Report().commentary = Print;
  PlatScriptRandom({});
  // Argument 1: the race's files written at the flag, as a player's race
  // does; 0: none, as the balance report and the race behind the menu run.
  const bool files = state.range(0) != 0;
  fs::path file = game / "Circuits" / testing_support::LargestShippedCircuit().filename();
  long long steps = 0;
  uint64_t seed = 1;
  for (auto _ : state) {
    state.PauseTiming();
    // Every race writes the same files from the same start: the season
    // file would otherwise grow by a race's results each time round.
    fs::remove_all(game / "Results");
    fs::create_directory(game / "Results");
    PlatSeedRandom(seed++);
    gOutput.clear();
    Load(file);
    Options().raceName = file.stem().string();
    UnattendedRace race;
    race.laps = 10;
    SetUpUnattendedRace(race);
    Options().keepFiles = !files;
    state.ResumeTiming();
    while (!Standing().empty()) {
      RaceStep();
      ++steps;
    }
    benchmark::DoNotOptimize(gOutput.data());
  }
  state.counters["steps/race"] =
      benchmark::Counter(static_cast<double>(steps), benchmark::Counter::kAvgIterations);
  state.counters["time/step"] = benchmark::Counter(
      static_cast<double>(steps), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  state.SetLabel(file.stem().string() + ", " + std::to_string(Node().size()) + " nodes, " +
                 std::to_string(Car().size()) + " cars");
  Report().commentary = nullptr;
  fs::remove_all(game);
}
BENCHMARK(BM_TenLapRaceEveryCar)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
