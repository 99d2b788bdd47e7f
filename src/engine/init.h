// Start-up in its fixed order and the main loop.
#pragma once

// Runs the whole program: start-up, main loop, program end. Returns the exit
// status.
int RunGame();
