// The gear panel's advice as the panel opens: every gear offered played out
// over every roll, and the next move after each safe one. Positions: every
// gear choice of a seeded two-lap race on the largest shipped circuit (all
// cars driven by the player, each moved as the computer would), the slowest
// of them alone, and a hand-edited one (absurd MP, a car table's worth of
// HBs, the car in a corner on the lap's last node).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <vector>

#include "../support/test_support.h"
#include "common/common.h"
#include "platform/services.h"
#include "race/ai.h"
#include "race/analyze.h"
#include "race/define.h"
#include "race/folders.h"
#include "race/gear_advice.h"
#include "race/movement.h"
#include "race/race_start.h"
#include "race/report.h"
#include "race/save_load.h"
#include "race/season.h"

namespace fs = std::filesystem;

namespace {
std::vector<Race>* gPositions = nullptr;

int Keep(const GearOffer&) {
  gPositions->push_back(CurrentRace());
  ComputerGear();
  return kChooseKeepGear;
}

// The gear choices of the race, as races of their own.
struct Positions {
  std::vector<Race> all;
  size_t slowest = 0;
  Race hostile;
  fs::path game;
  Positions() {
    game = testing_support::CopyGameFolderToMemory("bench-advice");
    testing_support::ReadGameFolderAsTheGame(game);
    PlatScriptRandom({});
    PlatSeedRandom(3);
    fs::path file = game / "Circuits" / testing_support::LargestShippedCircuit().filename();
    Load(file);
    Options().raceName = file.stem().string();
    UnattendedRace race;
    race.laps = 2;
    SetUpUnattendedRace(race);
    for (auto& [key, driver] : Driver()) driver.user = 1;
    gPositions = &all;
    Report() = RaceReport{};
    Report().chooseGear = Keep;
    for (long long steps = 0; !Standing().empty() && steps < 200000; ++steps) RaceStep();
    Report() = RaceReport{};
    double longest = -1;
    for (size_t i = 0; i < all.size(); ++i) {
      // The least of three, so a hiccup of the machine picks no position.
      double took = 1e9;
      for (int run = 0; run < 3; ++run) {
        auto start = std::chrono::steady_clock::now();
        Advise(all[i]);
        took = std::min(took, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
      }
      if (took > longest) {
        longest = took;
        slowest = i;
      }
    }
    hostile = all.front();
    RaceScope scope(hostile);
    SelectCarAt(RaceNow().currentCar);
    CarRecord& car = CurrentCar();
    for (NodeRecord& node : Node())
      for (std::string& place : node.car)
        if (place == CurrentCarKey()) place.clear();
    const int last = static_cast<int>(Node().size()) - 1;
    Node()[last].corner = 2;
    Node()[last].car[0] = CurrentCarKey();
    car.listInd = last;
    car.lane = 0;
    car.inCorner = 2;
    car.gear = 4;
    car.hb = 999;
    car.gear1 = car.gear2 = car.gear3 = car.gear4 = car.gear5 = car.gearTop = 2000000000;
    car.bonus = car.remaining = 2000000000;
    Options().laps = 99;
  }
  ~Positions() {
    SetLoadDriversHandler(nullptr);
    fs::remove_all(game);
  }
  static void Advise(Race& race) {
    RaceScope scope(race);
    SelectCarAt(RaceNow().currentCar);
    GearAdvice advice = AdviseGears(OfferGears().states);
    benchmark::DoNotOptimize(advice.rows[0].data());
  }
};

Positions& ThePositions() {
  static Positions positions;
  return positions;
}
}  // namespace

static void BM_AdviceEveryPanelOfARace(benchmark::State& state) {
  Positions& p = ThePositions();
  for (auto _ : state)
    for (Race& race : p.all) Positions::Advise(race);
  state.counters["panels"] = static_cast<double>(p.all.size());
  state.counters["time/panel"] =
      benchmark::Counter(static_cast<double>(p.all.size()),
                         benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_AdviceEveryPanelOfARace)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

static void BM_AdviceSlowestPanel(benchmark::State& state) {
  Positions& p = ThePositions();
  for (auto _ : state) Positions::Advise(p.all[p.slowest]);
}
BENCHMARK(BM_AdviceSlowestPanel)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

static void BM_AdviceHandEditedPanel(benchmark::State& state) {
  Positions& p = ThePositions();
  for (auto _ : state) Positions::Advise(p.hostile);
}
BENCHMARK(BM_AdviceHandEditedPanel)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

BENCHMARK_MAIN();
