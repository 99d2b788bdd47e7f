#include "raster.h"

#include <png.h>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace assetgen {

Rgba Colour(uint32_t rgb, float alpha) {
  float r = float((rgb >> 16) & 0xFF) / 255.0f;
  float g = float((rgb >> 8) & 0xFF) / 255.0f;
  float b = float(rgb & 0xFF) / 255.0f;
  return {r * alpha, g * alpha, b * alpha, alpha};
}

Rgba Mix(const Rgba& a, const Rgba& b, float t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}

Rgba Over(const Rgba& top, const Rgba& below) {
  float k = 1.0f - top.a;
  return {top.r + below.r * k, top.g + below.g * k, top.b + below.b * k, top.a + below.a * k};
}

Rgba Scale(const Rgba& c, float k) {
  return {std::min(c.r * k, c.a), std::min(c.g * k, c.a), std::min(c.b * k, c.a), c.a};
}

Rgba WithAlpha(const Rgba& c, float alpha) { return {c.r * alpha, c.g * alpha, c.b * alpha, c.a * alpha}; }

void ShadeRect(Image& img, int x0, int y0, int w, int h, const Shader& shader, int samples) {
  const float inv = 1.0f / float(samples * samples);
  for (int j = 0; j < h; ++j) {
    for (int i = 0; i < w; ++i) {
      Rgba sum;
      for (int sy = 0; sy < samples; ++sy) {
        for (int sx = 0; sx < samples; ++sx) {
          float fx = float(i) + (float(sx) + 0.5f) / float(samples);
          float fy = float(j) + (float(sy) + 0.5f) / float(samples);
          Rgba c = shader(fx, fy);
          sum.r += c.r;
          sum.g += c.g;
          sum.b += c.b;
          sum.a += c.a;
        }
      }
      img.Blend(x0 + i, y0 + j, {sum.r * inv, sum.g * inv, sum.b * inv, sum.a * inv});
    }
  }
}

void Paste(Image& dst, const Image& src, int x, int y) {
  for (int j = 0; j < src.height; ++j)
    for (int i = 0; i < src.width; ++i) dst.Blend(x + i, y + j, src.At(i, j));
}

void CopyRect(Image& dst, int dx, int dy, const Image& src, int sx, int sy, int w, int h) {
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i) {
      int tx = dx + i, ty = dy + j, fx = sx + i, fy = sy + j;
      if (tx < 0 || ty < 0 || tx >= dst.width || ty >= dst.height) continue;
      if (fx < 0 || fy < 0 || fx >= src.width || fy >= src.height) continue;
      dst.At(tx, ty) = src.At(fx, fy);
    }
}

Image RotateQuarter(const Image& src, int quarterTurns) {
  int q = ((quarterTurns % 4) + 4) % 4;
  Image out = src;
  for (int n = 0; n < q; ++n) {
    Image r(out.height, out.width);
    // clockwise: new(x, y) = old(y, H - 1 - x)
    for (int y = 0; y < r.height; ++y)
      for (int x = 0; x < r.width; ++x) r.At(x, y) = out.At(y, out.height - 1 - x);
    out = r;
  }
  return out;
}

Image MirrorX(const Image& src) {
  Image out(src.width, src.height);
  for (int y = 0; y < src.height; ++y)
    for (int x = 0; x < src.width; ++x) out.At(x, y) = src.At(src.width - 1 - x, y);
  return out;
}

Rgba Sample(const Image& src, float x, float y) {
  float fx = x - 0.5f, fy = y - 0.5f;
  int x0 = int(std::floor(fx)), y0 = int(std::floor(fy));
  float tx = fx - float(x0), ty = fy - float(y0);
  auto get = [&](int i, int j) -> Rgba {
    if (i < 0 || j < 0 || i >= src.width || j >= src.height) return {};
    return src.At(i, j);
  };
  Rgba top = Mix(get(x0, y0), get(x0 + 1, y0), tx);
  Rgba bottom = Mix(get(x0, y0 + 1), get(x0 + 1, y0 + 1), tx);
  return Mix(top, bottom, ty);
}

void DrawRotated(Image& dst, const Image& src, int x, int y, float degrees) {
  const float rad = degrees * 3.14159265f / 180.0f;
  const float c = std::cos(rad), s = std::sin(rad);
  const float cx = float(src.width) / 2, cy = float(src.height) / 2;
  int reach = int(std::ceil(std::hypot(cx, cy))) + 1;
  for (int j = -reach; j <= reach; ++j)
    for (int i = -reach; i <= reach; ++i) {
      // destination pixel centre relative to the rotation centre
      float dx = float(i) + 0.5f, dy = float(j) + 0.5f;
      // inverse rotation (screen y down, clockwise positive)
      float sx = c * dx + s * dy + cx;
      float sy = -s * dx + c * dy + cy;
      Rgba v = Sample(src, sx, sy);
      if (v.a <= 0) continue;
      dst.Blend(x + int(cx) + i, y + int(cy) + j, v);
    }
}

bool WritePng(const std::string& path, const Image& img, std::string& error) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) {
    error = "could not create " + path;
    return false;
  }
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!png || !info) {
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
    error = "libpng could not start for " + path;
    return false;
  }
  std::vector<uint8_t> rows(size_t(img.width) * size_t(img.height) * 4);
  for (int y = 0; y < img.height; ++y)
    for (int x = 0; x < img.width; ++x) {
      const Rgba& p = img.At(x, y);
      uint8_t* o = &rows[(size_t(y) * size_t(img.width) + size_t(x)) * 4];
      float a = Clamp01(p.a);
      auto chan = [&](float v) {
        float straight = a > 0 ? v / a : 0;
        return uint8_t(std::lround(Clamp01(straight) * 255.0f));
      };
      o[0] = a > 0 ? chan(p.r) : 0;
      o[1] = a > 0 ? chan(p.g) : 0;
      o[2] = a > 0 ? chan(p.b) : 0;
      o[3] = uint8_t(std::lround(a * 255.0f));
      if (o[3] == 0) o[0] = o[1] = o[2] = 0;
    }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
    error = "libpng failed writing " + path;
    return false;
  }
  png_init_io(png, f);
  png_set_compression_level(png, 9);
  png_set_IHDR(png, info, png_uint_32(img.width), png_uint_32(img.height), 8, PNG_COLOR_TYPE_RGBA,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < img.height; ++y) png_write_row(png, &rows[size_t(y) * size_t(img.width) * 4]);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  if (std::fclose(f) != 0) {
    error = "could not finish " + path;
    return false;
  }
  return true;
}

float Hash01(int x, int y, int seed) {
  uint32_t h = uint32_t(x) * 374761393u + uint32_t(y) * 668265263u + uint32_t(seed) * 2246822519u;
  h = (h ^ (h >> 13)) * 1274126177u;
  h ^= h >> 16;
  return float(h & 0xFFFFFF) / float(0x1000000);
}

float PeriodicNoise(float x, float y, float cell, int period, int seed) {
  int n = int(std::lround(float(period) / cell));
  float gx = x / cell, gy = y / cell;
  int ix = int(std::floor(gx)), iy = int(std::floor(gy));
  float tx = gx - float(ix), ty = gy - float(iy);
  tx = tx * tx * (3 - 2 * tx);
  ty = ty * ty * (3 - 2 * ty);
  auto lat = [&](int i, int j) { return Hash01(((i % n) + n) % n, ((j % n) + n) % n, seed); };
  float a = lat(ix, iy), b = lat(ix + 1, iy), c = lat(ix, iy + 1), d = lat(ix + 1, iy + 1);
  return (a + (b - a) * tx) + ((c + (d - c) * tx) - (a + (b - a) * tx)) * ty;
}

float PeriodicFbm(float x, float y, int period, int seed) {
  float v = 0.5f * PeriodicNoise(x, y, 16, period, seed) + 0.3f * PeriodicNoise(x, y, 8, period, seed + 1) +
            0.2f * PeriodicNoise(x, y, 4, period, seed + 2);
  return v;
}

float SdBox(float px, float py, float cx, float cy, float hx, float hy) {
  float dx = std::fabs(px - cx) - hx, dy = std::fabs(py - cy) - hy;
  float ox = std::max(dx, 0.0f), oy = std::max(dy, 0.0f);
  return std::hypot(ox, oy) + std::min(std::max(dx, dy), 0.0f);
}

float SdRoundBox(float px, float py, float cx, float cy, float hx, float hy, float r) {
  return SdBox(px, py, cx, cy, hx - r, hy - r) - r;
}

float SdSegment(float px, float py, float ax, float ay, float bx, float by) {
  float vx = bx - ax, vy = by - ay, wx = px - ax, wy = py - ay;
  float len2 = vx * vx + vy * vy;
  float t = len2 > 0 ? Clamp01((wx * vx + wy * vy) / len2) : 0;
  return std::hypot(wx - vx * t, wy - vy * t);
}

float SdCircle(float px, float py, float cx, float cy, float r) { return std::hypot(px - cx, py - cy) - r; }

}  // namespace assetgen
