// Saving anywhere and resuming: a race stopped at any step, forgotten and
// loaded again goes on exactly as if it had never stopped; a new race starts
// with nothing of the last one; hand-edited saves are read safely.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <set>

#include "../support/test_support.h"
#include "race/analyze.h"
#include "race/movement.h"
#include "race/save_load.h"
#include "race/race_end.h"
#include "race/race_start.h"
#include "race/report.h"
#include "race/season.h"
#include "platform/services.h"
#include "race_support.h"
#include "race/folders.h"

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;
using testing_support::Quoted;
using testing_support::ReadBytes;
using testing_support::ShippedCircuits;
using testing_support::ToolRun;

namespace {
// Every file a race leaves in the game folder, by path, without the saved
// races (only the reloaded race writes one).
std::map<std::string, std::string> RaceFiles(const fs::path& game) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(game)) {
    if (!entry.is_regular_file()) continue;
    fs::path relative = fs::relative(entry.path(), game);
    if (*relative.begin() == "Saved Races") continue;
    files[relative.string()] = ReadBytes(entry.path());
  }
  return files;
}

ToolRun Simulate(const fs::path& game, const std::string& args) {
  return testing_support::RunTool("simulate " + args + " --game-dir " + Quoted(game.string()));
}

Lines gHeard;
void Hear(const std::string& line) {
  gHeard.push_back(line);
}
}  // namespace

// The tool's race, reloaded after every single step (every car, every pass,
// the steps right after a finish or a crash), on another seed on each
// circuit, against the race that never
// stopped: the same commentary, results and files, on every shipped circuit.
TEST(SaveAnywhere, ReloadedAtEveryStepOnEveryCircuitChangesNothing) {
  int seed = 2;
  std::vector<fs::path> circuits = ShippedCircuits();
  // Under the sanitizers one circuit and a smaller field.
  if (kSanitizerBuild) circuits.resize(1);
  for (const fs::path& circuit : circuits) {
    {
      seed += 3;  // another seed on each circuit
      SCOPED_TRACE(circuit.stem().string() + ", seed " + Decimal(seed));
      fs::path plain = testing_support::CopyGameFolderToMemory("plain"),
               reloaded = testing_support::CopyGameFolderToMemory("reloaded");
      const std::string args =
          Quoted(circuit.string()) + " --laps 1 --grid random --seed " + Decimal(seed) +
          (kSanitizerBuild ? " --cars 'Mistral,Typhoon,Vanguard,Arrowhead'" : "");
      ToolRun a = Simulate(plain, args);
      ToolRun b = Simulate(reloaded, args + " --reload-every 1");
      ASSERT_EQ(a.status, 0) << a.err;
      ASSERT_EQ(b.status, 0) << b.err;
      EXPECT_NE(a.out.find("=== results"), std::string::npos);
      EXPECT_EQ(a.out, b.out);
      EXPECT_EQ(a.err, b.err);
      EXPECT_EQ(RaceFiles(plain), RaceFiles(reloaded));
      EXPECT_TRUE(fs::exists(reloaded / "Saved Races" / (circuit.stem().string() + ".json")));
      fs::remove_all(plain);
      fs::remove_all(reloaded);
    }
  }
}

// Longer races, a new season and a second race after the first: reloading
// every few steps changes nothing, and the next race starts clean.
TEST(SaveAnywhere, ASeasonReloadedEveryFewStepsChangesNothing) {
  fs::path plain = testing_support::CopyGameFolderToMemory("season"),
           reloaded = testing_support::CopyGameFolderToMemory("season-reloaded");
  const std::string args =
      Quoted(
          (testing_support::SourceDir() / "game" / "Circuits" / "Diagonal Downs.json").string()) +
      (kSanitizerBuild ? " --laps 1 --races 2" : " --laps 3 --races 3") +
      " --grid points --seed 5 --new-season 'Resume Cup'";
  ToolRun a = Simulate(plain, args);
  ToolRun b = Simulate(reloaded, args + " --reload-every 7");
  ASSERT_EQ(a.status, 0) << a.err;
  ASSERT_EQ(b.status, 0) << b.err;
  EXPECT_EQ(a.out, b.out);
  EXPECT_EQ(RaceFiles(plain), RaceFiles(reloaded));
  EXPECT_NE(ReadBytes(reloaded / "Results" / "Resume Cup.txt"), "");
  ToolRun bad = Simulate(reloaded, args + " --reload-every 0");
  EXPECT_EQ(bad.status, 1);
  EXPECT_NE(bad.err.find("--reload-every wants a whole number from 1"), std::string::npos);
  fs::remove_all(plain);
  fs::remove_all(reloaded);
}

class Resume : public RaceTest {
 protected:
  void SetUp() override {
    RaceTest::SetUp();
    game = testing_support::CopyGameFolderToMemory("resume");
    SetProgramFolder(game);
    ReadSettings();
    CreateGameFolders();
    LoadTrackTiles();
    SetLoadDriversHandler(LoadDrivers);
    PlatScriptRandom({});
  }
  void TearDown() override {
    SetLoadDriversHandler(nullptr);
    fs::remove_all(game);
    RaceTest::TearDown();
  }
  // Saves, forgets everything and loads it back as "Load Race" does.
  void SaveForgetAndResume() {
    const std::string name = Options().raceName;
    fs::path file = gProg.savedRacesFolder / (name + ".json");
    Save(file);
    ResetProgramState();
    ResetRaceData();
    ClearRaceState();
    SetProgramFolder(game);
    ReadSettings();
    LoadTrackTiles();
    Options().raceName = name;
    Load(file);
    Report().commentary = nullptr;
    ResumeRace();
    Report().commentary = Hear;
  }
  // A two-lap race; with `reload`, saved and resumed right after a car
  // finished or crashed, while it still holds its running-order entry.
  Lines Race(const fs::path& circuit, int seed, bool reload, int& reloads) {
    gHeard.clear();
    Report().commentary = Hear;
    PlatSeedRandom(static_cast<uint64_t>(seed));
    Load(circuit);
    Options().raceName = circuit.stem().string();
    UnattendedRace race;
    race.laps = 2;
    race.gridMode = 3;
    EXPECT_TRUE(SetUpUnattendedRace(race));
    int wasOut = 0;
    for (long long steps = 0; !Standing().empty(); ++steps) {
      if (steps > 200000) {
        ADD_FAILURE() << "the race does not end";
        break;
      }
      RaceStep();
      if (!reload) continue;
      int out = 0;
      for (const StandingRecord& s : Standing()) out += Car().at(s.car).finished != 0;
      const bool justOut = out > wasOut;
      wasOut = out;
      if (!justOut) continue;
      reloads += out;
      SaveForgetAndResume();
      for (const NodeRecord& n : Node())
        for (const std::string& key : n.car)
          if (!key.empty()) {
            EXPECT_EQ(Car().at(key).finished, 0) << key << " stands as a ghost";
          }
    }
    return gHeard;
  }
  // A one-lap race of the whole field on a shipped circuit, started.
  bool StartOneLap(const std::string& name) {
    Load(game / "Circuits" / (name + ".json"));
    Options().raceName = name;
    UnattendedRace race;
    race.laps = 1;
    return SetUpUnattendedRace(race);
  }
  fs::path game;
};

// The faults players met: a save right after a finish or a crash in the same
// pass was refused on loading, and a resumed race put its finished cars back
// as ghosts that blocked the finish for ever.
TEST_F(Resume, SavedRightAfterAFinishOrACrashTheRaceGoesOnUnchanged) {
  int reloads = 0, races = 0;
  for (const fs::path& circuit : ShippedCircuits()) {
    for (int seed = 1; seed <= (kSanitizerBuild ? 1 : 2); ++seed) {
      SCOPED_TRACE(circuit.stem().string() + ", seed " + Decimal(seed));
      int none = 0;
      Lines plain = Race(circuit, seed, false, none);
      Lines reloaded = Race(circuit, seed, true, reloads);
      EXPECT_EQ(plain, reloaded);
      ++races;
    }
  }
  EXPECT_GT(reloads, races) << "saves with finished or crashed cars in the running order";
}

TEST_F(Resume, ANewRaceStartsWithNothingOfTheLastOne) {
  ASSERT_TRUE(StartOneLap("Harbour Loop"));
  UnattendedRace race;
  race.laps = 1;
  // Left mid-race, with a finisher and a car out.
  OrderOfFinish() = {Standing()[0].car};
  DNF() = {Standing()[1].car};
  Load(game / "Circuits" / "Harbour Loop.json");
  ASSERT_TRUE(SetUpUnattendedRace(race));
  EXPECT_TRUE(OrderOfFinish().empty());
  EXPECT_TRUE(DNF().empty());
  EXPECT_EQ(Standing().size(), Car().size());
  std::set<std::string> placed;
  for (const NodeRecord& n : Node())
    for (const std::string& key : n.car)
      if (!key.empty()) {
        EXPECT_TRUE(placed.insert(key).second) << key;
      }
  EXPECT_EQ(placed.size(), Car().size());
  while (!Standing().empty()) RaceStep();
  std::string record = ReadBytes(gProg.dataFolder / "Last Race.txt");
  size_t lines = std::count(record.begin(), record.end(), '\n');
  EXPECT_EQ(lines, Car().size() + 1) << record;
}

// Hand-edited saves: read safely or refused with a clear message, never a
// ghost car or a race that cannot end.
TEST_F(Resume, HandEditedSavesLoadSafelyOrSayWhatIsWrong) {
  ASSERT_TRUE(StartOneLap("Harbour Loop"));
  for (int i = 0; i < 30; ++i) RaceStep();
  const std::string saved = SaveDocument();
  fs::path file = gProg.savedRacesFolder / "Edited.json";
  const std::string first = Standing()[0].car, second = Standing()[1].car;
  // The saved document with one member of a car's object replaced.
  auto withCarMember = [&](std::string doc, const std::string& key, const std::string& member,
                           const std::string& value) {
    size_t at = doc.find("\"" + key + "\":{\"tile\"");
    size_t from = doc.find("\"" + member + "\":", at);
    size_t end = doc.find_first_of(",}", from);
    doc.replace(from, end - from, "\"" + member + "\":" + value);
    return doc;
  };
  auto expectRefused = [&](const std::string& doc, const std::string& message) {
    SCOPED_TRACE(message);
    testing_support::WriteBytes(file, doc);
    try {
      Load(file);
      ADD_FAILURE() << "loaded";
    } catch (const FatalError& e) {
      ExpectFatal(e.what(), message, "SaveLoad in Load");
    }
  };

  // A finished car given the place of another: it stands nowhere, the other
  // car keeps its place and the race ends.
  const CarRecord other = Car().at(second);
  std::string ghost = withCarMember(saved, first, "finished", "1");
  ghost = withCarMember(ghost, first, "listInd", Decimal(other.listInd));
  ghost = withCarMember(ghost, first, "lane", Decimal(other.lane));
  testing_support::WriteBytes(file, ghost);
  Load(file);
  ResumeRace();
  EXPECT_EQ(Node()[Car().at(second).listInd].car[Car().at(second).lane], second);
  for (const NodeRecord& n : Node())
    for (const std::string& key : n.car) EXPECT_NE(key, first) << "a finished car stands";
  long long steps = 0;
  while (!Standing().empty() && ++steps < 100000) RaceStep();
  EXPECT_TRUE(Standing().empty()) << "the race ends";

  expectRefused(
      [&] {
        std::string doc = saved;
        size_t at = doc.find("{\"car\":\"" + second + "\"");
        doc.replace(at, second.size() + 9, "{\"car\":\"" + first + "\"");
        return doc;
      }(),
      "invalid JSON member: Standing[1].car (each car once in the running order expected)");
  expectRefused(
      [&] {
        std::string doc = saved;
        size_t at = doc.find("\"StandingLI\":") + 13;
        doc.replace(at, doc.find(',', at) - at, "99");
        return doc;
      }(),
      "invalid list index");
  expectRefused(
      withCarMember(saved, first, "finished", "7"),
      "invalid JSON member: Car." + first + ".finished (0 racing, 1 finished or 2 out expected)");
  // A car still racing but left out of the running order.
  std::string doc = saved;
  size_t entry = doc.find("{", doc.find("\"Standing\":["));
  doc.erase(entry, doc.find("},", entry) + 2 - entry);
  expectRefused(doc, "invalid JSON member: Car." + first +
                         " (a car still racing in the running order expected)");
}

// File names are Unicode on disk and Windows-1252 in the game: circuits and
// saved races with letters beyond ASCII are listed, picked, raced, saved and
// loaded again; a name the code page cannot show still reaches its file; the
// game folder's own path is converted once.
TEST_F(Resume, NonAsciiCircuitAndSavedRaceNames) {
  // The whole game in a folder named "jörg" on disk.
  fs::path diskGame = game / "j\xC3\xB6rg";
  fs::create_directories(diskGame);
  for (const char* part : {"Circuits", "Data", "The Velotrax.ini"})
    fs::copy(game / part, diskGame / part, fs::copy_options::recursive);
  const fs::path circuits = diskGame / "Circuits";
  fs::copy_file(circuits / "Harbour Loop.json", circuits / "Z\xC3\xBCrich Ring.json");
  fs::copy_file(circuits / "Harbour Loop SL.txt", circuits / "Z\xC3\xBCrich Ring SL.txt");
  fs::copy_file(circuits / "Puddleford Park.json", circuits / "\xE6\x9D\xB1\xE4\xBA\xAC Loop.json");
  fs::copy_file(circuits / "Harbour Loop SL.txt",
                circuits / "\xE6\x9D\xB1\xE4\xBA\xAC Loop SL.txt");
  fs::copy_file(circuits / "Diagonal Downs.json", circuits / "\xE5\xA4\xA7 Loop.json");

  SetProgramFolder(PlatGamePath(diskGame));
  EXPECT_EQ(gProg.programFolder.string(), (game / "j\xF6rg").string());
  ReadSettings();
  CreateGameFolders();
  EXPECT_TRUE(fs::is_directory(diskGame / "Saved Races"));
  const std::string list = CircuitList();
  for (const char* name : {"Z\xFCrich Ring~", "? Loop~", "?? Loop~"})
    EXPECT_NE(list.find(name), std::string::npos) << name << " in " << list;

  // Picked as "New Race" picks them, raced a little, saved, loaded again.
  for (const std::string name : {"Z\xFCrich Ring", "?? Loop", "? Loop"}) {
    SCOPED_TRACE(name);
    Load(gProg.circuitsFolder / (name + ".json"));
    Options().raceName = name;
    UnattendedRace race;
    race.laps = 1;
    ASSERT_TRUE(SetUpUnattendedRace(race));
    for (int i = 0; i < 20; ++i) RaceStep();
    EXPECT_EQ(RaceNow().labels.empty(), name == "? Loop") << "the circuit's own labels";
    Save(gProg.savedRacesFolder / (name + ".json"));
    const std::string before = SaveDocument();
    std::vector<PlatFolderEntry> entries;  // as the load list reads the folder
    ASSERT_TRUE(PlatListFolder(gProg.savedRacesFolder, "*.json", entries));
    std::string saved;
    for (const PlatFolderEntry& entry : entries) saved += entry.name.substr(0, entry.name.size() - 5) + "~";
    EXPECT_NE(saved.find(name + "~"), std::string::npos) << saved;
    ResetRaceData();
    Load(gProg.savedRacesFolder / (name + ".json"));
    ResumeRace();
    EXPECT_EQ(SaveDocument(), before);
  }
  EXPECT_TRUE(fs::exists(diskGame / "Saved Races" / "Z\xC3\xBCrich Ring.json"))
      << "UTF-8 on disk, not a raw Windows-1252 byte";

  // A fatal message names the path once converted.
  try {
    Load(gProg.circuitsFolder / "None.json");
    ADD_FAILURE();
  } catch (const FatalError& e) {
    ExpectFatal(e.what(), "could not find file: " + (gProg.circuitsFolder / "None.json").string(),
                "SaveLoad in Load");
    EXPECT_NE(Cp1252ToUtf8(e.what()).find("j\xC3\xB6rg"), std::string::npos) << e.what();
  }
}

// kill -9 while saving: a tool saving at every step is killed at random
// moments; each time the saved race loads, and what the cut write left
// behind is gone after the next start.
TEST_F(Resume, KilledWhileSavingTheSaveStillLoads) {
  const fs::path tool = testing_support::BuildGameDir() / "velotrax-tool";
  const fs::path circuit = game / "Circuits" / "Switchback Ridge.json";
  const fs::path saved = gProg.savedRacesFolder / "Switchback Ridge.json";
  std::mt19937 gen(12345);
  int loaded = 0, leftovers = 0;
  pid_t lastKilled = 0;
  for (int round = 0; round < 12; ++round) {
    SCOPED_TRACE("round " + Decimal(round));
    pid_t pid = ::fork();
    ASSERT_NE(pid, -1);
    if (pid == 0) {
      int null = ::open("/dev/null", O_WRONLY);
      ::dup2(null, 1);
      ::dup2(null, 2);
      ::execl(tool.c_str(), "velotrax-tool", "simulate", circuit.c_str(), "--game-dir",
              game.c_str(), "--laps", "20", "--seed", std::to_string(round).c_str(),
              "--reload-every", "1", static_cast<char*>(nullptr));
      ::_exit(127);
    }
    ::usleep(static_cast<useconds_t>(150000 + gen() % 400000));
    ::kill(pid, SIGKILL);
    lastKilled = pid;
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the race was still running";
    for (const auto& entry : fs::directory_iterator(gProg.savedRacesFolder))
      leftovers += entry.path().filename().string().find(".tmp-") != std::string::npos;
    if (fs::exists(saved)) {
      Load(saved);  // a fatal error would throw
      ResumeRace();
      EXPECT_FALSE(Standing().empty());
      ++loaded;
    }
    CreateGameFolders();  // the next start
    for (const auto& entry : fs::directory_iterator(gProg.savedRacesFolder))
      EXPECT_EQ(entry.path().filename().string().find(".tmp-"), std::string::npos) << entry.path();
  }
  EXPECT_GE(loaded, 10);
  // What a killed writer leaves is cleared at the next start; what a running
  // one (this test) is writing is not.
  const fs::path stale = saved.string() + ".tmp-" + std::to_string(lastKilled);
  const fs::path live = saved.string() + ".tmp-" + std::to_string(::getpid());
  testing_support::WriteBytes(stale, "{\"Base\":[[");
  testing_support::WriteBytes(live, "{");
  CreateGameFolders();
  EXPECT_FALSE(fs::exists(stale));
  EXPECT_TRUE(fs::exists(live));
  fs::remove(live);
  std::printf("killed 12 times while saving: %d saves loaded, %d cut writes left behind\n", loaded,
              leftovers);
}
