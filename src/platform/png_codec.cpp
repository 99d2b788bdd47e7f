#include "platform/png_codec.h"

#include <png.h>

#include <csetjmp>
#include <cstring>

namespace {
struct ReadCursor {
  const uint8_t* data;
  size_t size;
  size_t pos;
};

void ReadFromMemory(png_structp png, png_bytep out, png_size_t length) {
  auto* cursor = static_cast<ReadCursor*>(png_get_io_ptr(png));
  if (cursor->pos + length > cursor->size) {
    png_error(png, "truncated PNG");
    return;
  }
  std::memcpy(out, cursor->data + cursor->pos, length);
  cursor->pos += length;
}

void WriteToVector(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

void FlushNothing(png_structp) {}

// libpng reports errors through longjmp; the caller says what failed, so
// neither its errors nor its warnings are printed.
void WarnNothing(png_structp, png_const_charp) {}
[[noreturn]] void FailQuietly(png_structp png, png_const_charp) {
  png_longjmp(png, 1);
}

// Images beyond this are refused rather than allocated: the game's largest
// sheet is 512 x 704, and a hostile header must not exhaust memory. At most
// 64 MiB of pixels, and only as fast as rows actually arrive (below).
constexpr png_uint_32 kMaxSide = 4096;
}  // namespace

bool DecodePng(const void* data, size_t size, RgbaImage& out) {
  out = RgbaImage{};
  if (data == nullptr || size < 8 || png_sig_cmp(static_cast<png_const_bytep>(data), 0, 8) != 0) {
    return false;
  }
  png_structp png =
      png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, FailQuietly, WarnNothing);
  if (png == nullptr) return false;
  png_infop info = png_create_info_struct(png);
  if (info == nullptr) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    return false;
  }
  ReadCursor cursor{static_cast<const uint8_t*>(data), size, 0};
  std::vector<png_bytep> rows;
  // Everything touched after setjmp lives outside this frame or is volatile.
  RgbaImage* result = &out;
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    *result = RgbaImage{};
    return false;
  }
  png_set_read_fn(png, &cursor, ReadFromMemory);
  png_set_user_limits(png, kMaxSide, kMaxSide);
  png_read_info(png, info);
  png_uint_32 width = png_get_image_width(png, info);
  png_uint_32 height = png_get_image_height(png, info);
  if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide) {
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  int colourType = png_get_color_type(png, info);
  int bitDepth = png_get_bit_depth(png, info);
  if (bitDepth == 16) png_set_strip_16(png);
  if (colourType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  if (colourType == PNG_COLOR_TYPE_GRAY && bitDepth < 8) png_set_expand_gray_1_2_4_to_8(png);
  if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(png);
  if (colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA) {
    png_set_gray_to_rgb(png);
  }
  if (!(colourType & PNG_COLOR_MASK_ALPHA) && !png_get_valid(png, info, PNG_INFO_tRNS)) {
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
  }
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  if (png_get_rowbytes(png, info) != static_cast<size_t>(width) * 4) {
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  result->width = static_cast<int>(width);
  result->height = static_cast<int>(height);
  const size_t rowBytes = static_cast<size_t>(width) * 4;
  if (png_get_interlace_type(png, info) == PNG_INTERLACE_NONE) {
    // Row by row, so that a short file that only declares a large image
    // costs no more memory than the rows it really holds.
    for (png_uint_32 y = 0; y < height; ++y) {
      result->pixels.resize(result->pixels.size() + rowBytes);
      png_read_row(png, result->pixels.data() + result->pixels.size() - rowBytes, nullptr);
    }
  } else {
    // Interlaced passes revisit every row: the whole image up front.
    result->pixels.assign(rowBytes * height, 0);
    rows.resize(height);
    for (png_uint_32 y = 0; y < height; ++y) rows[y] = result->pixels.data() + y * rowBytes;
    png_read_image(png, rows.data());
  }
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  return true;
}

std::vector<uint8_t> EncodePng(const RgbaImage& image) {
  std::vector<uint8_t> out;
  if (image.width <= 0 || image.height <= 0 ||
      image.pixels.size() != static_cast<size_t>(image.width) * image.height * 4) {
    return out;
  }
  png_structp png =
      png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, FailQuietly, WarnNothing);
  if (png == nullptr) return out;
  png_infop info = png_create_info_struct(png);
  if (info == nullptr) {
    png_destroy_write_struct(&png, nullptr);
    return out;
  }
  std::vector<uint8_t>* sink = &out;
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    sink->clear();
    return *sink;
  }
  png_set_write_fn(png, &out, WriteToVector, FlushNothing);
  png_set_IHDR(png, info, image.width, image.height, 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < image.height; ++y) {
    png_write_row(png, const_cast<png_bytep>(image.pixels.data() + static_cast<size_t>(y) * image.width * 4));
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}
