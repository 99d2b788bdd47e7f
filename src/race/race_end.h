// The end of a race: the results, the points, "Drivers.csv", the season file
// and the last-race record.
#pragma once

#include <string>
#include <vector>

// Results, points, driver file, season file, the report's raceEnded, then
// the last-race record; the running order and the finishers are cleared.
void EndOfRace();
// One car's result: place 0 for a car out of the race; `time` as the race
// words it ("m:ss", the moves it took on a 4-lap scale, "0" without one).
struct RaceResultRow {
  int place = 0;
  int points = 0;
  std::string car;
  std::string driver;
  std::string time;
  bool spunOut = false;
  bool player = false;
};
// The finishers in order, then the cars out of the race.
std::vector<RaceResultRow> RaceResultRows();
// The results lines as the season file keeps them (after their first five
// characters).
std::vector<std::string> RaceResultsLines();
void WriteLastRace();
