// The title screen's logo: "THE VELOTRAX" in slanted heavy capitals, white
// edged in graphite over a red speed stripe, with a chequered flag band at
// the left end. Drawn on a transparent ground so the board shows round it.
#include <algorithm>
#include <cmath>

#include "art.h"
#include "fonts.h"

namespace assetgen {

namespace {

// The mask's coverage at a pixel, 0 outside it.
float Coverage(const Image& mask, int x, int y) {
  if (x < 0 || y < 0 || x >= mask.width || y >= mask.height) return 0;
  return mask.At(x, y).a;
}

// The mask grown by radius pixels (the largest coverage within a disc).
float Grown(const Image& mask, int x, int y, int radius) {
  float best = 0;
  for (int dy = -radius; dy <= radius; ++dy)
    for (int dx = -radius; dx <= radius; ++dx)
      if (dx * dx + dy * dy <= radius * radius) best = std::max(best, Coverage(mask, x + dx, y + dy));
  return best;
}

// The mask slanted forward (its top leans right by a fifth of its height).
Image Slanted(const Image& mask) {
  const float lean = 0.2f;
  const int extra = int(std::ceil(mask.height * lean));
  Image out(mask.width + extra, mask.height);
  for (int y = 0; y < out.height; ++y)
    for (int x = 0; x < out.width; ++x) {
      const float sx = x + 0.5f - (mask.height - 1 - y) * lean;
      out.At(x, y) = Sample(mask, sx, y + 0.5f);
    }
  return out;
}

}  // namespace

bool MakeLogo(Image& out, std::string& error) {
  Image word = TextMask("DejaVuSans-Bold.ttf", 84, "VELOTRAX", error);
  if (word.width <= 1) return false;
  Image the = TextMask("DejaVuSans-Bold.ttf", 26, "THE", error);
  if (the.width <= 1) return false;
  word = Slanted(word);
  the = Slanted(the);
  const int pad = 10;
  const int flag = 54;                      // the chequered band's width
  const int wordX = pad + flag + 12;
  const int theY = pad;
  const int wordY = theY + the.height + 6;
  const int width = wordX + word.width + pad + 6;
  const int stripeY = wordY + word.height + 8;
  const int height = stripeY + 14 + pad;
  out = Image(width, height);
  // Speed stripe: a red bar under the name, fading out to the right, its
  // left end cut on the slant of the letters.
  ShadeRect(out, 0, 0, width, height, [&](float x, float y) {
    const float top = float(stripeY), bottom = top + 10;
    if (y < top || y >= bottom) return Rgba{};
    const float slant = (bottom - y) * 0.35f;
    if (x < pad + slant) return Rgba{};
    const float fade = 1.0f - Smooth(width * 0.55f, float(width - pad), x);
    Rgba c = Colour(y < top + 2 ? 0xF0404A : 0xC8102E);
    return WithAlpha(c, fade);
  });
  // Chequered band: five rows of squares on the same slant, left of the name.
  ShadeRect(out, 0, 0, width, height, [&](float x, float y) {
    const float top = float(wordY + 4), bottom = float(stripeY - 6);
    if (y < top || y >= bottom) return Rgba{};
    const float sx = x - pad + (y - top) * 0.2f - 6;
    if (sx < 0 || sx >= flag) return Rgba{};
    const float square = (bottom - top) / 5;
    const int cx = int(std::floor(sx / square)), cy = int(std::floor((y - top) / square));
    return Colour((cx + cy) % 2 == 0 ? 0x14161A : 0xF4F4F0);
  });
  // The words: a soft shadow, a graphite edge, then white with a cool shade
  // toward the bottom of each letter.
  auto place = [&](const Image& mask, int ox, int oy, int edge) {
    for (int y = 0; y < mask.height + 2 * edge + 4; ++y)
      for (int x = 0; x < mask.width + 2 * edge + 4; ++x) {
        const int mx = x - edge, my = y - edge;
        const float shadow = Grown(mask, mx - 3, my - 3, edge) * 0.45f;
        const float rim = Grown(mask, mx, my, edge);
        const float face = Coverage(mask, mx, my);
        Rgba c = WithAlpha(Colour(0x000000), shadow);
        c = Over(WithAlpha(Colour(0x1B1D21), rim), c);
        const float t = mask.height > 1 ? float(my) / float(mask.height - 1) : 0;
        c = Over(WithAlpha(Mix(Colour(0xFFFFFF), Colour(0xC9D2DC), Clamp01(t)), face), c);
        out.Blend(ox - edge + x, oy - edge + y, c);
      }
  };
  place(the, wordX + 4, theY, 2);
  place(word, wordX, wordY, 3);
  return true;
}

}  // namespace assetgen
