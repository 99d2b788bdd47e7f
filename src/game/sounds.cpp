#include "game/sounds.h"

#include <algorithm>
#include <string>

#include "common/common.h"
#include "dialogs/requester.h"
#include "game/screens.h"
#include "game/view.h"
#include "platform/screen.h"
#include "platform/services.h"
#include "platform/sound.h"
#include "race/define.h"

namespace {
// The sounds of game/Sounds, by what they are for.
enum Sound { kEngine1, kGearChange = kEngine1 + 6, kSqueal, kSpin, kCrash, kLap, kFlag, kClick, kChime, kSounds };
const char* const kFiles[kSounds] = {"Engine 1.wav", "Engine 2.wav", "Engine 3.wav", "Engine 4.wav",
                                     "Engine 5.wav", "Engine 6.wav", "Gear Change.wav", "Tyre Squeal.wav",
                                     "Spin Out.wav", "Crash.wav",    "Lap.wav",      "Flag.wav",
                                     "Click.wav",    "Chime.wav"};

// A channel for each kind of sound: a new one cuts the last of its kind
// short, so however fast the steps come, the cars never pile up. The engine
// takes turns on two, the one before fading out.
enum Channel { kEngineA, kEngineB, kGearChannel, kTyreChannel, kCrashChannel, kRaceChannel, kUiChannel };

struct SoundState {
  int volume = 0;
  bool muted = false;
  bool held = false;
  int engine = kEngineA;
  int loaded[kSounds] = {};
};
SoundState gSounds;

void Load() {
  for (int i = 0; i < kSounds; ++i) gSounds.loaded[i] = kNoSound;
  if (!PlatSoundIsOpen()) return;
  for (int i = 0; i < kSounds; ++i) gSounds.loaded[i] = PlatLoadSound(gProg.soundsFolder / kFiles[i]);
}

// Opened while there is something to hear; a volume of 0 opens nothing.
void Open() {
  if (gSounds.volume > 0 && !PlatSoundIsOpen()) {
    if (PlatOpenSound(gSounds.volume)) Load();
  } else if (gSounds.volume == 0 && PlatSoundIsOpen()) {
    PlatCloseSound();
  }
  PlatSetSoundVolume(gSounds.muted ? 0 : gSounds.volume);
}

// Where a car stands across the track view, -100 (left edge) to 100 (right
// edge), and whether it is in sight.
struct Place {
  int pan = 0;
  bool seen = true;
};
Place PlaceOf(const RaceEvent& event) {
  Place place;
  if (event.node < 0 || event.node >= static_cast<int>(Node().size()) || gView.trackViewWidth <= 0) return place;
  const NodeRecord& node = Node()[static_cast<size_t>(event.node)];
  const int x = ScreenX(node.nodeX * 64 + node.x[0]), y = ScreenY(node.nodeY * 64 + node.y[0]);
  const int half = gView.trackViewWidth / 2;
  place.pan = std::clamp((x - half) * 100 / std::max(half, 1), -100, 100);
  place.seen = x >= 0 && x < gView.trackViewWidth && y >= 0 && y < PlatScreenHeight();
  return place;
}

void Play(int sound, int channel, const Place& place, int volume = 100) {
  if (gSounds.muted || !PlatSoundIsOpen()) return;
  PlatPlaySound(gSounds.loaded[sound], channel, place.pan, place.seen ? volume : volume * 2 / 5);
}

// Whether the car that crossed the line is the first to begin this lap: the
// leader completing one.
bool LeadsTheLap(const RaceEvent& event) {
  if (event.value < 2) return false;  // the start, not a lap
  int index = 0;
  for (const auto& [key, car] : Car())
    if (index++ != event.car && car.lap >= event.value) return false;
  return true;
}
}  // namespace

void StartSounds(int volume) {
  gSounds.volume = std::clamp(volume, 0, 100);
  Open();
}

void StopSounds() {
  PlatCloseSound();
}

void SetSoundVolume(int volume) {
  gSounds.volume = std::clamp(volume, 0, 100);
  Open();
}

int SoundVolume() {
  return gSounds.volume;
}

void AskSoundVolume() {
  const std::string text = InputBox("Sound volume, 0 (silent) to 100:", Decimal(gSounds.volume));
  if (text.find_first_of("0123456789") == std::string::npos) return;  // cancelled
  SetSoundVolume(LenientInt(text));
  PlatSettings settings;
  if (!PlatOpenSettings(settings, gProg.settingsFile)) return;
  PlatWriteSettingInt(settings, "SoundVolume", gSounds.volume);
  if (!PlatCloseSettings(settings)) MessageBox("The volume is not stored in The Velotrax.ini.");
}

void ToggleMute() {
  gSounds.muted = !gSounds.muted;
  if (gSounds.muted) PlatStopSounds(40);
  Open();
  ShowSoundMuted(gSounds.muted);
}

bool SoundMuted() {
  return gSounds.muted;
}

void HoldRaceSounds(bool held) {
  gSounds.held = held;
}

void HearRaceEvent(const RaceEvent& event) {
  if (gSounds.held) return;
  const Place place = PlaceOf(event);
  switch (event.kind) {
    case RaceEventKind::kMoveBegun:
      if (event.gear >= 1 && event.gear <= 6) {
        // The engine before fades as this one starts on the other channel.
        Channel before = static_cast<Channel>(gSounds.engine);
        gSounds.engine = before == kEngineA ? kEngineB : kEngineA;
        Play(kEngine1 + event.gear - 1, gSounds.engine, place, 80);
        if (PlatSoundIsOpen()) PlatFadeOutChannel(before, 60);
      }
      if (event.value != event.gear && event.value > 0) Play(kGearChange, kGearChannel, place, 70);
      break;
    case RaceEventKind::kOffTheLine:
    case RaceEventKind::kHBUsed:
      Play(kSqueal, kTyreChannel, place);
      break;
    case RaceEventKind::kSpinOut:
      Play(kSpin, kTyreChannel, place);
      break;
    case RaceEventKind::kCrash:
      Play(kCrash, kCrashChannel, place);
      break;
    case RaceEventKind::kLap:
      if (LeadsTheLap(event)) Play(kLap, kRaceChannel, Place{}, 80);
      break;
    case RaceEventKind::kFinish:
      if (event.value == 1) Play(kFlag, kRaceChannel, Place{});
      break;
    case RaceEventKind::kCornerEntered:
      break;  // heard through what it brings
  }
}

void PlayClick() {
  Play(kClick, kUiChannel, Place{}, 70);
}

void PlayChime() {
  Play(kChime, kUiChannel, Place{}, 80);
}
