// PNG decoding and encoding with libpng, to and from straight RGBA pixels.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct RgbaImage {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> pixels;  // width * height * 4 bytes: R, G, B, A
};

// False for anything that is not a complete, valid PNG of at least 1 x 1.
bool DecodePng(const void* data, size_t size, RgbaImage& out);
// Empty on failure.
std::vector<uint8_t> EncodePng(const RgbaImage& image);
