// The set-up dialogs of a new race on a loaded circuit (the cars, the laps, a
// new season, the grid, who drives what) and resuming a loaded race.
#pragma once

#include <string>

// The set-up offers the last set-up's cars, grid rule and driven cars again;
// start-up forgets them.
void ForgetSetUpChoices();

// Runs after a circuit was chosen and loaded; gameState becomes 1 when the
// player gives up on the way.
void NewRaceSetUp();
// The car selection dialog (page 4): 1 accepted, 0 cancelled.
int CarSelectionDialog();
// The drive selection dialog (page 6): sets the drivers' user flags.
void DriveSelectionDialog();
// A car's main figures for the car list: "Comet~Top 19 MP, 6 HBs, 2 ORs~
// safe gears: sharp 3, hairpin 2~" ("" for a car the table does not hold);
// for a race of other than 4 laps, what its laps make of the HBs and ORs.
std::string CarFiguresText(const std::string& key, int laps);
// Those of the car under the pointer in the car selection's lists, in a box
// by the pointer (nothing elsewhere).
void DrawCarFiguresPopUp();
// 1 in order, 2 by points, 3 random, 4 last race, from the car selection
// dialog's controls; an undecidable combination is a fatal "logic error".
int GridModeFromDialog();
// Puts the cars of a loaded race back on their nodes and carries on.
void ResumeLoadedRace();
