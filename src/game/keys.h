// The race screen's key commands.
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
// "f": runs race steps without drawing until the gear panel has opened for
// one of the player's cars (and the player has chosen), or, with none of
// theirs racing, until the results; the race screen then draws as usual.
// The race goes exactly as it would step by step.
void FastForward();
