// The balance report of 1000 four-lap races of the whole field on the
// largest shipped circuit, as a circuit maker runs it: the real tool, start
// to end, output included (wall-clock time, for the tool runs in its own
// process).
#include <benchmark/benchmark.h>

#include "../support/test_support.h"
#include "common/common.h"

namespace fs = std::filesystem;

static void BM_BalanceThousandRacesLargestCircuit(benchmark::State& state) {
  SetFatalThrows(true);
  const fs::path file = testing_support::LargestShippedCircuit();
  const std::string args = "balance " + testing_support::Quoted(file.string()) +
                           " --laps 4 --races 1000 --seed 1 --csv --game-dir " +
                           testing_support::Quoted(testing_support::BuildGameDir().string());
  size_t lines = 0;
  for (auto _ : state) {
    testing_support::ToolRun run = testing_support::RunTool(args);
    if (run.status != 0) {
      state.SkipWithError(("balance failed: " + run.err).c_str());
      break;
    }
    lines = static_cast<size_t>(std::count(run.out.begin(), run.out.end(), '\n'));
  }
  state.counters["races/s"] =
      benchmark::Counter(1000.0, benchmark::Counter::kIsIterationInvariantRate);
  state.SetLabel(file.stem().string() + ", " + std::to_string(lines) + " lines of report");
}
BENCHMARK(BM_BalanceThousandRacesLargestCircuit)
    ->Unit(benchmark::kSecond)
    ->UseRealTime()
    ->Iterations(1)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

BENCHMARK_MAIN();
