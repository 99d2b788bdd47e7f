// RenderFrame on the largest shipped circuit at 1920 x 1080 with 20 cars and
// the side panel, against a bare loop that issues the very same sprite draws
// straight to SDL. Run: build/bench/bench_render (software renderer on the
// dummy driver by default; under Xvfb with SDL_VIDEODRIVER=x11 SDL picks its
// accelerated renderer where there is one).
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "common/common.h"
#include "race/car_data.h"
#include "race/define.h"
#include "game/track_view.h"
#include "race/save_load.h"
#include "platform/screen.h"
#include "platform/services.h"
#include "screen_support.h"
#include "game/view.h"

namespace fs = std::filesystem;

namespace {
bool gReady = false;

void SetUpRace() {
  if (gReady) return;
  if (std::getenv("SDL_VIDEODRIVER") == nullptr) setenv("SDL_VIDEODRIVER", "dummy", 1);
  SetFatalThrows(true);
  testing_support::StartGameHeadless(1920, 1080);
  std::vector<PlatFolderEntry> files;
  PlatListFolder(gProg.circuitsFolder, "*.json", files);
  fs::path largest;
  uintmax_t cells = 0;
  for (const auto& f : files) {
    Load(gProg.circuitsFolder / f.name);
    ShowLoadedCircuit();
    uintmax_t c = static_cast<uintmax_t>(Base().cols) * Base().rows;
    if (c > cells) {
      cells = c;
      largest = gProg.circuitsFolder / f.name;
    }
  }
  Load(largest);
  ShowLoadedCircuit();
  LoadCarData();
  // 20 cars: the car table, repeated under new keys when it holds fewer.
  std::vector<CarRecord> models;
  for (const auto& [k, c] : Car()) models.push_back(c);
  Car().clear();
  for (int i = 0; i < 20; ++i) {
    int index = static_cast<int>(Node().size()) - 1 - i / 2;
    CarRecord car = models[i % models.size()];
    std::string key = "Car " + std::to_string(i + 1);
    car.listInd = index;
    car.lane = i % 2;
    car.facing = Node()[index].facing;
    Node()[index].car[i % 2] = key;
    Car()[key] = car;
  }
  const NodeRecord& start = Node().back();
  CentreView(start.nodeX, start.nodeY);
  gReady = true;
}

void BM_RenderFrame(benchmark::State& state) {
  SetUpRace();
  for (auto _ : state) RenderFrame();
  PlatResetDrawStats();
  RenderFrame();
  state.counters["draws"] = static_cast<double>(PlatGetDrawStats().displays);
}

void BM_BareSdlLoop(benchmark::State& state) {
  SetUpRace();
  PlatRecordDraws(true);
  RenderFrame();
  PlatRecordDraws(false);
  for (auto _ : state) {
    PlatClearScreen(0x808080);
    PlatReplayRecordedDrawsRaw();
    PlatFlipBuffers();
  }
  state.counters["draws"] = static_cast<double>(PlatRecordedDraws());
}
}  // namespace

BENCHMARK(BM_RenderFrame)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_BareSdlLoop)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK_MAIN();
