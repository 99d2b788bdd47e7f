// WAV decoding: PCM sound files read into 16-bit mono samples, checked as a
// hostile file would need (the sounds of game/Sounds can be replaced).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct MonoSound {
  int rate = 0;                  // samples a second
  std::vector<int16_t> samples;  // channels mixed down to one
};

// The longest sound read: a minute at 48 kHz. The game's own are seconds.
constexpr size_t kMostSoundSamples = 60 * 48000;

// False, with the reason, for anything that is not a complete RIFF WAVE of
// uncompressed 8- or 16-bit PCM in 1 or 2 channels at 8000 to 48000 Hz and
// of at most kMostSoundSamples samples.
bool DecodeWav(const void* data, size_t size, MonoSound& out, std::string& why);
// A canonical 16-bit mono PCM WAV file of the sound.
std::string EncodeWav(const MonoSound& sound);
