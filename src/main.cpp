// The Velotrax: start-up, then the main loop until the player quits.
#include "game/init.h"

int main(int argc, char** argv) {
  (void)argc;
  (void)argv;
  return RunGame();
}
