// Track tiles 0..39 (16 is the crossing) and the marker overlays 40..45.
#include <algorithm>
#include <cmath>

#include "art.h"
#include "fonts.h"
#include "geometry.h"

namespace assetgen {

namespace {

constexpr float kKerbWidth = 5.0f;
constexpr float kKerbStripe = 6.0f;

float Wrap(float v) {
  return v - 64.0f * std::floor(v / 64.0f);
}
int WrapI(float v) {
  return int(std::floor(Wrap(v)));
}

Rgba Tint(uint32_t rgb, float k) {
  Rgba c = Colour(rgb);
  return {Clamp01(c.r * k), Clamp01(c.g * k), Clamp01(c.b * k), 1};
}

// Where along a bend the outside kerb runs: over the arc, stopping before its
// outer rim would leave the cell (no neighbour continues it).
void KerbRange(const Path& p, float& k0, float& k1) {
  k0 = p.lenA;
  k1 = p.lenA;
  for (float s = p.lenA; s <= p.lenA + p.arcLen; s += 0.25f) {
    float x, y, tx, ty;
    PointAt(p, s, x, y, tx, ty);
    float nx = -ty * float(p.side), ny = tx * float(p.side);  // toward the outside
    float ox = x + nx * (kHalfWidth + kKerbWidth + 1.0f),
          oy = y + ny * (kHalfWidth + kKerbWidth + 1.0f);
    if (ox < 1 || oy < 1 || ox > 63 || oy > 63) break;
    k1 = s;
  }
}

struct TileLook {
  Path path;
  bool gravel = false;
  float k0 = 0, k1 = 0;
  int start = -1;  // race direction of a start tile
  LanePos lanes;
};

Rgba TrackPixel(const TileLook& t, float x, float y) {
  const Path& p = t.path;
  Rgba c = Grass(x, y);
  if (t.gravel) {
    // a gravel trap inside a grass margin, so it meets grass neighbours
    float inner = -SdRoundBox(x, y, 32, 32, 32, 32, 10);
    if (inner > 5.0f)
      c = Gravel(x, y);
    else if (inner > 3.5f)
      c = Mix(c, Colour(0x3D5A2A), 0.5f);
  }
  PathPoint q = Locate(p, x, y);
  float au = std::fabs(q.u);
  const float h = kHalfWidth;
  // trodden verge along the asphalt
  if (au > h && au < h + 3.0f) c = Mix(c, Colour(0x2E3A26), 0.4f * (1 - (au - h) / 3.0f));
  if (p.bend && q.s > t.k0 && q.s < t.k1) {
    float taper = std::min(Smooth(t.k0, t.k0 + 7, q.s), 1 - Smooth(t.k1 - 7, t.k1, q.s));
    float o = -float(p.side) * q.u;
    if (o >= h - 0.5f && o <= h + kKerbWidth * taper) {
      bool red = int(std::floor((q.s - t.k0) / kKerbStripe)) % 2 == 0;
      c = red ? Colour(0xD42A23) : Colour(0xF4F2EE);
      if (o > h + kKerbWidth * taper - 0.8f) c = Scale(c, 0.8f);
    }
  }
  if (au <= h) {
    c = Asphalt(x, y);
    if (au > h - 3.2f && au < h - 1.3f) c = Colour(0xECECE8);
    float period = p.length / std::max(1.0f, std::round(p.length / 16.0f));
    float ph = q.s / period - std::floor(q.s / period);
    if (au < 0.8f && ph > 0.25f && ph < 0.75f) c = Over(Colour(0xF2F2EC, 0.9f), c);
  }
  if (t.start >= 0 && au <= h - 3.2f) {
    float fx, fy;
    DirVec(t.start, fx, fy);
    float a = (x - 32) * fx + (y - 32) * fy;
    float l = (x - 32) * fy - (y - 32) * fx;
    if (a >= 22 && a < 30) {
      bool dark = (int(std::floor((a - 22) / 4)) + int(std::floor((l + 32) / 4))) % 2 == 0;
      c = dark ? Colour(0x161616) : Colour(0xF5F5F5);
    }
    // grid slots: a painted bar ahead of each car and short side marks
    float lx[2] = {(t.lanes.x0 - 32) * fy - (t.lanes.y0 - 32) * fx,
                   (t.lanes.x1 - 32) * fy - (t.lanes.y1 - 32) * fx};
    float la[2] = {(t.lanes.x0 - 32) * fx + (t.lanes.y0 - 32) * fy,
                   (t.lanes.x1 - 32) * fx + (t.lanes.y1 - 32) * fy};
    for (int lane = 0; lane < 2; ++lane) {
      float front = la[lane] + 20.0f;
      bool bar = std::fabs(l - lx[lane]) <= 9.5f && a >= front - 1.6f && a <= front;
      bool mark =
          std::fabs(std::fabs(l - lx[lane]) - 9.0f) <= 0.8f && a <= front && a >= front - 8.0f;
      if (bar || mark) c = Over(Colour(0xF4F4F0, 0.9f), c);
    }
  }
  return c;
}

// Corner markers: a tinted frame over the cell and a round badge.
Rgba CornerMarkerPixel(bool hairpin, float x, float y) {
  const uint32_t tone = hairpin ? 0xE3262B : 0xF2A516;
  Rgba c;
  float edge = -SdRoundBox(x, y, 32, 32, 30.5f, 30.5f, 6);  // inside distance to the frame's rim
  if (edge >= 0) c = Colour(tone, edge < 2.6f ? 0.9f : 0.07f);
  float disc = SdCircle(x, y, 32, 32, 9.5f);
  if (disc <= 0) c = Over(Colour(tone, 0.85f), c);
  if (disc > 0 && disc <= 1.1f) c = Over(Colour(0xFFFFFF, 0.85f), c);
  const uint32_t ink = hairpin ? 0xFFFFFF : 0x1E1E1E;
  x = 32 + (x - 32) * 1.3f;  // icons drawn at 1/1.3 of their design size
  y = 32 + (y - 32) * 1.3f;
  float d;
  if (hairpin) {
    // U-turn arrow: up the left, over the top, down the right to an arrowhead
    float arc = std::fabs(std::hypot(x - 32, y - 29) - 4.5f);
    if (y > 29) arc = 1e9f;
    d = std::min(
        {SdSegment(x, y, 27.5f, 38, 27.5f, 29), arc, SdSegment(x, y, 36.5f, 29, 36.5f, 34)});
    d = std::min({d - 1.4f, SdSegment(x, y, 36.5f, 39, 32.5f, 34) - 1.3f,
                  SdSegment(x, y, 36.5f, 39, 40.5f, 34) - 1.3f});
  } else {
    // a square turn: up, then right to an arrowhead
    d = std::min(SdSegment(x, y, 28, 39, 28, 28), SdSegment(x, y, 28, 28, 36, 28)) - 1.5f;
    d = std::min({d, SdSegment(x, y, 40, 28, 35.5f, 23.5f) - 1.4f,
                  SdSegment(x, y, 40, 28, 35.5f, 32.5f) - 1.4f});
  }
  if (d <= 0) c = Over(Colour(ink, 1), c);
  return c;
}

// Lane-penalty markers cover one quarter of the cell, reaching a little past
// the middle: the lane nearest that corner on the straight end of the bend.
// 42 north-west, 43 north-east, 44 south-west, 45 south-east.
void PenaltyCorner(int marker, float& sx, float& sy) {
  sx = (marker == 43 || marker == 45) ? 1.0f : -1.0f;
  sy = (marker == 44 || marker == 45) ? 1.0f : -1.0f;
}

Rgba PenaltyPixel(int marker, float x, float y) {
  float sx, sy;
  PenaltyCorner(marker, sx, sy);
  float u = sx * (x - 32) + 5.0f, v = sy * (y - 32) + 5.0f;  // > 0 inside the quarter
  float qx = 32 + sx * 16.5f, qy = 32 + sy * 16.5f;          // quarter centre
  float d = SdBox(x, y, qx, qy, 18.5f, 18.5f);
  Rgba c;
  if (u > 0 && v > 0 && d <= 0) {
    bool stripe = Wrap(x + y) - 8.0f * std::floor(Wrap(x + y) / 8.0f) < 4.0f;
    c = Colour(0xFF3A10, stripe ? 0.55f : 0.22f);
    if (d > -2.0f) c = Colour(0xFF3A10, 0.9f);
  }
  return c;
}

// Side-turn tile: the track comes in from the side facing the car and
// bulges round to the two corners beside it, with a kerb round the bulge.
Rgba CapPixel(int heading, bool gravel, float x, float y) {
  Rgba c = Grass(x, y);
  if (gravel) {
    float inner = -SdRoundBox(x, y, 32, 32, 32, 32, 10);
    if (inner > 5.0f)
      c = Gravel(x, y);
    else if (inner > 3.5f)
      c = Mix(c, Colour(0x3D5A2A), 0.5f);
  }
  float hx, hy;
  DirVec(heading, hx, hy);
  float d = SdSegment(x, y, 32 - hx * 80, 32 - hy * 80, 32, 32);
  for (int corner : {(heading + 5) % 8, (heading + 3) % 8}) {
    float vx, vy;
    DirVec(corner, vx, vy);
    d = std::min(d, SdSegment(x, y, 32, 32, 32 + vx * 110, 32 + vy * 110));
  }
  const float h = kHalfWidth;
  float ahead = (x - 32) * hx + (y - 32) * hy;  // > 0 on the far side of the bulge
  float side = (x - 32) * hy - (y - 32) * hx;
  // Beside the entry the cell holds no more asphalt than the straight it
  // meets: the corners are cut at 45 degrees from the straight's edge.
  float cut = (std::fabs(side) - h - (ahead + 32)) * 0.7071f;
  float sd = std::max(d - h, cut);
  if (sd > 0 && sd < 3.0f) c = Mix(c, Colour(0x2E3A26), 0.4f * (1 - sd / 3.0f));
  if (ahead > 0 && d >= h - 0.5f) {
    float ang = std::atan2(side, ahead);  // -pi/2 .. pi/2 round the bulge
    float taper = 1 - Smooth(1.2f, 1.5f, std::fabs(ang));
    if (d <= h + kKerbWidth * taper) {
      bool red = int(std::floor((ang + 2.0f) * 24.0f / kKerbStripe)) % 2 == 0;
      c = red ? Colour(0xD42A23) : Colour(0xF4F2EE);
      if (d > h + kKerbWidth * taper - 0.8f) c = Scale(c, 0.8f);
    }
  }
  if (sd <= 0) {
    c = Asphalt(x, y);
    if (sd > -3.2f && sd < -1.3f) c = Colour(0xECECE8);
  }
  return c;
}

}  // namespace

Image CornerPatchCell(int corner, bool gravel) {
  TileLook look;
  look.path = CornerPatchPath(corner);
  look.gravel = gravel;
  Image cell(kCell, kCell);
  ShadeRect(cell, 0, 0, kCell, kCell, [&](float x, float y) { return TrackPixel(look, x, y); });
  return cell;
}

Rgba Grass(float x, float y) {
  x = Wrap(x);
  y = Wrap(y);
  float n = PeriodicFbm(x, y, 64, 11);
  float speck = Hash01(WrapI(x), WrapI(y), 12);
  float stripe = (int(std::floor(y / 32.0f)) % 2 == 0) ? 1.03f : 0.97f;
  float k = stripe * (0.88f + 0.24f * n) * (0.94f + 0.12f * speck);
  return Tint(0x4E8E3A, k);
}

Rgba Gravel(float x, float y) {
  x = Wrap(x);
  y = Wrap(y);
  float n = PeriodicFbm(x, y, 64, 21);
  float speck = Hash01(WrapI(x), WrapI(y), 22);
  float pebble = Hash01(WrapI(x) / 2, WrapI(y) / 2, 23);
  float k = (0.9f + 0.16f * n) * (0.86f + 0.26f * speck);
  if (pebble > 0.93f) k *= 0.78f;
  return Tint(0xC8B48C, k);
}

Rgba Asphalt(float x, float y) {
  x = Wrap(x);
  y = Wrap(y);
  float n = PeriodicFbm(x, y, 64, 31);
  float speck = Hash01(WrapI(x), WrapI(y), 32);
  float k = (0.95f + 0.08f * n) * (0.93f + 0.14f * speck);
  return Tint(0x575A60, k);
}

Rgba Sand(float x, float y) {
  x = Wrap(x);
  y = Wrap(y);
  float n = PeriodicFbm(x, y, 64, 41);
  float speck = Hash01(WrapI(x), WrapI(y), 42);
  return Tint(0xE2CC92, (0.92f + 0.12f * n) * (0.95f + 0.08f * speck));
}

Rgba Water(float x, float y) {
  x = Wrap(x);
  y = Wrap(y);
  float n = PeriodicFbm(x, y, 64, 51);
  float ripple =
      0.5f + 0.5f * std::sin((y + 6.0f * PeriodicNoise(x, y, 16, 64, 52)) * 3.14159265f / 4.0f);
  Rgba c = Tint(0x2D6FA8, 0.85f + 0.2f * n);
  if (ripple > 0.93f) c = Mix(c, Colour(0x9CC8EA), 0.5f);
  return c;
}

Image TrackCell(int tile, std::string& error) {
  Image cell(kCell, kCell);
  if (tile >= 40 && tile <= 41) {
    ShadeRect(cell, 0, 0, kCell, kCell,
              [&](float x, float y) { return CornerMarkerPixel(tile == 40, x, y); });
    return cell;
  }
  if (tile >= 42 && tile <= 45) {
    ShadeRect(cell, 0, 0, kCell, kCell, [&](float x, float y) { return PenaltyPixel(tile, x, y); });
    Image label = TextMask("DejaVuSans-Bold.ttf", 11, "+2", error);
    if (label.width <= 1) return cell;
    float sx, sy;
    PenaltyCorner(tile, sx, sy);
    int cx = int(32 + sx * 15), cy = int(32 + sy * 15);
    int lx = cx - label.width / 2, ly = cy - label.height / 2;
    for (int oy = -1; oy <= 1; ++oy)
      for (int ox = -1; ox <= 1; ++ox)
        for (int j = 0; j < label.height; ++j)
          for (int i = 0; i < label.width; ++i)
            cell.Blend(lx + i + ox, ly + j + oy, Colour(0x5A0E00, label.At(i, j).a * 0.8f));
    for (int j = 0; j < label.height; ++j)
      for (int i = 0; i < label.width; ++i)
        cell.Blend(lx + i, ly + j, Colour(0xFFFFFF, label.At(i, j).a));
    return cell;
  }
  if (SideTileHeading(tile) >= 0) {
    bool gravel = tile >= 16;
    ShadeRect(cell, 0, 0, kCell, kCell,
              [&](float x, float y) { return CapPixel(SideTileHeading(tile), gravel, x, y); });
    return cell;
  }
  if (tile == 16) {
    // The crossing of a figure-eight: the west-east straight with the
    // north-south one laid over it, on plain grass.
    TileLook across, along;
    across.path = TilePath(0);
    along.path = TilePath(1);
    across.lanes = TileLanes(0);
    along.lanes = TileLanes(1);
    ShadeRect(cell, 0, 0, kCell, kCell, [&](float x, float y) {
      bool onAlong = std::fabs(Locate(along.path, x, y).u) <= kHalfWidth;
      bool onAcross = std::fabs(Locate(across.path, x, y).u) <= kHalfWidth;
      if (onAlong && onAcross) return Asphalt(x, y);  // the box of the crossing, unpainted
      return onAlong ? TrackPixel(along, x, y) : TrackPixel(across, x, y);
    });
    return cell;
  }
  TileLook look;
  look.path = TilePath(tile);
  if (!look.path.valid) return cell;
  look.gravel = (tile >= 16 && tile <= 31) || (tile >= 36 && tile <= 39);
  look.start = StartDirection(tile);
  look.lanes = TileLanes(tile);
  if (look.path.bend) KerbRange(look.path, look.k0, look.k1);
  ShadeRect(cell, 0, 0, kCell, kCell, [&](float x, float y) { return TrackPixel(look, x, y); });
  return cell;
}

bool MakeTileset(Image& out, std::string& error) {
  out = Image(8 * kCell, 11 * kCell);
  for (int t = 0; t < kTiles; ++t) {
    Image cell = t < 46 ? TrackCell(t, error) : SceneryCell(t);
    if (!error.empty()) return false;
    CopyRect(out, (t % 8) * kCell, (t / 8) * kCell, cell, 0, 0, kCell, kCell);
  }
  return true;
}

}  // namespace assetgen
