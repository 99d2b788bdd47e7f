// Start-up in its fixed order (the loops are in game/main_loop.h).
#pragma once

#include <cstdint>
#include <filesystem>

#include "game/hooks.h"

struct RaceReport;
// The race reported on the race screen: the side panel, the view following a
// place, the results view and the gear panel. Start-up installs it.
RaceReport ScreenReport();

// Start-up steps, each fatal on failure with the message the player sees.
void StartPlatform();        // engine, keyboard, desktop, window, screen, geometry
// The screen's whole-number scale from "UIScale" (0: as many times 1920 x 1080
// as the screen holds, so the panels keep their size on a desk; a value it cannot
// take reads as the nearest it can), and the view's geometry with it.
void ApplyUiScale();
void StartUp();              // every step in order, up to the main loop
// The same from a given program folder (tests and tools start the game's
// own start-up on a copy of the game folder).
void StartUpIn(const std::filesystem::path& programFolder);

