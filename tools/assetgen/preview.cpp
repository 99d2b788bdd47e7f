// Sample circuits and a GUI mock-up drawn from the generated images the way
// the game draws them: tiles in three layers, cars at the tile table's lane
// positions turned to their node's facing. For checking the art by eye.
#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "art.h"
#include "geometry.h"

namespace assetgen {

namespace {

using Grid = std::vector<std::vector<int>>;  // [row][column], -1 empty

struct Circuit {
  std::string name;
  Grid base, middle, top;
};

struct Node {
  int x, y, facing, tile;
};

int At(const Grid& g, int x, int y) {
  if (y < 0 || y >= int(g.size()) || x < 0 || x >= int(g[0].size())) return -1;
  return g[size_t(y)][size_t(x)];
}

void Step(int d, int& x, int& y) {
  static const int dx[8] = {0, 1, 1, 1, 0, -1, -1, -1};
  static const int dy[8] = {-1, -1, 0, 1, 1, 1, 0, -1};
  x += dx[d];
  y += dy[d];
}

bool Compatible(int a, int b) {
  std::string fa = TileFacing(a), fb = TileFacing(b);
  if (fa.size() < 3 || fb.size() < 3) return true;
  const std::string pairs = "13 31 17 71 35 53 57 75 ";
  for (char p : {fa[0], fa[2]})
    for (char q : {fb[0], fb[2]}) {
      if (pairs.find(std::string{p, q, ' '}) != std::string::npos) return true;
      if (pairs.find(std::string{q, p, ' '}) != std::string::npos) return true;
    }
  return false;
}

int Toward(int tile, int d, std::string& problem) {
  std::string f = TileFacing(tile);
  if (f.find(char('0' + d)) != std::string::npos) return d;
  for (char c : {f[0], f[2]}) {
    int e = c - '0';
    int diff = std::abs(d - e);
    if (diff == 1 || diff == 7) return e;
  }
  problem = "invalid tile combination using " + std::to_string(tile);
  return 0;
}

// The node builder's walk, enough of it to place cars.
std::vector<Node> Walk(const Grid& g, std::string& problem) {
  std::vector<Node> nodes;
  int sx = -1, sy = -1;
  for (int x = 0; x < int(g[0].size()) && sx < 0; ++x)
    for (int y = 0; y < int(g.size()); ++y)
      if (At(g, x, y) >= 32 && At(g, x, y) <= 39) {
        sx = x;
        sy = y;
        break;
      }
  if (sx < 0) {
    problem = "no start tile";
    return nodes;
  }
  int d = StartDirection(At(g, sx, sy));
  int x = sx, y = sy;
  for (int guard = 0; guard < 500; ++guard) {
    int nx = x, ny = y;
    Step(d, nx, ny);
    int tile = At(g, nx, ny);
    bool track = (tile >= 0 && tile <= 11) || (tile >= 16 && tile <= 27) || (tile >= 32 && tile <= 39);
    if (track) {
      d = Route(d, tile);
      if (d < 0) {
        problem = "tile " + std::to_string(tile) + " does not take the path";
        return nodes;
      }
    } else {
      static const int ax[8][4] = {{-1, 0, 1, 0}, {0, -1, 1, 0}, {0, -1, 0, 1}, {1, 0, 0, 1},
                                   {1, 0, -1, 0}, {0, 1, -1, 0}, {0, 1, 0, -1}, {-1, 0, 0, -1}};
      int base = (tile >= 16 && tile <= 31) ? 16 : 0;
      int aT = At(g, x + ax[d][0], y + ax[d][1]), bT = At(g, x + ax[d][2], y + ax[d][3]);
      if (aT >= base + 2 && aT <= base + 11 && Compatible(tile, aT)) {
        nx = x + ax[d][0];
        ny = y + ax[d][1];
        tile = aT;
        d = Toward(aT, (d + 6) % 8, problem);
      } else if (bT >= base + 2 && bT <= base + 11 && Compatible(tile, bT)) {
        nx = x + ax[d][2];
        ny = y + ax[d][3];
        tile = bT;
        d = Toward(bT, (d + 2) % 8, problem);
      } else {
        problem = "invalid tile combination @ " + std::to_string(x) + ", " + std::to_string(y);
        return nodes;
      }
    }
    nodes.push_back({nx, ny, d, tile});
    x = nx;
    y = ny;
    if (tile >= 32 && tile <= 39) return nodes;
  }
  problem = "path does not return to the start";
  return nodes;
}

// Puts the corner patches of asphalt beside every diagonal end, as an author
// would: into each empty cell that shares the corner.
void FillCorners(Grid& g, const std::vector<Node>& nodes) {
  std::map<std::pair<int, int>, bool> onPath;
  for (const Node& n : nodes) onPath[{n.x, n.y}] = true;
  for (const Node& n : nodes) {
    Path p = TilePath(n.tile);
    for (int port : {p.portA, p.portB}) {
      if (port % 2 == 0) continue;
      // the corner vertex and the three other cells around it
      int vx = n.x + ((port == 1 || port == 3) ? 1 : 0), vy = n.y + ((port == 3 || port == 5) ? 1 : 0);
      const int cells[4][3] = {{vx - 1, vy - 1, 3}, {vx, vy - 1, 5}, {vx, vy, 7}, {vx - 1, vy, 1}};
      for (const auto& c : cells) {
        if (onPath.count({c[0], c[1]}) || At(g, c[0], c[1]) != 46) continue;
        int tile = c[2] == 1 ? 78 : c[2] == 3 ? 79 : c[2] == 5 ? 80 : 81;
        g[size_t(c[1])][size_t(c[0])] = tile;
      }
    }
  }
}

void DrawCell(Image& dst, const Image& sheet, int cell, int x, int y) {
  if (cell < 0) return;
  Image c(kCell, kCell);
  CopyRect(c, 0, 0, sheet, (cell % 8) * kCell, (cell / 8) * kCell, kCell, kCell);
  Paste(dst, c, x, y);
}

Image DrawCircuit(const Circuit& c, const Image& tileset, const Image& cars, std::string& problem) {
  int w = int(c.base[0].size()), h = int(c.base.size());
  Image img(w * kCell, h * kCell);
  for (auto& px : img.px) px = Colour(0x808080);
  for (const Grid* layer : {&c.base, &c.middle, &c.top})
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) DrawCell(img, tileset, At(*layer, x, y), x * kCell, y * kCell);
  std::vector<Node> nodes = Walk(c.base, problem);
  int carNo = 0;
  for (size_t i = 0; i < nodes.size(); ++i) {
    const Node& n = nodes[i];
    LanePos lp = TileLanes(n.tile);
    int lanes = (i % 3 == 0) ? 2 : (i % 3 == 1 ? 1 : 0);
    for (int l = 0; l < lanes; ++l) {
      int px = n.x * kCell + CsvCoord(l == 0 ? lp.x0 : lp.x1) - 31;
      int py = n.y * kCell + CsvCoord(l == 0 ? lp.y0 : lp.y1) - 31;
      Image car(kCell, kCell);
      int cell = carNo++ % kCars;
      CopyRect(car, 0, 0, cars, (cell % 8) * kCell, (cell / 8) * kCell, kCell, kCell);
      DrawRotated(img, car, px, py, float(n.facing) * 45.0f);
    }
  }
  return img;
}

Grid Parse(const std::vector<std::string>& rows) {
  // two characters per cell: a tile number or ".." for grass
  Grid g;
  for (const std::string& r : rows) {
    std::vector<int> row;
    for (size_t i = 0; i + 1 < r.size(); i += 3) {
      std::string t = r.substr(i, 2);
      row.push_back(t == ".." ? 46 : (t == "  " ? -1 : std::stoi(t)));
    }
    g.push_back(row);
  }
  return g;
}

Grid Empty(const Grid& like) {
  return Grid(like.size(), std::vector<int>(like[0].size(), -1));
}

void Text(Image& dst, const Image& sheet, const std::string& s, int x, int y, uint32_t rgb, bool tint) {
  int gw = sheet.width / 16, gh = sheet.height / 14;
  for (size_t i = 0; i < s.size(); ++i) {
    int index = int(static_cast<unsigned char>(s[i])) - 32;
    if (index < 0 || index > 223) continue;
    for (int j = 0; j < gh; ++j)
      for (int k = 0; k < gw; ++k) {
        Rgba g = sheet.At((index % 16) * gw + k, (index / 16) * gh + j);
        if (tint) g = Colour(rgb, g.a);
        dst.Blend(x + int(i) * gw + k, y + j, g);
      }
  }
}

void Slice(Image& dst, const Image& src, int x, int y, int cols, int rows) {
  int t = src.width / 3;
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < cols; ++c) {
      int sc = c == 0 ? 0 : (c == cols - 1 ? 2 : 1), sr = r == 0 ? 0 : (r == rows - 1 ? 2 : 1);
      Image tile(t, t);
      CopyRect(tile, 0, 0, src, sc * t, sr * t, t, t);
      Paste(dst, tile, x + c * t, y + r * t);
    }
}

Image GuiMockup(const Image& tileset, const Image& terminal, const Image& consolas) {
  Image img(760, 560);
  for (int y = 0; y < 9; ++y)
    for (int x = 0; x < 12; ++x) DrawCell(img, tileset, 46, x * 64, y * 64);
  Image frame = MakeFrame(), panel = MakePanel(), longB = MakeButton(176), shortB = MakeButton(82);
  Image arrows = MakeScrollArrows();
  // side panel
  int fx = 10, fy = 10;
  Slice(img, frame, fx, fy, 8, 17);
  Text(img, terminal, "Car 7  lap 2/5", fx + 40, fy + 40, 0x000000, true);
  Text(img, terminal, "gear 4  MP 12", fx + 40, fy + 58, 0xD20004, true);
  Text(img, terminal, "HB 3  OR 1 SO", fx + 40, fy + 76, 0x000000, true);
  const char* caps[] = {"Auto Mode", "Save Race", "Main Menu"};
  uint32_t colours[] = {0xD20004, 0xD0D0D0, 0x000000};
  for (int i = 0; i < 3; ++i) {
    Paste(img, longB, fx + 40, fy + 176 + i * 32);
    int len = int(std::string(caps[i]).size());
    Text(img, terminal, caps[i], fx + 40 + (176 - len * 9) / 2, fy + 176 + i * 32 + 7, colours[i], true);
  }
  Text(img, terminal, "Velotrax GP", fx + 40, fy + 290, 0x000000, true);
  Slice(img, panel, fx + 40, fy + 320, 22, 19);
  Text(img, terminal, "<?> = show help", fx + 44, fy + 324, 0x000000, true);
  Text(img, terminal, "Car 3 spins out!", fx + 44, fy + 342, 0xD20004, true);
  Text(img, terminal, "Cafe: \xE9\xE8\xFC\xDF \x80 \x85", fx + 44, fy + 360, 0x000000, true);
  Paste(img, arrows, fx + 216, fy + 320 + 152 - 64);
  // dialog
  int dx = 300, dy = 40;
  Slice(img, frame, dx, dy, 13, 8);
  Text(img, terminal, "    Main Menu", dx + 40, dy + 40, 0x000000, true);
  Slice(img, panel, dx + 40, dy + 70, 3, 3);
  Text(img, terminal, "\xFB", dx + 47, dy + 73, 0x000000, true);
  Text(img, terminal, "new season", dx + 74, dy + 73, 0x000000, true);
  Slice(img, panel, dx + 40, dy + 104, 3, 3);
  Text(img, terminal, "random", dx + 74, dy + 107, 0x000000, true);
  Slice(img, panel, dx + 230, dy + 70, 5, 3);
  Text(img, terminal, "12_", dx + 231, dy + 73, 0x000000, true);
  Paste(img, shortB, dx + 40, dy + 150);
  Text(img, terminal, "OK", dx + 40 + (82 - 18) / 2, dy + 157, 0x000000, true);
  Paste(img, shortB, dx + 122, dy + 150);
  Text(img, terminal, "Cancel", dx + 122 + (82 - 54) / 2, dy + 157, 0x000000, true);
  Paste(img, shortB, dx + 204, dy + 150);
  Text(img, terminal, "use OR", dx + 204 + (82 - 54) / 2, dy + 157, 0xD0D0D0, true);
  // pop-up box as the track view draws it: untinted small font
  Text(img, consolas, " Car 11   ", 330, 340, 0, false);
  Text(img, consolas, "          ", 330, 354, 0, false);
  Text(img, consolas, " Car 4 \xFB  ", 330, 368, 0, false);
  // white debug text on the track
  Text(img, terminal, "debug 60 fps", 330, 420, 0xFFFFFF, true);
  Text(img, terminal, "Start", 330, 450, 0x040404, true);
  return img;
}

}  // namespace

bool WritePreviews(const std::string& folder, const Image& tileset, const Image& cars, std::string& error) {
  std::vector<Circuit> circuits;
  {
    // a rounded rectangle: every bend, 45-degree corners without diagonals
    Circuit c{"oval", Parse({
                          ".. .. .. .. .. .. .. .. .. .. .. ..",
                          ".. .. .. .. .. .. .. .. .. .. .. ..",
                          ".. .. 10 00 34 00 00 00 00 08 .. ..",
                          ".. 04 .. .. .. .. .. .. .. .. 05 ..",
                          ".. 01 .. 54 58 50 59 .. 51 .. 01 ..",
                          ".. 01 .. .. .. .. .. .. .. .. 01 ..",
                          ".. 06 .. .. .. .. .. .. .. .. 07 ..",
                          ".. .. 11 00 00 00 00 00 00 09 .. ..",
                          ".. .. .. .. .. .. .. .. .. .. .. ..",
                      }),
              {},
              {}};
    c.middle = Empty(c.base);
    c.top = Empty(c.base);
    c.top[2][9] = 41;
    c.top[3][10] = 41;
    c.middle[2][9] = 42;
    c.middle[7][2] = 45;
    circuits.push_back(c);
  }
  {
    // diagonals and bends of the gravel style
    Circuit c{"diagonal", Parse({
                              ".. .. .. .. .. .. .. .. .. .. .. ..",
                              ".. .. .. 10 00 00 24 .. .. .. .. ..",
                              ".. .. 02 .. .. .. .. 03 .. .. .. ..",
                              ".. 04 .. .. .. .. .. .. 03 .. .. ..",
                              ".. 01 .. .. .. .. .. .. .. 05 .. ..",
                              ".. 01 .. .. .. .. .. .. .. 07 .. ..",
                              ".. 22 .. .. .. .. .. .. 02 .. .. ..",
                              ".. .. 11 00 34 00 00 25 .. .. .. ..",
                              ".. .. .. .. .. .. .. .. .. .. .. ..",
                          }),
              {},
              {}};
    c.middle = Empty(c.base);
    c.top = Empty(c.base);
    c.top[4][9] = 40;
    c.top[6][8] = 40;
    circuits.push_back(c);
  }
  {
    // a side turn, a dog-leg and penalty markers
    Circuit c{"chicane", Parse({
                             ".. .. .. .. .. .. .. .. .. .. .. ..",
                             ".. .. 10 00 00 00 12 .. .. .. .. ..",
                             ".. 04 .. .. .. 04 .. .. .. .. .. ..",
                             ".. 01 .. .. .. 01 .. 58 50 59 .. ..",
                             ".. 01 .. .. .. 01 .. .. .. .. .. ..",
                             ".. 01 .. .. .. 01 .. 55 55 .. .. ..",
                             ".. 06 .. .. .. 07 .. 55 55 .. 49 ..",
                             ".. .. 11 32 09 .. .. .. .. .. .. ..",
                             ".. .. .. .. .. .. .. .. .. .. .. ..",
                         }),
              {},
              {}};
    c.middle = Empty(c.base);
    c.top = Empty(c.base);
    c.middle[2][5] = 44;
    c.middle[6][5] = 42;
    circuits.push_back(c);
  }
  for (Circuit& c : circuits) {
    std::string problem;
    std::vector<Node> nodes = Walk(c.base, problem);
    FillCorners(c.base, nodes);
    Image img = DrawCircuit(c, tileset, cars, problem);
    if (!problem.empty()) {
      error = c.name + ": " + problem;
      return false;
    }
    if (!WritePng(folder + "/preview " + c.name + ".png", img, error)) return false;
  }
  // every cell of both sheets, four times the size
  for (const auto& [name, sheet] : {std::pair<std::string, const Image*>{"tileset", &tileset}, {"cars", &cars}}) {
    Image big(sheet->width * 2, sheet->height * 2);
    for (int y = 0; y < big.height; ++y)
      for (int x = 0; x < big.width; ++x) big.At(x, y) = Over(sheet->At(x / 2, y / 2), Colour(0xFF00FF, 0.15f));
    if (!WritePng(folder + "/preview " + name + ".png", big, error)) return false;
  }
  return true;
}

bool WriteGuiPreview(const std::string& folder, const Image& tileset, const Image& terminal, const Image& consolas,
                     std::string& error) {
  return WritePng(folder + "/preview gui.png", GuiMockup(tileset, terminal, consolas), error);
}

}  // namespace assetgen
