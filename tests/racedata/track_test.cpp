// Node building: routing, tile fits, side turns, markers, penalties and the
// circuits the builder refuses.
#include <algorithm>
#include <set>

#include "../support/test_support.h"
#include "race/analyze.h"
#include "race/data_file.h"
#include "race/save_load.h"
#include "racedata_support.h"

namespace {
// The two ends of each bend and straight (sides 0 2 4 6, corners 1 3 5 7),
// from the drawings of the tiles; routing must agree with them.
const int kEnds[12][2] = {{6, 2}, {0, 4}, {1, 5}, {7, 3}, {4, 1}, {4, 7},
                          {0, 3}, {0, 5}, {6, 3}, {6, 1}, {2, 5}, {2, 7}};

int Nodes() {
  return static_cast<int>(Node().size());
}
}  // namespace

TEST(Routing, EveryTrackTileLeavesByItsOtherEnd) {
  for (int tile = 0; tile < 12; ++tile)
    for (int d = 0; d < 8; ++d) {
      int back = (d + 4) % 8;  // the end the path comes in by
      int expected = back == kEnds[tile][0]   ? kEnds[tile][1]
                     : back == kEnds[tile][1] ? kEnds[tile][0]
                                              : 0;
      EXPECT_EQ(NextDirection(d, tile), expected) << "tile " << tile << " entered " << d;
      // The second west-east straight is the crossing: north and south go straight on.
      int crossing = tile == 0 && (d == 0 || d == 4) ? d : expected;
      EXPECT_EQ(NextDirection(d, tile + 16), crossing) << "tile " << tile + 16 << " entered " << d;
    }
}

TEST(Routing, StartTilesAndTheirQuirks) {
  EXPECT_EQ(NextDirection(6, 32), 6);
  EXPECT_EQ(NextDirection(0, 33), 0);
  EXPECT_EQ(NextDirection(2, 34), 2);
  EXPECT_EQ(NextDirection(4, 35), 4);
  EXPECT_EQ(NextDirection(3, 36), 4);  // entering 36 or 39 south-east gives south
  EXPECT_EQ(NextDirection(3, 39), 4);
  EXPECT_EQ(NextDirection(4, 39), 4);
  EXPECT_EQ(NextDirection(2, 32), 0);  // not listed: north
  EXPECT_EQ(NextDirection(2, 12), 0);
  EXPECT_EQ(NextDirection(9, 0), 0);
}

TEST(Routing, StepCellFollowsTheCompass) {
  const int dx[8] = {0, 1, 1, 1, 0, -1, -1, -1}, dy[8] = {-1, -1, 0, 1, 1, 1, 0, -1};
  for (int d = 0; d < 8; ++d) {
    Cell c = StepCell(d, 5, 5);
    EXPECT_EQ(c.x, 5 + dx[d]);
    EXPECT_EQ(c.y, 5 + dy[d]);
  }
  Cell same = StepCell(8, 3, 4);
  EXPECT_EQ(same.x, 3);
  EXPECT_EQ(same.y, 4);
}

TEST_F(RaceDataTest, TilesCompatibleWantsDiagonalsAQuarterApart) {
  EXPECT_TRUE(TilesCompatible(2, 3));    // "1 5" against "3 7": 13
  EXPECT_FALSE(TilesCompatible(1, 0));   // "0 4" against "2 6"
  EXPECT_FALSE(TilesCompatible(2, 2));   // "1 5" against itself: 15, 51 only
  EXPECT_TRUE(TilesCompatible(12, 6));   // side-turn "1 3" with "0 3": 13 from a1 b2
  EXPECT_TRUE(TilesCompatible(14, 5));   // "5 7" with "4 7": 57
  EXPECT_FALSE(TilesCompatible(0, 12));  // a straight has no diagonal
  // A tile with no facing matches any tile whose digit ends a pair.
  EXPECT_TRUE(TilesCompatible(46, 3));
  EXPECT_FALSE(TilesCompatible(46, 0));
  EXPECT_TRUE(TilesCompatible(-1, 3));  // beyond the table: a blank row, no stray read
}

TEST_F(RaceDataTest, TurnTowardTakesTheNearestOwnDirection) {
  EXPECT_EQ(TurnToward(6, 0), 0);  // "0 3": the direction itself
  EXPECT_EQ(TurnToward(3, 0), 7);  // "3 7": second field, cyclic 45 degrees
  EXPECT_EQ(TurnToward(4, 2), 1);  // "1 4": first field
  EXPECT_EQ(TurnToward(1, 7), 0);  // "0 4": |7 - 0| = 7
  EXPECT_TRUE(MessageBoxes().empty());
  EXPECT_EQ(TurnToward(8, 0), 0);  // "3 6" is nowhere near north
  ASSERT_EQ(MessageBoxes().size(), 1u);
  EXPECT_EQ(MessageBoxes()[0], "invalid tile combination using 8 in direction 0");
}

TEST_F(RaceDataTest, ResolveSideTileTurnsLeftFirstThenRight) {
  // Heading east at (1, 1) with a side-turn tile ahead.
  SetLayers({{46, 6, 46}, {0, 0, 12}, {46, 4, 46}});
  SideTurn left = ResolveSideTile(2, 12, 1, 1);
  EXPECT_EQ(left.x, 1);
  EXPECT_EQ(left.y, 0);
  EXPECT_EQ(left.tile, 6);
  EXPECT_EQ(left.d, 0);

  Base()(1, 0) = 46;  // nothing to the left: the right-hand cell
  SideTurn right = ResolveSideTile(2, 12, 1, 1);
  EXPECT_EQ(right.x, 1);
  EXPECT_EQ(right.y, 2);
  EXPECT_EQ(right.tile, 4);
  EXPECT_EQ(right.d, 4);
  EXPECT_TRUE(MessageBoxes().empty());

  Base()(1, 2) = 0;  // a straight does not take a side turn
  SideTurn none = ResolveSideTile(2, 12, 1, 1);
  EXPECT_EQ(none.x, 2);
  EXPECT_EQ(none.y, 1);
  EXPECT_EQ(none.tile, 12);
  EXPECT_EQ(none.d, 2);
  ASSERT_EQ(MessageBoxes().size(), 1u);
  EXPECT_EQ(MessageBoxes()[0], "invalid tile combination @ 1, 1");
}

TEST_F(RaceDataTest, ResolveSideTileAtTheGridEdgeReadsNothingOutside) {
  SetLayers({{0, 12}});  // candidates above and below are off the grid
  SideTurn none = ResolveSideTile(2, 12, 0, 0);
  EXPECT_EQ(none.x, 1);
  EXPECT_EQ(MessageBoxes().size(), 1u);
}

TEST_F(RaceDataTest, OvalStartsEastOfTheStartTileAndEndsOnIt) {
  SetLayers(kRectBase, kRectMiddle, kRectTop);
  BuildTrack();
  ASSERT_EQ(Nodes(), 20);
  EXPECT_EQ(Node().front().nodeX, 4);
  EXPECT_EQ(Node().front().nodeY, 1);
  EXPECT_EQ(Node().back().nodeX, 3);
  EXPECT_EQ(Node().back().nodeY, 1);
  EXPECT_EQ(Node().back().facing, 2);
  // Lane offsets come from the tile's row.
  EXPECT_EQ(Node()[2].x[0], 8);
  EXPECT_EQ(Node()[2].y[1], 29);
  // Facings follow the routing: east, then down the right side, west, up.
  EXPECT_EQ(Node()[2].facing, 3);
  EXPECT_EQ(Node()[4].facing, 4);
  EXPECT_EQ(Node()[10].facing, 6);
  EXPECT_EQ(Node()[14].facing, 0);
  for (const NodeRecord& n : Node()) EXPECT_TRUE(n.car[0].empty() && n.car[1].empty());
}

TEST_F(RaceDataTest, CornerMarkersShareOneToggle) {
  SetLayers(kRectBase, kRectMiddle, kRectTop);
  BuildTrack();
  // 41 at node 2 opens a sharp corner; the 40 at node 8 closes it.
  for (int i = 0; i < Nodes(); ++i) {
    int expected = i >= 2 && i < 8 ? 1 : i >= 12 && i < 18 ? 2 : 0;
    EXPECT_EQ(Node()[i].corner, expected) << "node " << i;
    EXPECT_EQ(Node()[i].lastCornerNode, i == 8 || i == 18 ? 1 : 0) << "node " << i;
  }
  EXPECT_EQ(RaceNow().inCornerMark, 0);
  EXPECT_EQ(RaceNow().cornerMarkType, 0);
}

TEST_F(RaceDataTest, MarkerStateCarriesOverToTheNextBuild) {
  SetLayers(kRectBase, {}, kRectTop);
  Top()(2, 1) = -1;  // the hairpin never closes
  EXPECT_THROW(BuildTrack(), FatalError);
  EXPECT_EQ(RaceNow().inCornerMark, 1);
  EXPECT_EQ(RaceNow().cornerMarkType, 2);
  // The next build starts inside that corner: the first marker now closes.
  SetLayers(kRectBase, {}, kRectTop);
  try {
    BuildTrack();
    FAIL() << "node 0 is inside the carried-over corner";
  } catch (const FatalError& e) {
    ExpectFatal(e.what(), "node 0 (cell 4, 1) is inside a corner", "Analyze in BuildTrack");
  }
}

TEST_F(RaceDataTest, PenaltiesByMarkerAndTile) {
  SetLayers(kRectBase, kRectMiddle, kRectTop);
  auto penaltyWith = [](int marker, int tile) {
    Middle()(6, 1) = marker;
    Base()(6, 1) = tile;
    AddNode(6, 1, tile);
    return Node().back().penalty;
  };
  EXPECT_EQ(penaltyWith(42, 4), 0);  // no entry for this pair: stays 0
  EXPECT_EQ(penaltyWith(0, 4), -1);  // not a marker: no lane
  EXPECT_EQ(penaltyWith(-1, 8), -1);
  EXPECT_EQ(penaltyWith(42, 6), 1);
  EXPECT_EQ(penaltyWith(42, 7), 0);
  EXPECT_EQ(penaltyWith(43, 10), 1);
  EXPECT_EQ(penaltyWith(43, 27), 0);
  EXPECT_EQ(penaltyWith(44, 4), 1);
  EXPECT_EQ(penaltyWith(44, 9), 1);
  EXPECT_EQ(penaltyWith(45, 21), 1);
  EXPECT_EQ(penaltyWith(45, 26), 0);
  EXPECT_EQ(penaltyWith(45, 0), 0);
}

TEST_F(RaceDataTest, SideTurnTileInACircuit) {
  // Heading east along the top, the side-turn tile 12 at (7, 1) sends the
  // path into the bend below (6, 2), which turns it south.
  SetLayers({{46, 46, 46, 46, 46, 46, 46, 46, 46},
             {46, 10, 0, 34, 0, 0, 0, 12, 46},
             {4, 46, 46, 46, 46, 46, 4, 46, 46},
             {1, 46, 46, 46, 46, 46, 1, 46, 46},
             {1, 46, 46, 46, 46, 46, 1, 46, 46},
             {6, 46, 46, 46, 46, 46, 7, 46, 46},
             {46, 11, 0, 0, 0, 9, 46, 46, 46}},
            {},
            {{-1, -1, -1, -1, -1, -1, -1, -1, -1},
             {-1, -1, 40, -1, -1, -1, -1, -1, -1},
             {40, -1, -1, -1, -1, -1, 41, -1, -1},
             {-1, -1, -1, -1, -1, -1, 41, -1, -1},
             {41, -1, -1, -1, -1, -1, -1, -1, -1},
             {-1, -1, -1, -1, -1, -1, 40, -1, -1},
             {-1, 41, -1, -1, 40, -1, -1, -1, -1}});
  BuildTrack();
  EXPECT_TRUE(MessageBoxes().empty());
  ASSERT_EQ(Nodes(), 19);
  EXPECT_EQ(Node()[2].nodeX, 6);
  EXPECT_EQ(Node()[2].facing, 2);
  EXPECT_EQ(Node()[3].nodeX, 6);  // the side-turn tile itself is no node
  EXPECT_EQ(Node()[3].nodeY, 2);
  EXPECT_EQ(Node()[3].facing, 4);
  EXPECT_EQ(Node()[3].corner, 1);
  EXPECT_EQ(Node()[3].x[0], 4);  // the lane offsets of the bend
  EXPECT_EQ(Node()[4].nodeY, 3);
  EXPECT_TRUE(PiecesOffPath().empty()) << "the side-turn tile is read, though no node";

  // Without the bend below there is no way on: a message, then the path
  // runs straight on into the side-turn tile's cell and off the grid.
  Base()(6, 2) = 46;
  EXPECT_THROW(BuildTrack(), FatalError);
  ASSERT_FALSE(MessageBoxes().empty());
  EXPECT_EQ(MessageBoxes()[0], "invalid tile combination @ 6, 1");
}

TEST_F(RaceDataTest, CircuitsThatCannotBeRacedAreRefused) {
  struct Case {
    const char* what;
    void (*edit)();
    const char* message;
  } cases[] = {
      {"no start tile", [] { Base()(3, 1) = 0; }, "circuit has no start tile (32 to 39)"},
      {"path off the grid",
       [] {
         Base()(0, 2) = 46;
         Base()(0, 3) = 46;
         Base()(1, 6) = 0;
         Base()(0, 6) = 0;
       },
       "track leaves the grid after cell 0, 6 (node 13)"},
      {"path into itself",
       [] {  // up the left side, then east along row 2 into the right side
         Base()(0, 3) = 4;
         Base()(1, 2) = 10;
         for (int x = 2; x <= 6; ++x) Base()(x, 2) = 0;
       },
       "track runs into itself at cell 7, 2 (as node 22) without returning to its start tile"},
      {"no corner", [] { Top().Resize(Top().cols, Top().rows, -1); },
       "circuit has no corner (markers 40 or 41 on the Top layer)"},
      {"node 0 in a corner",
       [] {
         Top()(4, 1) = 41;
         Top()(6, 1) = 41;
       },
       "node 0 (cell 4, 1) is inside a corner"},
      {"corner open at the end",
       [] {
         Top()(2, 1) = -1;
         Top()(3, 1) = -1;
       },
       "corner still open at the last node 19 (cell 3, 1)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ResetRaceData();
    LoadTrackTiles();
    SetLayers(kRectBase, kRectMiddle, kRectTop);
    c.edit();
    try {
      BuildTrack();
      ADD_FAILURE() << "built";
    } catch (const FatalError& e) {
      ExpectFatal(e.what(), c.message, "Analyze in BuildTrack");
    }
  }
}

// The shipped figure-eight, node for node: the main straight runs west-east
// through the crossing at 7, 6 and the back of the circuit comes down across
// it, where the cars stand in the lanes of a north-south straight.
TEST_F(RaceDataTest, FigureEightCrossesItselfAndClosesAtItsStartTile) {
  Load(testing_support::SourceDir() / "game" / "Circuits" / "Crossways Eight.json");
  const std::vector<std::pair<int, int>> path = {
      {9, 6}, {10, 6}, {11, 5}, {11, 4}, {11, 3}, {11, 2}, {10, 1}, {9, 1}, {8, 1}, {7, 2}, {7, 3},
      {7, 4}, {7, 5},  {7, 6},  {7, 7},  {7, 8},  {6, 9},  {5, 9},  {4, 9}, {3, 9}, {2, 9}, {1, 9},
      {0, 8}, {0, 7},  {1, 6},  {2, 6},  {3, 6},  {4, 6},  {5, 6},  {6, 6}, {7, 6}, {8, 6}};
  ASSERT_EQ(Nodes(), static_cast<int>(path.size()));
  for (int i = 0; i < Nodes(); ++i) {
    EXPECT_EQ(Node()[i].nodeX, path[i].first) << "node " << i;
    EXPECT_EQ(Node()[i].nodeY, path[i].second) << "node " << i;
  }
  EXPECT_EQ(Base()(7, 6), kCrossingTile);
  const NodeRecord& across = Node()[30];
  const NodeRecord& down = Node()[13];
  EXPECT_EQ(across.facing, 2);
  EXPECT_EQ(down.facing, 4);
  for (int lane = 0; lane < 2; ++lane) {
    EXPECT_EQ(across.x[lane], Track()[0].x[lane]);
    EXPECT_EQ(across.y[lane], Track()[0].y[lane]);
    EXPECT_EQ(down.x[lane], Track()[1].x[lane]);
    EXPECT_EQ(down.y[lane], Track()[1].y[lane]);
  }
  EXPECT_EQ(across.corner, 0);
  EXPECT_EQ(down.corner, 0);
  EXPECT_EQ(Node().back().nodeX, 8);  // the start tile closes the lap
}

TEST_F(RaceDataTest, TileTableRowsOutsideTheTableAreRefused) {
  // A tile number beyond the table, and lane centres outside their cell (a
  // car drawn there would be off its tile, and near the int limit its
  // screen position would overflow).
  const std::filesystem::path table = dir / "Data" / "Race Track Data.csv";
  for (auto [text, message] : std::initializer_list<std::pair<const char*, const char*>>{
           {"0,2 6,1,2,3,4\r\n88,1 5,0,0,0,0\r\n", "tile number outside 0 to 87"},
           {"0,2 6,1,2,3,4\r\n3,1 5,2147483647,0,0,0\r\n",
            "lane offset x[0] outside 0 to 63 in {table}: 3,1 5,2147483647,0,0,0"},
           {"3,1 5,1,2,3,64\r\n", "lane offset y[1] outside 0 to 63"},
           {"3,1 5,1,-1,3,6\r\n", "lane offset y[0] outside 0 to 63"},
       }) {
    testing_support::WriteBytes(table, text);
    std::string expected = message;
    if (size_t at = expected.find("{table}"); at != std::string::npos)
      expected.replace(at, 7, table.string());
    try {
      LoadTrackTiles();
      ADD_FAILURE() << text;
    } catch (const FatalError& e) {
      EXPECT_NE(std::string(e.what()).find(expected), std::string::npos) << e.what();
    }
  }
  testing_support::WriteBytes(dir / "Data" / "Race Track Data.csv",
                              "; only one row\r\n5,4 7,1,2,3,4\r\n");
  LoadTrackTiles();
  ASSERT_EQ(Track().size(), 88u);
  EXPECT_EQ(Track()[5].facing, "4 7");
  EXPECT_EQ(Track()[5].y[1], 4);
  EXPECT_EQ(Track()[0].facing, "");
  EXPECT_EQ(Track()[0].x[0], 0);
}

TEST_F(RaceDataTest, LabelFile) {
  RaceNow().labels.push_back({"old", 1, 2, 3});
  LoadCircuitLabels(dir / "Circuits" / "missing SL.txt");
  EXPECT_TRUE(RaceNow().labels.empty());

  Base().Resize(11, 4);
  testing_support::WriteBytes(dir / "Circuits" / "Ring SL.txt",
                              "; corner names\r\nThe Bend ,3,2\r\n\r\nPits, 10 ,x\r\n");
  LoadCircuitLabels(dir / "Circuits" / "Ring SL.txt");
  ASSERT_EQ(RaceNow().labels.size(), 2u);
  EXPECT_EQ(RaceNow().labels[0].text, "The Bend ");
  EXPECT_EQ(RaceNow().labels[0].colour, 0x040404);
  EXPECT_EQ(RaceNow().labels[0].x, 192);
  EXPECT_EQ(RaceNow().labels[0].y, 128);
  EXPECT_EQ(RaceNow().labels[1].x, 640);
  EXPECT_EQ(RaceNow().labels[1].y, 0);

  // A label stands on a cell of the circuit; one that names no cell (kept
  // from a larger circuit, or a column whose pixels would pass what an int
  // holds) is left out and kept for the circuit tool to report.
  const char* far =
      "Far,11,0\r\nFar,0,4\r\nFar,-1,0\r\nNear,10,3\r\nFar,33554432,1\r\n"
      "Far,1,-2147483648\r\n";
  testing_support::WriteBytes(dir / "Circuits" / "Far SL.txt", far);
  LoadCircuitLabels(dir / "Circuits" / "Far SL.txt");
  ASSERT_EQ(RaceNow().labels.size(), 1u);
  EXPECT_EQ(RaceNow().labels[0].text, "Near");
  EXPECT_EQ(RaceNow().labels[0].x, 640);
  EXPECT_EQ(RaceNow().labelsLeftOut, (std::vector<std::string>{"Far,11,0", "Far,0,4", "Far,-1,0",
                                                       "Far,33554432,1", "Far,1,-2147483648"}));

  // Only the first thousand lines are read: each label is drawn every frame.
  std::string many;
  for (int i = 0; i < kMostLabels + 5; ++i) many += i % 2 ? "Far,99,0\r\n" : "Near,1,1\r\n";
  testing_support::WriteBytes(dir / "Circuits" / "Many SL.txt", many);
  LoadCircuitLabels(dir / "Circuits" / "Many SL.txt");
  EXPECT_EQ(RaceNow().labels.size(), kMostLabels / 2u);
  EXPECT_EQ(RaceNow().labelsLeftOut.size(), kMostLabels / 2u);
  EXPECT_EQ(RaceNow().labelsBeyondLimit, 5);
  LoadCircuitLabels(dir / "Circuits" / "missing SL.txt");
  EXPECT_TRUE(RaceNow().labelsLeftOut.empty());
  EXPECT_EQ(RaceNow().labelsBeyondLimit, 0);
}

TEST(ShippedTileTable, FacingsAgreeWithTheRoutingAndLanesSitSideBySide) {
  ResetProgramState();
  ResetRaceData();
  SetProgramFolder(testing_support::SourceDir() / "game");
  LoadTrackTiles();
  auto digits = [](const std::string& facing) {
    EXPECT_EQ(facing.size(), 3u) << facing;
    EXPECT_EQ(facing[1], ' ') << facing;
    return std::set<int>{facing[0] - '0', facing[2] - '0'};
  };
  for (int t = 0; t < 40; ++t) {
    SCOPED_TRACE("tile " + Decimal(t));
    const TrackRecord& row = Track()[t];
    std::set<int> facing = digits(row.facing);
    int base = t >= 16 && t < 32 ? t - 16 : t >= 36 ? t - 4 : t;
    if (base < 12) {  // the tile's own directions of travel
      std::set<int> exits = {kEnds[base][0], kEnds[base][1]};
      EXPECT_EQ(facing, exits);
    } else if (base < 16) {  // side-turn tiles: two diagonals a quarter apart
      int a = *facing.begin(), b = *facing.rbegin();
      EXPECT_TRUE(a % 2 == 1 && b % 2 == 1 && (b - a == 2 || b - a == 6));
      continue;
    }
    for (int lane = 0; lane < 2; ++lane) {
      EXPECT_TRUE(row.x[lane] >= 0 && row.x[lane] < 64);
      EXPECT_TRUE(row.y[lane] >= 0 && row.y[lane] < 64);
    }
    int dx = row.x[1] - row.x[0], dy = row.y[1] - row.y[0];
    EXPECT_GE(dx * dx + dy * dy, 16 * 16) << "two cars side by side";
  }
}
