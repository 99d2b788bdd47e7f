// Drivers and the season: "Drivers.csv", points for finishing places, the
// season's results file and its standings.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

struct DriverRecord;

// A file of the player's data folder ("Drivers.csv", "Last Race.txt").
std::filesystem::path PlayerDataFile(const char* name);
// The car's driver, nullptr when it has none.
DriverRecord* FindDriver(const std::string& key);

// Clears Driver() and fills it from the data folder's "Drivers.csv".
void LoadDrivers();
// The table in the file's line format, every line ending in "," CR LF.
std::string DriversText();
void SaveDrivers();
// Resets "Drivers.csv" from the master list, names the season (askName's
// answer; empty or "no name" gives "New Season"), starts its results file
// and the last-race record.
void NewSeason(const std::function<std::string()>& askName);
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
