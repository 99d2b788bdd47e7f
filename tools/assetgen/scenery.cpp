// Scenery cells 46..87 of the tile sheet.
#include <algorithm>
#include <cmath>

#include "art.h"
#include "geometry.h"

namespace assetgen {

namespace {

float Wrap64(float v) { return v - 64.0f * std::floor(v / 64.0f); }

Image Shade(const Shader& s) {
  Image img(kCell, kCell);
  ShadeRect(img, 0, 0, kCell, kCell, s);
  return img;
}

// Tree canopies: a few lobes, darker under, lighter where the sun falls.
Rgba Canopy(float x, float y, float cx, float cy, float r, int seed, const Rgba& below) {
  float sd = SdCircle(x, y, cx + 3, cy + 3, r);
  Rgba c = below;
  if (sd < 0) c = Mix(c, Colour(0x000000), 0.35f);
  float lob = 1e9f;
  for (int k = 0; k < 5; ++k) {
    float a = float(k) * 1.2566f + Hash01(k, seed, 61) * 0.8f;
    float lx = cx + std::cos(a) * r * 0.45f, ly = cy + std::sin(a) * r * 0.45f;
    lob = std::min(lob, SdCircle(x, y, lx, ly, r * 0.62f));
  }
  lob = std::min(lob, SdCircle(x, y, cx, cy, r * 0.7f));
  if (lob < 0) {
    float light = Clamp01(0.5f + ((cx - x) + (cy - y)) / (2.6f * r));
    float n = PeriodicNoise(x, y, 4, 64, seed);
    c = Mix(Colour(0x1F5A22), Colour(0x5FA446), Clamp01(light * 0.8f + n * 0.3f));
    if (lob > -1.0f) c = Mix(c, Colour(0x173F18), 0.5f);
  }
  return c;
}

// A grandstand facing south: roof at the back, stepped rows of spectators,
// a painted front wall. piece 0 west end, 1 middle, 2 east end.
Rgba Grandstand(int piece, float x, float y) {
  Rgba c;
  float left = piece == 0 ? 8.0f : -1.0f, right = piece == 2 ? 56.0f : 65.0f;
  if (x < left || x > right || y < 4 || y > 50) {
    // shadow cast toward the south-east
    if (x >= left + 3 && x <= right + 3 && y > 50 && y < 54) c = Colour(0, 0.3f);
    return c;
  }
  if (y < 14) {
    // roof with ribs
    float rib = Wrap64(x) - 8.0f * std::floor(Wrap64(x) / 8.0f);
    c = Colour(rib < 1.5f ? 0x8C949E : 0xB7BEC6);
    if (y > 12.5f) c = Colour(0x5D646C);
  } else if (y < 46) {
    int row = int((y - 14) / 4);
    float inRow = y - 14 - float(row) * 4;
    c = Colour(inRow < 1 ? 0x9A9FA6 : 0x6E747C);
    int seat = int(std::floor(Wrap64(x) / 3));
    float h = Hash01(seat, row, 71);
    if (inRow >= 1 && h < 0.82f) {
      static const uint32_t shirts[] = {0xD23A30, 0xF2F2F2, 0x2E62C9, 0xF2C12E, 0x3AA655, 0xE87A2E, 0x1E1E1E};
      float cxp = float(seat) * 3 + 1.5f;
      float dx = Wrap64(x) - cxp, dy = inRow - 2.5f;
      if (dx * dx + dy * dy < 2.0f) c = Colour(shirts[int(Hash01(seat, row, 72) * 7) % 7]);
      else if (dx * dx + (dy + 1.2f) * (dy + 1.2f) < 0.8f) c = Colour(0xE8C3A0);
    }
  } else {
    // front wall with advertising panels
    int panel = int(std::floor(Wrap64(x) / 16));
    c = Colour(panel % 2 == 0 ? 0xF0F0F0 : 0xC8262B);
    if (y > 48.5f) c = Colour(0x3A3F45);
  }
  if ((piece == 0 && x < left + 1.5f) || (piece == 2 && x > right - 1.5f)) c = Colour(0x4A5058);
  return c;
}

// Pit building facing south: roof, garage doors, and the pit apron.
Rgba PitBuilding(float x, float y) {
  float wx = Wrap64(x);
  if (y > 49) {
    Rgba c = Asphalt(x, y);
    if (y > 61 && y < 62.5f) c = Colour(0xECECE8);
    return c;
  }
  if (y < 3) return {};
  Rgba c = Colour(0xD9DDE2);
  if (y < 4.5f) c = Colour(0x7D858E);
  // rooftop plant
  if (SdBox(wx, y, 16, 16, 6, 5) < 0 || SdBox(wx, y, 48, 16, 6, 5) < 0) c = Colour(0xA4ACB5);
  if (SdCircle(wx, y, 16, 16, 3) < 0 || SdCircle(wx, y, 48, 16, 3) < 0) c = Colour(0x6B727A);
  if (y > 34) {
    c = Colour(0x2E3338);
    float door = wx - 16.0f * std::floor(wx / 16.0f);
    if (door > 2 && door < 14 && y > 37) c = Colour(0x14171A);
    if (door > 2 && door < 14 && y > 37 && y < 39) c = Colour(0xE4E6E8);
    if (door < 2 || door > 14) c = Colour(0xC8262B);
  }
  return c;
}

Rgba TyreWall(float x, float y) {
  Rgba c;
  // wall along the north edge, two rows of tyres with a belt
  if (y >= 2 && y <= 12) c = Colour(0, 0.25f);
  for (int row = 0; row < 2; ++row) {
    float cy = 5.0f + float(row) * 4.0f;
    float cx = std::round((x - float(row) * 2) / 4.0f) * 4.0f + float(row) * 2;
    float d = SdCircle(x, y, cx, cy, 2.1f);
    if (d < 0) c = Colour(d > -0.9f ? 0x1A1A1A : 0x3A3A3A);
  }
  if (y > 6.4f && y < 7.6f) c = Colour(0x2B5FD0);
  return c;
}

// Asphalt in two opposite corners: beside two diagonals running side by side.
// Asphalt in two opposite corners, beside two diagonals running side by side:
// each half of the cell comes from the patch whose corner it holds.
Image DoubleCorner(int a, int b) {
  Image one = CornerPatchCell(a, false), two = CornerPatchCell(b, false);
  Image out = one;
  for (int y = 0; y < kCell; ++y)
    for (int x = 0; x < kCell; ++x) {
      bool nearA = (a == 1) ? (x - y > 0) : (x + y > 63);
      if (!nearA) out.At(x, y) = two.At(x, y);
    }
  return out;
}

// Objects drawn on a transparent ground are turned first and then laid on
// unturned grass, so the grass still joins its neighbours.
Image OnGrass(const Image& object, int quarterTurns) {
  Image out = Shade(Grass);
  Paste(out, RotateQuarter(object, quarterTurns), 0, 0);
  return out;
}

}  // namespace

std::string SceneryName(int tile) {
  static const char* names[] = {
      "grass",                                              // 46
      "rough grass",                                        // 47
      "group of trees",                                     // 48
      "water (joins with itself)",                          // 49
      "grandstand facing south, middle (repeats west-east)",  // 50
      "pit building facing south (repeats west-east)",      // 51
      "sand",                                               // 52
      "gravel (joins with itself)",                         // 53
      "tree",                                               // 54
      "woods (joins with itself)",                          // 55
      "pond in grass",                                      // 56
      "bushes and flowers",                                 // 57
      "grandstand facing south, west end",                  // 58
      "grandstand facing south, east end",                  // 59
      "grandstand facing west, north end",                  // 60
      "grandstand facing west, middle",                     // 61
      "grandstand facing west, south end",                  // 62
      "grandstand facing north, east end",                  // 63
      "grandstand facing north, middle",                    // 64
      "grandstand facing north, west end",                  // 65
      "grandstand facing east, south end",                  // 66
      "grandstand facing east, middle",                     // 67
      "grandstand facing east, north end",                  // 68
      "pit building facing west (repeats north-south)",     // 69
      "pit building facing north (repeats west-east)",      // 70
      "pit building facing east (repeats north-south)",     // 71
      "tyre wall along the north edge",                     // 72
      "tyre wall along the east edge",                      // 73
      "tyre wall along the south edge",                     // 74
      "tyre wall along the west edge",                      // 75
      "plain border (concrete)",                            // 76
      "asphalt run-off (joins the track asphalt)",          // 77
      "corner asphalt, north-east corner",                  // 78
      "corner asphalt, south-east corner",                  // 79
      "corner asphalt, south-west corner",                  // 80
      "corner asphalt, north-west corner",                  // 81
      "corner asphalt, north-east and south-west corners",  // 82
      "corner asphalt, north-west and south-east corners",  // 83
      "gravel trap on the north half",                      // 84
      "gravel trap on the east half",                       // 85
      "gravel trap on the south half",                      // 86
      "gravel trap on the west half",                       // 87
  };
  if (tile < 46 || tile > 87) return "";
  return names[tile - 46];
}

Image SceneryCell(int tile) {
  switch (tile) {
    case 46: return Shade(Grass);
    case 47:
      return Shade([](float x, float y) {
        Rgba c = Grass(x, y);
        float n = PeriodicFbm(x + 17, y + 5, 64, 81);
        if (n > 0.58f) c = Mix(c, Colour(0x3C6B2C), 0.55f);
        if (Hash01(int(Wrap64(x)), int(Wrap64(y)), 82) > 0.985f) c = Colour(0xF2E04A);
        return c;
      });
    case 48:
      return Shade([](float x, float y) {
        Rgba c = Grass(x, y);
        c = Canopy(x, y, 18, 20, 12, 6, c);
        c = Canopy(x, y, 44, 26, 13, 7, c);
        c = Canopy(x, y, 28, 45, 12, 8, c);
        return c;
      });
    case 49: return Shade(Water);
    case 50: return OnGrass(Shade([](float x, float y) { return Grandstand(1, x, y); }), 0);
    case 51: return OnGrass(Shade(PitBuilding), 0);
    case 52: return Shade(Sand);
    case 53: return Shade(Gravel);
    case 54: return Shade([](float x, float y) { return Canopy(x, y, 30, 30, 19, 5, Grass(x, y)); });
    case 55:
      return Shade([](float x, float y) {
        Rgba c = Mix(Grass(x, y), Colour(0x163D18), 0.6f);
        // a wrapped lattice of trees so the woods repeat without seams
        for (int k = 0; k < 9; ++k) {
          float cx = float(k % 3) * 21.3f + 10 + 6 * Hash01(k, 1, 84), cy = float(k / 3) * 21.3f + 10 + 6 * Hash01(k, 2, 84);
          for (int oy = -1; oy <= 1; ++oy)
            for (int ox = -1; ox <= 1; ++ox) c = Canopy(x, y, cx + 64.0f * float(ox), cy + 64.0f * float(oy), 12, 9 + k, c);
        }
        return c;
      });
    case 56:
      return Shade([](float x, float y) {
        float wob = 3.0f * PeriodicNoise(x, y, 16, 64, 83);
        float d = SdCircle(x, y, 32, 33, 22) + wob;
        Rgba c = Grass(x, y);
        if (d < 2.5f) c = Sand(x, y);
        if (d < 0) c = Water(x, y);
        return c;
      });
    case 57:
      return Shade([](float x, float y) {
        Rgba c = Grass(x, y);
        for (int k = 0; k < 6; ++k) {
          float cx = 10 + 44 * Hash01(k, 3, 85), cy = 10 + 44 * Hash01(k, 4, 85);
          float d = SdCircle(x, y, cx, cy, 5 + 2 * Hash01(k, 5, 85));
          if (d < 0) c = Mix(Colour(0x2F6B2A), Colour(0x4F9A3E), Clamp01(0.5f + (cx - x + cy - y) / 12));
          if (d < 0 && Hash01(int(x), int(y), 86 + k) > 0.9f) c = Colour(k % 2 ? 0xE8485A : 0xF5F0F0);
        }
        return c;
      });
    case 58: return OnGrass(Shade([](float x, float y) { return Grandstand(0, x, y); }), 0);
    case 59: return OnGrass(Shade([](float x, float y) { return Grandstand(2, x, y); }), 0);
    case 76:
      return Shade([](float x, float y) {
        float n = PeriodicNoise(x, y, 4, 64, 87);
        Rgba c = Scale(Colour(0x8E9399), 0.92f + 0.12f * n);
        if (Wrap64(x) < 1 || Wrap64(y) < 1) c = Colour(0x6F757C);
        return c;
      });
    case 77: return Shade(Asphalt);
    case 78: return CornerPatchCell(1, false);
    case 79: return CornerPatchCell(3, false);
    case 80: return CornerPatchCell(5, false);
    case 81: return CornerPatchCell(7, false);
    case 82: return DoubleCorner(1, 5);
    case 83: return DoubleCorner(3, 7);
    default: break;
  }
  if (tile >= 60 && tile <= 68) {
    int piece = (tile - 60) % 3, turn = 1 + (tile - 60) / 3;
    return OnGrass(Shade([piece](float x, float y) { return Grandstand(piece, x, y); }), turn);
  }
  if (tile >= 69 && tile <= 71) return OnGrass(Shade(PitBuilding), tile - 68);
  if (tile >= 72 && tile <= 75) return OnGrass(Shade(TyreWall), tile - 72);
  if (tile >= 84 && tile <= 87) {
    Image gravel = Shade([](float x, float y) {
      Rgba c;
      float edge = 32 + 2.0f * PeriodicNoise(x, 0, 8, 64, 88);
      if (y < edge) c = Gravel(x, y);
      if (y >= edge && y < edge + 1.5f) c = Colour(0x3D5A2A, 0.5f);
      return c;
    });
    return OnGrass(gravel, tile - 84);
  }
  return Shade(Grass);
}

}  // namespace assetgen
