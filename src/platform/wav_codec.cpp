#include "platform/wav_codec.h"

#include <cstring>

namespace {
uint32_t U32(const uint8_t* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}
uint16_t U16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | p[1] << 8);
}
}  // namespace

bool DecodeWav(const void* data, size_t size, MonoSound& out, std::string& why) {
  out = MonoSound{};
  const auto* bytes = static_cast<const uint8_t*>(data);
  if (size < 12 || std::memcmp(bytes, "RIFF", 4) != 0 || std::memcmp(bytes + 8, "WAVE", 4) != 0) {
    why = "not a WAV file";
    return false;
  }
  int channels = 0, bits = 0;
  bool haveFormat = false;
  // Chunks one after another, each padded to an even size; the header's
  // RIFF size is not trusted, the file's is.
  size_t at = 12;
  while (at + 8 <= size) {
    const uint8_t* chunk = bytes + at;
    const size_t length = U32(chunk + 4);
    const size_t body = at + 8;
    if (length > size - body) {
      why = "a chunk runs past the end of the file";
      return false;
    }
    if (std::memcmp(chunk, "fmt ", 4) == 0) {
      if (length < 16) {
        why = "a format chunk too short";
        return false;
      }
      const uint8_t* f = bytes + body;
      const int format = U16(f);
      channels = U16(f + 2);
      out.rate = static_cast<int>(U32(f + 4) > 1000000 ? 0 : U32(f + 4));
      bits = U16(f + 14);
      if (format != 1) {
        why = "not uncompressed PCM";
        return false;
      }
      if (channels < 1 || channels > 2 || (bits != 8 && bits != 16) || out.rate < 8000 || out.rate > 48000) {
        why = "not 8- or 16-bit PCM in 1 or 2 channels at 8000 to 48000 Hz";
        return false;
      }
      haveFormat = true;
    } else if (std::memcmp(chunk, "data", 4) == 0) {
      if (!haveFormat) {
        why = "sound data before its format";
        return false;
      }
      const size_t frame = static_cast<size_t>(channels) * static_cast<size_t>(bits / 8);
      const size_t frames = length / frame;
      if (frames == 0) {
        why = "no sound in it";
        return false;
      }
      if (frames > kMostSoundSamples) {
        why = "longer than a minute";
        return false;
      }
      out.samples.resize(frames);
      const uint8_t* p = bytes + body;
      for (size_t i = 0; i < frames; ++i) {
        int sum = 0;
        for (int c = 0; c < channels; ++c, p += bits / 8)
          sum += bits == 8 ? (p[0] - 128) * 256 : static_cast<int16_t>(U16(p));
        out.samples[i] = static_cast<int16_t>(sum / channels);
      }
      return true;
    }
    at = body + length + (length & 1);
  }
  why = haveFormat ? "no sound data" : "no format chunk";
  return false;
}

std::string EncodeWav(const MonoSound& sound) {
  std::string bytes;
  auto u16 = [&bytes](uint32_t v) {
    bytes += static_cast<char>(v & 0xFF);
    bytes += static_cast<char>((v >> 8) & 0xFF);
  };
  auto u32 = [&u16](uint32_t v) {
    u16(v & 0xFFFF);
    u16(v >> 16);
  };
  const uint32_t data = static_cast<uint32_t>(sound.samples.size() * 2);
  bytes += "RIFF";
  u32(36 + data);
  bytes += "WAVEfmt ";
  u32(16);
  u16(1);
  u16(1);
  u32(static_cast<uint32_t>(sound.rate));
  u32(static_cast<uint32_t>(sound.rate) * 2);
  u16(2);
  u16(16);
  bytes += "data";
  u32(data);
  for (int16_t s : sound.samples) u16(static_cast<uint16_t>(s));
  return bytes;
}
