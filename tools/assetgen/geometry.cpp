#include "geometry.h"

#include <cmath>
#include <cstdio>
#include <set>
#include <stdexcept>
#include <vector>

namespace assetgen {

namespace {

// Rows: entering direction; columns: leaving direction; cells: the tiles.
const std::vector<std::vector<std::vector<int>>> kRouting = {
    {{1, 17, 33, 37}, {4, 20}, {}, {}, {}, {}, {}, {5, 21}},
    {{7, 23}, {2, 18}, {10, 26}, {}, {}, {}, {}, {}},
    {{}, {9, 25}, {0, 16, 34, 38}, {8, 24}, {}, {}, {}, {}},
    {{}, {}, {11, 27}, {3, 19}, {5, 21, 36, 39}, {}, {}, {}},
    {{}, {}, {}, {6, 22}, {1, 17, 35, 39}, {7, 23}, {}, {}},
    {{}, {}, {}, {}, {4, 20}, {2, 18}, {9, 25}, {}},
    {{}, {}, {}, {}, {}, {10, 26}, {0, 16, 32, 36}, {11, 27}},
    {{6, 22}, {}, {}, {}, {}, {}, {8, 24}, {3, 19}},
};

constexpr float kPi = 3.14159265358979f;

bool IsOrthogonal(int d) { return d % 2 == 0; }

void PortPoint(int d, float& x, float& y) {
  // side midpoints for the main directions, corners for the diagonals
  static const int dx[8] = {0, 1, 1, 1, 0, -1, -1, -1};
  static const int dy[8] = {-1, -1, 0, 1, 1, 1, 0, -1};
  x = 32.0f + 32.0f * float(dx[d & 7]);
  y = 32.0f + 32.0f * float(dy[d & 7]);
}

// The two cell ends a tile of the first style joins, from the routing table.
bool TilePorts(int tile, int& a, int& b) {
  std::set<int> ports;
  for (int d = 0; d < 8; ++d) {
    int out = Route(d, tile);
    if (out < 0) continue;
    ports.insert((d + 4) % 8);
    ports.insert(out);
  }
  if (ports.size() != 2) return false;
  a = *ports.begin();
  b = *ports.rbegin();
  return true;
}

}  // namespace

int Route(int d, int tile) {
  if (d < 0 || d > 7) return -1;
  for (int out = 0; out < 8; ++out)
    for (int t : kRouting[size_t(d)][size_t(out)])
      if (t == tile) return out;
  return -1;
}

void DirVec(int d, float& x, float& y) {
  static const int dx[8] = {0, 1, 1, 1, 0, -1, -1, -1};
  static const int dy[8] = {-1, -1, 0, 1, 1, 1, 0, -1};
  float len = (d % 2 == 0) ? 1.0f : std::sqrt(2.0f);
  x = float(dx[d & 7]) / len;
  y = float(dy[d & 7]) / len;
}

int SideTileHeading(int tile) {
  int t = (tile >= 28 && tile <= 31) ? tile - 16 : tile;
  static const int heading[4] = {2, 4, 6, 0};
  return (t >= 12 && t <= 15) ? heading[t - 12] : -1;
}

Path CornerPatchPath(int c) {
  // a line through the corner at right angles to the cell's own diagonal there
  Path p;
  float cx, cy, vx, vy;
  PortPoint(c, cx, cy);
  DirVec((c + 2) % 8, vx, vy);
  p.valid = true;
  p.portA = (c + 6) % 8;
  p.portB = (c + 2) % 8;
  p.dax = p.dbx = vx;
  p.day = p.dby = vy;
  p.ax = cx - vx * 45.0f;
  p.ay = cy - vy * 45.0f;
  p.length = 90.0f;
  return p;
}

int StartDirection(int tile) {
  static const int dir[4] = {6, 0, 2, 4};
  return (tile >= 32 && tile <= 39) ? dir[(tile - 32) % 4] : -1;
}

Path TilePath(int tile) {
  Path p;
  int a = 0, b = 0;
  if (tile >= 32 && tile <= 39) {
    int d = StartDirection(tile);
    a = (d + 4) % 8;
    b = d;
  } else {
    int base = (tile >= 16 && tile <= 27) ? tile - 16 : tile;
    if (base < 0 || base > 11 || !TilePorts(base, a, b)) return p;
    // bends start from their straight end
    if (!IsOrthogonal(a) && IsOrthogonal(b)) std::swap(a, b);
  }
  p.valid = true;
  p.portA = a;
  p.portB = b;
  PortPoint(a, p.ax, p.ay);
  float bx, by;
  PortPoint(b, bx, by);
  float ia = std::hypot(32.0f - p.ax, 32.0f - p.ay);
  float ib = std::hypot(bx - 32.0f, by - 32.0f);
  p.dax = (32.0f - p.ax) / ia;
  p.day = (32.0f - p.ay) / ia;
  p.dbx = (bx - 32.0f) / ib;
  p.dby = (by - 32.0f) / ib;
  float cross = p.dax * p.dby - p.day * p.dbx;
  if (std::fabs(cross) < 1e-4f) {
    p.length = ia + ib;
    return p;
  }
  p.bend = true;
  p.side = cross < 0 ? 1 : -1;  // y grows downward: a positive cross product turns right
  p.sweep = std::acos(std::fmax(-1.0f, std::fmin(1.0f, p.dax * p.dbx + p.day * p.dby)));
  p.r = kFillet / std::tan(p.sweep / 2);
  p.t1x = 32.0f - p.dax * kFillet;
  p.t1y = 32.0f - p.day * kFillet;
  p.t2x = 32.0f + p.dbx * kFillet;
  p.t2y = 32.0f + p.dby * kFillet;
  float lnx = p.day, lny = -p.dax;  // left normal of the entry direction
  p.cx = p.t1x + float(p.side) * lnx * p.r;
  p.cy = p.t1y + float(p.side) * lny * p.r;
  p.e1x = (p.t1x - p.cx) / p.r;
  p.e1y = (p.t1y - p.cy) / p.r;
  p.lenA = ia - kFillet;
  p.arcLen = p.r * p.sweep;
  p.length = p.lenA + p.arcLen + (ib - kFillet);
  return p;
}

PathPoint Locate(const Path& p, float x, float y) {
  PathPoint best;
  float bestD = 1e30f;
  auto consider = [&](float qx, float qy, float s, float tx, float ty, bool arc) {
    float d = std::hypot(x - qx, y - qy);
    if (d < bestD) {
      bestD = d;
      best.s = s;
      best.tx = tx;
      best.ty = ty;
      best.onArc = arc;
      best.u = (x - qx) * ty + (y - qy) * (-tx);  // onto the left normal (ty, -tx)
    }
  };
  if (!p.bend) {
    float k = (x - p.ax) * p.dax + (y - p.ay) * p.day;
    consider(p.ax + p.dax * k, p.ay + p.day * k, k, p.dax, p.day, false);
    return best;
  }
  {
    float k = std::fmin((x - p.ax) * p.dax + (y - p.ay) * p.day, p.lenA);
    consider(p.ax + p.dax * k, p.ay + p.day * k, k, p.dax, p.day, false);
  }
  {
    float k = std::fmax((x - p.t2x) * p.dbx + (y - p.t2y) * p.dby, 0.0f);
    consider(p.t2x + p.dbx * k, p.t2y + p.dby * k, p.lenA + p.arcLen + k, p.dbx, p.dby, false);
  }
  {
    float vx = x - p.cx, vy = y - p.cy;
    float phi = std::atan2(vx * p.dax + vy * p.day, vx * p.e1x + vy * p.e1y);
    if (phi >= 0 && phi <= p.sweep) {
      float c = std::cos(phi), s = std::sin(phi);
      float qx = p.cx + p.r * (p.e1x * c + p.dax * s);
      float qy = p.cy + p.r * (p.e1y * c + p.day * s);
      float tx = -p.e1x * s + p.dax * c, ty = -p.e1y * s + p.day * c;
      consider(qx, qy, p.lenA + p.r * phi, tx, ty, true);
    }
  }
  return best;
}

void PointAt(const Path& p, float s, float& x, float& y, float& tx, float& ty) {
  if (!p.bend || s <= p.lenA) {
    x = p.ax + p.dax * s;
    y = p.ay + p.day * s;
    tx = p.dax;
    ty = p.day;
    return;
  }
  if (s >= p.lenA + p.arcLen) {
    float k = s - p.lenA - p.arcLen;
    x = p.t2x + p.dbx * k;
    y = p.t2y + p.dby * k;
    tx = p.dbx;
    ty = p.dby;
    return;
  }
  float phi = (s - p.lenA) / p.r;
  float c = std::cos(phi), sn = std::sin(phi);
  x = p.cx + p.r * (p.e1x * c + p.dax * sn);
  y = p.cy + p.r * (p.e1y * c + p.day * sn);
  tx = -p.e1x * sn + p.dax * c;
  ty = -p.e1y * sn + p.day * c;
}

LanePos TileLanes(int tile) {
  LanePos lp;
  if (SideTileHeading(tile) >= 0) {
    // Never a node of the path; used only if a circuit is broken: the middle
    // of the bulge, side by side across the heading.
    float vx, vy;
    DirVec(SideTileHeading(tile), vx, vy);
    lp.x0 = 32 + vy * kLaneOffset;
    lp.y0 = 32 - vx * kLaneOffset;
    lp.x1 = 32 - vy * kLaneOffset;
    lp.y1 = 32 + vx * kLaneOffset;
    return lp;
  }
  Path p = TilePath(tile);
  if (!p.valid) return lp;
  if (p.bend) {
    // Lane 0 is the inside of every bend (the lane-penalty markers rely on it).
    float x, y, tx, ty;
    PointAt(p, p.lenA + p.arcLen * kBendLaneAt, x, y, tx, ty);
    float lx = ty * float(p.side), ly = -tx * float(p.side);  // toward the inside
    lp.x0 = x + lx * kLaneOffset;
    lp.y0 = y + ly * kLaneOffset;
    lp.x1 = x - lx * kLaneOffset;
    lp.y1 = y - ly * kLaneOffset;
    return lp;
  }
  // Straights and diagonals: lane 0 lies east of north-south track, north of
  // west-east track, north-west of the north-east diagonal and north-east of
  // the north-west diagonal.
  int axis = std::min(p.portA % 4, p.portB % 4);
  static const int lane0Side[4] = {2, 7, 0, 1};
  float sx, sy;
  DirVec(lane0Side[axis], sx, sy);
  float along = 0, back = 0;
  if (tile >= 32 && tile <= 39) {
    along = -3.0f;  // pole position slightly ahead of the second slot, both behind the line
    back = -11.0f;
  }
  float fx, fy;
  DirVec(StartDirection(tile) >= 0 ? StartDirection(tile) : 0, fx, fy);
  if (StartDirection(tile) < 0) fx = fy = 0;
  lp.x0 = 32 + sx * kLaneOffset + fx * along;
  lp.y0 = 32 + sy * kLaneOffset + fy * along;
  lp.x1 = 32 - sx * kLaneOffset + fx * back;
  lp.y1 = 32 - sy * kLaneOffset + fy * back;
  return lp;
}

std::string TileFacing(int tile) {
  if (tile >= 32 && tile <= 39) {
    int d = StartDirection(tile);
    return std::to_string(d) + " " + std::to_string((d + 4) % 8);
  }
  if (SideTileHeading(tile) >= 0) {
    // the two diagonals beside the heading: TilesCompatible pairs them with
    // the bend in the cell the car steps into
    int d = SideTileHeading(tile);
    int a = (d + 7) % 8, b = (d + 1) % 8;
    return std::to_string(std::min(a, b)) + " " + std::to_string(std::max(a, b));
  }
  if (tile < 0 || tile > 27) return "";
  std::set<int> exits;
  for (int d = 0; d < 8; ++d) {
    int out = Route(d, tile);
    if (out >= 0) exits.insert(out);
  }
  if (exits.size() != 2) return "";
  return std::to_string(*exits.begin()) + " " + std::to_string(*exits.rbegin());
}

int CsvCoord(float c) { return int(std::lround(c - 1.0f)); }

std::string TrackCsv() {
  std::string out;
  const char* header[] = {
      "; Race Track Data: one line per tile of Tileset.png (cells 0 to 87).",
      "; tile,facing,x0,y0,x1,y1",
      "; facing: the two directions a car leaves the tile in (0 north, clockwise to 7);",
      ";   empty for scenery and markers.",
      "; x0,y0 / x1,y1: lane 0 and lane 1 car positions in the 64 x 64 cell; the car",
      ";   sprite's top-left corner is drawn at position - 31 (its centre at position + 1).",
      "; Lane 0 is the inside lane of every bend. Written by velotrax-assetgen.",
  };
  for (const char* line : header) out += std::string(line) + "\r\n";
  for (int t = 0; t < kTiles; ++t) {
    LanePos lp = TileLanes(t);
    std::string facing = TileFacing(t);
    if (facing.empty()) lp = LanePos{};
    char buf[96];
    std::snprintf(buf, sizeof buf, "%d,%s,%d,%d,%d,%d\r\n", t, facing.c_str(), CsvCoord(lp.x0), CsvCoord(lp.y0),
                  CsvCoord(lp.x1), CsvCoord(lp.y1));
    out += buf;
  }
  return out;
}

}  // namespace assetgen
