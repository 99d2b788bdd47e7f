// PNG decoding: every image of Images/ and Theme/ can be replaced by a player.
#include "fuzz_support.h"
#include "platform/png_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  RgbaImage image;
  DecodePng(data, size, image);
  return 0;
}
