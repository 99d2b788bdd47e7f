// The machine's sound: WAV files played through SDL2_mixer, each on a
// channel, panned and at a volume. Without an open device (none wanted, none
// there, or one that would not start) every call is quietly nothing: the
// game goes on silent.
#pragma once

#include <filesystem>

constexpr int kNoSound = -1;

// Opens the audio device at master volume 0 to 100; 0 opens none. False when
// none is open; a device that would not start is said in one line on stderr.
bool PlatOpenSound(int volume);
void PlatCloseSound();
bool PlatSoundIsOpen();
// The master volume, 0 to 100 (0: nothing is heard, the device stays open).
void PlatSetSoundVolume(int volume);

// Reads a WAV file (see platform/wav_codec.h); its number, or kNoSound, with
// a line on stderr naming the file and why, for a file that is missing or not
// a sound this layer plays. Needs an open device.
int PlatLoadSound(const std::filesystem::path& file);
void PlatFreeSounds();

// Plays a loaded sound: on `channel` (0 to kSoundChannels - 1, whatever it was
// playing faded out at once) or on any free one (-1); pan from -100 (left) to
// 100 (right); volume 0 to 100 of the master.
constexpr int kSoundChannels = 16;
void PlatPlaySound(int sound, int channel, int pan, int volume);
// Fades every channel, or one, out over `ms` milliseconds.
void PlatStopSounds(int ms);
void PlatFadeOutChannel(int channel, int ms);
// Whether any channel is playing.
bool PlatSoundsPlaying();
