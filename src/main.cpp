// The Velotrax: start-up, then the main loop until the player quits.
#include "editor/editor_screen.h"
#include "game/hooks.h"
#include "game/init.h"
#include "game/main_loop.h"
#include "platform/screen.h"

int main(int argc, char** argv) {
  (void)argc;
  (void)argv;
  // The menu's "Circuit Editor": the game knows the editor only through
  // this hook, so neither folder includes the other both ways.
  gHooks.circuitEditor = RunCircuitEditor;
  StartUp();
  MainLoop();
  PlatShutdown();
  return 0;
}
