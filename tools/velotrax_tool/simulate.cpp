// velotrax-tool simulate: whole races with every car driven by the computer,
// through the game's own set-up, turn sequence and end of race, in a game
// folder it reads and writes as the game does. Prints the commentary from
// the laps line on and the results view.
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <sstream>

#include "common/common.h"
#include "race/analyze.h"
#include "race/define.h"
#include "race/folders.h"
#include "race/movement.h"
#include "race/race_start.h"
#include "race/report.h"
#include "race/save_load.h"
#include "race/season.h"
#include "platform/services.h"
#include "tool.h"

namespace {
const char* kUsage =
    "usage: velotrax-tool simulate FILE.json --game-dir DIR --laps N [--cars K1,K2,...]\n"
    "       [--grid order|points|random|last] [--seed S | --rolls FILE] [--races R]\n"
    "       [--new-season NAME] [--reload-every N]\n";

struct SimulateOptions {
  std::filesystem::path file;
  UnattendedRace race;
  bool seeded = false;
  uint64_t seed = 0;
  std::filesystem::path rollsFile;
  int races = 1;
  long long reloadEvery = 0;  // 0: the race never stops
};

struct BadArguments {
  std::string message;
};

// Commentary before the laps line (a new season, cars left off the grid)
// goes to stderr; from the laps line on it is the tool's output.
std::string gLapsLine;
bool gPrinting = false;

void PrintLine(const std::string& line) {
  std::string out = Cp1252ToUtf8(line) + "\n";
  if (!gPrinting && line == gLapsLine) gPrinting = true;
  std::fputs(out.c_str(), gPrinting ? stdout : stderr);
}

void PrintResults(const std::string& heading, const std::vector<std::string>& lines) {
  std::fputs("=== results\n", stdout);
  PrintLine(heading);
  for (const std::string& line : lines) PrintLine(line);
}

void PrintMessage(const std::string& text) {
  std::string shown = text;
  for (char& c : shown)
    if (c == '~') c = '\n';
  std::fprintf(stderr, "%s\n", Cp1252ToUtf8(shown).c_str());
}

}  // namespace

bool ParseWhole(const std::string& text, long long low, long long high, long long& value) {
  if (text.empty() || text.size() > 19) return false;
  size_t start = text[0] == '-' ? 1 : 0;
  if (start == text.size() || text.find_first_not_of("0123456789", start) != std::string::npos)
    return false;
  value = std::stoll(text);
  return value >= low && value <= high;
}

namespace {

long long Number(const std::string& option, const std::string& text, long long low,
                 long long high) {
  long long value = 0;
  if (!ParseWhole(text, low, high, value))
    throw BadArguments{option + " wants a whole number from " + Decimal(low) + " to " +
                       Decimal(high) + ": " + text};
  return value;
}

std::vector<std::string> CarList(const std::string& text) {
  std::vector<std::string> cars;
  size_t start = 0;
  for (;;) {
    size_t comma = text.find(',', start);
    std::string key =
        text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    if (key.empty()) throw BadArguments{"--cars wants car keys separated by commas: " + text};
    cars.push_back(Utf8ToCp1252(key));
    if (comma == std::string::npos) return cars;
    start = comma + 1;
  }
}

int GridMode(const std::string& word) {
  if (word == "order") return 1;
  if (word == "points") return 2;
  if (word == "random") return 3;
  if (word == "last") return 4;
  throw BadArguments{"--grid wants order, points, random or last: " + word};
}

// What the season-name prompt would have let the player type.
std::string SeasonName(const std::string& text) {
  std::string name = Utf8ToCp1252(text);
  for (char c : name)
    if (!(std::isalnum(static_cast<unsigned char>(c)) && static_cast<unsigned char>(c) < 128) &&
        c != ' ' && c != ',')
      throw BadArguments{"--new-season takes letters, digits, spaces and commas only: " + text};
  return name;
}

SimulateOptions Parse(ToolArgs args) {
  SimulateOptions o;
  bool haveLaps = false;
  std::vector<std::string> files;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a.rfind("--", 0) != 0) {
      files.push_back(a);
      continue;
    }
    if (i + 1 >= args.size()) throw BadArguments{a + " wants a value"};
    const std::string& v = args[++i];
    if (a == "--laps") {
      o.race.laps = static_cast<int>(Number(a, v, 1, 99));
      haveLaps = true;
    } else if (a == "--cars") {
      o.race.cars = CarList(v);
    } else if (a == "--grid") {
      o.race.gridMode = GridMode(v);
    } else if (a == "--seed") {
      o.seed = static_cast<uint64_t>(Number(a, v, 0, INT64_MAX));
      o.seeded = true;
    } else if (a == "--rolls") {
      o.rollsFile = PlatGamePath(v);
    } else if (a == "--races") {
      o.races = static_cast<int>(Number(a, v, 1, 10000));
    } else if (a == "--reload-every") {
      o.reloadEvery = Number(a, v, 1, INT32_MAX);
    } else if (a == "--new-season") {
      o.race.newSeason = true;
      o.race.seasonName = SeasonName(v);
    } else {
      throw BadArguments{"unknown option: " + a};
    }
  }
  if (files.size() != 1) throw BadArguments{"one circuit or saved race file expected"};
  if (!haveLaps) throw BadArguments{"--laps is required"};
  if (o.seeded && !o.rollsFile.empty()) throw BadArguments{"--seed and --rolls exclude each other"};
  o.file = PlatGamePath(files[0]);
  return o;
}

std::vector<int> ReadRolls(const std::filesystem::path& file) {
  std::string bytes;
  if (!PlatReadFile(file, bytes))
    throw BadArguments{"could not read rolls file: " + Cp1252ToUtf8(PlatPathText(file))};
  std::istringstream in(bytes);
  std::vector<int> rolls;
  for (std::string word; in >> word;) {
    long long roll = 0;
    if (!ParseWhole(word, 1, 100, roll))
      throw BadArguments{"rolls file " + Cp1252ToUtf8(PlatPathText(file)) + ": roll " +
                         Decimal(static_cast<long long>(rolls.size()) + 1) +
                         " is not a whole number from 1 to 100: " + word};
    rolls.push_back(static_cast<int>(roll));
  }
  if (rolls.empty())
    throw BadArguments{"rolls file holds no rolls: " + Cp1252ToUtf8(PlatPathText(file))};
  return rolls;
}

// Far more race steps than any race takes: a race still running then will
// never end, and the tool says so instead of hanging.
long long StepLimit() {
  return 100LL * (Options().laps + 1) * (static_cast<long long>(Node().size()) + 1) *
         (static_cast<long long>(Standing().size()) + 1);
}

// The game folder the tool was given.
std::filesystem::path gGameDir;

// What the tool holds at its start: no race, the settings and the tile table
// of the game folder.
void FreshStart(const std::filesystem::path& gameDir) {
  ResetProgramState();
  ResetRaceData();
  ClearRaceState();
  UseGameFolders(gameDir);
  PreparePlayerFolders();
  ReadSettings();
  LoadTrackTiles();
}

// "Save Race", then everything in memory forgotten, then "Load Race": the
// race must go on as if it had never stopped. The resumed race's own
// commentary header is the screen's, not the race's, so it is not printed.
void SaveWipeAndResume() {
  const std::string raceName = Options().raceName;
  const std::filesystem::path file = gProg.savedRacesFolder / (raceName + ".json");
  Save(file);
  FreshStart(gGameDir);
  CreateGameFolders();
  Options().raceName = raceName;
  Load(file);
  Report().commentary = nullptr;
  ResumeRace();
  Report().commentary = PrintLine;
}

bool RunRace(const SimulateOptions& o, bool first) {
  UnattendedRace race = o.race;
  race.newSeason = race.newSeason && first;
  gLapsLine = Decimal(race.laps) + " lap race";
  gPrinting = false;
  return RunUnattendedRace(o.file, race, o.reloadEvery);
}
}  // namespace

void PrepareUnattendedRaces(const std::filesystem::path& gameDir) {
  gGameDir = gameDir;
  FreshStart(gameDir);
  SetLoadDriversHandler(LoadDrivers);
  SetMessageBoxHandler(PrintMessage);
}

bool RunUnattendedRace(const std::filesystem::path& file, const UnattendedRace& race,
                       int reloadEvery) {
  Load(file);
  Options().raceName = PlatPathText(file.stem());
  return RunLoadedRace(race, reloadEvery);
}

bool RunLoadedRace(const UnattendedRace& race, int reloadEvery) {
  if (!SetUpUnattendedRace(race)) return false;
  const long long limit = StepLimit();
  for (long long steps = 0; !Standing().empty(); ++steps) {
    if (steps == limit)
      FATAL("the race did not end after " + Decimal(limit) + " race steps", "Simulate", "RunRace");
    RaceStep();
    if (reloadEvery > 0 && (steps + 1) % reloadEvery == 0 && !Standing().empty())
      SaveWipeAndResume();
  }
  return true;
}

int RunSimulate(const ToolArgs& given) {
  ToolArgs args = given;
  std::filesystem::path gameDir = TakeGameDir(args);
  SetFatalThrows(true);
  try {
    SimulateOptions o = Parse(args);
    PrepareUnattendedRaces(gameDir);
    CreateGameFolders();
    if (!o.rollsFile.empty()) {
      PlatScriptRandom(ReadRolls(o.rollsFile));
      PlatSeedRandom(0);  // the shuffle of a random grid replays too
    } else {
      PlatScriptRandom({});
      if (o.seeded) PlatSeedRandom(o.seed);
    }
    Report().commentary = PrintLine;
    Report().raceEnded = PrintResults;
    for (int i = 0; i < o.races; ++i)
      if (!RunRace(o, i == 0)) return 1;
    std::fflush(stdout);
    return 0;
  } catch (const BadArguments& e) {
    std::fprintf(stderr, "%s\n%s", e.message.c_str(), kUsage);
    return 1;
  } catch (const FatalError& e) {
    std::fflush(stdout);
    std::fprintf(stderr, "%s\n", Cp1252ToUtf8(e.what()).c_str());
    return 1;
  }
}
