// Racing cars seen from above, nose up, centred in their 64 x 64 cells.
#include <algorithm>
#include <cmath>
#include <string>

#include "art.h"
#include "fonts.h"
#include "geometry.h"

namespace assetgen {

namespace {

struct Livery {
  uint32_t body, accent, helmet;
};

const Livery kLiveries[kCars] = {
    {0xC8102E, 0xF2F2F2, 0xF2C12E}, {0x1B3FA6, 0xF2C12E, 0xF2F2F2}, {0x0E7A3A, 0xF2F2F2, 0x1E1E1E},
    {0xF2C12E, 0x1E1E1E, 0xC8102E}, {0xF2F2F2, 0xC8102E, 0x1B3FA6}, {0x1E1E1E, 0xE87A2E, 0xF2F2F2},
    {0xE87A2E, 0x1B3FA6, 0xF2F2F2}, {0x5A2D91, 0xF2C12E, 0xF2F2F2}, {0x18A7C9, 0xF2F2F2, 0xC8102E},
    {0x8C1B1B, 0xD8B86A, 0xF2F2F2}, {0x9AA3AD, 0xC8102E, 0x1E1E1E}, {0xE0458B, 0xF2F2F2, 0x1B3FA6},
    {0x2E4A2E, 0xF2C12E, 0xE87A2E}, {0x0D2B5E, 0x18A7C9, 0xF2F2F2}, {0x6FBF3A, 0x1E1E1E, 0xF2F2F2},
    {0xB07A2A, 0x1E1E1E, 0xF2C12E}, {0xF2F2F2, 0x0E7A3A, 0xF2C12E}, {0x1E1E1E, 0xC8102E, 0xF2C12E},
    {0xC8102E, 0x1E1E1E, 0xF2F2F2}, {0x1B3FA6, 0xF2F2F2, 0xC8102E}, {0xF2C12E, 0x1B3FA6, 0x1E1E1E},
    {0x18A7C9, 0xE0458B, 0xF2F2F2}, {0x4A4F57, 0x6FBF3A, 0xF2F2F2}, {0xE87A2E, 0xF2F2F2, 0x1E1E1E},
};

// Body outline: a narrow nose widening into sidepods, tapering at the back.
float BodyHalfWidth(float y) {
  if (y < 16 || y > 47) return -1;
  if (y < 27) return 2.0f + (y - 16) * 0.16f;  // nose cone
  if (y < 30) return 3.8f + (y - 27) * 1.1f;
  if (y < 41) return 7.0f;                     // sidepods
  return 7.0f - (y - 41) * 0.55f;              // gearbox
}

Rgba CarPixel(const Livery& l, float x, float y) {
  Rgba c;
  auto wheel = [&](float cx, float cy, float hx, float hy) {
    float d = SdRoundBox(x, y, cx, cy, hx, hy, 1.2f);
    if (d < 0) c = Colour(d > -0.8f ? 0x0E0E0E : 0x2A2A2A);
  };
  // shadow
  {
    float hw = BodyHalfWidth(y - 1.5f);
    bool body = hw > 0 && std::fabs(x - 33.5f) < hw;
    bool wings = SdBox(x - 1.5f, y - 1.5f, 32, 15.5f, 9, 1.8f) < 0 || SdBox(x - 1.5f, y - 1.5f, 32, 48.5f, 8, 2) < 0;
    if (body || wings) c = Colour(0x000000, 0.28f);
  }
  // suspension arms
  if (SdSegment(x, y, 28, 22, 36, 22) < 0.5f || SdSegment(x, y, 27, 44, 37, 44) < 0.5f) c = Colour(0x1A1A1A);
  wheel(24.5f, 22.5f, 2.2f, 3.6f);
  wheel(39.5f, 22.5f, 2.2f, 3.6f);
  wheel(24.2f, 43.5f, 2.6f, 4.4f);
  wheel(39.8f, 43.5f, 2.6f, 4.4f);
  float hw = BodyHalfWidth(y);
  if (hw > 0 && std::fabs(x - 32) < hw) {
    float edge = hw - std::fabs(x - 32);
    c = Colour(l.body);
    // centre stripe
    if (std::fabs(x - 32) < 1.3f && y < 28) c = Colour(l.accent);
    if (y > 31 && y < 41 && std::fabs(std::fabs(x - 32) - 5.2f) < 0.9f) c = Colour(l.accent);
    // light from the top left
    float shade = 1.0f + 0.12f * Clamp01((32 - x) / hw) - 0.18f * Clamp01((x - 32) / hw);
    c = Scale(c, shade);
    if (edge < 0.7f) c = Mix(c, Colour(0x101010), 0.6f);
  }
  // cockpit and helmet
  if (SdRoundBox(x, y, 32, 31.5f, 2.6f, 4.2f, 2.2f) < 0) c = Colour(0x151515);
  if (SdCircle(x, y, 32, 31.2f, 2.2f) < 0) c = Colour(l.helmet);
  if (SdBox(x, y, 32, 30.4f, 1.5f, 0.5f) < 0) c = Colour(0x202020);  // visor
  // front and rear wings
  if (SdBox(x, y, 32, 15.2f, 9, 1.6f) < 0) c = Colour(l.accent);
  if (SdBox(x, y, 32, 15.2f, 9, 1.6f) < 0 && std::fabs(x - 32) > 8) c = Colour(0x1A1A1A);
  if (SdBox(x, y, 32, 48.6f, 8, 1.9f) < 0) c = Colour(l.accent);
  if (SdBox(x, y, 32, 48.6f, 8, 1.9f) < 0 && std::fabs(x - 32) > 7) c = Colour(0x1A1A1A);
  // number panel on the engine cover
  if (SdRoundBox(x, y, 32, 40.2f, 4.6f, 3.6f, 1.0f) < 0) c = Colour(0xF7F7F7);
  return c;
}

}  // namespace

Rgba CarArt(int car, float x, float y) { return CarPixel(kLiveries[car % kCars], x, y); }

bool MakeCars(Image& out, std::string& error) {
  out = Image(8 * kCell, 11 * kCell);
  for (int n = 0; n < kCars; ++n) {
    const Livery& l = kLiveries[n];
    Image cell(kCell, kCell);
    ShadeRect(cell, 0, 0, kCell, kCell, [&](float x, float y) { return CarPixel(l, x, y); });
    Image number = TextMask("DejaVuSansCondensed-Bold.ttf", 8, std::to_string(n + 1), error);
    if (!error.empty()) return false;
    int nx = 32 - (number.width + 1) / 2, ny = 40 - (number.height + 1) / 2;
    for (int j = 0; j < number.height; ++j)
      for (int i = 0; i < number.width; ++i) cell.Blend(nx + i, ny + j, Colour(0x111111, number.At(i, j).a));
    CopyRect(out, (n % 8) * kCell, (n / 8) * kCell, cell, 0, 0, kCell, kCell);
  }
  return true;
}

}  // namespace assetgen
