// velotrax-tool balance: its counts are the counts of the very races that
// simulate runs with the seed plus the race's number, circuit by circuit,
// whatever the number of threads, and it leaves the game folder as it found
// it.
#include <cmath>
#include <cstdio>
#include <map>

#include "../support/test_support.h"
#include "common/common.h"
#include "race_support.h"

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;
using testing_support::Quoted;
using testing_support::ToolRun;

namespace {
Lines Split(const std::string& text, char separator) {
  Lines parts;
  size_t start = 0;
  for (size_t at; (at = text.find(separator, start)) != std::string::npos; start = at + 1)
    parts.push_back(text.substr(start, at - start));
  if (start < text.size()) parts.push_back(text.substr(start));
  return parts;
}

struct Count {
  int starts = 0, wins = 0, podiums = 0, dnfs = 0, finishes = 0;
  long long places = 0, seconds = 0;
};

struct Counted {
  int races = 0, won = 0;
  long long winnerSeconds = 0;
  std::map<std::string, Count> cars;
};

long long Seconds(const std::string& time) {
  Lines parts = Split(time, ':');
  return parts.size() == 2 ? LenientInt(parts[0]) * 60LL + LenientInt(parts[1]) : 0;
}

// The results blocks of simulate's output, counted by hand:
// " 1  9  Key - Name  1:23" for a finisher, " DNF  0  Key - Name  0:00".
Counted CountSimulateOutput(const std::string& out) {
  Counted c;
  Lines lines = Split(out, '\n');
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i] != "=== results") continue;
    c.races += 1;
    for (size_t j = i + 2; j < lines.size() && lines[j].rfind(" ", 0) == 0 && lines[j] != " ";
         ++j) {
      const std::string& line = lines[j];
      size_t dash = line.find(" - ");
      if (dash == std::string::npos) break;
      Count& car = c.cars[line.substr(9, dash - 9)];
      car.starts += 1;
      if (line.substr(1, 3) == "DNF") {
        car.dnfs += 1;
        continue;
      }
      int place = LenientInt(line.substr(1, 2));
      // The time follows the name; an "SO" or "P" mark may follow it.
      long long seconds = 0;
      for (const std::string& field : Split(line.substr(dash + 3), ' '))
        if (field.find(':') != std::string::npos) seconds = Seconds(field);
      car.finishes += 1;
      car.places += place;
      car.seconds += seconds;
      if (place == 1) {
        car.wins += 1;
        c.won += 1;
        c.winnerSeconds += seconds;
      }
      if (place <= 3) car.podiums += 1;
    }
  }
  return c;
}

std::string OneDecimal(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", v);
  return text;
}

std::string TwoDecimals(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", v);
  return text;
}

// "m:ss.s" back to seconds.
double TimeOf(const std::string& text) {
  Lines parts = Split(text, ':');
  return parts.size() == 2 ? LenientInt(parts[0]) * 60.0 + std::stod(parts[1]) : -1;
}

// Every file of a folder with its bytes.
std::map<std::string, std::string> Snapshot(const fs::path& dir) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(dir))
    files[fs::relative(entry.path(), dir).string()] =
        entry.is_regular_file() ? testing_support::ReadBytes(entry.path()) : "(folder)";
  return files;
}

std::string Circuit(const char* name) {
  return (testing_support::SourceDir() / "game" / "Circuits" / (std::string(name) + ".json"))
      .string();
}

class BalanceTool : public testing::Test {
 protected:
  void SetUp() override {
    simulated = testing_support::CopyGameFolder("balance-sim");
    balanced = testing_support::CopyGameFolder("balance");
  }
  void TearDown() override {
    fs::remove_all(simulated);
    fs::remove_all(balanced);
  }
  ToolRun Balance(const std::string& args) {
    return testing_support::RunTool("balance " + args + " --game-dir " + Quoted(balanced.string()));
  }
  fs::path simulated, balanced;
};
}  // namespace

TEST_F(BalanceTool, CountsTheRacesSimulateRunsWithTheSameSeed) {
  const char* circuits[] = {"Harbour Loop", "Puddleford Park"};
  const int races = 15;
  const auto before = Snapshot(balanced);
  ToolRun report = Balance(Quoted(Circuit(circuits[0])) + " " + Quoted(Circuit(circuits[1])) +
                           " --laps 2 --races 15 --seed 23 --csv");
  ASSERT_EQ(report.status, 0) << report.err;
  EXPECT_EQ(report.err, "") << "no progress line when stderr is not a terminal";
  EXPECT_EQ(Snapshot(balanced), before) << "the game folder is left as it was";

  Lines rows = Split(report.out, '\n');
  ASSERT_EQ(rows.size(), 1u + 2 * 15) << "a heading, then 14 cars and a total per circuit";
  EXPECT_EQ(rows[0],
            "circuit,car,races,starts,wins,wins %,podiums,podiums %,DNFs,DNFs %,mean place,"
            "mean time");

  int wonBySomeone = 0, dnfsSeen = 0;
  for (int k = 0; k < 2; ++k) {
    SCOPED_TRACE(circuits[k]);
    // Race i of the report is the race simulate runs with the seed plus i.
    std::string out;
    for (int i = 0; i < races; ++i) {
      ToolRun sim = testing_support::RunTool(
          "simulate " + Quoted(Circuit(circuits[k])) + " --laps 2 --grid random --seed " +
          Decimal(23 + i) + " --game-dir " + Quoted(simulated.string()));
      ASSERT_EQ(sim.status, 0) << sim.err;
      out += sim.out;
    }
    Counted c = CountSimulateOutput(out);
    ASSERT_EQ(c.races, races);
    ASSERT_EQ(c.cars.size(), 14u);
    long long starts = 0, dnfs = 0, podiums = 0;
    for (int r = 1; r <= 15; ++r) {
      Lines f = Split(rows[k * 15 + r], ',');
      ASSERT_EQ(f.size(), 12u) << rows[k * 15 + r];
      EXPECT_EQ(f[0], circuits[k]);
      EXPECT_EQ(f[2], "15");
      if (r == 15) {  // the circuit's own row
        EXPECT_EQ(f[1], "all cars");
        EXPECT_EQ(f[3], Decimal(starts));
        EXPECT_EQ(f[4], Decimal(c.won));
        EXPECT_EQ(f[6], Decimal(podiums));
        EXPECT_EQ(f[8], Decimal(dnfs));
        EXPECT_EQ(f[9], OneDecimal(100.0 * dnfs / starts));
        EXPECT_NEAR(TimeOf(f[11]), static_cast<double>(c.winnerSeconds) / c.won, 0.051);
        wonBySomeone += c.won;
        continue;
      }
      ASSERT_EQ(c.cars.count(f[1]), 1u) << f[1];
      const Count& car = c.cars[f[1]];
      SCOPED_TRACE(f[1]);
      EXPECT_EQ(f[3], Decimal(car.starts));
      EXPECT_EQ(f[4], Decimal(car.wins));
      EXPECT_EQ(f[5], OneDecimal(100.0 * car.wins / races));
      EXPECT_EQ(f[6], Decimal(car.podiums));
      EXPECT_EQ(f[7], OneDecimal(100.0 * car.podiums / races));
      EXPECT_EQ(f[8], Decimal(car.dnfs));
      EXPECT_EQ(f[9], OneDecimal(100.0 * car.dnfs / car.starts));
      if (car.finishes == 0) {
        EXPECT_EQ(f[10], "-");
        EXPECT_EQ(f[11], "-");
      } else {
        EXPECT_EQ(f[10], TwoDecimals(static_cast<double>(car.places) / car.finishes));
        EXPECT_NEAR(TimeOf(f[11]), static_cast<double>(car.seconds) / car.finishes, 0.051);
      }
      starts += car.starts;
      dnfs += car.dnfs;
      podiums += car.podiums;
      if (r > 1) {  // most wins first
        EXPECT_GE(LenientInt(Split(rows[k * 15 + r - 1], ',')[4]), car.wins);
      }
    }
    dnfsSeen += static_cast<int>(dnfs);
  }
  EXPECT_GT(wonBySomeone, 0);
  EXPECT_GT(dnfsSeen, 0) << "a run this size should have seen a car out";

  // The same report from one thread as from several.
  for (const char* threads : {"1", "3"}) {
    ToolRun again = Balance(Quoted(Circuit(circuits[0])) + " " + Quoted(Circuit(circuits[1])) +
                            " --laps 2 --races 15 --seed 23 --csv --threads " + threads);
    ASSERT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(again.out, report.out) << threads << " threads";
  }
  // Another seed, other races.
  ToolRun other = Balance(Quoted(Circuit(circuits[0])) + " --laps 2 --races 15 --seed 24 --csv");
  ASSERT_EQ(other.status, 0) << other.err;
  EXPECT_NE(Split(other.out, '\n'), Lines(rows.begin(), rows.begin() + 16));
}

TEST_F(BalanceTool, TheTextReportSaysTheSameAsTheCsv) {
  const std::string args = Quoted(Circuit("Switchback Ridge")) + " --laps 3 --races 12 --seed 5";
  ToolRun text = Balance(args);
  ToolRun csv = Balance(args + " --csv");
  ASSERT_EQ(text.status, 0) << text.err;
  ASSERT_EQ(csv.status, 0) << csv.err;
  Lines lines = Split(text.out, '\n');
  ASSERT_EQ(lines.size(), 2u + 14 + 2 + 1);
  EXPECT_EQ(lines.back(), "") << "a blank line after each circuit";
  EXPECT_EQ(lines[0], "Switchback Ridge: 12 races of 3 laps, random grid, seed 5");
  Lines rows = Split(csv.out, '\n');
  int winners = 0;
  for (int r = 1; r <= 14; ++r) {
    Lines f = Split(rows[r], ',');
    winners += LenientInt(f[4]) > 0 ? 1 : 0;
    // The car's line holds the same numbers, in the same order.
    std::string expected = f[4] + " " + f[5] + " % " + f[6] + " " + f[7] + " % " + f[8] + " " +
                           f[9] + " % " + f[10] + " " + f[11];
    std::string line = lines[1 + r];
    std::string squeezed;
    for (char ch : line) {
      if (ch == ' ' && (squeezed.empty() || squeezed.back() == ' ')) continue;
      squeezed += ch;
    }
    EXPECT_EQ(squeezed, f[1] + " " + expected) << line;
  }
  Lines total = Split(rows[15], ',');
  EXPECT_EQ(lines[16].rfind("  winners: " + Decimal(winners) + " of 14 cars", 0), 0u) << lines[16];
  EXPECT_EQ(lines[17], "  DNF rate: " + total[9] + " % (" + total[8] + " of " + total[3] +
                           " starts); mean race time: " + total[11]);
}

TEST_F(BalanceTool, BadArgumentsAndFilesExitOneWithAMessage) {
  const std::string c = Quoted(Circuit("Harbour Loop"));
  struct Case {
    std::string args, message;
  } cases[] = {
      {c + " --races 5", "--laps is required"},
      {c + " --laps 4", "--races is required"},
      {"--laps 4 --races 5", "at least one circuit file expected"},
      {c + " --laps 0 --races 5", "--laps wants a whole number from 1 to 99: 0"},
      {c + " --laps 4 --races 5 --seed x", "--seed wants a whole number"},
      {c + " --laps 4 --races 5 --grid order", "unknown option: --grid"},
      {c + " --laps 4 --races", "--races wants a value"},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.args);
    ToolRun run = Balance(k.args);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.rfind(k.message, 0), 0u) << run.err;
    EXPECT_NE(run.err.find("usage: velotrax-tool balance"), std::string::npos);
  }
  // A circuit that cannot be read ends the run with the game's own message.
  ToolRun missing = Balance(Quoted((balanced / "Circuits" / "Nowhere.json").string()) +
                            " --laps 4 --races 5 --seed 1");
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.out, "");
  EXPECT_NE(missing.err.find("Nowhere.json"), std::string::npos) << missing.err;
}

TEST_F(BalanceTool, ARunWithoutASeedNamesOneThatRunsTheSameRacesAgain) {
  const std::string args = Quoted(Circuit("Puddleford Park")) + " --laps 1 --races 4 --csv";
  ToolRun first = Balance(args);
  ASSERT_EQ(first.status, 0) << first.err;
  ASSERT_EQ(first.err.rfind("balance: seed ", 0), 0u) << first.err;
  std::string seed = first.err.substr(14, first.err.find('\n') - 14);
  ToolRun again = Balance(args + " --seed " + seed);
  ASSERT_EQ(again.status, 0) << again.err;
  EXPECT_EQ(again.out, first.out);
  EXPECT_EQ(again.err, "");
}
