// Just enough PNG reading for the asset checks: the size from the header and
// the pixels of 8-bit RGBA images (what the asset generator writes).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct RgbaImage {
  int width = 0, height = 0;
  std::vector<uint8_t> px;  // RGBA, row by row
  const uint8_t* At(int x, int y) const { return &px[(size_t(y) * size_t(width) + size_t(x)) * 4]; }
};

// Width and height from the IHDR chunk; false when the bytes are not a PNG.
bool PngSize(const std::string& bytes, int& width, int& height);
// Decodes an 8-bit RGBA, non-interlaced PNG; false (and a reason) otherwise.
bool DecodeRgbaPng(const std::string& bytes, RgbaImage& out, std::string& why);
