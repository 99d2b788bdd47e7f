// Small software rasteriser for the asset generator: float RGBA images with
// premultiplied alpha, supersampled shading, value noise that tiles every 64
// pixels (so neighbouring track tiles meet without seams) and a PNG writer.
#pragma once

#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace assetgen {

struct Rgba {
  float r = 0, g = 0, b = 0, a = 0;  // premultiplied
};

// A straight (not premultiplied) colour from 0xRRGGBB and an opacity.
Rgba Colour(uint32_t rgb, float alpha = 1.0f);
Rgba Mix(const Rgba& a, const Rgba& b, float t);  // t = 0 gives a
Rgba Over(const Rgba& top, const Rgba& below);
Rgba Scale(const Rgba& c, float k);               // scales colour, keeps alpha
Rgba WithAlpha(const Rgba& c, float alpha);       // multiplies coverage

struct Image {
  int width = 0, height = 0;
  std::vector<Rgba> px;
  Image() = default;
  Image(int w, int h) : width(w), height(h), px(size_t(w) * size_t(h)) {}
  Rgba& At(int x, int y) { return px[size_t(y) * size_t(width) + size_t(x)]; }
  const Rgba& At(int x, int y) const { return px[size_t(y) * size_t(width) + size_t(x)]; }
  void Blend(int x, int y, const Rgba& c) {
    if (x >= 0 && y >= 0 && x < width && y < height) At(x, y) = Over(c, At(x, y));
  }
};

using Shader = std::function<Rgba(float x, float y)>;

// Fills the w x h rectangle at (x0, y0) with the average of samples x samples
// evaluations of the shader per pixel; shader coordinates are relative to
// (x0, y0), pixel (i, j) covering [i, i+1) x [j, j+1). The result is placed
// over what is there already.
void ShadeRect(Image& img, int x0, int y0, int w, int h, const Shader& shader, int samples = 4);

// Copies src over dst at (x, y), alpha-composited.
void Paste(Image& dst, const Image& src, int x, int y);
// Copies the rectangle (sx, sy, w, h) of src into dst at (dx, dy), replacing.
void CopyRect(Image& dst, int dx, int dy, const Image& src, int sx, int sy, int w, int h);
// Rotates a square image by quarter turns clockwise.
Image RotateQuarter(const Image& src, int quarterTurns);
Image MirrorX(const Image& src);
// Bilinear sample of src at continuous coordinates (pixel centres at i + 0.5).
Rgba Sample(const Image& src, float x, float y);
// Draws src rotated clockwise by degrees about its centre, its top-left corner
// at (x, y) before rotation (the way the game displays rotated sprites).
void DrawRotated(Image& dst, const Image& src, int x, int y, float degrees);

// Writes an 8-bit RGBA PNG; returns false and sets error on failure.
bool WritePng(const std::string& path, const Image& img, std::string& error);

// Deterministic noise. Hash gives [0, 1) for integer lattice points;
// PeriodicNoise is smooth value noise of the given cell size that repeats
// every period pixels in x and y (period a multiple of cell).
float Hash01(int x, int y, int seed);
float PeriodicNoise(float x, float y, float cell, int period, int seed);
// A few octaves of PeriodicNoise, result roughly in [0, 1].
float PeriodicFbm(float x, float y, int period, int seed);

inline float Clamp01(float v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }
inline float Smooth(float e0, float e1, float v) {
  float t = Clamp01((v - e0) / (e1 - e0));
  return t * t * (3 - 2 * t);
}
// Coverage of a shape at signed distance d (negative inside), one pixel soft;
// used with supersampling off, for thin strokes.
inline float Cover(float d) { return Clamp01(0.5f - d); }

// Signed distance helpers (negative inside).
float SdBox(float px, float py, float cx, float cy, float hx, float hy);
float SdRoundBox(float px, float py, float cx, float cy, float hx, float hy, float r);
float SdSegment(float px, float py, float ax, float ay, float bx, float by);
float SdCircle(float px, float py, float cx, float cy, float r);

}  // namespace assetgen
