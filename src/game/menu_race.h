// The race behind the menu: from start-up until the player starts or loads a
// race, the track view shows computer cars racing on a shipped circuit at the
// normal pace, one race after another. It writes no file and leaves the
// settings, the season and the player's drivers as they were.
#pragma once

#include <cstdint>

// The program turns it on at start-up (tests leave it off).
void EnableMenuRace(bool on);
// Starts a race on a shipped circuit picked at random (nothing when turned
// off, or when no shipped circuit can be raced).
void StartMenuRace();
// The race's next step when it is due; a race that ended makes way for the
// next one, on the next circuit of the list.
void StepMenuRace();
// The player's choice replaces it: no running order, no cars on the track,
// the settings' laps and the race's report as they were before it.
void StopMenuRace();
bool MenuRaceRunning();
// When its next step is due (PlatElapsedMilliseconds' clock).
int64_t MenuRaceNextStep();
// Races begun since start-up (for tests).
int MenuRacesStarted();
// Under every frame of the menu and its requesters: the race stepped and
// the track view drawn (nothing without a race behind the menu).
void DrawMenuBackdrop();
