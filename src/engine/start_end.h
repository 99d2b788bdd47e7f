// The race around the turn sequence: drivers and the season (points, the
// season file, the standings view), the start grid, the end of a race with
// its times and results, and the last-race record.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

// --- Drivers and season --------------------------------------------------------
// Clears Driver() and fills it from the data folder's "Drivers.csv".
void LoadDrivers();
// The table in the file's line format, every line ending in "," CR LF.
std::string DriversText();
void SaveDrivers();
// "Enter season name:" in the input requester (empty when cancelled).
std::string AskSeasonName();
// Resets "Drivers.csv" from the master list, names the season (askName's
// answer; empty or "no name" gives "New Season"), starts its results file
// and the last-race record.
void NewSeason(const std::function<std::string()>& askName = AskSeasonName);
// Points for a finishing place from the digits of Points$ (0 beyond them or
// for any other character).
int PlacePoints(int place);
// Adds the points of OrderOfFinish(), six places at most.
void AwardPoints();
// The season's results file, named after the season; empty when the name
// could not be a plain file name (the file is then skipped).
std::filesystem::path SeasonFile();
// Appends one numbered block; the season name is re-read from the record.
void AppendToSeasonFile(const std::string& title, const std::vector<std::string>& lines);
// Standings lines of every driver, highest points first, padded so that the
// points end four characters from the right of a line of `columns`.
std::vector<std::string> SeasonStandingsLines(int columns);
// The second screen at the end of a race.
void ShowSeasonStandings();
void CopySeasonFileToClipboard();
// Until a click or a key release in the game window.
void WaitForAcknowledge();

// --- Start grid ----------------------------------------------------------------
// The cars moved to "in Race", in the order they were added.
std::vector<std::string>& SelectedCars();
// 1 in order, 2 by points, 3 random, 4 last race, from the car selection
// dialog's controls; an undecidable combination is a fatal "logic error".
int GridModeFromDialog();
// Places the cars and builds Standing(); 1 when the grid is set, 0 when no
// car could be placed (the set-up must then be abandoned). Cars that cannot
// start (unknown, without a driver, twice, beyond the last place) are left
// out with a commentary line each.
int SetStartGrid(int mode);
// Places one car at a grid position (1 is pole).
void PlaceOnGrid(const std::string& key, int position);

// --- Start of the race -----------------------------------------------------------
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

// --- End of race -----------------------------------------------------------------
// The current car's race time ("0" when it has no turns); rewrites turns.
std::string RaceTime();
// Results, points, driver file, season file, standings, last-race record.
void EndOfRace();
// The results lines as the results view shows them.
std::vector<std::string> RaceResultsLines();
void ShowRaceResults();
void WriteLastRace();

// Unattended, the end of a race waits for nobody and asks nothing (the
// standings are not saved, nothing goes to the clipboard); a listener may
// hear the results view.
struct EndOfRaceOptions {
  bool unattended = false;
  // Nothing is written at the end of a race (the balance report runs
  // thousands of races on a game folder it must leave as it found it).
  bool keepFiles = false;
  void (*resultsShown)(const std::string& heading, const std::vector<std::string>& lines) = nullptr;
};
extern EndOfRaceOptions gEndOfRace;
