#include "game/main_loop.h"

#include <algorithm>

#include "game/hooks.h"
#include "game/main_menu.h"
#include "game/menu_race.h"
#include "game/results_view.h"
#include "game/screen_settings.h"
#include "game/side_panel.h"
#include "game/track_view.h"
#include "game/view.h"
#include "platform/screen.h"
#include "platform/services.h"
#include "race/define.h"

namespace {
void Call(void (*hook)()) {
  if (hook != nullptr) hook();
}

// When the race screen's next automatic step is due (-1: no step to wait
// for); set only while the race screen draws its frame.
int64_t gNextWake = -1;

}  // namespace

// How long the game may rest after a frame. A moving view (edge scrolling,
// the wheel) is drawn again at once; an automatic race wakes for its next
// step; anything else waits for input, with one frame a second as a safety
// net for whatever changes without an event.
int RestBetweenFrames() {
  static int lastScrollX = 0;
  static int lastScrollY = 0;
  bool moved = gView.scrollX != lastScrollX || gView.scrollY != lastScrollY;
  lastScrollX = gView.scrollX;
  lastScrollY = gView.scrollY;
  constexpr int64_t kLongestRest = 1000;
  if (moved) return 0;
  // Gliding cars are drawn at a steady 30 frames a second, timed from the
  // start of one frame to the start of the next (a frame over the kept
  // ground costs little). Where a frame still costs more than a tenth of
  // that (a 4K screen on a software renderer), frames come further apart,
  // so a glide never takes more than about a tenth of the machine.
  constexpr int kGlideFrameMs = 33;
  constexpr int kGlideShare = 10;
  if (CarsGliding()) {
    const int cost = FrameMsSoFar();
    return std::max(0, std::max(kGlideFrameMs, kGlideShare * cost) - cost);
  }
  if (MenuRaceRunning())
    return static_cast<int>(
        std::clamp<int64_t>(MenuRaceNextStep() - PlatElapsedMilliseconds(), 0, kLongestRest));
  if (gNextWake >= 0)
    return static_cast<int>(
        std::clamp<int64_t>(gNextWake - PlatElapsedMilliseconds(), 0, kLongestRest));
  return static_cast<int>(kLongestRest);
}

void RaceScreenPass() {
  // A race of the player's is over and answered for: the next one, or the menu.
  if (TakeFinishedRace()) {
    OfferNextRace();
    if (gScreen.gameState != 2) return;
  }
  // Back from the menu with a gear choice left open: it is asked again.
  if (RaceNow().choosingGear && !Standing().empty()) Call(gHooks.raceStep);
  for (int event = PlatNextWindowEvent(); event != kEventNone; event = PlatNextWindowEvent()) {
    if (PlatEventWindow() != gView.window) continue;
    // Everything else, the close request included, is ignored here: the
    // game ends only through the menu.
    if (event == kEventLeftButtonUp) {
      Call(gHooks.leftClick);
    } else if (event == kEventRightButtonUp) {
      Call(gHooks.rightClick);
    }
  }
  if (gHooks.keyboardCommands != nullptr) {
    gHooks.keyboardCommands();
  } else {
    PlatPollKeyboard();
  }
  Call(gHooks.edgeScroll);
  if (Options().autoMode != 0 && PlatElapsedMilliseconds() >= gScreen.nextStepTime) {
    Call(gHooks.raceStep);
    gScreen.nextStepTime = PlatElapsedMilliseconds() + gScreen.timeSlice;
  }
  if (!PlatScreenActive()) Call(gHooks.lostDevice);
  gNextWake = Options().autoMode != 0 ? gScreen.nextStepTime : -1;
  Call(gHooks.renderFrame);
  gNextWake = -1;
}

void RaceScreenLoop() {
  // Not even one pass once the player left for the menu: Escape at the first
  // gear choice of a race (asked during its set-up) goes straight there.
  while (gScreen.gameState == 2) RaceScreenPass();
}

void MainLoop() {
  for (;;) {
    Call(gHooks.mainMenu);
    if (gScreen.gameState == 3) return;
    RaceScreenLoop();
  }
}
