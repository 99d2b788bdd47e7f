#include "screen_support.h"

#include <cstdlib>

#include "dialogs/requester.h"
#include "editor/editor_screen.h"
#include "game/init.h"
#include "game/screens.h"
#include "minigui/mini_gui.h"
#include "game/results_view.h"
#include "race/race_end.h"
#include "game/side_panel.h"
#include "game/view.h"
#include "platform/screen.h"
#include "race/define.h"
#include "race/report.h"

namespace fs = std::filesystem;

namespace testing_support {
void EnsureHeadlessScreen(int width, int height) {
  if (gView.window != 0 && PlatScreenWidth() == width && PlatScreenHeight() == height) return;
  if (gView.window != 0) PlatShutdown();
  gView.window = 0;
  PlatSetDesktopOverride(width, height);
  StartPlatform();
}

void StartGameHeadless(int width, int height, const fs::path& folder) {
  if (gView.window != 0) PlatShutdown();
  gView.window = 0;
  PlatSetDesktopOverride(width, height);
  if (gHooks.circuitEditor == nullptr) gHooks.circuitEditor = RunCircuitEditor;
  StartUpIn(folder);
}

void StopGameHeadless() {
  gHooks = LoopHooks{};
  gElements = GameElements{};
  Report() = RaceReport{};
  ResetRequesters();
  ResetMiniGUI();
  ResetProgramState();
  PlatSetUiScale(1);
  PlatShutdown();
  gView.window = 0;
}

std::string SolidPng(int width, int height, unsigned int rgba) {
  int image = PlatCreateImage(kAnySprite, width, height, rgba);
  std::vector<uint8_t> png = PlatEncodeImagePng(image);
  PlatFreeImage(image);
  return std::string(png.begin(), png.end());
}

void NoWaitAtTheFlag() {
  Report().raceEnded = [](const std::string& heading, const std::vector<std::string>&) {
    MarkRaceOver();
    FillRaceResults(heading, RaceResultRows());
    FillSeasonStandings();
  };
}

int RunScreenTests(int argc, char** argv) {
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  int rc = RunAllTests(argc, argv);
  PlatShutdown();
  return rc;
}
}  // namespace testing_support

void OpenScreen() {
  // A fixture may reset the view state, window number included.
  static int window = 0;
  gView.window = window;
  testing_support::EnsureHeadlessScreen(1024, 768);
  window = gView.window;
}
