// Drivers and the season: "Drivers.csv", points for finishing places, the
// season's results file and its standings.
#pragma once

#include <filesystem>
#include <functional>
#include <map>
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

// What the season's results file tells of one car: its best finishing place
// and its place in the last race the file holds (0: it never finished, or was
// out of that race or not in it).
struct SeasonPlaces {
  int best = 0;
  int last = 0;
};
// Every car the season file's race results name, by car key. The file is only
// read; a car out of a race is told by the line the race writes for it.
std::map<std::string, SeasonPlaces> SeasonPlacesFromFile(const std::string& text);
// One race of the season file: a car it names, its place (0: out of the
// race) and the points it scored there.
struct SeasonRaceEntry {
  std::string car;
  int place = 0;
  int points = 0;
};
// The season file's races in order, each with every car it names.
std::vector<std::vector<SeasonRaceEntry>> SeasonRacesFromFile(const std::string& text);
// The season file of the season named in the last-race record, "" when there
// is none or it cannot be read.
std::string SeasonFileText();
// The drivers' car keys in the order of the standings as shown: most points
// first; equal points go to the better best finish, then the better place in
// the last race (no place comes after any place), then by key.
std::vector<std::string> StandingsOrder(const std::map<std::string, SeasonPlaces>& places);
