// The end of a race: the results, the points, "Drivers.csv", the season file
// and the last-race record.
#pragma once

#include <string>
#include <vector>

// Results, points, driver file, season file, the report's raceEnded, then
// the last-race record; the running order and the finishers are cleared.
void EndOfRace();
// The results lines as the results view shows them.
std::vector<std::string> RaceResultsLines();
void WriteLastRace();
