// RenderFrame on the largest shipped circuit at 1920 x 1080 with 20 cars and
// the side panel: every frame drawing the ground, the ground kept with the
// cars gliding over it, and the first frame after a zoom step (the kept
// ground drawn again), against a bare loop that issues the very same sprite
// draws straight to SDL. Run: build/bench/bench_render (software renderer on the
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
#include "game/screen_settings.h"

namespace fs = std::filesystem;

namespace {
bool gReady = false;

void SetUpRace() {
  if (gReady) return;
  if (std::getenv("SDL_VIDEODRIVER") == nullptr) setenv("SDL_VIDEODRIVER", "dummy", 1);
  SetFatalThrows(true);
  const char* size = std::getenv("BENCH_4K");
  testing_support::StartGameHeadless(size ? 3840 : 1920, size ? 2160 : 1080);
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

// Every car one node on (round the circuit), as a step of the race moves
// them: the next frames draw them gliding there.
void StepCarsOn() {
  const int n = static_cast<int>(Node().size());
  std::vector<NodeRecord> moved = Node();
  for (int i = 0; i < n; ++i) {
    moved[(i + n - 1) % n].car[0] = Node()[i].car[0];
    moved[(i + n - 1) % n].car[1] = Node()[i].car[1];
  }
  for (int i = 0; i < n; ++i) {
    Node()[i].car[0] = moved[i].car[0];
    Node()[i].car[1] = moved[i].car[1];
  }
}

void Draws(benchmark::State& state) {
  PlatResetDrawStats();
  RenderFrame();
  state.counters["draws"] = static_cast<double>(PlatGetDrawStats().displays);
}

void BM_RenderFrame(benchmark::State& state) {
  SetUpRace();
  SetGroundCache(false);
  for (auto _ : state) RenderFrame();
  Draws(state);
  SetGroundCache(true);
}

void BM_RenderFrameGroundKept(benchmark::State& state) {
  SetUpRace();
  Options().autoMode = 1;
  gScreen.timeSlice = 1000000;  // every frame mid-glide
  StepCarsOn();
  RenderFrame();
  int frames = 0;
  for (auto _ : state) {
    if (++frames % 30 == 0) StepCarsOn();
    RenderFrame();
  }
  if (!CarsGliding()) state.SkipWithError("the cars did not glide");
  Draws(state);
  Options().autoMode = 0;
}

// Arg 1: the kept ground drawn again; 0: drawn straight to the screen, as
// every frame did before the ground was kept.
void BM_RenderFrameAfterZoomStep(benchmark::State& state) {
  SetUpRace();
  SetGroundCache(state.range(0) != 0);
  const int zoom = gView.zoom;
  const int other = zoom == kLargestZoom ? zoom - kZoomStep : zoom + kZoomStep;
  bool in = false;
  for (auto _ : state) {
    in = !in;
    ZoomAround(in ? other : zoom, gView.trackViewWidth / 2, 540);
    RenderFrame();
  }
  ZoomAround(zoom, gView.trackViewWidth / 2, 540);
  Draws(state);
  SetGroundCache(true);
}

void BM_BareSdlLoop(benchmark::State& state) {
  SetUpRace();
  SetGroundCache(false);
  PlatRecordDraws(true);
  RenderFrame();
  PlatRecordDraws(false);
  SetGroundCache(true);
  for (auto _ : state) {
    PlatClearScreen(0x808080);
    PlatReplayRecordedDrawsRaw();
    PlatFlipBuffers();
  }
  state.counters["draws"] = static_cast<double>(PlatRecordedDraws());
}
}  // namespace

BENCHMARK(BM_RenderFrame)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_RenderFrameGroundKept)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_RenderFrameAfterZoomStep)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_BareSdlLoop)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK_MAIN();
