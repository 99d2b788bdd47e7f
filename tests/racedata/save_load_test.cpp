// Saving and loading races: the fatal messages, hostile files, and a race in
// progress that comes back byte for byte.
#include "race/save_load.h"

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <limits>

#include "../support/test_support.h"
#include "race/analyze.h"
#include "race/data_file.h"
#include "racedata_support.h"

namespace fs = std::filesystem;
using testing_support::ReadBytes;
using testing_support::WriteBytes;

namespace {
// The rectangle as JSON layers, columns outermost.
std::string LayerJson(const Rows& rows) {
  std::string out = "[";
  for (size_t x = 0; x < rows[0].size(); ++x) {
    out += x ? ",[" : "[";
    for (size_t y = 0; y < rows.size(); ++y) out += (y ? "," : "") + Decimal(rows[y][x]);
    out += "]";
  }
  return out + "]";
}

std::string RectLayers() {
  return "\"Base\":" + LayerJson(kRectBase) + ",\"Middle\":" + LayerJson(kRectMiddle) +
         ",\"Top\":" + LayerJson(kRectTop);
}

const char* kCars =
    "\"Car\":{\"A\":{\"listInd\":19,\"lane\":0},\"B\":{\"listInd\":19,\"lane\":1},\"C\":{"
    "\"listInd\":-1}}";

int gDriverLoads = 0;
}  // namespace

class SaveLoadTest : public RaceDataTest {
 protected:
  fs::path Write(const std::string& name, const std::string& json) {
    fs::path file = dir / "Circuits" / name;
    WriteBytes(file, json);
    return file;
  }
  // Loads a document that must be refused, and checks the message.
  void ExpectRefused(const std::string& json, const std::string& prefix) {
    SCOPED_TRACE(json.substr(0, 120));
    fs::path file = Write("bad.json", json);
    try {
      Load(file);
      ADD_FAILURE() << "loaded";
    } catch (const FatalError& e) {
      ExpectFatal(e.what(), prefix, "SaveLoad in Load");
    }
  }
};

TEST_F(SaveLoadTest, EveryLoadFatalMessage) {
  fs::path missing = dir / "Circuits" / "none.json";
  try {
    Load(missing);
    FAIL();
  } catch (const FatalError& e) {
    ExpectFatal(e.what(), "could not find file: " + missing.string(), "SaveLoad in Load");
  }
  fs::path bad = dir / "Circuits" / "bad.json";
  ExpectRefused("{\"Base\":[[1,2],[3", "could not load JSON file: " + bad.string());
  ExpectRefused("", "could not load JSON file: " + bad.string());
  ExpectRefused("{\"Base\":\"\xff\xfe\"}", "could not load JSON file: " + bad.string());
  ExpectRefused("[1,2,3]", "missing JSON member");
  ExpectRefused("{\"Middle\":[[1]],\"Top\":[[1]]}", "missing JSON member");
  ExpectRefused("{\"Base\":[[1]],\"Top\":[[1]]}", "missing JSON member");
  ExpectRefused("{\"Base\":[[1]],\"Middle\":[[1]]}", "missing JSON member");
  ExpectRefused("{" + RectLayers() + "," + kCars + ",\"Standing\":[{\"car\":\"A\"}]}",
                "missing JSON member");
  ExpectRefused(
      "{" + RectLayers() + "," + kCars + ",\"Standing\":[{\"car\":\"A\"}],\"StandingLI\":1}",
      "invalid list index");
  ExpectRefused(
      "{" + RectLayers() + "," + kCars + ",\"Standing\":[{\"car\":\"A\"}],\"StandingLI\":-1}",
      "invalid list index");
}

TEST_F(SaveLoadTest, HostileFilesEndInAClearMessage) {
  const std::string layers = RectLayers();
  const std::string race = "{" + layers + "," + kCars;
  struct Case {
    std::string json, message;
  } cases[] = {
      {"{\"Base\":7,\"Middle\":[[1]],\"Top\":[[1]]}",
       "invalid JSON member: Base (array of 1 to 256 columns"},
      {"{\"Base\":[],\"Middle\":[[1]],\"Top\":[[1]]}", "invalid JSON member: Base (array"},
      {"{\"Base\":[[1,2],[3]],\"Middle\":[[1]],\"Top\":[[1]]}",
       "invalid JSON member: Base[1] (array of 2 integers expected, like Base[0])"},
      {"{\"Base\":[[1,\"2\"]],\"Middle\":[[1]],\"Top\":[[1]]}",
       "invalid JSON member: Base[0][1] (32-bit integer"},
      {"{\"Base\":[[1,2.5]],\"Middle\":[[1]],\"Top\":[[1]]}",
       "invalid JSON member: Base[0][1] (32-bit integer"},
      {"{\"Base\":[[1],[88]],\"Middle\":[[1]],\"Top\":[[1]]}",
       "invalid JSON member: Base[1][0] (cell -1 to 87"},
      {"{\"Base\":[[-2]],\"Middle\":[[1]],\"Top\":[[1]]}",
       "invalid JSON member: Base[0][0] (cell -1 to 87"},
      {"{\"Base\":[[1,1]],\"Middle\":[[1]],\"Top\":[[1,1]]}",
       "invalid JSON member: Middle (1 columns of 2 rows"},
      {"{\"Base\":[" + std::string(257 * 4, ' ').replace(0, 0, "") + "]}",
       "invalid JSON member: Base ("},
      {"{\"Base\":" + std::string(100000, '[') + std::string(100000, ']') +
           ",\"Middle\":[[1]],\"Top\":[[1]]}",
       "could not load JSON file: "},
      {"{" + layers + ",\"Car\":[]}", "invalid JSON member: Car (object expected)"},
      {"{" + layers + ",\"Car\":{\"A\":{\"gear\":3000000000}}}",
       "invalid JSON member: Car.A.gear (32-bit"},
      {"{" + layers + ",\"Car\":{\"A\":{\"turns\":\"7\"}}}",
       "invalid JSON member: Car.A.turns (number expected)"},
      {"{" + layers + ",\"Track\":[{\"x\":[1]}]}",
       "invalid JSON member: Track[0].x (array of 2 integers"},
      {"{" + layers + ",\"Track\":{}}", "invalid JSON member: Track (array expected)"},
      {"{" + layers + ",\"Node\":[{\"car\":[\"\",5]}]}",
       "invalid JSON member: Node[0].car[1] (string"},
      {"{" + layers + ",\"Laps\":\"four\"}", "invalid JSON member: Laps (32-bit"},
      {"{" + layers + ",\"Driver\":{\"A\":3}}", "invalid JSON member: Driver.A (object expected)"},
      {"{" + layers + ",\"DNF\":[1]}", "invalid JSON member: DNF[0] (string expected)"},
      {race + ",\"Standing\":[{\"car\":\"X\"}],\"StandingLI\":0}",
       "invalid JSON member: Standing[0].car (a car of the \"Car\" member expected)"},
      {race + ",\"Standing\":[{\"car\":\"A\",\"listInd\":20}],\"StandingLI\":0}",
       "invalid JSON member: Standing[0].listInd (node 0 to 19"},
      {race + ",\"Standing\":[{\"car\":\"A\",\"lane\":2}],\"StandingLI\":0}",
       "invalid JSON member: Standing[0].lane (lane 0 or 1"},
      {race + ",\"Standing\":[{\"car\":\"C\"}],\"StandingLI\":0}",
       "invalid JSON member: Car.C.listInd (node 0 to 19 for a car in the running order"},
      {"{" + layers + ",\"Car\":{\"A\":{\"listInd\":20}}}",
       "invalid JSON member: Car.A.listInd (node -1 to 19"},
      {"{" + layers + ",\"Car\":{\"A\":{\"lane\":-2}}}",
       "invalid JSON member: Car.A.lane (lane -1 to 1"},
      {"{" + layers + ",\"Car\":{\"A\":{\"listInd\":3},\"B\":{\"listInd\":3}}," +
           "\"Standing\":[{\"car\":\"A\"},{\"car\":\"B\"}],\"StandingLI\":0}",
       "invalid JSON member: Car.B (a place of its own (node 3, lane 0) expected)"},
      {race + ",\"Standing\":[{\"car\":\"A\"},{\"car\":\"A\"}],\"StandingLI\":0}",
       "invalid JSON member: Standing[1].car (each car once"},
      // Numbers that would overflow where the race uses them: a lane offset
      // is a pixel of its cell, laps are what the set-up offers, and no
      // record number comes near a million.
      {"{" + layers + ",\"Track\":[{\"x\":[20,40],\"y\":[2147483647,40]}]}",
       "invalid JSON member: Track[0].y[0] (-1000000 to 1000000 expected)"},
      {"{" + layers + ",\"Track\":[{\"x\":[20,40],\"y\":[640,40]}]}",
       "invalid JSON member: Track[0].y[0] (lane offset 0 to 63 inside the cell expected)"},
      {"{" + layers + ",\"Track\":[{},{\"x\":[20,64],\"y\":[20,40]}]}",
       "invalid JSON member: Track[1].x[1] (lane offset 0 to 63"},
      {"{" + layers + ",\"Track\":[{\"x\":[-1,40],\"y\":[20,40]}]}",
       "invalid JSON member: Track[0].x[0] (lane offset 0 to 63"},
      {"{" + layers + ",\"Laps\":-2147483648}",
       "invalid JSON member: Laps (1 to 99 laps expected)"},
      {"{" + layers + ",\"Laps\":0}", "invalid JSON member: Laps (1 to 99 laps expected)"},
      {"{" + layers + ",\"Laps\":100}", "invalid JSON member: Laps (1 to 99 laps expected)"},
      {"{" + layers + ",\"Car\":{\"A\":{\"lap\":2147483647}}}",
       "invalid JSON member: Car.A.lap (-1000000 to 1000000 expected)"},
      {"{" + layers + ",\"Driver\":{\"A\":{\"points\":-1000001}}}",
       "invalid JSON member: Driver.A.points (-1000000 to 1000000"},
      {"{" + layers + ",\"Node\":[{\"x\":[0,1000001]}]}",
       "invalid JSON member: Node[0].x[1] (-1000000 to 1000000"},
  };
  // 257 columns of one cell each.
  std::string wide = "{\"Base\":[";
  for (int i = 0; i < 257; ++i) wide += i ? ",[1]" : "[1]";
  cases[8].json = wide + "],\"Middle\":[[1]],\"Top\":[[1]]}";
  for (const Case& c : cases) ExpectRefused(c.json, c.message);
}

// An object keeps its members in the order written and finds one by looking
// at each: more than a thousand (a million would take hours) are refused
// before parsing, as is nesting beyond 32 levels.
TEST_F(SaveLoadTest, ObjectsTooWideOrTooDeepAreRefusedBeforeParsing) {
  auto drivers = [](int count) {
    std::string members;
    for (int i = 0; i < count; ++i) members += (i ? ",\"D" : "\"D") + Decimal(i) + "\":{}";
    return "{" + RectLayers() + ",\"Driver\":{" + members + "}}";
  };
  Load(Write("Wide.json", drivers(1000)));
  EXPECT_EQ(Driver().size(), 1000u);
  ExpectRefused(drivers(1001), "could not load JSON file: ");
  // Colons inside strings are not members.
  std::string names(2000, ':');
  Load(Write("Colons.json", "{" + RectLayers() + ",\"DNF\":[\"" + names + "\"]}"));
  EXPECT_EQ(DNF().size(), 1u);
  const std::string deep = std::string(31, '[') + std::string(31, ']');  // 32 with the root
  Load(Write("Deep.json", "{" + RectLayers() + ",\"Extra\":" + deep + "}"));
  ExpectRefused("{" + RectLayers() + ",\"Extra\":[" + deep + "]}", "could not load JSON file: ");
}

// A terabyte "circuit" (sparse: it takes no disk) is refused before a byte of
// it is read, like an oversized text table.
TEST_F(SaveLoadTest, FilesTooLargeToBeCircuitsAreNotRead) {
  fs::path huge = Write("Huge.json", "{\"Base\":");
  std::error_code ec;
  fs::resize_file(huge, std::uintmax_t{1} << 40, ec);
  if (ec) GTEST_SKIP() << "no sparse files here: " << ec.message();
  try {
    Load(huge);
    ADD_FAILURE() << "loaded";
  } catch (const FatalError& e) {
    ExpectFatal(e.what(), "could not load JSON file: " + huge.string(), "SaveLoad in Load");
  }
  // A good circuit padded with spaces: loaded up to the limit, not beyond.
  std::string padded = "{" + RectLayers() + "}";
  padded.resize(kLargestDataFile, ' ');
  Load(Write("Padded.json", padded));
  EXPECT_EQ(Node().size(), 20u);
  ExpectRefused(padded + " ", "could not load JSON file: ");
  EXPECT_EQ(LoadText(dir / "Circuits" / "Padded.json").size(), kLargestDataFile + 2);  // CR LF
  EXPECT_THROW(LoadText(dir / "Circuits" / "bad.json"), FatalError);
  fs::remove(huge);
}

TEST_F(SaveLoadTest, CircuitWithOnlyItsLayersKeepsTheRestAndLoadsDrivers) {
  Options().laps = 7;
  Car()["Kept"] = CarRecord{};
  Track()[0].facing = "2 6";
  gDriverLoads = 0;
  SetLoadDriversHandler([] { ++gDriverLoads; });
  WriteBytes(dir / "Circuits" / "Ring SL.txt", "Ring,2,3\r\n");
  Load(Write("Ring.json", "{" + RectLayers() + "}"));
  EXPECT_EQ(gDriverLoads, 1);
  EXPECT_EQ(Car().count("Kept"), 1u);
  EXPECT_EQ(Options().laps, 7);
  EXPECT_EQ(Node().size(), 20u);
  EXPECT_EQ(Corner().size(), 2u);
  ASSERT_EQ(RaceNow().labels.size(), 1u);
  EXPECT_EQ(RaceNow().labels[0].x, 128);

  // With a driver table of its own nothing is read from the drivers file;
  // its nodes and corners are rebuilt, not taken.
  Load(Write(
      "Race.json",
      "{" + RectLayers() + ",\"Driver\":{},\"Node\":[{\"nodeX\":99}],\"Corner\":[{\"value\":5}]}"));
  EXPECT_EQ(gDriverLoads, 1);
  EXPECT_EQ(Node().size(), 20u);
  EXPECT_EQ(Node()[0].nodeX, 4);
  EXPECT_NE(Corner()[0].value, 5);
  EXPECT_TRUE(RaceNow().labels.empty());  // no "Race SL.txt"
}

TEST_F(SaveLoadTest, RaceInProgressComesBackByteForByte) {
  Load(Write("Ring.json", "{" + RectLayers() + "}"));
  const std::string names[4] = {"Zo\xeb", "Ctl\x1f", "\x80uro", "Spare"};
  for (int i = 0; i < 4; ++i) {
    CarRecord c;
    c.tile = i;
    c.gear1 = 4 + i;
    c.gearTop = 18;
    c.hb = 5;
    Car()[names[i]] = c;
    Driver()[names[i]] =
        DriverRecord{"Driver \"" + Decimal(i) + "\"\n", i, i + 1, 10 * i, i ? "1:23" : "0", i == 1};
  }
  const int places[3][2] = {{19, 0}, {19, 1}, {18, 0}};
  for (int i = 0; i < 3; ++i) {
    CarRecord& c = Car()[names[i]];
    c.listInd = places[i][0];
    c.lane = places[i][1];
    c.facing = Node()[c.listInd].facing;
    c.lap = 1;
    Node()[c.listInd].car[c.lane] = names[i];
    Standing().push_back(StandingRecord{names[i], 1, c.listInd, c.lane});
  }
  Car()[names[0]].turns = 3.25f;
  Car()[names[1]].turns = 1.0f / 3.0f;
  Car()[names[2]].turns = std::numeric_limits<float>::quiet_NaN();
  Car()[names[3]].turns = 12.0f;
  SelectStanding(1);
  OrderOfFinish() = {"Nobody"};
  DNF() = {names[3]};
  Options().laps = 5;
  Options().gridOn = 1;
  Options().autoMode = 1;
  Options().centerMode = 3;

  fs::path saved = dir / "Saved Race.json";
  Save(saved);
  const std::string first = ReadBytes(saved);
  EXPECT_EQ(first, SaveDocument());
  EXPECT_EQ(first.find('\n'), std::string::npos);
  EXPECT_EQ(first.find("\":\t"), std::string::npos);
  EXPECT_NE(first.find("\"Zo\xc3\xab\":{\"tile\":0,"), std::string::npos);  // UTF-8 in the file
  EXPECT_NE(first.find("\"Ctl\\u001f\""), std::string::npos);               // lower-case \u escapes
  EXPECT_NE(first.find("\"\xe2\x82\xacuro\""), std::string::npos);
  EXPECT_NE(first.find("\"turns\":3.25,"), std::string::npos);
  EXPECT_NE(first.find("\"turns\":0.3333333433,"), std::string::npos);
  EXPECT_NE(first.find("\"turns\":null,"), std::string::npos);
  EXPECT_NE(first.find("\"turns\":12,"), std::string::npos);
  EXPECT_NE(first.find("\"name\":\"Driver \\\"1\\\"\\n\""), std::string::npos);
  EXPECT_NE(first.find("\"StandingLI\":1,"), std::string::npos);
  EXPECT_EQ(first.rfind("{\"Base\":[[46,46,4,1,1,6,46,46],", 0), 0u);

  // A fresh program loads it and resumes: the cars of the running order go
  // back on the places their records name.
  ResetProgramState();
  ResetRaceData();
  SetProgramFolder(dir);
  LoadTrackTiles();
  Load(saved);
  for (const NodeRecord& n : Node()) EXPECT_TRUE(n.car[0].empty() && n.car[1].empty());
  EXPECT_EQ(RaceNow().currentStanding, 1);
  EXPECT_EQ(Car().at(names[0]).turns, 3.25f);
  EXPECT_TRUE(std::isnan(Car().at(names[2]).turns));
  EXPECT_EQ(Driver().at(names[1]).name, "Driver \"1\"\n");
  EXPECT_EQ(Options().laps, 5);
  EXPECT_EQ(Options().centerMode, 3);
  {
    KeepCurrent keep;
    for (const StandingRecord& s : Standing()) {
      SelectCar(s.car);
      Node()[CurrentCar().listInd].car[CurrentCar().lane] = s.car;
    }
  }
  Save(saved);
  EXPECT_EQ(ReadBytes(saved), first);
}

TEST_F(SaveLoadTest, SaveFailureIsFatal) {
  fs::path nowhere = dir / "no folder" / "race.json";
  try {
    Save(nowhere);
    FAIL();
  } catch (const FatalError& e) {
    ExpectFatal(e.what(), "could not save: " + nowhere.string() + ": the folder does not exist",
                "SaveLoad in Save");
  }
}

// "Save Race" over an earlier save that cannot be replaced: a full disk (a
// file-size limit, in a child, stands in for one) and a folder in the way of
// the temporary file. Each says why; the earlier save keeps every byte and
// nothing is left behind.
TEST_F(SaveLoadTest, ASaveThatCannotBeWrittenSaysWhyAndKeepsTheEarlierOne) {
  Load(Write("Ring.json", "{" + RectLayers() + "}"));
  const fs::path saved = dir / "Ring save.json";
  const std::string earlier = "{\"an earlier save\":1}";
  WriteBytes(saved, earlier);
  const size_t size = SaveDocument().size();
  ASSERT_GT(size, 64u);

  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);  // the write then fails with EFBIG, as on a full disk
    rlimit limit{static_cast<rlim_t>(size / 2), static_cast<rlim_t>(size / 2)};
    setrlimit(RLIMIT_FSIZE, &limit);
    std::string why;
    bool saved = TrySave(dir / "Ring save.json", why);
    _exit(!saved && why == "the disk is full" ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
  EXPECT_EQ(ReadBytes(saved), earlier);

  const fs::path inTheWay = saved.string() + ".tmp-" + std::to_string(getpid());
  fs::create_directory(inTheWay);
  std::string why;
  EXPECT_FALSE(TrySave(saved, why));
  EXPECT_EQ(why, "a folder of that name is in the way");
  EXPECT_EQ(ReadBytes(saved), earlier);
  fs::remove(inTheWay);

  std::vector<std::string> left;
  for (const auto& entry : fs::directory_iterator(dir))
    if (entry.path().filename().string().find(".tmp-") != std::string::npos)
      left.push_back(entry.path().filename().string());
  EXPECT_TRUE(left.empty()) << left.front();
  EXPECT_TRUE(TrySave(saved, why)) << why;
  EXPECT_EQ(ReadBytes(saved).size(), size);
}

TEST_F(SaveLoadTest, EmptyRunningOrderSavesAndLoads) {
  Load(Write("Ring.json", "{" + RectLayers() + "}"));
  fs::path saved = dir / "Empty.json";
  Save(saved);
  EXPECT_NE(ReadBytes(saved).find("\"Standing\":[],\"StandingLI\":-1,"), std::string::npos);
  Load(saved);
  EXPECT_EQ(RaceNow().currentStanding, -1);
}

// Every record reads what its object holds: a missing member reads 0 or
// empty (not the record's own starting value), an unknown one is ignored.
TEST_F(SaveLoadTest, MissingMembersReadZeroAndUnknownOnesAreIgnored) {
  Load(Write("Partial.json",
             "{" + RectLayers() +
                 ",\"Car\":{\"A\":{\"gear\":3,\"finished\":1,\"wings\":2}},"
                 "\"Track\":[{\"facing\":\"2 6\"},{\"y\":[4,5]}],\"Driver\":{\"A\":{\"skill\":4}},"
                 "\"Standing\":[],\"StandingLI\":-1}"));
  const CarRecord& a = Car().at("A");
  EXPECT_EQ(a.gear, 3);
  EXPECT_EQ(a.finished, 1);
  EXPECT_EQ(a.listInd, 0);
  EXPECT_EQ(a.lane, 0);
  EXPECT_EQ(a.facing, 0);
  EXPECT_EQ(a.turns, 0.0f);
  ASSERT_EQ(Track().size(), 2u);
  EXPECT_EQ(Track()[0].facing, "2 6");
  EXPECT_EQ(Track()[0].x[1], 0);
  EXPECT_EQ(Track()[1].y[1], 5);
  EXPECT_EQ(Track()[1].facing, "");
  EXPECT_EQ(Driver().at("A").skill, 4);
  EXPECT_EQ(Driver().at("A").name, "");
  EXPECT_NE(
      SaveDocument().find("\"A\":{\"tile\":0,\"listInd\":0,\"lane\":0,\"facing\":0,\"gear\":3,"),
      std::string::npos);
}
