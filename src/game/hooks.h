// The parts of the game's loops that start-up plugs in: each screen calls
// through these, so no screen needs to know the start-up that wires them.
#pragma once

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
  void (*menuFrame)() = nullptr;         // after each menu frame (tests script input here)
  void (*circuitEditor)() = nullptr;     // "Circuit Editor" of the menu; back to the menu after
  void (*frameOverlay)() = nullptr;      // drawn over the elements of every frame: a title, a chart
};
extern LoopHooks gHooks;
