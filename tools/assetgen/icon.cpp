// The desktop icon: a red car on the top straight of a kerbed loop of track,
// on grass, in a rounded square. Drawn at 256 x 256; smaller sizes are the
// same picture averaged down, so every size matches.
#include <cmath>

#include "art.h"

namespace assetgen {

namespace {

Rgba IconPixel(float x, float y) {
  if (SdRoundBox(x, y, 128, 128, 120, 120, 40) > 0) return Rgba{};
  Rgba c = Grass(x * 0.5f, y * 0.5f);
  // The loop's centre line is a rounded box; the track is 44 pixels wide.
  float d = std::fabs(SdRoundBox(x, y, 128, 128, 92, 64, 48));
  if (d < 27) {
    // Red and white kerbs, alternating along the track.
    float along = std::atan2(y - 128, x - 128) * 40 / 3.14159265f;
    c = (int(std::floor(along)) % 2 == 0) ? Colour(0xC8102E) : Colour(0xF2F2F2);
  }
  if (d < 22) c = Asphalt(x * 0.5f, y * 0.5f);
  // A chequered line across the bottom straight.
  if (x >= 150 && x < 162 && y >= 170 && y < 214) {
    int cx = int((x - 150) / 6), cy = int((y - 170) / 5.5f);
    c = ((cx + cy) % 2 == 0) ? Colour(0xF7F7F7) : Colour(0x151515);
  }
  // The car heads east along the top straight: its nose (up in its cell)
  // points right here. Twice the size of a car on the track.
  const float k = 2.0f;
  float lx = 32 + (y - 64) / k, ly = 32 - (x - 128) / k;
  if (lx >= 0 && lx < 64 && ly >= 0 && ly < 64) c = Over(CarArt(0, lx, ly), c);
  return c;
}

Image Halve(const Image& src) {
  Image out(src.width / 2, src.height / 2);
  for (int y = 0; y < out.height; ++y)
    for (int x = 0; x < out.width; ++x) {
      Rgba s[4] = {src.At(2 * x, 2 * y), src.At(2 * x + 1, 2 * y), src.At(2 * x, 2 * y + 1),
                   src.At(2 * x + 1, 2 * y + 1)};
      Rgba& o = out.At(x, y);
      for (const Rgba& p : s) {
        o.r += p.r / 4;
        o.g += p.g / 4;
        o.b += p.b / 4;
        o.a += p.a / 4;
      }
    }
  return out;
}

}  // namespace

Image MakeIcon(int size) {
  Image img(256, 256);
  ShadeRect(img, 0, 0, 256, 256, IconPixel);
  while (img.width > size && img.width > 1) img = Halve(img);
  return img;
}

}  // namespace assetgen
