// What a circuit maker should hear about the start grid of the built track:
// grid places inside a corner, past the lap, or two cars side by side
// overlapping on screen. Warnings only: the game races such a grid all the
// same.
#pragma once

#include <string>
#include <vector>

// For a full field of the game folder's car table (which it loads).
std::vector<std::string> GridWarnings();
// For a field of that many cars. Empty when all is well.
std::vector<std::string> GridWarningsFor(int field);
