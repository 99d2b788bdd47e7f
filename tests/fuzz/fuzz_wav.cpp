// WAV decoding: every sound of Sounds/ can be replaced by a player. What is
// accepted must come back the same from the plain file handed on to the
// mixer.
#include <cstdlib>

#include "fuzz_support.h"
#include "platform/wav_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  MonoSound sound;
  std::string why;
  if (!DecodeWav(data, size, sound, why)) return 0;
  const std::string plain = EncodeWav(sound);
  MonoSound again;
  if (!DecodeWav(plain.data(), plain.size(), again, why) || again.samples != sound.samples ||
      again.rate != sound.rate)
    std::abort();
  return 0;
}
