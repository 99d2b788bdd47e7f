// The race behind the menu: from start-up until the player starts or loads a
// race, the track view shows computer cars racing on a circuit of the game's
// Circuits folder at the normal pace, one race after another. It is a race
// value of its own: it shows no box and writes no file, skips a circuit it
// cannot race (saying why on stderr) and rests when none can be raced.
#pragma once

#include <cstdint>

// The program turns it on at start-up (tests leave it off).
void EnableMenuRace(bool on);
// Starts a race on a shipped circuit picked at random (nothing when turned
// off, or when no shipped circuit can be raced).
void StartMenuRace();
// The race's next step when it is due; a race that ended makes way for the
// next one, on the next circuit of the list. Called by the loops that run
// under the menu, never by a drawing.
void StepMenuRace();
// The player's choice replaces it (the player's race was never touched).
void StopMenuRace();
bool MenuRaceRunning();
// When its next step is due (PlatElapsedMilliseconds' clock).
int64_t MenuRaceNextStep();
// Races begun since start-up (for tests).
int MenuRacesStarted();
// Runs `work` (a drawing) with the menu race as the current race; nothing
// without a race behind the menu.
void WithMenuRace(void (*work)());
// Under every frame of the menu's requesters: the track view of the race
// behind the menu, drawn only.
void DrawMenuBackdrop();
struct Race;
// The race behind the menu while it runs, else nullptr (for tests).
const Race* MenuRaceValue();
