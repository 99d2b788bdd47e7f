// Track geometry shared by the tile artwork and the tile table: which cell
// sides or corners each tile joins (taken from the game's routing table), the
// centre line drawn through the cell, and the two car positions per tile.
#pragma once

#include <string>

namespace assetgen {

constexpr int kCell = 64;
constexpr int kTiles = 88;
constexpr float kHalfWidth = 22.0f;   // asphalt half width
constexpr float kLaneOffset = 11.0f;  // car centre from the centre line
constexpr float kFillet = 23.25f;     // bend fillet tangent length (arc ends where the edge meets the corner)
constexpr float kBendLaneAt = 0.4f;   // car positions on a bend: this far along the arc from the straight end

// The routing table of the node builder: the direction a path leaves a tile
// entered while travelling in d, or -1 when the tile does not take d.
int Route(int d, int tile);

// Direction vector of a direction 0..7 (north first, clockwise, y down).
void DirVec(int d, float& x, float& y);

// Side-turn tiles (12..15, 28..31) stand straight ahead of a car that then
// steps into the cell beside: the heading they stand ahead of (12 east,
// 13 south, 14 west, 15 north). The track runs in from the side facing the
// car, swings round and leaves through one of the two corners beside that
// side. -1 for other tiles.
int SideTileHeading(int tile);

// Race direction of a start tile 32..39.
int StartDirection(int tile);

// The centre line of a track tile, running from end A to end B (for bends A
// is the straight end). Outside the cell it carries on straight, so a tile's
// asphalt meets its neighbour's exactly.
struct Path {
  bool valid = false;
  bool bend = false;
  int portA = 0, portB = 0;      // directions from the cell centre to the two ends
  float ax = 0, ay = 0;          // end A (cell side midpoint or corner)
  float dax = 0, day = 0;        // unit direction of travel from A into the cell
  float dbx = 0, dby = 0;        // unit direction of travel out through B
  float t1x = 0, t1y = 0, t2x = 0, t2y = 0;  // fillet tangent points
  float cx = 0, cy = 0, r = 0;   // fillet centre and radius
  float e1x = 0, e1y = 0;        // unit vector from the fillet centre to T1
  float sweep = 0;               // fillet angle in radians
  int side = 0;                  // +1 when the bend turns left going A to B, -1 right
  float lenA = 0, arcLen = 0;    // length A..T1 and of the arc
  float length = 0;              // centre line length inside the cell
};

struct PathPoint {
  float s = 0;        // distance along the centre line from A
  float u = 0;        // lateral offset, positive to the left of travel A to B
  bool onArc = false;
  float tx = 0, ty = 0;  // unit tangent at the nearest point
};

Path TilePath(int tile);  // invalid for non-track tiles and side-turn tiles
// The asphalt that a diagonal through a cell corner puts into a cell that
// only touches it (corner 1 NE, 3 SE, 5 SW, 7 NW): a straight path.
Path CornerPatchPath(int corner);
PathPoint Locate(const Path& p, float x, float y);
void PointAt(const Path& p, float s, float& x, float& y, float& tx, float& ty);

// Lane positions as continuous cell coordinates (the car's rotation centre).
struct LanePos {
  float x0 = 32, y0 = 32, x1 = 32, y1 = 32;
};
LanePos TileLanes(int tile);
std::string TileFacing(int tile);  // "" for non-track tiles

// "Race Track Data.csv" text (CR LF line ends).
std::string TrackCsv();
// The table's integer for a continuous car centre: the game draws the car
// cell's top-left corner at position - 31 and turns it about its centre (32),
// so the centre lands at position + 1.
int CsvCoord(float c);

}  // namespace assetgen
