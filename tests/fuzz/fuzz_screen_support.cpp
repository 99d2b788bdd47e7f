// The fuzzers of what the screens read (requesters, images): the game's own
// start-up on a headless screen.
#include <cstdlib>

#include "fuzz_support.h"
#include "game/init.h"
#include "platform/screen.h"

void FuzzStartGameHeadless() {
  static bool started = false;
  if (started) return;
  started = true;
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  std::filesystem::path folder = FuzzGameFolder();
  // A small desktop (the race screen's own tests go down to it): the largest
  // element a layout asks for is cut to the screen, and smaller sprites keep
  // the run fast.
  PlatSetDesktopOverride(800, 600);
  StartUpIn(folder);
}

