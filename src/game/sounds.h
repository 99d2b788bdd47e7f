// The race heard: the race's events played as the sounds of game/Sounds,
// panned by where the car is on the screen and quieter off it; the volume
// setting, muting ("m"), and the silences of fast forward and of the race
// behind the menu.
#pragma once

#include "race/define.h"

// Opens the audio device at the volume of the settings (none at 0) and loads
// the sounds; what cannot be is said on stderr and left silent.
void StartSounds(int volume);
void StopSounds();
// The volume, 0 to 100 (0 closes the device); stored by the caller.
void SetSoundVolume(int volume);
int SoundVolume();
// The menu's "Sound Volume": asks for it, sets it and stores it in "The
// Velotrax.ini".
void AskSoundVolume();
// "m": off and on again, at any screen.
void ToggleMute();
bool SoundMuted();
// While held (fast forward), the race is not heard.
void HoldRaceSounds(bool held);

// The report's event: what befell a car, heard.
void HearRaceEvent(const RaceEvent& event);
// A button was clicked; a car of the player's must choose its gear (heard
// even in fast forward: it is where fast forward stops).
void PlayClick();
void PlayChime();
