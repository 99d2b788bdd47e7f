// velotrax-tool: every shipped circuit passes "check"; make-circuit turns a
// source into a circuit; broken files exit 1 with the reason on stderr.
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "../support/test_support.h"
#include "race/analyze.h"
#include "race/data_file.h"
#include "race/save_load.h"
#include "racedata_support.h"

namespace fs = std::filesystem;

namespace {
using testing_support::Quoted;
using testing_support::ToolRun;

ToolRun Tool(const std::string& args) {
  return testing_support::RunTool(args);
}

using testing_support::ShippedCircuits;
}  // namespace

TEST(Tool, EveryShippedCircuitPassesCheck) {
  std::vector<fs::path> circuits = ShippedCircuits();
  ASSERT_GE(circuits.size(), 5u);
  bool fitsSmallScreen = false, scrollsBothWays = false, longDiagonal = false, sideTurns = false;
  for (const fs::path& file : circuits) {
    SCOPED_TRACE(file.filename().string());
    ToolRun run = Tool("check " + Quoted(file.string()) + " --game-dir " +
                       Quoted(testing_support::BuildGameDir().string()));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "") << "not even a warning: a full grid starts clear of the corners";
    ASSERT_FALSE(run.out.empty());
    EXPECT_EQ(run.out.find('\n'), run.out.size() - 1) << "one line";

    // The same as the game makes of it.
    ResetProgramState();
    ResetRaceData();
    SetProgramFolder(testing_support::BuildGameDir());
    Load(file);
    EXPECT_EQ(run.out, TrackDocument() + "\n");
    EXPECT_TRUE(fs::exists(file.parent_path() / (file.stem().string() + " SL.txt")));

    bool hairpin = false, sharp = false, penalty = false;
    for (const CornerRecord& c : Corner()) (c.type == 2 ? hairpin : sharp) = true;
    int run3 = 0, longest = 0;
    for (size_t i = 0; i < Node().size(); ++i) {
      const NodeRecord& a = Node()[i];
      const NodeRecord& b = Node()[(i + 1) % Node().size()];
      if (a.penalty >= 0) penalty = true;
      run3 = IsDiagonalStep(a.nodeX, a.nodeY, b.nodeX, b.nodeY) ? run3 + 1 : 0;
      longest = std::max(longest, run3);
    }
    EXPECT_TRUE(hairpin && sharp && penalty);
    for (int v : Base().cells) sideTurns |= (v >= 12 && v <= 15) || (v >= 28 && v <= 31);
    fitsSmallScreen |= Base().cols * 64 <= 1024 - 256 && Base().rows * 64 <= 768;
    scrollsBothWays |= Base().cols * 64 - 1 > 1920 - 256 && Base().rows * 64 - 1 > 1080;
    longDiagonal |= longest >= 8;
  }
  EXPECT_TRUE(fitsSmallScreen);
  EXPECT_TRUE(scrollsBothWays);
  EXPECT_TRUE(longDiagonal);
  EXPECT_TRUE(sideTurns);
}

TEST_F(RaceDataTest, CheckNamesWhatIsWrong) {
  testing_support::WriteBytes(dir / "Circuits" / "Flat.json",
                              "{\"Base\":[[1,1]],\"Middle\":[[-1,-1]],\"Top\":[[-1,-1]]}");
  ToolRun run = Tool("check " + Quoted((dir / "Circuits" / "Flat.json").string()) + " --game-dir " +
                     Quoted(dir.string()));
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err.rfind("circuit has no start tile (32 to 39)\r\nAnalyze in BuildTrack @ ", 0),
            0u)
      << run.err;

  testing_support::WriteBytes(dir / "Circuits" / "Ragged.json",
                              "{\"Base\":[[1,1],[1]],\"Middle\":[[1]],\"Top\":[[1]]}");
  run = Tool("check " + Quoted((dir / "Circuits" / "Ragged.json").string()) + " --game-dir " +
             Quoted(dir.string()));
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("invalid JSON member: Base[1]"), std::string::npos) << run.err;

  // Two start tiles are refused, naming both; a straight in the grass and
  // a corner marker off the path are raced but warned about.
  nlohmann::json park = nlohmann::json::parse(testing_support::ReadBytes(
      testing_support::SourceDir() / "game" / "Circuits" / "Puddleford Park.json"));
  park["Base"][6][4] = 0;
  park["Top"][4][4] = 41;
  testing_support::WriteBytes(dir / "Circuits" / "Stray.json", park.dump());
  run = Tool("check " + Quoted((dir / "Circuits" / "Stray.json").string()) + " --game-dir " +
             Quoted(dir.string()));
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find("warning: a track tile off the racing path, never driven: cell 6, 4\n"),
            std::string::npos)
      << run.err;
  EXPECT_NE(run.err.find("warning: a corner marker off the racing path, never driven: cell 4, 4\n"),
            std::string::npos)
      << run.err;
  park["Base"][11][5] = 33;
  testing_support::WriteBytes(dir / "Circuits" / "Two Starts.json", park.dump());
  run = Tool("check " + Quoted((dir / "Circuits" / "Two Starts.json").string()) + " --game-dir " +
             Quoted(dir.string()));
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err.rfind("circuit has 2 start tiles (32 to 39) and needs one: cell 8, 1 and cell "
                          "11, 5\r\nAnalyze in BuildTrack @ ",
                          0),
            0u)
      << run.err;

  // A file without its own tile table needs the game folder's.
  fs::remove(dir / "Data" / "Race Track Data.csv");
  run = Tool("check " + Quoted((dir / "Circuits" / "Flat.json").string()) + " --game-dir " +
             Quoted(dir.string()));
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err.rfind("could not find file: ", 0), 0u) << run.err;
}

TEST_F(RaceDataTest, MakeCircuitFromASource) {
  testing_support::WriteBytes(dir / "scenery.txt", "; grass\r\n.. = 46 grass\r\nTT = 48\r\n");
  const std::string source =
      "; a small ring\n"
      "[legend]\n"
      "~~ = 49 water\n"
      "[base]\n"
      "TT .. .. .. .. .. .. .. .. ~~\n"
      ".. E5 WE >> WE WE W3 .. .. ..\n"
      "S1 .. .. .. .. .. .. S7 .. ..\n"
      "NS .. .. .. .. .. .. NS .. ..\n"
      "NS .. .. .. .. .. .. NS' .. ..\n"
      "N3 .. .. .. .. .. .. N5 .. ..\n"
      ".. E7 WE WE WE WE W1 .. .. ..\n"
      "[middle]\n"
      ".. .. .. .. .. .. .. .. .. ..\n"
      ".. oo .. .. .. .. oo .. .. ..\n"
      "oo .. .. .. .. .. .. ii .. ..\n"
      ".. .. .. .. .. .. .. .. .. ..\n"
      ".. .. .. .. .. .. .. .. .. ..\n"
      "oo .. .. .. .. .. .. oo .. ..\n"
      ".. oo .. .. .. .. oo .. .. ..\n"
      "[top]\n"
      ".. .. .. .. .. .. .. .. .. ..\n"
      ".. .. SH .. .. .. SH .. .. ..\n"
      ".. .. .. .. .. .. .. .. .. ..\n"
      ".. .. .. .. .. .. .. .. .. ..\n"
      ".. .. .. .. .. .. .. .. .. ..\n"
      ".. .. .. .. .. .. .. .. .. ..\n"
      ".. HP .. .. .. HP .. .. .. ..\n"
      "[labels]\n"
      "Little Ring, 3, 3\n";
  testing_support::WriteBytes(dir / "Ring.txt", source);
  fs::path out = dir / "Circuits" / "Ring.json";
  ToolRun run =
      Tool("make-circuit " + Quoted((dir / "Ring.txt").string()) + " " + Quoted(out.string()) +
           " --game-dir " + Quoted(testing_support::BuildGameDir().string()));
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(testing_support::ReadBytes(dir / "Circuits" / "Ring SL.txt"), "Little Ring, 3, 3\r\n");

  nlohmann::json doc = nlohmann::json::parse(testing_support::ReadBytes(out));
  EXPECT_EQ(doc.size(), 4u);  // the layers and the tile table only
  EXPECT_EQ(doc["Base"][0][0], 48);
  EXPECT_EQ(doc["Base"][9][0], 49);
  EXPECT_EQ(doc["Base"][1][0], 46);
  EXPECT_EQ(doc["Base"][7][4], 17);  // the second image set of a straight
  EXPECT_EQ(doc["Top"][2][1], 41);
  EXPECT_EQ(doc["Track"].size(), 88u);

  ResetProgramState();
  ResetRaceData();
  SetProgramFolder(dir);
  Load(out);
  ASSERT_EQ(Node().size(), 20u);
  // Node 2 turns right from east to south-east: "oo" puts the penalty on
  // the lane that is higher in the cell, the outside of the bend.
  const NodeRecord& bend = Node()[2];
  ASSERT_GE(bend.penalty, 0);
  EXPECT_LT(bend.y[bend.penalty], bend.y[1 - bend.penalty]);
  // The next bend is the same turn marked "ii": the other lane.
  EXPECT_EQ(Node()[3].penalty, 1 - ((Node()[3].y[0] < Node()[3].y[1]) ? 0 : 1));

  testing_support::WriteBytes(dir / "Bad.txt", "[base]\n>> ?? WE\n");
  run = Tool("make-circuit " + Quoted((dir / "Bad.txt").string()) + " " +
             Quoted((dir / "Bad.json").string()) + " --game-dir " +
             Quoted(testing_support::BuildGameDir().string()));
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("Bad.txt:2: unknown code \"??\""), std::string::npos) << run.err;
  EXPECT_FALSE(fs::exists(dir / "Bad.json"));
}

// A lap of 20 nodes whose start tile comes right after a hairpin: a full
// field of 14 lines up back into it, and the two cars on the bend that
// leaves the hairpin diagonally sit on one another.
TEST_F(RaceDataTest, GridWarningsNameThePlacesInACorner) {
  const fs::path game = testing_support::BuildGameDir();
  fs::copy_file(game / "Data" / "Race Track Data.csv", dir / "Data" / "Race Track Data.csv",
                fs::copy_options::overwrite_existing);
  fs::copy_file(game / "Data" / "Car Data.csv", dir / "Data" / "Car Data.csv");
  testing_support::WriteBytes(dir / "Ring.txt",
                              "[legend]\n"
                              ".. = 46\n"
                              "[base]\n"
                              ".. .. .. .. .. .. .. ..\n"
                              ".. E5 WE >> WE WE W3 ..\n"
                              "S1 .. .. .. .. .. .. S7\n"
                              "NS .. .. .. .. .. .. NS\n"
                              "NS .. .. .. .. .. .. NS\n"
                              "N3 .. .. .. .. .. .. N5\n"
                              ".. E7 WE WE WE WE W1 ..\n"
                              "[top]\n"
                              ".. .. .. .. .. .. .. ..\n"
                              ".. .. SH .. .. .. SH ..\n"
                              ".. .. .. .. .. .. .. ..\n"
                              ".. .. .. .. .. .. .. ..\n"
                              ".. .. .. .. .. .. .. ..\n"
                              ".. .. .. .. .. .. .. ..\n"
                              ".. HP .. .. .. HP .. ..\n");
  const fs::path ring = dir / "Circuits" / "Ring.json";
  const std::string gameDir = " --game-dir " + Quoted(dir.string());
  const std::string expected =
      "warning: the grid for 14 cars reaches into a hairpin: places 5 to 14 from cell 1, 1 "
      "(node 17) back to cell 0, 5 (node 13)\n"
      "warning: cars at grid places 7 and 8 overlap on screen at cell 0, 2 (node 16)\n";
  ToolRun made = Tool("make-circuit " + Quoted((dir / "Ring.txt").string()) + " " +
                      Quoted(ring.string()) + gameDir);
  ASSERT_EQ(made.status, 0) << made.err;
  EXPECT_NE(made.out.find("20 nodes, 2 corners"), std::string::npos) << made.out;
  EXPECT_EQ(made.err, expected) << "warnings, not a failure";
  ASSERT_TRUE(fs::exists(ring));

  ToolRun checked = Tool("check " + Quoted(ring.string()) + gameDir);
  EXPECT_EQ(checked.status, 0);
  EXPECT_EQ(checked.err, expected);
  EXPECT_EQ(checked.out.find('\n'), checked.out.size() - 1) << "the circuit document as ever";

  // Four cars start on the two straight nodes before the line: all is well.
  std::string cars = testing_support::ReadBytes(dir / "Data" / "Car Data.csv");
  std::string four;
  int kept = 0;
  for (const std::string& line : SplitLines(CleanText(cars)))
    if (kept++ < 4) four += line + "\r\n";
  testing_support::WriteBytes(dir / "Data" / "Car Data.csv", four);
  checked = Tool("check " + Quoted(ring.string()) + gameDir);
  EXPECT_EQ(checked.status, 0);
  EXPECT_EQ(checked.err, "");

  // A label that names no cell of the circuit is not shown, and said so.
  testing_support::WriteBytes(dir / "Circuits" / "Ring SL.txt", "Ring,1,1\r\nFar,300,0\r\n");
  checked = Tool("check " + Quoted(ring.string()) + gameDir);
  EXPECT_EQ(checked.status, 0);
  EXPECT_EQ(checked.err.rfind("warning: label outside the circuit (columns 0 to ", 0), 0u)
      << checked.err;
  EXPECT_NE(checked.err.find("), not shown: Far,300,0\n"), std::string::npos) << checked.err;
  EXPECT_EQ(checked.err.find("Ring,1,1"), std::string::npos) << checked.err;
  std::string labels;
  for (int i = 0; i < kMostLabels + 2; ++i) labels += "Ring,1,1\r\n";
  testing_support::WriteBytes(dir / "Circuits" / "Ring SL.txt", labels);
  checked = Tool("check " + Quoted(ring.string()) + gameDir);
  EXPECT_EQ(checked.status, 0);
  EXPECT_EQ(checked.err, "warning: 2 label lines past the first 1000 not read\n");
  fs::remove(dir / "Circuits" / "Ring SL.txt");

  // Five cars: the fifth alone on the hairpin's last cell (the table saved
  // with LF line ends, as an editor may save it, reads the same).
  std::string five = four + "Fifth,4,7,10,13,16,19,6,3,2,2,1,4\r\n";
  std::string lfOnly = five;
  lfOnly.erase(std::remove(lfOnly.begin(), lfOnly.end(), '\r'), lfOnly.end());
  testing_support::WriteBytes(dir / "Data" / "Car Data.csv", lfOnly);
  checked = Tool("check " + Quoted(ring.string()) + gameDir);
  EXPECT_EQ(checked.err,
            "warning: the grid for 5 cars reaches into a hairpin: place 5 at cell 1, 1 (node "
            "17)\n");

  // More cars than the lap has places for.
  std::string many;
  for (int i = 0; i < 41; ++i) many += "Car " + Decimal(i) + ",4,7,10,13,16,19,6,3,2,2,1,0\r\n";
  testing_support::WriteBytes(dir / "Data" / "Car Data.csv", many);
  checked = Tool("check " + Quoted(ring.string()) + gameDir);
  EXPECT_EQ(checked.status, 0);
  EXPECT_EQ(checked.err.rfind("warning: the grid has places for 40 cars, the car table 41: the "
                              "last cars cannot start\n",
                              0),
            0u)
      << checked.err;

  // Without a car table the grid cannot be judged, and the tool says so.
  fs::remove(dir / "Data" / "Car Data.csv");
  checked = Tool("check " + Quoted(ring.string()) + gameDir);
  EXPECT_EQ(checked.status, 0);
  EXPECT_EQ(checked.err.rfind("warning: no car table at ", 0), 0u) << checked.err;
}
