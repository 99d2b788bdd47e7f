// The Velotrax: start-up, then the main loop until the player quits.
#include "editor/editor_screen.h"
#include "game/hooks.h"
#include "game/init.h"
#include "game/main_loop.h"
#include "platform/screen.h"
#ifdef __EMSCRIPTEN__
#include "platform/browser.h"
#endif

int main(int argc, char** argv) {
  (void)argc;
  (void)argv;
  // The menu's "Circuit Editor": the game knows the editor only through
  // this hook, so neither folder includes the other both ways.
  gHooks.circuitEditor = RunCircuitEditor;
#ifdef __EMSCRIPTEN__
  PlatStartInBrowser();
#endif
  StartUp();
#ifdef __EMSCRIPTEN__
  // Start-up's seeds of the player's folder are copies of shipped files,
  // made again when lost: from here on each write must last.
  PlatKeepWritesInBrowser();
#endif
  MainLoop();
  PlatShutdown();
  return 0;
}
