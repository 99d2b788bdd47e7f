// A test drive of the circuit being drawn: computer cars race it for two
// laps on a race of their own, made from the drawing's circuit, while the
// editor's screen shows it. Nothing of the drawing, the player's race or the
// game folder changes.
#pragma once

#include <string>

struct ButtonArray;

// What the drive needs of the screen it runs on.
struct TestDriveScreen {
  ButtonArray* back = nullptr;                      // its button ends the drive
  void (*say)(const std::string& line) = nullptr;   // one line of commentary
  void (*frame)() = nullptr;                        // one frame, the track view included
  void (*tell)(const std::string& text) = nullptr;  // a box over the screen
};

// Races the current race's circuit (built, with its cars and drivers) until
// the player ends the drive: Escape, the back button, a right click or the
// window's close request. `name` names the race ("Test Drive" when empty).
// A drive that cannot start, or stops on bad data, says why in a box.
void RunTestDrive(const TestDriveScreen& screen, const std::string& name);
