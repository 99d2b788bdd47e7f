// The start of a race: the start grid, the cars made ready for the laps, the
// first move; a new race with nobody at the screen; a loaded race resumed.
#pragma once

#include <string>
#include <vector>

// --- Start grid ----------------------------------------------------------------
// The cars moved to "in Race", in the order they were added.
std::vector<std::string>& SelectedCars();
// Places the cars and builds Standing(); 1 when the grid is set, 0 when no
// car could be placed (the set-up must then be abandoned). Cars that cannot
// start (unknown, without a driver, twice, beyond the last place) are left
// out with a commentary line each. Modes: 1 in order, 2 by points, 3 random,
// 4 the order of the last race.
int SetStartGrid(int mode);
// Places one car at a grid position (1 is pole).
void PlaceOnGrid(const std::string& key, int position);

// --- Start of the race -----------------------------------------------------------
// The car table's HBs and ORs are for four laps: a race of `laps` gets this
// many (rounded down).
int ScaledForLaps(int figure, int laps);
// The laps line, HBs and ORs scaled from four laps to the race's, the first
// running order and the status panel.
void PrepareRaceCars();
// The first car of the running order starts its move.
void StartFirstMove();

// Before every new race: no running order, no finishers, no cars out, no car
// on a node, nothing current; nothing of an earlier race carries over.
void ClearRaceState();
// A loaded race's running cars back on their places (the load rebuilt the
// nodes empty); the car whose turn it was becomes current.
void PutLoadedCarsBack();

// A race with every car driven by the computer and no dialog: what the new
// race set-up does, for the tools. The circuit must be loaded.
struct UnattendedRace {
  std::vector<std::string> cars;  // empty: every car, in key order
  int laps = 4;
  int gridMode = 1;
  bool newSeason = false;
  std::string seasonName;
};
// False when the grid could not be set (its message has been shown).
bool SetUpUnattendedRace(const UnattendedRace& race);

// A loaded race goes on: its laps line, its cars back on their places, and,
// when it was saved while a player's car chose its gear, that choice asked
// again.
void ResumeRace();
