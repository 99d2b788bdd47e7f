#include "game/screen_settings.h"

ScreenSettings gScreen;

void UseScreenSettings(const PlayerSettings& settings) {
  gScreen.scrollSpeed = settings.scrollSpeed;
  gScreen.timeSlice = settings.timeSlice;
  gScreen.uiScale = settings.uiScale;
  gScreen.menuRaceSound = settings.menuRaceSound;
}

void ResetScreenSettings() {
  gScreen = ScreenSettings{};
}
