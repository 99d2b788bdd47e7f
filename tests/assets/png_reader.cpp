#include "png_reader.h"

#include <zlib.h>

#include <cstdlib>

namespace {

uint32_t Be32(const std::string& b, size_t at) {
  return (uint32_t(uint8_t(b[at])) << 24) | (uint32_t(uint8_t(b[at + 1])) << 16) |
         (uint32_t(uint8_t(b[at + 2])) << 8) | uint32_t(uint8_t(b[at + 3]));
}

const char kSignature[] = "\x89PNG\r\n\x1a\n";

int Paeth(int a, int b, int c) {
  int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  if (pa <= pb && pa <= pc) return a;
  return pb <= pc ? b : c;
}

}  // namespace

bool PngSize(const std::string& bytes, int& width, int& height) {
  if (bytes.size() < 24 || bytes.compare(0, 8, kSignature, 8) != 0 || bytes.compare(12, 4, "IHDR") != 0)
    return false;
  width = int(Be32(bytes, 16));
  height = int(Be32(bytes, 20));
  return true;
}

bool DecodeRgbaPng(const std::string& bytes, RgbaImage& out, std::string& why) {
  if (!PngSize(bytes, out.width, out.height)) {
    why = "not a PNG";
    return false;
  }
  if (uint8_t(bytes[24]) != 8 || uint8_t(bytes[25]) != 6 || uint8_t(bytes[28]) != 0) {
    why = "not 8-bit RGBA without interlace";
    return false;
  }
  std::string idat;
  for (size_t at = 8; at + 12 <= bytes.size();) {
    uint32_t len = Be32(bytes, at);
    if (at + 12 + len > bytes.size()) break;
    if (bytes.compare(at + 4, 4, "IDAT") == 0) idat.append(bytes, at + 8, len);
    at += 12 + len;
  }
  size_t stride = size_t(out.width) * 4;
  std::vector<uint8_t> raw((stride + 1) * size_t(out.height));
  uLongf rawLen = uLongf(raw.size());
  if (uncompress(raw.data(), &rawLen, reinterpret_cast<const Bytef*>(idat.data()), uLong(idat.size())) != Z_OK ||
      rawLen != raw.size()) {
    why = "bad image data";
    return false;
  }
  out.px.assign(stride * size_t(out.height), 0);
  for (int y = 0; y < out.height; ++y) {
    uint8_t filter = raw[size_t(y) * (stride + 1)];
    const uint8_t* in = &raw[size_t(y) * (stride + 1) + 1];
    uint8_t* row = &out.px[size_t(y) * stride];
    const uint8_t* up = y > 0 ? &out.px[size_t(y - 1) * stride] : nullptr;
    for (size_t i = 0; i < stride; ++i) {
      int a = i >= 4 ? row[i - 4] : 0, b = up ? up[i] : 0, c = (up && i >= 4) ? up[i - 4] : 0;
      int v = in[i];
      switch (filter) {
        case 0: break;
        case 1: v += a; break;
        case 2: v += b; break;
        case 3: v += (a + b) / 2; break;
        case 4: v += Paeth(a, b, c); break;
        default: why = "bad filter"; return false;
      }
      row[i] = uint8_t(v);
    }
  }
  return true;
}
