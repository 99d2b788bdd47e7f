// The race screen's key commands and the view's scrolling.
#pragma once

#include <string>

// Polls the keyboard and runs the commands of the keys released since.
void KeyboardCommands();
// Runs the commands of a typed text (more than one character when several
// keys went up within one frame).
void KeyCommand(const std::string& typed);
// What the "~" key shows: the program's folder and, when the player's files
// are kept elsewhere (an installed copy), that folder too.
std::string ProgramPathText();
// Asks for the automatic-step interval and stores it in the settings file.
void SetSimulationSpeed();
// Scrolls the view while the pointer rests within 50 pixels of an edge.
void EdgeScroll();
// The window callback: the mouse wheel scrolls the view 64 pixels a notch.
void WheelScroll(int delta);
