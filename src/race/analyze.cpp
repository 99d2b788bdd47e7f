#include "race/analyze.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "common/common.h"
#include "race/data_file.h"
#include "race/define.h"
#include "platform/services.h"

namespace {
const char* kModule = "Analyze";

std::string CellText(int x, int y) {
  return Decimal(x) + ", " + Decimal(y);
}

// "cell 3, 1", "cell 3, 1 and cell 9, 1", ...: every cell named, each with
// its own "cell " so the editor can find the last. A hostile grid full of
// one piece would make a message no box can show, so a long list is cut.
std::string CellList(const std::vector<Cell>& cells) {
  constexpr size_t kMostNamed = 16;
  const size_t named = std::min(cells.size(), kMostNamed);
  std::string text;
  for (size_t i = 0; i < named; ++i) {
    if (i > 0) text += i + 1 == named && named == cells.size() ? " and " : ", ";
    text += "cell " + CellText(cells[i].x, cells[i].y);
  }
  if (named < cells.size()) text += " and " + Decimal(cells.size() - named) + " more";
  return text;
}

// The i-th blank-separated field (1-based) of a facing text, "" when missing.
std::string BlankField(const std::string& text, int i) {
  size_t start = 0;
  for (int k = 1; k < i; ++k) {
    size_t blank = text.find(' ', start);
    if (blank == std::string::npos) return "";
    start = blank + 1;
  }
  size_t end = text.find(' ', start);
  return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

// Routing: for each entering direction, the tiles that leave in each result
// direction (a tile listed nowhere leaves northward).
struct Route {
  int result;
  std::vector<int> tiles;
};
const std::vector<Route> kRoutes[8] = {
    {{0, {1, 17, 33, 37, kCrossingTile}}, {1, {4, 20}}, {7, {5, 21}}},
    {{0, {7, 23}}, {1, {2, 18}}, {2, {10, 26}}},
    {{1, {9, 25}}, {2, {0, 16, 34, 38}}, {3, {8, 24}}},
    {{2, {11, 27}}, {3, {3, 19}}, {4, {5, 21, 36, 39}}},
    {{3, {6, 22}}, {4, {1, 17, 35, 39, kCrossingTile}}, {5, {7, 23}}},
    {{4, {4, 20}}, {5, {2, 18}}, {6, {9, 25}}},
    {{5, {10, 26}}, {6, {0, 16, 32, 36}}, {7, {11, 27}}},
    {{0, {6, 22}}, {6, {8, 24}}, {7, {3, 19}}},
};

// Lane penalty by marker 42..45 (rows) and bend tile 4..11 (columns); -2
// marks "no entry" (the penalty stays 0).
const int kPenalty[4][8] = {
    {-2, -2, 1, 0, 1, 0, -2, -2},
    {-2, -2, 0, 1, -2, -2, 1, 0},
    {1, 0, -2, -2, 0, 1, -2, -2},
    {0, 1, -2, -2, -2, -2, 0, 1},
};

bool IsStartTile(int tile) {
  return tile >= 32 && tile <= 39;
}
bool IsPathTile(int tile) {
  return (tile >= 0 && tile <= 11) || (tile >= 16 && tile <= 27);
}
// Whether a tile takes the track entering it in direction d (one that does
// not sends it north, whatever lies there).
bool Joins(int d, int tile) {
  if (d < 0 || d > 7) return false;
  for (const Route& route : kRoutes[d])
    if (std::find(route.tiles.begin(), route.tiles.end(), tile) != route.tiles.end()) return true;
  return false;
}
const char* const kHeading[8] = {"north", "north-east", "east", "south-east",
                                 "south", "south-west", "west", "north-west"};

// A tile number with no row in the table (an empty cell, a short table read
// from a file) reads as a blank row: no facing, no offsets.
const TrackRecord& RowOf(int tile) {
  static const TrackRecord kBlank;
  if (tile < 0 || static_cast<size_t>(tile) >= Track().size()) return kBlank;
  return Track()[tile];
}

// Analysis walks move at most this many steps; more means a broken list.
void CheckSteps(long long& steps, const char* procedure) {
  if (++steps > 8LL * static_cast<long long>(Node().size()) + 16)
    Fatal("track analysis did not finish", kModule, procedure, __LINE__);
}
}  // namespace

void LoadTrackTilesFrom(const std::filesystem::path& file) {
  std::vector<TrackRecord> table(kTrackRows);
  std::string text = CleanText(LoadText(file));
  for (const std::string& line : SplitLines(text)) {
    int t = LenientInt(CommaField(line, 1));
    if (t < 0 || t >= kTrackRows)
      FATAL("tile number outside 0 to 87 in " + PlatPathText(file) + ": " + line, kModule,
            "LoadTrackTiles");
    TrackRecord& row = table[t];
    row.facing = CommaField(line, 2);
    row.x[0] = LenientInt(CommaField(line, 3));
    row.y[0] = LenientInt(CommaField(line, 4));
    row.x[1] = LenientInt(CommaField(line, 5));
    row.y[1] = LenientInt(CommaField(line, 6));
    std::string outside = LaneOffsetOutsideCell(row);
    if (!outside.empty())
      FATAL("lane offset " + outside + " outside 0 to " + Decimal(kTileSize - 1) + " in " +
                PlatPathText(file) + ": " + line,
            kModule, "LoadTrackTiles");
  }
  Track() = std::move(table);
}

void LoadTrackTiles() {
  LoadTrackTilesFrom(gProg.dataFolder / "Race Track Data.csv");
}

Cell StepCell(int d, int x, int y) {
  static const int kDx[8] = {0, 1, 1, 1, 0, -1, -1, -1};
  static const int kDy[8] = {-1, -1, 0, 1, 1, 1, 0, -1};
  if (d < 0 || d > 7) return Cell{x, y};
  return Cell{x + kDx[d], y + kDy[d]};
}

int NextDirection(int d, int tile) {
  if (d < 0 || d > 7) return 0;
  for (const Route& route : kRoutes[d])
    if (std::find(route.tiles.begin(), route.tiles.end(), tile) != route.tiles.end())
      return route.result;
  return 0;
}

void AddNode(int x, int y, int tile) {
  const TrackRecord& row = RowOf(tile);
  NodeRecord node;
  node.nodeX = x;
  node.nodeY = y;
  node.x[0] = row.x[0];
  node.x[1] = row.x[1];
  node.y[0] = row.y[0];
  node.y[1] = row.y[1];

  int marker = Top()(x, y);
  if (marker == 40 || marker == 41) {
    RaceNow().inCornerMark = 1 - RaceNow().inCornerMark;
    if (RaceNow().inCornerMark == 1) {
      RaceNow().cornerMarkType = marker == 40 ? 2 : 1;
    } else {
      RaceNow().cornerMarkType = 0;
      node.lastCornerNode = 1;
    }
  }
  node.corner = RaceNow().cornerMarkType;

  int lanes = Middle()(x, y);
  if (lanes >= 42 && lanes <= 45) {
    node.penalty = Max(LanePenalty(lanes, Base()(x, y)), 0);
  } else {
    node.penalty = -1;
  }
  Node().push_back(node);
  RaceNow().currentNode = static_cast<int>(Node().size()) - 1;
}

int LanePenalty(int marker, int tile) {
  int column = tile >= 4 && tile <= 11 ? tile - 4 : tile >= 20 && tile <= 27 ? tile - 20 : -1;
  if (marker < 42 || marker > 45 || column < 0) return -1;
  int lane = kPenalty[marker - 42][column];
  return lane >= 0 ? lane : -1;
}

bool TilesCompatible(int a, int b) {
  const std::string& fa = RowOf(a).facing;
  const std::string& fb = RowOf(b).facing;
  std::string a1 = BlankField(fa, 1), a2 = BlankField(fa, 2);
  std::string b1 = BlankField(fb, 1), b2 = BlankField(fb, 2);
  static const std::string kPairs = "13 31 17 71 35 53 57 75 ";
  const std::string* order[8][2] = {{&a1, &b1}, {&b1, &a1}, {&a2, &b1}, {&b1, &a2},
                                    {&a1, &b2}, {&b2, &a1}, {&a2, &b2}, {&b2, &a2}};
  for (auto& pq : order)
    if (kPairs.find(*pq[0] + *pq[1] + " ") != std::string::npos) return true;
  return false;
}

int TurnToward(int tile, int d) {
  const std::string& facing = RowOf(tile).facing;
  if (facing.find(Decimal(d)) != std::string::npos) return d;
  for (int i = 1; i <= 2; ++i) {
    int di = LenientInt(BlankField(facing, i));
    int gap = std::abs(d - di);
    if (gap == 1 || gap == 7) return di;
  }
  ShowMessageBox("invalid tile combination using " + Decimal(tile) + " in direction " + Decimal(d));
  return 0;
}

namespace {
// As ResolveSideTile; a failure names the cell (faultX, faultY).
SideTurn ResolveSideTileAt(int d, int tile, int x, int y, int faultX, int faultY) {
  int b = 0;
  if (tile >= 16 && tile <= 31)
    b = 16;
  else if (tile >= 37 && tile <= 39)
    b = 4;

  static const int kA[8][2] = {{-1, 0}, {0, -1}, {0, -1}, {1, 0}, {1, 0}, {0, 1}, {0, 1}, {-1, 0}};
  static const int kB[8][2] = {{1, 0}, {1, 0}, {0, 1}, {0, 1}, {-1, 0}, {-1, 0}, {0, -1}, {0, -1}};
  if (d >= 0 && d <= 7) {
    const int turns[2] = {6, 2};  // a quarter turn left for A, right for B
    const int(*side[2])[2] = {kA, kB};
    for (int k = 0; k < 2; ++k) {
      int cx = x + side[k][d][0], cy = y + side[k][d][1];
      int candidate = Base().Get(cx, cy, -1);  // off the grid never fits
      if (candidate >= b + 2 && candidate <= b + 11 && TilesCompatible(tile, candidate))
        return SideTurn{TurnToward(candidate, (d + turns[k]) % 8), candidate, cx, cy};
    }
  }
  ShowMessageBox("invalid tile combination @ " + CellText(faultX, faultY));
  Cell ahead = StepCell(d, x, y);
  return SideTurn{d, tile, ahead.x, ahead.y};
}
}  // namespace

SideTurn ResolveSideTile(int d, int tile, int x, int y) {
  return ResolveSideTileAt(d, tile, x, y, x, y);
}

void BuildTrack() {
  Node().clear();
  RaceNow().currentNode = -1;
  const Grid& base = Base();

  std::vector<Cell> starts;
  for (int x = 0; x < base.cols; ++x)
    for (int y = 0; y < base.rows; ++y)
      if (IsStartTile(base(x, y))) starts.push_back(Cell{x, y});
  if (starts.empty()) FATAL("circuit has no start tile (32 to 39)", kModule, "BuildTrack");
  // The path ends at the first start tile it meets: with two, cars would
  // jump from the second back to the first and count a lap twice.
  if (starts.size() > 1)
    FATAL("circuit has " + Decimal(starts.size()) +
              " start tiles (32 to 39) and needs one: " + CellList(starts),
          kModule, "BuildTrack");
  const int sx = starts.front().x, sy = starts.front().y;
  int start = base(sx, sy);
  int d = (start == 32 || start == 36)   ? 6
          : (start == 33 || start == 37) ? 0
          : (start == 34 || start == 38) ? 2
                                         : 4;

  // A path may cross itself (a figure-eight) at a crossing tile, passing it
  // once each way; leaving it a second time in the same direction is going
  // round for ever. Coming back to any other cell would enter a tile by an
  // end it does not have, so that is refused as it always was. Both bound
  // the node list by the grid's size.
  std::vector<char> visited(base.cells.size(), 0), left(base.cells.size() * 8, 0);
  // The direction the track entered the cell it is on and whether that
  // cell's tile takes it from there: a tile that does not is the fault, not
  // the cell its default northward exit leads to.
  int entered = d;
  bool joined = true;
  auto misfit = [&](int x, int y) {
    FATAL("tile " + Decimal(base(x, y)) + " at cell " + CellText(x, y) +
              " does not join the track entering it heading " + kHeading[entered & 7],
          kModule, "BuildTrack");
  };
  auto enter = [&](int x, int y, int fromX, int fromY) {
    if (!base.Inside(x, y) && !joined) misfit(fromX, fromY);
    if (!base.Inside(x, y))
      FATAL("track leaves the grid after cell " + CellText(fromX, fromY) +
                (Node().empty() ? std::string(" (the start tile)")
                                : " (node " + Decimal(Node().size() - 1) + ")"),
            kModule, "BuildTrack");
    if (visited[base.Index(x, y)] && base(x, y) != kCrossingTile)
      FATAL("track runs into itself at cell " + CellText(x, y) + " (as node " +
                Decimal(Node().size()) + ") without returning to its start tile",
            kModule, "BuildTrack");
    visited[base.Index(x, y)] = 1;
  };
  auto leave = [&](int x, int y, int dir) {
    char& seen = left[base.Index(x, y) * 8 + static_cast<size_t>(dir & 7)];
    if (seen)
      FATAL("track runs into itself at cell " + CellText(x, y) + " (as node " +
                Decimal(Node().size() - 1) + ") without returning to its start tile",
            kModule, "BuildTrack");
    seen = 1;
  };

  Cell c = StepCell(d, sx, sy);
  enter(c.x, c.y, sx, sy);
  int tile = base(c.x, c.y);
  AddNode(c.x, c.y, tile);
  entered = d;
  joined = Joins(d, tile);
  d = NextDirection(d, tile);
  CurrentNode().facing = d;
  leave(c.x, c.y, d);

  int x = c.x, y = c.y;
  for (bool done = false; !done;) {
    Cell next = StepCell(d, x, y);
    if (!base.Inside(next.x, next.y)) enter(next.x, next.y, x, y);
    tile = base(next.x, next.y);
    if (IsPathTile(tile) || IsStartTile(tile)) {
      done = IsStartTile(tile);
      if (!done || next.x != sx || next.y != sy) enter(next.x, next.y, x, y);
      // Through a crossing north or south, cars stand in the lanes of a
      // north-south straight.
      AddNode(next.x, next.y, tile == kCrossingTile && (d == 0 || d == 4) ? 1 : tile);
      entered = d;
      joined = Joins(d, tile);
      d = NextDirection(d, tile);
      CurrentNode().facing = d;
    } else {
      // Where the way on fails: a gap is the cell ahead; a side-turn tile
      // with no partner beside this cell, or a tile here that does not take
      // the track, is this cell.
      const bool gap = joined && !(tile >= 0 && tile <= 39);
      SideTurn turn = ResolveSideTileAt(d, tile, x, y, gap ? next.x : x, gap ? next.y : y);
      entered = d;
      joined = true;
      enter(turn.x, turn.y, x, y);
      next = Cell{turn.x, turn.y};
      d = turn.d;
      AddNode(next.x, next.y, turn.tile);
      CurrentNode().facing = d;
    }
    if (!done) leave(next.x, next.y, d);
    x = next.x;
    y = next.y;
  }

  // The analysis walks need a corner, node 0 outside it and every corner
  // closed before the start tile.
  const std::vector<NodeRecord>& nodes = Node();
  auto nodeText = [&](size_t i) {
    return "node " + Decimal(i) + " (cell " + CellText(nodes[i].nodeX, nodes[i].nodeY) + ")";
  };
  if (std::none_of(nodes.begin(), nodes.end(), [](const NodeRecord& n) { return n.corner != 0; }))
    FATAL("circuit has no corner (markers 40 or 41 on the Top layer)", kModule, "BuildTrack");
  if (nodes.front().corner != 0) FATAL(nodeText(0) + " is inside a corner", kModule, "BuildTrack");
  if (nodes.back().corner != 0) {
    // The fault is the marker that opened it, named last for the editor.
    size_t opened = nodes.size() - 1;
    while (opened > 0 && nodes[opened - 1].corner != 0) --opened;
    FATAL("corner still open at the last " + nodeText(nodes.size() - 1) + ": the marker of " +
              nodeText(opened) + " opens a corner no marker closes",
          kModule, "BuildTrack");
  }

  AnalyzeCorners();
}

std::vector<StrayPiece> PiecesOffPath() {
  std::vector<StrayPiece> pieces;
  const Grid& base = Base();
  if (Node().empty()) return pieces;
  // Markers are read on the cells that hold a node; a side-turn tile is
  // read too, from the cell before it, though it holds none.
  std::vector<char> node(base.cells.size(), 0), read(base.cells.size(), 0);
  const std::vector<NodeRecord>& nodes = Node();
  for (size_t i = 0; i < nodes.size(); ++i) {
    if (!base.Inside(nodes[i].nodeX, nodes[i].nodeY)) continue;
    node[base.Index(nodes[i].nodeX, nodes[i].nodeY)] = 1;
    read[base.Index(nodes[i].nodeX, nodes[i].nodeY)] = 1;
    if (i == 0) continue;
    Cell ahead = StepCell(nodes[i - 1].facing, nodes[i - 1].nodeX, nodes[i - 1].nodeY);
    if (base.Inside(ahead.x, ahead.y)) read[base.Index(ahead.x, ahead.y)] = 1;
  }
  const Grid* layers[3] = {&base, &Middle(), &Top()};
  for (int layer = 0; layer < 3; ++layer)
    for (int y = 0; y < base.rows; ++y)
      for (int x = 0; x < base.cols; ++x) {
        const int tile = layers[layer]->Get(x, y, -1);
        const bool piece = layer == 0   ? tile >= 0 && tile <= 39
                           : layer == 1 ? tile >= 42 && tile <= 45
                                        : tile == 40 || tile == 41;
        const std::vector<char>& seen = layer == 0 ? read : node;
        if (piece && !seen[base.Index(x, y)]) pieces.push_back(StrayPiece{layer, x, y, tile});
      }
  return pieces;
}

std::vector<std::string> OffPathWarnings(const std::vector<StrayPiece>& pieces) {
  static const char* const kKinds[3][2] = {{"track tile", "track tiles"},
                                           {"lane penalty marker", "lane penalty markers"},
                                           {"corner marker", "corner markers"}};
  std::vector<std::string> warnings;
  for (int layer = 0; layer < 3; ++layer) {
    std::vector<Cell> cells;
    for (const StrayPiece& piece : pieces)
      if (piece.layer == layer) cells.push_back(Cell{piece.x, piece.y});
    if (cells.empty()) continue;
    warnings.push_back((cells.size() == 1 ? std::string("a ") + kKinds[layer][0]
                                          : Decimal(cells.size()) + " " + kKinds[layer][1]) +
                       " off the racing path, never driven: " + CellList(cells));
  }
  return warnings;
}

void LoadCircuitLabels(const std::filesystem::path& file) {
  RaceNow().labels.clear();
  RaceNow().labelsLeftOut.clear();
  RaceNow().labelsBeyondLimit = 0;
  if (PlatFileSize(file) == kFileMissing) return;
  std::string text = CleanText(LoadText(file));
  // A label stands on a cell of the circuit. One that names no cell (a label
  // file kept from a larger circuit, a hostile column whose pixels would run
  // past what an int holds) is left out rather than refusing the race over
  // a decoration; the circuit tool reports it.
  const std::vector<std::string> lines = SplitLines(text);
  for (const std::string& line : lines) {
    if (RaceNow().labels.size() + RaceNow().labelsLeftOut.size() == kMostLabels) {
      RaceNow().labelsBeyondLimit = static_cast<int>(lines.size()) - kMostLabels;
      break;
    }
    int column = LenientInt(CommaField(line, 2));
    int row = LenientInt(CommaField(line, 3));
    if (!Base().Inside(column, row)) {
      RaceNow().labelsLeftOut.push_back(line);
      continue;
    }
    RaceNow().labels.push_back({CommaField(line, 1), 0x040404, column * kTileSize, row * kTileSize});
  }
}

int IsDiagonalStep(int x1, int y1, int x2, int y2) {
  return std::abs(x2 - x1) == 1 && std::abs(y2 - y1) == 1 ? 1 : 0;
}

int SetNodeDistance(int x, int y, int distance, int cornerType) {
  NodeRecord& node = CurrentNode();
  int sum = distance + (IsDiagonalStep(node.nodeX, node.nodeY, x, y) ? 3 : 2);
  node.distanceInMPs = sum;
  node.nextCornerType = cornerType;
  return sum;
}

namespace {
// Walks back from the closing node of the last corner, corner by corner,
// giving each node outside a corner its distance to the next corner's entry.
void SetCornerDistances() {
  long long steps = 0;
  LastNode();
  do {
    CheckSteps(steps, "AnalyzeCorners");
    if (!PreviousNode()) Fatal("circuit has no corner", kModule, "AnalyzeCorners", __LINE__);
  } while (CurrentNode().corner == 0);
  NextNode();
  const int s = RaceNow().currentNode;

  int d = 0;
  for (;;) {
    int x = 0, y = 0, t = 0;
    do {  // back through a corner to its entry node
      CheckSteps(steps, "AnalyzeCorners");
      x = CurrentNode().nodeX;
      y = CurrentNode().nodeY;
      t = CurrentNode().corner;
      PreviousNode();
      if (RaceNow().currentNode == s) {
        SetNodeDistance(x, y, d, t);
        return;
      }
    } while (CurrentNode().corner != 0);

    NextNode();
    x = CurrentNode().nodeX;
    y = CurrentNode().nodeY;
    t = CurrentNode().corner;
    PreviousNode();

    do {  // back along the straight before it
      CheckSteps(steps, "AnalyzeCorners");
      d = SetNodeDistance(x, y, d, t);
      x = CurrentNode().nodeX;
      y = CurrentNode().nodeY;
      if (!PreviousNode()) LastNode();
      if (RaceNow().currentNode == s) {
        SetNodeDistance(x, y, d, t);
        return;
      }
    } while (CurrentNode().corner == 0);

    // The closing node of the previous corner counts its own cell once more:
    // an orthogonal step, so 2 MP above the sum.
    NextNode();
    SetNodeDistance(CurrentNode().nodeX, CurrentNode().nodeY, d, t);
    d = 0;
  }
}
}  // namespace

void AnalyzeCorners() {
  SetCornerDistances();
  BuildCornerList();
  SetCornerValues();
  RankCorners();
}

void BuildCornerList() {
  Corner().clear();
  RaceNow().currentCorner = -1;
  FirstNode();
  int p = -1;
  for (;;) {
    bool ended = false;
    do {
      if (!NextNode()) ended = true;
    } while (!ended && CurrentNode().corner == 0);
    if (ended) break;
    Corner().push_back(CornerRecord{RaceNow().currentNode, 0, CurrentNode().corner, 0, p, 0});
    do {
      if (!NextNode()) ended = true;
    } while (!ended && CurrentNode().corner != 0);
    if (ended) break;
    Corner().back().following = CurrentNode().distanceInMPs;
    p = Corner().back().following;
  }
  if (Corner().empty()) return;
  Corner().front().preceding = p;
  for (CornerRecord& corner : Corner()) corner.value = corner.following * 4 + corner.preceding * 3;
}

void SetCornerValues() {
  if (Corner().empty() || Node().empty()) return;
  FirstNode();
  SelectCorner(0);
  for (bool going = true; going;) {
    do {
      CurrentNode().cornerValue = CurrentCorner().value;
      if (!NextNode()) {
        going = false;
        break;
      }
    } while (CurrentNode().corner == 0);
    if (!going) break;
    SelectCorner(RaceNow().currentCorner + 1);  // stays on the last corner
    do {
      if (!NextNode()) {
        going = false;
        break;
      }
    } while (CurrentNode().corner != 0);
  }
  LastNode();
  while (CurrentNode().corner == 0 && PreviousNode()) {
  }
  for (size_t i = RaceNow().currentNode; i < Node().size(); ++i)
    Node()[i].cornerValue = Corner().front().value;
}

void RankCorners() {
  if (Corner().size() < 2) return;
  std::vector<CornerRecord> sorted = Corner();
  std::stable_sort(sorted.begin(), sorted.end(),
                   [](const CornerRecord& a, const CornerRecord& b) { return a.value > b.value; });
  for (size_t i = 0; i < sorted.size(); ++i)
    for (CornerRecord& corner : Corner())
      if (corner.entryNode == sorted[i].entryNode) corner.rank = static_cast<int>(i) + 1;
}

namespace {
// While a drawing is tried: what went wrong first (a message box may come
// long before the fatal error the path ends in) and where.
TrackProblem* gTrying = nullptr;

// The cell a message names: the last "cell X, Y" or "@ X, Y" in it.
bool CellNamed(const std::string& text, int& cellX, int& cellY) {
  for (const char* marker : {"cell ", "@ "}) {
    size_t at = text.rfind(marker);
    if (at == std::string::npos) continue;
    size_t i = at + std::string(marker).size();
    auto number = [&](int& out) {
      size_t begin = i;
      while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
      if (i == begin || i - begin > 4) return false;
      out = LenientInt(text.substr(begin, i - begin));
      return true;
    };
    int x = 0, y = 0;
    if (!number(x) || text.compare(i, 2, ", ") != 0) continue;
    i += 2;
    if (!number(y)) continue;
    cellX = x;
    cellY = y;
    return true;
  }
  return false;
}

void Complain(const std::string& text) {
  if (gTrying == nullptr || !gTrying->first.empty()) return;
  gTrying->first = text;
  if (CellNamed(text, gTrying->x, gTrying->y)) return;
  // "using T in direction D" names no cell: the path got as far as the
  // last node built.
  if (!Node().empty()) {
    gTrying->x = Node().back().nodeX;
    gTrying->y = Node().back().nodeY;
  }
}
}  // namespace

bool TryBuildTrack(TrackProblem& problem) {
  problem = TrackProblem{};
  const bool throws = FatalThrows();
  const MessageBoxHandler handler = CurrentMessageBoxHandler();
  gTrying = &problem;
  SetFatalThrows(true);
  SetMessageBoxHandler(Complain);
  try {
    BuildTrack();
    problem.text = problem.first;
  } catch (const FatalError& e) {
    std::string message = e.what();
    problem.text = message.substr(0, message.find("\r\n"));
    if (problem.first.empty()) CellNamed(problem.text, problem.x, problem.y);
  }
  SetMessageBoxHandler(handler);
  SetFatalThrows(throws);
  gTrying = nullptr;
  RaceNow().currentNode = -1;
  return problem.text.empty();
}
