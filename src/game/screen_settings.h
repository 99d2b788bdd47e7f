// The program's and the screen's own state: the window's title, the loop's
// state, edge scrolling, the pace of automatic steps and the UI scale.
#pragma once

#include <cstdint>
#include <string>

#include "race/folders.h"

struct ScreenSettings {
  std::string windowTitle = "The Velotrax";
  int gameState = 4;                      // 4 just started, 2 race screen, 1 back to menu, 3 quit
  int scrollSpeed = kDefaultScrollSpeed;  // pixels a frame of edge scrolling, 1 to kFastestScroll
  int timeSlice = kDefaultTimeSlice;      // ms between automatic steps, kShortestTimeSlice up
  int uiScale = 0;  // "UIScale": 0 automatic, else the screen's whole-number scale
  bool menuRaceSound = false;  // "MenuRaceSound": the race behind the menu is heard
  int64_t nextStepTime = 0;
};
extern ScreenSettings gScreen;

// Takes the screen's part of what "The Velotrax.ini" says.
void UseScreenSettings(const PlayerSettings& settings);
// Back to the values the program starts with (for tests).
void ResetScreenSettings();
