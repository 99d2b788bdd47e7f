// velotrax-tool make-circuit: turns a readable circuit source (one code per
// cell and layer) into a circuit file and its label file. The tile table is
// read now, from the game folder, so circuits follow it when it changes.
#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <stdexcept>

#include "common/common.h"
#include "race/analyze.h"
#include "race/data_file.h"
#include "race/define.h"
#include "race/folders.h"
#include "race/save_load.h"
#include "platform/services.h"
#include "tool.h"

namespace fs = std::filesystem;

namespace {
struct SourceError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

using Legend = std::map<std::string, int>;

// Track tiles by the two ends they join: sides N E S W, corners by their
// direction (1 north-east, 3 south-east, 5 south-west, 7 north-west).
const Legend kTrackCodes = {
    {"WE", 0},  {"EW", 0},  {"NS", 1},  {"SN", 1},  {"15", 2},  {"51", 2},  {"37", 3},
    {"73", 3},  {"S1", 4},  {"1S", 4},  {"S7", 5},  {"7S", 5},  {"N3", 6},  {"3N", 6},
    {"N5", 7},  {"5N", 7},  {"W3", 8},  {"3W", 8},  {"W1", 9},  {"1W", 9},  {"E5", 10},
    {"5E", 10}, {"E7", 11}, {"7E", 11}, {"@E", 12}, {"@S", 13}, {"@W", 14}, {"@N", 15},
    {"<<", 32}, {"^^", 33}, {">>", 34}, {"vv", 35}, {"++", 16},  // the crossing of a figure-eight
                                                                 // (the second image of WE)
};
const Legend kMiddleCodes = {{"..", -1}};
const Legend kTopCodes = {{"..", -1}, {"HP", 40}, {"SH", 41}};
constexpr int kOuterLane = -100;  // "oo": penalty on the outside of the bend
constexpr int kInnerLane = -101;  // "ii": penalty on the inside

struct Source {
  Legend legend;
  std::vector<std::vector<std::string>> layer[3];  // rows of codes
  std::vector<int> layerLine[3];                   // source line of each row
  std::vector<std::string> labels;
};

std::string Trimmed(std::string s) {
  while (!s.empty() && (s.back() == '\r' || s.back() == ' ' || s.back() == '\t')) s.pop_back();
  size_t i = 0;
  while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
  return s.substr(i);
}

bool IsNumber(const std::string& s) {
  size_t i = s[0] == '-' || s[0] == '+' ? 1 : 0;
  if (i >= s.size()) return false;
  for (; i < s.size(); ++i)
    if (s[i] < '0' || s[i] > '9') return false;
  return true;
}

// "code = number" lines (blank-separated; anything after is a comment), as
// in the legend section and the scenery file.
void ReadLegendLine(const std::string& line, Legend& legend, const std::string& where) {
  std::istringstream words(line);
  std::string code, eq, number;
  words >> code >> eq >> number;
  if (code.empty() || eq != "=" || number.empty() || !IsNumber(number))
    throw SourceError(where + ": expected \"code = number\"");
  legend[code] = LenientInt(number);
}

void ReadSource(const fs::path& file, Source& source) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw SourceError("cannot read " + file.string());
  std::string line;
  int number = 0;
  std::string section;
  while (std::getline(in, line)) {
    ++number;
    std::string where = file.string() + ":" + std::to_string(number);
    std::string text = Trimmed(line);
    if (text.empty() || text[0] == ';') continue;
    if (text.front() == '[' && text.back() == ']') {
      section = LowerAscii(text.substr(1, text.size() - 2));
      if (section != "base" && section != "middle" && section != "top" && section != "labels" &&
          section != "legend")
        throw SourceError(where + ": unknown section " + text);
      continue;
    }
    if (section == "legend") {
      ReadLegendLine(text, source.legend, where);
    } else if (section == "labels") {
      source.labels.push_back(text);
    } else if (section == "base" || section == "middle" || section == "top") {
      int k = section == "base" ? 0 : section == "middle" ? 1 : 2;
      std::istringstream words(text);
      std::vector<std::string> row;
      for (std::string w; words >> w;) row.push_back(w);
      source.layer[k].push_back(row);
      source.layerLine[k].push_back(number);
    } else {
      throw SourceError(where + ": text before the first section");
    }
  }
}

void ReadScenery(const fs::path& file, Legend& legend) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return;
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    std::string text = Trimmed(line);
    if (text.empty() || text[0] == ';') continue;
    ReadLegendLine(text, legend, file.string() + ":" + std::to_string(number));
  }
}

int Code(const std::string& code, int layer, const Legend& legend, const std::string& where) {
  if (layer == 0) {
    std::string plain = code;
    int variant = 0;
    if (plain.size() == 3 && plain.back() == '\'') {  // the second image set
      plain.pop_back();
      variant = 1;
    }
    auto it = kTrackCodes.find(plain);
    if (it != kTrackCodes.end()) return it->second + variant * (it->second >= 32 ? 4 : 16);
  } else {
    const Legend& own = layer == 1 ? kMiddleCodes : kTopCodes;
    auto it = own.find(code);
    if (it != own.end()) return it->second;
    if (layer == 1 && code == "oo") return kOuterLane;
    if (layer == 1 && code == "ii") return kInnerLane;
  }
  auto it = legend.find(code);
  if (it != legend.end()) return it->second;
  if (IsNumber(code)) return LenientInt(code);
  throw SourceError(where + ": unknown code \"" + code + "\"");
}

int DirectionOf(int dx, int dy) {
  for (int d = 0; d < 8; ++d) {
    Cell c = StepCell(d, 0, 0);
    if (c.x == dx && c.y == dy) return d;
  }
  return -1;
}

// Replaces the "oo" and "ii" codes by the penalty marker that names the
// outer or inner lane of the bend, as the cars travel through it.
void ResolvePenalties(const std::map<std::pair<int, int>, int>& wanted) {
  static const int kDx[8] = {0, 1, 1, 1, 0, -1, -1, -1};
  static const int kDy[8] = {-1, -1, 0, 1, 1, 1, 0, -1};
  const std::vector<NodeRecord> nodes = Node();
  for (size_t i = 0; i < nodes.size(); ++i) {
    const NodeRecord& n = nodes[i];
    auto it = wanted.find({n.nodeX, n.nodeY});
    if (it == wanted.end()) continue;
    const NodeRecord& before = nodes[i == 0 ? nodes.size() - 1 : i - 1];
    int enter = DirectionOf(n.nodeX - before.nodeX, n.nodeY - before.nodeY);
    int leave = n.facing;
    int turn = (leave - enter + 8) % 8;
    std::string cell = Decimal(n.nodeX) + ", " + Decimal(n.nodeY);
    if (enter < 0 || (turn != 1 && turn != 7))
      throw SourceError("lane penalty at " + cell + " is not on a bend the track turns through");
    int tx = kDx[enter] + kDx[leave], ty = kDy[enter] + kDy[leave];
    int vx = n.x[1] - n.x[0], vy = n.y[1] - n.y[0];
    int rightLane = (-ty * vx + tx * vy) > 0 ? 1 : 0;  // right of travel, y down
    int outer = turn == 1 ? 1 - rightLane : rightLane;
    int lane = it->second == kOuterLane ? outer : 1 - outer;
    int tile = Base()(n.nodeX, n.nodeY);
    int marker = -1;
    for (int m = 42; m <= 45 && marker < 0; ++m)
      if (LanePenalty(m, tile) == lane) marker = m;
    if (marker < 0)
      throw SourceError("no penalty marker fits tile " + Decimal(tile) + " at " + cell);
    Middle()(n.nodeX, n.nodeY) = marker;
  }
}
}  // namespace

// Square tiles meet a diagonal only at a corner point, where the track would
// pinch to nothing: give the grass cells around every such corner a patch of
// asphalt (78 north-east, 79 south-east, 80 south-west, 81 north-west; 82 and
// 83 carry two opposite patches). Scenery there (trees, rough grass, a
// grandstand's end) steps aside for the patch: its square would otherwise
// bite a notch out of the road.
void FillDiagonalCorners() {
  constexpr int kFirstPatch = 78, kLastPatch = 83;
  auto scenery = [](int cell) {
    return cell >= kFirstSceneryTile && cell < kSheetCells && (cell < kFirstPatch || cell > kLastPatch);
  };
  std::set<std::pair<int, int>> onPath;
  for (const NodeRecord& n : Node()) onPath.insert({n.nodeX, n.nodeY});
  auto patch = [&](int x, int y, int wanted) {
    if (!Base().Inside(x, y) || onPath.count({x, y}) != 0) return;
    int& cell = Base()(x, y);
    if (scenery(cell)) {
      cell = wanted;
    } else if ((cell == 78 && wanted == 80) || (cell == 80 && wanted == 78)) {
      cell = 82;
    } else if ((cell == 81 && wanted == 79) || (cell == 79 && wanted == 81)) {
      cell = 83;
    }
  };
  for (const NodeRecord& n : Node()) {
    int tile = Base().Get(n.nodeX, n.nodeY, -1);
    if (tile < 0 || tile >= kTrackRows) continue;
    for (char c : Track()[tile].facing) {
      if (c != '1' && c != '3' && c != '5' && c != '7') continue;
      int port = c - '0';
      int vx = n.nodeX + ((port == 1 || port == 3) ? 1 : 0);
      int vy = n.nodeY + ((port == 3 || port == 5) ? 1 : 0);
      patch(vx - 1, vy - 1, 79);
      patch(vx, vy - 1, 80);
      patch(vx, vy, 81);
      patch(vx - 1, vy, 78);
    }
  }
}

int RunMakeCircuit(const ToolArgs& given) {
  ToolArgs args = given;
  fs::path gameDir = TakeGameDir(args);
  if (args.size() != 2) {
    std::fprintf(stderr,
                 "usage: velotrax-tool make-circuit SOURCE.txt OUT.json [--game-dir DIR]\n");
    return 2;
  }
  fs::path sourceFile = PlatGamePath(args[0]), out = PlatGamePath(args[1]);
  SetFatalThrows(true);
  try {
    Source source;
    ReadScenery(sourceFile.parent_path() / "scenery.txt", source.legend);
    ReadSource(sourceFile, source);
    if (source.layer[0].empty()) throw SourceError(sourceFile.string() + ": no [base] section");
    const int rows = static_cast<int>(source.layer[0].size());
    const int cols = static_cast<int>(source.layer[0][0].size());
    if (cols > kMaxGridSize || rows > kMaxGridSize)
      throw SourceError(sourceFile.string() + ": circuit too large");

    ResetRaceData();
    UseGameFolders(gameDir);
    LoadTrackTiles();
    Grid* grids[3] = {&Base(), &Middle(), &Top()};
    std::map<std::pair<int, int>, int> wanted;
    for (int k = 0; k < 3; ++k) {
      grids[k]->Resize(cols, rows, k == 0 ? Code("..", 0, source.legend, sourceFile.string()) : -1);
      if (source.layer[k].empty()) continue;
      if (static_cast<int>(source.layer[k].size()) != rows)
        throw SourceError(sourceFile.string() + ": every layer needs " + Decimal(rows) + " rows");
      for (int y = 0; y < rows; ++y) {
        std::string where = sourceFile.string() + ":" + Decimal(source.layerLine[k][y]);
        if (static_cast<int>(source.layer[k][y].size()) != cols)
          throw SourceError(where + ": row has " + Decimal(source.layer[k][y].size()) + " cells, " +
                            Decimal(cols) + " expected");
        for (int x = 0; x < cols; ++x) {
          int value = Code(source.layer[k][y][x], k, source.legend, where);
          if (value == kOuterLane || value == kInnerLane) {
            wanted[{x, y}] = value;
            value = -1;
          } else if (value < -1 || value >= kSheetCells) {
            throw SourceError(where + ": cell " + Decimal(value) + " outside -1 to 87");
          }
          (*grids[k])(x, y) = value;
        }
      }
    }
    BuildTrack();
    ResolvePenalties(wanted);
    FillDiagonalCorners();
    BuildTrack();

    if (!PlatWriteFileAtomic(out, CircuitDocument()))
      throw SourceError("cannot write " + out.string());
    std::string labels;
    for (const std::string& line : source.labels) labels += line + "\r\n";
    fs::path labelFile = out.parent_path() / (out.stem().string() + " SL.txt");
    if (!source.labels.empty()) SaveText(labelFile, labels);
    std::printf("%s: %d x %d cells, %zu nodes, %zu corners\n", out.string().c_str(), cols, rows,
                Node().size(), Corner().size());
    PrintCircuitWarnings();
    return 0;
  } catch (const FatalError& e) {
    std::fprintf(stderr, "%s\n", Cp1252ToUtf8(e.what()).c_str());
  } catch (const SourceError& e) {
    std::fprintf(stderr, "%s\n", e.what());
  }
  return 1;
}
