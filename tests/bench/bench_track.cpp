// Loading the largest shipped circuit: JSON, node building and analysis.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "../support/test_support.h"
#include "common/common.h"
#include "race/define.h"
#include "race/save_load.h"

namespace fs = std::filesystem;

static fs::path LargestCircuit() {
  fs::path best;
  uintmax_t size = 0;
  for (const auto& entry :
       fs::directory_iterator(testing_support::SourceDir() / "game" / "Circuits"))
    if (entry.path().extension() == ".json" && entry.file_size() > size) {
      size = entry.file_size();
      best = entry.path();
    }
  return best;
}

static void BM_LoadBuildAnalyse(benchmark::State& state) {
  SetFatalThrows(true);
  ResetProgramState();
  SetProgramFolder(testing_support::SourceDir() / "game");
  fs::path file = LargestCircuit();
  for (auto _ : state) {
    ResetRaceData();
    Load(file);
    benchmark::DoNotOptimize(Node().data());
  }
  state.SetLabel(file.filename().string() + ", " + std::to_string(Node().size()) + " nodes");
}
BENCHMARK(BM_LoadBuildAnalyse)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
