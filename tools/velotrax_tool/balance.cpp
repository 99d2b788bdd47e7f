// velotrax-tool balance: many races of the whole field on each circuit
// tallied per car, so a field can be tuned until every car has its chance.
// Race i of a circuit is the race "simulate --seed S+i" runs on it; the races
// run side by side on every core, each a race value of its own, and are
// tallied in their order, so the report is the same whatever the number of
// threads. Writes no file.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <map>
#include <atomic>
#include <random>
#include <thread>

#include "common/common.h"
#include "race/define.h"
#include "race/race_end.h"
#include "race/report.h"
#include "platform/services.h"
#include "race/save_load.h"
#include "tool.h"

namespace fs = std::filesystem;

namespace {
const char* kUsage =
    "usage: velotrax-tool balance FILE.json... --laps N --races R [--seed S] [--csv]\n"
    "       [--threads T] [--game-dir DIR]\n";

struct BadArguments {
  std::string message;
};

struct BalanceOptions {
  std::vector<fs::path> files;
  int laps = 0;
  int races = 0;
  uint64_t seed = 0;
  bool seeded = false;
  bool csv = false;
  int threads = 0;  // 0: one per core
};

struct CarTally {
  int starts = 0, wins = 0, podiums = 0, dnfs = 0, finishes = 0;
  long long placeSum = 0;
  long long timeSum = 0;  // seconds, over its finishes
};

struct CircuitTally {
  std::string name;
  int races = 0;
  std::map<std::string, CarTally> cars;
  int racesWon = 0;             // races with a finisher
  long long winnerTimeSum = 0;  // seconds
};

// "m:ss" as the results show a race time.
long long Seconds(const std::string& time) {
  size_t colon = time.find(':');
  if (colon == std::string::npos) return LenientInt(time) * 60LL;
  return LenientInt(time.substr(0, colon)) * 60LL + LenientInt(time.substr(colon + 1));
}

// What one race brought: the finishers in their order with their times,
// then the cars out, as the results view shows it.
struct RaceOutcome {
  std::vector<std::pair<std::string, long long>> finishers;  // car, seconds
  std::vector<std::string> out;
  std::string error;  // the race's fatal error, if any
};

// The outcome the race in this thread fills at its flag.
thread_local RaceOutcome* gOutcome = nullptr;

void KeepOutcome(const std::string&, const std::vector<std::string>&) {
  RaceOutcome& outcome = *gOutcome;
  for (const std::string& key : OrderOfFinish()) {
    auto driver = Driver().find(key);
    outcome.finishers.emplace_back(key,
                                   Seconds(driver != Driver().end() ? driver->second.lastTime : "0"));
  }
  outcome.out = DNF();
}

void CountRace(CircuitTally& t, const RaceOutcome& outcome) {
  t.races += 1;
  for (size_t i = 0; i < outcome.finishers.size(); ++i) {
    const auto& [key, seconds] = outcome.finishers[i];
    CarTally& car = t.cars[key];
    int place = static_cast<int>(i) + 1;
    car.starts += 1;
    car.finishes += 1;
    car.placeSum += place;
    car.timeSum += seconds;
    if (place == 1) {
      car.wins += 1;
      t.racesWon += 1;
      t.winnerTimeSum += seconds;
    }
    if (place <= 3) car.podiums += 1;
  }
  for (const std::string& key : outcome.out) {
    CarTally& car = t.cars[key];
    car.starts += 1;
    car.dnfs += 1;
  }
}

BalanceOptions Parse(const ToolArgs& args) {
  BalanceOptions o;
  auto number = [](const std::string& option, const std::string& text, long long low,
                   long long high) {
    long long value = 0;
    if (!ParseWhole(text, low, high, value))
      throw BadArguments{option + " wants a whole number from " + Decimal(low) + " to " +
                         Decimal(high) + ": " + text};
    return value;
  };
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--csv") {
      o.csv = true;
      continue;
    }
    if (a.rfind("--", 0) != 0) {
      o.files.push_back(PlatGamePath(a));
      continue;
    }
    if (i + 1 >= args.size()) throw BadArguments{a + " wants a value"};
    const std::string& v = args[++i];
    if (a == "--laps") {
      o.laps = static_cast<int>(number(a, v, 1, 99));
    } else if (a == "--races") {
      o.races = static_cast<int>(number(a, v, 1, 100000));
    } else if (a == "--threads") {
      o.threads = static_cast<int>(number(a, v, 1, 256));
    } else if (a == "--seed") {
      o.seed = static_cast<uint64_t>(number(a, v, 0, INT64_MAX));
      o.seeded = true;
    } else {
      throw BadArguments{"unknown option: " + a};
    }
  }
  if (o.files.empty()) throw BadArguments{"at least one circuit file expected"};
  if (o.laps == 0) throw BadArguments{"--laps is required"};
  if (o.races == 0) throw BadArguments{"--races is required"};
  return o;
}

// An unseeded run still says which seed it used, so it can be run again.
uint64_t FreshSeed() {
  std::random_device device;
  return (static_cast<uint64_t>(device()) << 21 ^ device()) & INT64_MAX;
}

// The progress line is for a person watching a terminal; redirected, stderr
// stays clean.
struct Progress {
  bool shown = isatty(STDERR_FILENO) != 0;
  std::chrono::steady_clock::time_point last = std::chrono::steady_clock::now();

  void Update(const std::string& name, int done, int total) {
    if (!shown) return;
    auto now = std::chrono::steady_clock::now();
    if (done < total && now - last < std::chrono::milliseconds(250)) return;
    last = now;
    std::fprintf(stderr, "\r%s: race %d of %d ", Cp1252ToUtf8(name).c_str(), done, total);
    std::fflush(stderr);
  }
  void Clear() {
    if (shown) std::fputs("\r\033[K", stderr);
  }
};

// Takes the next race not yet taken until none is left: each runs on a copy
// of the loaded circuit, with dice seeded from the seed and its number.
void RunRaces(const Race& circuit, const UnattendedRace& race, uint64_t seed, int count,
              std::atomic<int>& next, std::atomic<int>& done, std::vector<RaceOutcome>& outcomes) {
  SetFatalThrows(true);
  for (int i = next++; i < count; i = next++) {
    RaceOutcome& outcome = outcomes[static_cast<size_t>(i)];
    gOutcome = &outcome;
    Race one = circuit;
    UseOwnDice(one, seed + static_cast<uint64_t>(i));
    RaceScope scope(one);
    try {
      if (!RunLoadedRace(race)) outcome.error = "the grid could not be set";
    } catch (const FatalError& e) {
      outcome.error = e.what();
    }
    gOutcome = nullptr;
    ++done;
  }
}

CircuitTally RunCircuit(const BalanceOptions& o, const fs::path& gameDir, const fs::path& file,
                        uint64_t seed, Progress& progress) {
  CircuitTally tally;
  tally.name = PlatPathText(file.stem());
  PrepareUnattendedRaces(gameDir);
  Race circuit = CurrentRace();
  {
    RaceScope scope(circuit);
    Load(file);
    Options().raceName = tally.name;
    Options().keepFiles = true;
    Report() = RaceReport{};
    Report().raceEnded = KeepOutcome;
  }
  circuit.report.message = PlayerRace().report.message;  // to stderr, as simulate says it
  UnattendedRace race;
  race.laps = o.laps;
  race.gridMode = 3;  // random
  std::vector<RaceOutcome> outcomes(static_cast<size_t>(o.races));
  std::atomic<int> next{0}, done{0};
  const int cores = static_cast<int>(std::thread::hardware_concurrency());
  const int threads = std::clamp(o.threads > 0 ? o.threads : cores, 1, o.races);
  std::vector<std::thread> workers;
  for (int t = 1; t < threads; ++t)
    workers.emplace_back(RunRaces, std::cref(circuit), std::cref(race), seed, o.races,
                         std::ref(next), std::ref(done), std::ref(outcomes));
  // This thread races too; the progress line follows what all have done.
  progress.Update(tally.name, 0, o.races);
  RunRaces(circuit, race, seed, o.races, next, done, outcomes);
  for (std::thread& worker : workers) {
    while (progress.shown && done < o.races) {
      progress.Update(tally.name, done, o.races);
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    worker.join();
  }
  SetFatalThrows(true);
  progress.Update(tally.name, o.races, o.races);
  for (const RaceOutcome& outcome : outcomes) {
    if (outcome.error == "the grid could not be set")
      throw BadArguments{PlatPathText(file) + ": the grid could not be set"};
    if (!outcome.error.empty()) throw FatalError(outcome.error);
    CountRace(tally, outcome);
  }
  return tally;
}

// Most wins first, then most podiums, fewest DNFs, then by name.
std::vector<std::pair<std::string, CarTally>> Ranked(const CircuitTally& t) {
  std::vector<std::pair<std::string, CarTally>> cars(t.cars.begin(), t.cars.end());
  std::stable_sort(cars.begin(), cars.end(), [](const auto& a, const auto& b) {
    if (a.second.wins != b.second.wins) return a.second.wins > b.second.wins;
    if (a.second.podiums != b.second.podiums) return a.second.podiums > b.second.podiums;
    return a.second.dnfs < b.second.dnfs;
  });
  return cars;
}

std::string Fixed(double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

std::string Percent(long long part, long long whole) {
  return whole == 0 ? "0.0" : Fixed(100.0 * static_cast<double>(part) / whole, 1);
}

std::string MeanPlace(const CarTally& car) {
  return car.finishes == 0 ? "-" : Fixed(static_cast<double>(car.placeSum) / car.finishes, 2);
}

// Minutes, a colon and seconds with one decimal.
std::string MeanTime(long long sum, int count) {
  if (count == 0) return "-";
  double seconds = static_cast<double>(sum) / count;
  long long tenths = std::llround(seconds * 10);
  std::string s = Fixed(static_cast<double>(tenths % 600) / 10.0, 1);
  return Decimal(tenths / 600) + ":" + (tenths % 600 < 100 ? "0" : "") + s;
}

std::string Padded(std::string text, size_t width, bool right) {
  if (text.size() >= width) return text;
  std::string pad(width - text.size(), ' ');
  return right ? pad + text : text + pad;
}

struct Totals {
  long long starts = 0, dnfs = 0;
  int winners = 0;
  std::string best;
  int bestWins = 0;
};

Totals TotalsOf(const CircuitTally& t) {
  Totals total;
  for (const auto& [key, car] : Ranked(t)) {
    total.starts += car.starts;
    total.dnfs += car.dnfs;
    if (car.wins > 0) total.winners += 1;
    if (car.wins > total.bestWins) {
      total.bestWins = car.wins;
      total.best = key;
    }
  }
  return total;
}

void PrintReport(const CircuitTally& t, const BalanceOptions& o, uint64_t seed) {
  size_t width = 4;
  for (const auto& [key, car] : t.cars) width = std::max(width, key.size());
  auto count = [](long long part, long long whole) {
    return Padded(Decimal(part), 9, true) + Padded(Percent(part, whole), 7, true) + " %";
  };
  std::string out = t.name + ": " + Decimal(t.races) + " races of " + Decimal(o.laps) +
                    " laps, random grid, seed " + Decimal(static_cast<long long>(seed)) + "\n";
  out += "  " + Padded("car", width, false);
  for (const char* column : {"wins", "podiums", "DNFs"})
    out += Padded(column, 9, true) + Padded("%", 9, true);
  out += "  mean place  mean time\n";
  for (const auto& [key, car] : Ranked(t)) {
    out += "  " + Padded(key, width, false) + count(car.wins, t.races) +
           count(car.podiums, t.races) + count(car.dnfs, car.starts) +
           Padded(MeanPlace(car), 12, true) +
           Padded(MeanTime(car.timeSum, car.finishes), 11, true) + "\n";
  }
  Totals total = TotalsOf(t);
  out += "  winners: " + Decimal(total.winners) + " of " + Decimal(t.cars.size()) + " cars";
  if (total.bestWins > 0)
    out += "; most wins: " + total.best + " " + Percent(total.bestWins, t.races) + " %";
  out += "\n  DNF rate: " + Percent(total.dnfs, total.starts) + " % (" + Decimal(total.dnfs) +
         " of " + Decimal(total.starts) +
         " starts); mean race time: " + MeanTime(t.winnerTimeSum, t.racesWon) + "\n\n";
  std::fputs(Cp1252ToUtf8(out).c_str(), stdout);
}

// A name with a comma or a quote goes in quotes, as spreadsheets expect.
std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

const char* kCsvHeading =
    "circuit,car,races,starts,wins,wins %,podiums,podiums %,DNFs,DNFs %,mean place,mean time\n";

void PrintCsv(const CircuitTally& t) {
  std::string out;
  auto row = [&](const std::string& car, long long starts, long long wins, long long podiums,
                 long long dnfs, const std::string& place, const std::string& time) {
    out += CsvField(t.name) + "," + CsvField(car) + "," + Decimal(t.races) + "," + Decimal(starts) +
           "," + Decimal(wins) + "," + Percent(wins, t.races) + "," + Decimal(podiums) + "," +
           Percent(podiums, t.races) + "," + Decimal(dnfs) + "," + Percent(dnfs, starts) + "," +
           place + "," + time + "\n";
  };
  long long podiums = 0;
  for (const auto& [key, car] : Ranked(t)) {
    row(key, car.starts, car.wins, car.podiums, car.dnfs, MeanPlace(car),
        MeanTime(car.timeSum, car.finishes));
    podiums += car.podiums;
  }
  // The circuit's own row: races won by anyone, the DNF rate over every
  // start, the mean time of the winners.
  Totals total = TotalsOf(t);
  row("all cars", total.starts, t.racesWon, podiums, total.dnfs, "",
      MeanTime(t.winnerTimeSum, t.racesWon));
  std::fputs(Cp1252ToUtf8(out).c_str(), stdout);
}
}  // namespace

int RunBalance(const ToolArgs& given) {
  ToolArgs args = given;
  fs::path gameDir = TakeGameDir(args);
  SetFatalThrows(true);
  try {
    BalanceOptions o = Parse(args);
    uint64_t seed = o.seeded ? o.seed : FreshSeed();
    // The CSV has no room for it: a run without --seed names its seed here.
    if (!o.seeded) std::fprintf(stderr, "balance: seed %lld\n", static_cast<long long>(seed));
    Progress progress;
    if (o.csv) std::fputs(kCsvHeading, stdout);
    for (const fs::path& file : o.files) {
      CircuitTally tally = RunCircuit(o, gameDir, file, seed, progress);
      progress.Clear();
      if (o.csv) {
        PrintCsv(tally);
      } else {
        PrintReport(tally, o, seed);
      }
      std::fflush(stdout);
    }
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
