// GUI theme: graphite window frame with a red pinstripe, pale inset panels
// and steel buttons. Text is drawn over these in black, dark red and light
// grey (disabled), so the grounds the text stands on stay light.
#include <algorithm>
#include <cmath>

#include "art.h"

namespace assetgen {

namespace {

// Distance from the nearest outer edge of a w x h image with rounded corners.
float Inset(float x, float y, float w, float h, float radius) {
  return -SdRoundBox(x, y, w / 2, h / 2, w / 2, h / 2, radius);
}

}  // namespace

Image MakeFrame() {
  // 9-slice tiles of 32 px: the border sits in the outer 16 px of the edge
  // tiles, the rest of the image is the plain window ground.
  const float size = 96;
  Image img(96, 96);
  ShadeRect(img, 0, 0, 96, 96, [&](float x, float y) {
    // Opaque to the last pixel: dialogs stack over each other and over a
    // screen that is not always redrawn beneath them.
    float d = Inset(x, y, size, size, 7);
    if (d < 1.2f) return Colour(0x0F1114);
    if (d < 12) {
      // carbon weave: a 4-pixel checker of slightly different greys
      int cx = int(std::floor(x / 2)), cy = int(std::floor(y / 2));
      bool weave = ((cx + cy) / 2) % 2 == 0;
      Rgba c = Colour(weave ? 0x30343A : 0x272A2F);
      if (d < 2.4f) c = Colour(0x4C535C);                   // outer highlight
      if (d > 10.8f) c = Colour(0x1B1D21);                  // shadow before the stripe
      return c;
    }
    if (d < 13.8f) return Colour(0xD0202A);                 // red pinstripe
    if (d < 15.0f) return Colour(0x1B1D21);
    if (d < 16.2f) return Colour(0x8D949C);
    return Colour(0xCBD0D6);                                // window ground
  });
  return img;
}

Image MakePanel() {
  Image img(24, 24);
  ShadeRect(img, 0, 0, 24, 24, [&](float x, float y) {
    float d = Inset(x, y, 24, 24, 2);
    if (d < 0) return Rgba{};
    if (d < 1) return Colour(0x59606A);
    if (d < 2) {
      // inner shadow at the top and left, a light rim at the bottom and right
      bool lit = x + y > 24;
      return Colour(lit ? 0xFFFFFF : 0xA3AAB2);
    }
    return Colour(0xF7F5EF);
  });
  return img;
}

Image MakeButton(int w, bool accent, ButtonLook look, int height) {
  const float h = float(height);
  Image img(w, height);
  ShadeRect(img, 0, 0, w, height, [&](float x, float y) {
    float d = Inset(x, y, float(w), h, 6);
    if (d < 0) return Rgba{};
    if (d < 1.1f) return Colour(0x1E2227);
    // steel face: light at the top, deeper toward the bottom; under the
    // pointer a warmer, brighter steel; pressed, the light comes from below
    float t = (y - 1) / (h - 2);
    if (look == ButtonLook::Pressed) t = 1 - t;
    Rgba c = t < 0.5f ? Mix(Colour(0xD3D9E0), Colour(0xA8B1BC), t * 2) : Mix(Colour(0x9EA8B4), Colour(0x8893A0), (t - 0.5f) * 2);
    if (look == ButtonLook::Hover) c = Mix(c, Colour(0xFFF1D6), 0.35f);
    if (look == ButtonLook::Pressed) c = Scale(c, 0.86f);
    const bool lightTop = look != ButtonLook::Pressed;
    if (d < 2.2f && (y < h / 2) == lightTop) c = Mix(c, Colour(0xF4F6F8), 0.7f);
    if (d < 2.2f && (y >= h / 2) == lightTop) c = Mix(c, Colour(0x6F7883), 0.6f);
    // red accent bar at the left end, lit up under the pointer
    if (accent && x > 3.5f && x < 6.5f && y > 6 && y < h - 6)
      c = Colour(look == ButtonLook::Normal ? 0xD0202A : 0xFF3B3B);
    return c;
  });
  return img;
}

Image MakeMenuButton(ButtonLook look) {
  // 256 x 48: a 42-pixel face with three clear pixels above and below, so
  // the menu's stacked buttons stand apart.
  Image img(256, 48);
  Image face = MakeButton(256, true, look, 42);
  CopyRect(img, 0, 3, face, 0, 0, 256, 42);
  return img;
}

Image MakeScrollArrows() {
  // two plain buttons stacked, an arrow up on the upper, down on the lower
  Image img(24, 64);
  for (int half = 0; half < 2; ++half) {
    Image face = MakeButton(24, false);
    ShadeRect(face, 0, 0, 24, 32, [&](float x, float y) {
      float yy = half == 0 ? y : 32 - y;
      float tri = std::max(yy - 20.0f, 0.9f * std::fabs(x - 12) + 0.5f * (12 - yy) - 2.5f);
      return tri <= 0 ? Colour(0x23272D) : Rgba{};
    });
    CopyRect(img, 0, half * 32, face, 0, 0, 24, 32);
  }
  return img;
}

Image MakeChartInk() {
  // Plain white, tinted by the game into each driver's colour: the season
  // chart's lines, dots and swatches.
  Image img(8, 8);
  ShadeRect(img, 0, 0, 8, 8, [](float, float) { return Colour(0xFFFFFF); });
  return img;
}

}  // namespace assetgen
