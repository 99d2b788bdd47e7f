#include "game/screen_settings.h"

ScreenSettings gScreen;

void UseScreenSettings(const PlayerSettings& settings) {
  gScreen.scrollSpeed = settings.scrollSpeed;
  gScreen.timeSlice = settings.timeSlice;
  gScreen.uiScale = settings.uiScale;
}

void ResetScreenSettings() {
  gScreen = ScreenSettings{};
}
