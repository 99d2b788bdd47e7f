// Cost of the toolkit's per-frame work with the game's screens built: the
// drawing pass over every page and a page switch. Headless, software renderer.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "../support/screen_support.h"
#include "common/common.h"
#include "race/define.h"
#include "game/screens.h"
#include "platform/screen.h"
#include "platform/services.h"
#include "game/view.h"

namespace fs = std::filesystem;

namespace {
void WriteSolid(const fs::path& file, int width, int height, uint32_t rgba) {
  int image = PlatCreateImage(kAnySprite, width, height, rgba);
  std::vector<uint8_t> png = PlatEncodeImagePng(image);
  PlatFreeImage(image);
  testing_support::WriteBytes(file, std::string(png.begin(), png.end()));
}

// Timing does not depend on what the images show, only on their sizes.
void SetUpScreens() {
  static bool done = false;
  if (done) return;
  done = true;
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  SetFatalThrows(true);
  PlatInitSprites();
  PlatInitKeyboard();
  PlatOpenWindow(0, 0, 1920, 1080, "bench");
  PlatOpenScreen(1, 0, 0, 1920, 1080);
  fs::path root = testing_support::MakeTempDir("gui-bench");
  fs::create_directories(root / "Theme");
  fs::create_directories(root / "Data");
  WriteSolid(root / "Theme" / "Frame.png", 96, 96, 0xFF808080);
  WriteSolid(root / "Theme" / "Panel.png", 24, 24, 0xFFE0E0E0);
  WriteSolid(root / "Theme" / "Button Long.png", 176, 32, 0xFFD0D0D0);
  WriteSolid(root / "Theme" / "Button Short.png", 82, 32, 0xFFD0D0D0);
  WriteSolid(root / "Theme" / "Scroll Arrows.png", 24, 64, 0xFF404040);
  WriteSolid(root / "Theme" / "Terminal 14.png", 144, 252, 0xFFFFFFFF);
  WriteSolid(root / "Theme" / "Consolas 9.png", 112, 196, 0xFFFFFFFF);
  fs::copy_file(testing_support::SourceDir() / "game" / "Data" / "Help.txt", root / "Data" / "Help.txt");
  fs::copy_file(testing_support::SourceDir() / "game" / "Data" / "Requesters.txt", root / "Data" / "Requesters.txt");
  SetProgramFolder(root);
  gView.window = 1;
  gView.trackViewWidth = 1920 - 256;
  BuildGameScreens(nullptr);
  for (int i = 0; i < 40; ++i) AddText(gElements.LogArea, "Falcon  chance ... uses 1 HB");
  for (int i = 0; i < 15; ++i) AddText(gElements.StandingsArea, " 1 Kestrel");
  for (int i = 0; i < 7; ++i) AddText(gElements.RaceInfoArea, "sharp: 3 hrpin: 2");
}

// The race screen as the main loop draws it every frame.
void BM_DrawRaceScreen(benchmark::State& state) {
  SetUpScreens();
  SetPageHidden(-1, 1);
  SetPageHidden(1, 0);
  for (auto _ : state) DrawAllElements();
}
BENCHMARK(BM_DrawRaceScreen);

// Every page and requester shown at once: the worst drawing pass.
void BM_DrawEverything(benchmark::State& state) {
  SetUpScreens();
  SetPageHidden(-1, 0);
  for (auto _ : state) DrawAllElements();
  SetPageHidden(-1, 1);
}
BENCHMARK(BM_DrawEverything);

void BM_PageSwitch(benchmark::State& state) {
  SetUpScreens();
  for (auto _ : state) {
    SetPageHidden(2, 0);
    SetPageHidden(2, 1);
  }
}
BENCHMARK(BM_PageSwitch);
}  // namespace

BENCHMARK_MAIN();
