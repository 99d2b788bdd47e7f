// The gear panel's advice: what taking each gear offered means for the
// current car's move. It plays the move out through the race's own movement
// code with every value of every roll it asks for: nothing is rolled and
// nothing of the race changes.
#pragma once

#include <cstddef>
#include <string>

#include "race/movement.h"
#include "race/report.h"

// The chances of the current car's move in one gear, over every roll it can
// ask for: 0 to 1 each. complete is false when the move was too long to play
// out in full (a car table with absurd MP); the chances then cover what was
// played.
struct MoveOdds {
  double offTheLine = 0;  // at least once
  double spinOut = 0;
  double crash = 0;
  bool complete = true;
};
// Plays the current car's move out with a chooser's answer (1 to 6, or
// kChooseUseOR), exactly as StartMove and the race steps would, every roll
// with each of its 100 values; puts everything back as it was.
MoveOdds PlayMoveOut(int answer);
// The same by brute force, for tests: every value of every roll with no two
// runs put together, up to `deepest` rolls (complete false past them).
MoveOdds PlayMoveOutEveryRoll(int answer, size_t deepest);

// The way from the current car to the next corner it will be checked on
// (WalkToNextCorner from its node).
CornerAhead NextCornerAhead();

// The worst a move can bring: 0 safe, 1 off the line, 3 a spin-out or a
// crash, 99 a certain crash.
int RiskOf(const MoveOdds& odds);
// The words for such a risk.
std::string RiskWords(int risk);
// A chance as a whole percentage; never "0%" for what can happen, nor
// "100%" for what may not.
std::string Percent(double chance);

// A row whose move was too long to play out in full ends in "?".
struct GearAdvice {
  std::string corner;              // "sharp corner in 14 MP", "in a hairpin, ..."
  std::string safeGear;            // "safe gear: 3" ("" with no corner ahead)
  std::string rows[kGearButtons];  // "" for a button the panel does not offer
  // The same in fewer characters, for a narrow panel.
  std::string shortRows[kGearButtons];
  int risks[kGearButtons] = {};  // RiskOf each row's move
  MoveOdds odds[kGearButtons];
};

// Advice for the current car from its node, given the buttons' states
// (2: not offered).
GearAdvice AdviseGears(const int states[kGearButtons]);
