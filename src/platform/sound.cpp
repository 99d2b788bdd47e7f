#include "platform/sound.h"

#include <SDL.h>
#include <SDL_mixer.h>

#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/services.h"
#include "platform/wav_codec.h"

namespace {
struct SoundState {
  bool open = false;
  int volume = 0;  // master, 0 to 100
  std::vector<Mix_Chunk*> chunks;
};
SoundState gSound;

int MixVolume(int volume) {
  return std::clamp(volume, 0, 100) * std::clamp(gSound.volume, 0, 100) * MIX_MAX_VOLUME / 10000;
}
#ifdef __EMSCRIPTEN__
// In the page the browser pulls the mix only while its audio context runs,
// which it allows after the player's first key or click (SDL resumes it
// then). Each mix with a sample above silence is counted on the page, as
// Module.velotraxAudible, so that a test can tell the sounds are heard.
void CountAudibleMixes(void*, Uint8* stream, int length) {
  for (int i = 0; i < length; ++i) {
    if (stream[i] != 0) {
      EM_ASM({ Module["velotraxAudible"] = (Module["velotraxAudible"] || 0) + 1; });
      return;
    }
  }
}
#endif
}  // namespace

bool PlatOpenSound(int volume) {
  if (gSound.open) {
    PlatSetSoundVolume(volume);
    return true;
  }
  if (volume <= 0) return false;
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    std::fprintf(stderr, "The Velotrax plays without sound: no audio (%s)\n", SDL_GetError());
    return false;
  }
  if (Mix_OpenAudio(22050, AUDIO_S16SYS, 2, 1024) != 0) {
    std::fprintf(stderr, "The Velotrax plays without sound: the audio device did not start (%s)\n",
                 Mix_GetError());
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  Mix_AllocateChannels(kSoundChannels);
#ifdef __EMSCRIPTEN__
  Mix_SetPostMix(CountAudibleMixes, nullptr);
#endif
  gSound.open = true;
  gSound.volume = std::clamp(volume, 0, 100);
  return true;
}

void PlatCloseSound() {
  if (!gSound.open) return;
  Mix_HaltChannel(-1);
  PlatFreeSounds();
  Mix_CloseAudio();
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  gSound = SoundState{};
}

bool PlatSoundIsOpen() {
  return gSound.open;
}

void PlatSetSoundVolume(int volume) {
  gSound.volume = std::clamp(volume, 0, 100);
  if (gSound.volume == 0 && gSound.open) Mix_HaltChannel(-1);
}

int PlatLoadSound(const std::filesystem::path& file) {
  if (!gSound.open) return kNoSound;
  std::string bytes, why;
  MonoSound sound;
  if (!PlatReadFile(file, bytes, size_t{16} << 20)) {
    why = "cannot be read";
  } else if (DecodeWav(bytes.data(), bytes.size(), sound, why)) {
    // SDL_mixer hears only what was checked here, written out plainly.
    const std::string wav = EncodeWav(sound);
    SDL_RWops* rw = SDL_RWFromConstMem(wav.data(), static_cast<int>(wav.size()));
    Mix_Chunk* chunk = rw == nullptr ? nullptr : Mix_LoadWAV_RW(rw, 1);
    if (chunk != nullptr) {
      gSound.chunks.push_back(chunk);
      return static_cast<int>(gSound.chunks.size()) - 1;
    }
    why = Mix_GetError();
  }
  std::fprintf(stderr, "The Velotrax skips the sound %s: %s\n", PlatPathText(file).c_str(), why.c_str());
  return kNoSound;
}

void PlatFreeSounds() {
  if (gSound.open) Mix_HaltChannel(-1);
  for (Mix_Chunk* chunk : gSound.chunks) Mix_FreeChunk(chunk);
  gSound.chunks.clear();
}

void PlatPlaySound(int sound, int channel, int pan, int volume) {
  if (!gSound.open || sound < 0 || sound >= static_cast<int>(gSound.chunks.size())) return;
  const int level = MixVolume(volume);
  if (level == 0) return;
  if (channel < 0 || channel >= kSoundChannels) channel = Mix_GroupAvailable(-1);
  if (channel < 0) return;  // every channel busy: this one is not heard
  Mix_HaltChannel(channel);
  // Level and side are set before it starts, so not a sample is heard
  // without them.
  Mix_Volume(channel, level);
  pan = std::clamp(pan, -100, 100);
  const int left = std::min(255, 255 * (100 - pan) / 100), right = std::min(255, 255 * (100 + pan) / 100);
  Mix_SetPanning(channel, static_cast<Uint8>(left), static_cast<Uint8>(right));
  Mix_PlayChannel(channel, gSound.chunks[static_cast<size_t>(sound)], 0);
}

void PlatStopSounds(int ms) {
  if (!gSound.open) return;
  if (ms <= 0)
    Mix_HaltChannel(-1);
  else
    Mix_FadeOutChannel(-1, ms);
}

void PlatFadeOutChannel(int channel, int ms) {
  if (gSound.open && channel >= 0 && channel < kSoundChannels) Mix_FadeOutChannel(channel, ms);
}

bool PlatSoundsPlaying() {
  return gSound.open && Mix_Playing(-1) > 0;
}
