#include "race/season.h"

#include <algorithm>
#include <climits>

#include "common/common.h"
#include "race/data_file.h"
#include "race/define.h"
#include "race/report.h"
#include "platform/services.h"

namespace {
const char* kModule = "Start End";

int SaturatingAdd(int a, int b) {
  return static_cast<int>(std::clamp<long long>(static_cast<long long>(a) + b, INT_MIN, INT_MAX));
}

// A name the season file can carry: no folder separators, nothing a file
// name may not hold, not "." or "..".
bool PlainFileName(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  for (unsigned char c : name)
    if (c < 32 || std::string("\"*/:<>?\\|").find(static_cast<char>(c)) != std::string::npos)
      return false;
  return true;
}

// The first line of the last-race record names the season.
void ReadSeasonName() {
  std::string text = LoadText(PlayerDataFile("Last Race.txt"));
  Options().seasonName = text.empty() ? "no name" : LineField(text, 1);
}
}  // namespace

std::filesystem::path PlayerDataFile(const char* name) {
  return gProg.playerDataFolder / name;
}

DriverRecord* FindDriver(const std::string& key) {
  auto it = Driver().find(key);
  return it == Driver().end() ? nullptr : &it->second;
}

void LoadDrivers() {
  Driver().clear();
  std::string text = CleanText(LoadText(PlayerDataFile("Drivers.csv")));
  for (const std::string& line : SplitLines(text)) {
    DriverRecord driver;
    driver.name = CommaField(line, 1);
    driver.skill = LenientInt(CommaField(line, 3));
    driver.style = LenientInt(CommaField(line, 4));
    driver.points = LenientInt(CommaField(line, 5));
    driver.lastTime = "0";
    driver.user = LenientInt(CommaField(line, 7));
    Driver()[CommaField(line, 2)] = driver;  // a later line replaces an earlier one
  }
}

std::string DriversText() {
  std::string text;
  for (const auto& [key, d] : Driver())
    text += d.name + "," + key + "," + Decimal(d.skill) + "," + Decimal(d.style) + "," +
            Decimal(d.points) + ",t" + d.lastTime + "," + Decimal(d.user) + ",\r\n";
  return text;
}

void SaveDrivers() {
  SaveText(PlayerDataFile("Drivers.csv"), DriversText());
}

void NewSeason(const std::function<std::string()>& askName) {
  SaveText(PlayerDataFile("Drivers.csv"),
           CleanText(LoadText(gProg.dataFolder / "Drivers - Master.csv")));
  std::string answer = askName();
  std::string season = answer.empty() || answer == "no name" ? "New Season" : answer;
  if (!PlainFileName(season)) FATAL("invalid season name: " + season, kModule, "NewSeason");
  Options().seasonName = season;
  SaveText(gProg.resultsFolder / (season + ".txt"), season + "\r\n");
  SaveText(PlayerDataFile("Last Race.txt"), season);
  AddLogText(" ");
  AddLogText("new season");
  AddLogText(" ");
}

int PlacePoints(int place) {
  if (place < 1 || static_cast<size_t>(place) > gProg.points.size()) return 0;
  char c = gProg.points[place - 1];
  return c >= '0' && c <= '9' ? c - '0' : 0;
}

void AwardPoints() {
  const std::vector<std::string>& order = OrderOfFinish();
  for (size_t i = 0; i < order.size() && i < 6; ++i)
    if (DriverRecord* driver = FindDriver(order[i]))
      driver->points = SaturatingAdd(driver->points, PlacePoints(static_cast<int>(i) + 1));
}

std::filesystem::path SeasonFile() {
  if (!PlainFileName(Options().seasonName)) return {};
  return gProg.resultsFolder / (Options().seasonName + ".txt");
}

void AppendToSeasonFile(const std::string& title, const std::vector<std::string>& lines) {
  ReadSeasonName();
  std::filesystem::path file = SeasonFile();
  if (file.empty()) return;
  std::string text;
  if (PlatFileSize(file) >= 0 && !PlatReadFile(file, text)) return;  // cannot be opened: skipped
  text += " \r\n" + title + "\r\n \r\n";
  for (size_t i = 0; i < lines.size(); ++i)
    text += RightAlign2(static_cast<long long>(i) + 1) + lines[i] + "\r\n";
  PlatWriteFileAtomic(file, text);  // a file that cannot be written is skipped too
}

std::vector<std::string> SeasonStandingsLines(int columns) {
  struct Entry {
    int points;
    std::string line;
  };
  std::vector<Entry> entries;
  for (const auto& [key, d] : Driver()) {
    std::string line = "  " + d.name + " - " + key + "  ";
    int pad = columns - static_cast<int>(line.size()) - 8;
    if (pad > 0) line += std::string(pad, ' ');
    line += RightAlign2(d.points);
    if (d.user != 0) line += "  P";
    entries.push_back({d.points, line});
  }
  std::stable_sort(entries.begin(), entries.end(),
                   [](auto& a, auto& b) { return a.points > b.points; });
  std::vector<std::string> lines;
  for (Entry& e : entries) lines.push_back(std::move(e.line));
  return lines;
}

std::vector<std::vector<SeasonRaceEntry>> SeasonRacesFromFile(const std::string& text) {
  std::vector<std::string> lines;
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find("\r\n", start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  std::vector<std::vector<SeasonRaceEntry>> races;
  // Each block: " ", its title, " ", then its numbered lines up to the next " ".
  for (size_t i = 0; i + 2 < lines.size(); ++i) {
    if (lines[i] != " " || lines[i + 2] != " ") continue;
    const bool race = lines[i + 1] != "Season Standings";
    size_t row = i + 3;
    std::vector<SeasonRaceEntry> results;
    for (; row < lines.size() && lines[row] != " " && lines[row].size() > 6; ++row) {
      // "nn" place, "pp" points, two spaces, the car, " - ", its driver, two
      // spaces, the time; a car out of the race has 0 points and "0:00".
      const std::string& line = lines[row];
      const size_t dash = line.find(" - ", 6);
      if (dash == std::string::npos) continue;
      const std::string car = line.substr(6, dash - 6);
      const bool out = line.compare(2, 2, " 0") == 0 && line.size() >= 6 &&
                       line.compare(line.size() - 6, 6, "  0:00") == 0;
      results.push_back({car, out ? 0 : LenientInt(line.substr(0, 2)), LenientInt(line.substr(2, 2))});
    }
    if (race && !results.empty()) races.push_back(std::move(results));
    i = row - 1;
  }
  return races;
}

std::map<std::string, SeasonPlaces> SeasonPlacesFromFile(const std::string& text) {
  std::map<std::string, SeasonPlaces> places;
  for (const std::vector<SeasonRaceEntry>& results : SeasonRacesFromFile(text)) {
    for (const SeasonRaceEntry& r : results) {
      SeasonPlaces& p = places[r.car];
      if (r.place > 0 && (p.best == 0 || r.place < p.best)) p.best = r.place;
    }
    for (auto& [car, p] : places) p.last = 0;
    for (const SeasonRaceEntry& r : results) places[r.car].last = r.place;
  }
  return places;
}

std::string SeasonFileText() {
  ReadSeasonName();
  const std::filesystem::path file = SeasonFile();
  std::string text;
  if (file.empty() || PlatFileSize(file) <= 0 || !PlatReadFile(file, text)) return "";
  return text;
}

std::vector<std::string> StandingsOrder(const std::map<std::string, SeasonPlaces>& places) {
  struct Entry {
    std::string key;
    int points, best, last;
  };
  // No place ranks after every place.
  auto rank = [](int place) { return place > 0 ? place : 1 << 30; };
  std::vector<Entry> entries;
  for (const auto& [key, d] : Driver()) {
    auto it = places.find(key);
    const SeasonPlaces p = it == places.end() ? SeasonPlaces{} : it->second;
    entries.push_back({key, d.points, rank(p.best), rank(p.last)});
  }
  std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
    if (a.points != b.points) return a.points > b.points;
    if (a.best != b.best) return a.best < b.best;
    return a.last < b.last;
  });
  std::vector<std::string> keys;
  for (const Entry& e : entries) keys.push_back(e.key);
  return keys;
}
