// Fixtures of the tests that run the screens: the game's own start-up on the
// headless platform (SDL's dummy video driver).
#pragma once

#include <filesystem>
#include <string>

#include "test_support.h"

namespace testing_support {
// Opens (or reuses) a headless window and screen of the given size through
// the game's own start-up step, so gView.window and the view geometry are set.
void EnsureHeadlessScreen(int width, int height);
// A PNG of a plain colour (0xAABBGGRR), made with the platform's own encoder.
std::string SolidPng(int width, int height, unsigned int rgba);
// The game's whole start-up, headless, on a game folder (the assembled
// build/game by default): screens, sheets, settings, toolkit, requesters.
void StartGameHeadless(int width, int height, const std::filesystem::path& folder = BuildGameDir());
// Undoes StartGameHeadless: hooks, screens, requesters, toolkit, settings,
// the screen's scale and the window, so the next start begins afresh.
void StopGameHeadless();
// At the flag the results page is filled with the results, then the
// season's standings, and nobody is waited for or asked anything.
void NoWaitAtTheFlag();
// RunAllTests on the dummy video driver; the platform is shut down after.
int RunScreenTests(int argc, char** argv);
}  // namespace testing_support

// A headless window and screen of 1024 x 768, opened once for the whole run.
void OpenScreen();
