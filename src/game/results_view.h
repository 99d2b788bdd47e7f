// The results view at the flag: the race's results, then the season's
// standings, each until the player clicks or presses a key, then the two
// questions (save the standings, copy the season file to the clipboard).
#pragma once

#include <string>
#include <vector>

#include "race/race_end.h"

// The race's report when the flag falls: the side panel's buttons, both
// views and the questions.
void ShowEndOfRace(const std::string& heading, const std::vector<std::string>& results);
// The race's results (page 3) until acknowledged, from the race as it ends.
void ShowRaceResults(const std::string& heading);
// The season's standings until acknowledged, then the two questions.
void ShowSeasonStandings();
void CopySeasonFileToClipboard();
// The results page's title and table, without showing or waiting: aligned
// columns, long names shortened, the player's rows highlighted, and a key to
// the marks and the time.
void FillRaceResults(const std::string& heading, const std::vector<RaceResultRow>& rows);
// The same for the season's standings, ties broken as the page says; returns
// the standings' lines as the season file keeps them (without the ranks).
std::vector<std::string> FillSeasonStandings();
// The moves a result's time stands for ("1:05" is 65), -1 for no time.
int MovesOfTime(const std::string& time);
// Until a click or a key release in the game window.
void WaitForAcknowledge();
// "Enter season name:" in the input requester (empty when cancelled).
std::string AskSeasonName();
// True once after a race of the player's reached its standings: the race
// screen then offers the next race.
bool TakeFinishedRace();

// The two questions at the end of a race, each with what its answers do.
inline constexpr const char* kSaveStandingsQuestion =
    "Save current standings?~Yes adds them to the season file, No does not.";
inline constexpr const char* kCopySeasonQuestion =
    "Copy Season Results to ClipBoard?~Yes copies the season file to paste; No does not.";
