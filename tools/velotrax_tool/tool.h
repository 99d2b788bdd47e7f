// velotrax-tool: the game's race on the command line. Each subcommand gets
// the arguments after its own name and returns the exit status.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "race/race_start.h"

using ToolArgs = std::vector<std::string>;

int RunCheck(const ToolArgs& args);
int RunMakeCircuit(const ToolArgs& args);
int RunSimulate(const ToolArgs& args);
int RunBalance(const ToolArgs& args);

// Takes "--game-dir DIR" out of the arguments; the folder holding the tool
// when it is not given. Either is taken as the game takes its own folder: a
// portable game folder, or the program folder of an installed copy.
std::filesystem::path TakeGameDir(ToolArgs& args);

// A whole number from low to high written in plain digits (a leading "-"
// allowed); false for anything else.
bool ParseWhole(const std::string& text, long long low, long long high, long long& value);

// The game folder made ready for races with no one at the screen, as
// simulate runs them: settings, tile table, drivers from the folder, messages
// to stderr; nothing waits for a player (the race report is the caller's).
void PrepareUnattendedRaces(const std::filesystem::path& gameDir);
// Loads the circuit and runs one race of it to its end, every car driven by
// the computer; false when the grid could not be set. A race that never ends
// is a fatal error, not a hang. With reloadEvery N > 0 the race is saved,
// forgotten and loaded again after every N race steps, as "Save Race" and
// "Load Race" would do it.
bool RunUnattendedRace(const std::filesystem::path& file, const UnattendedRace& race,
                       int reloadEvery = 0);
// The same on the circuit the current race has loaded.
bool RunLoadedRace(const UnattendedRace& race, int reloadEvery = 0);

// Those and the labels left out of the loaded circuit (outside its cells),
// on stderr, each line starting "warning: ".
void PrintCircuitWarnings();
