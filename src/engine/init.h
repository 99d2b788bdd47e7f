// Start-up in its fixed order and the main loop.
#pragma once

#include <cstdint>
#include <filesystem>

// The parts of the loop that belong to other units of the game. Start-up
// points them at the real procedures; tests point them at their own.
struct LoopHooks {
  void (*mainMenu)() = nullptr;          // modal; leaves gameState 2 or 3
  void (*leftClick)() = nullptr;
  void (*rightClick)() = nullptr;
  void (*keyboardCommands)() = nullptr;
  void (*edgeScroll)() = nullptr;
  void (*raceStep)() = nullptr;
  void (*renderFrame)() = nullptr;
  void (*lostDevice)() = nullptr;
  void (*wheel)(int delta) = nullptr;    // the window callback
  void (*raceButtonClick)() = nullptr;   // the side panel's buttons
  void (*newRaceSetUp)() = nullptr;      // after a circuit was chosen and loaded
  void (*resumeRace)() = nullptr;        // after a saved race was chosen and loaded
};
extern LoopHooks gHooks;

// Runs the whole program: start-up, main loop, program end. Returns the exit
// status.
int RunGame();

// Start-up steps, each fatal on failure with the message the player sees.
void StartPlatform();        // engine, keyboard, desktop, window, screen, geometry
void ReadSettings();         // "The Velotrax.ini"
void CreateGameFolders();    // "Saved Races", "Results"
void StartUp();              // every step in order, up to the main loop
// The same from a given program folder (tests and tools start the game's
// own start-up on a copy of the game folder).
void StartUpIn(const std::filesystem::path& programFolder);

// One pass of the race-screen loop (events, keys, edge scroll, the timed
// race step, device recovery, the frame).
void RaceScreenPass();
// The race-screen loop: passes until gameState becomes 1.
void RaceScreenLoop();
// The main loop: menu and race screen until the player quits.
void MainLoop();

// Sets the track-view geometry from the screen size.
void SetViewGeometry(int screenWidth, int screenHeight);
