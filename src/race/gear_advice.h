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
  // Of the MP carried over, those the move can spend: all of them unless it
  // leaves or enters a corner, where what is left of them is dropped.
  int bonusKept = 0;
  // The chance that a node with both lanes held ends the move early. Such a
  // move keeps the MP it could not spend for the next one.
  double blocked = 0;
  // For a move that asks for no roll: the MP its steps cost, and those it
  // carries over to the car's next move (-1 when it asks for a roll).
  long long spent = -1;
  long long carried = -1;
};
// Plays the current car's move out with a chooser's answer (1 to 6, or
// kChooseUseOR), exactly as StartMove and the race steps would, every roll
// with each of its 100 values; puts everything back as it was.
MoveOdds PlayMoveOut(int answer);
// The same by brute force, for tests: every value of every roll with no two
// runs put together, up to `deepest` rolls (complete false past them).
MoveOdds PlayMoveOutEveryRoll(int answer, size_t deepest);

// The car's next move after a move that asks for no roll: from where that
// move leaves it, no other car moving, in the lowest gear the rules then
// offer. gear is 0 when there is none to play: the move asks for a roll,
// ends the car's race, or was too long to play out.
struct NextMove {
  int gear = 0;
  MoveOdds odds;
};
NextMove PlayNextMoveOut(int answer);
// The same by brute force (PlayMoveOutEveryRoll for the next move), for tests.
NextMove PlayNextMoveOutEveryRoll(int answer, size_t deepest);

// The way from the current car to the next corner it will be checked on
// (WalkToNextCorner from its node).
CornerAhead NextCornerAhead();

// The worst a move can bring: 0 safe, 1 off the line, 3 a spin-out or a
// crash, 99 a certain crash.
int RiskOf(const MoveOdds& odds);
// What a move may bring, the worst first, then every other outcome it can
// have: "crash 1%, off the line 41%", "will go off the line", "safe".
// Short: the same in fewer characters.
std::string OddsWords(const MoveOdds& odds, bool shortForm = false);
// A chance as a whole percentage; never "0%" for what can happen, nor
// "100%" for what may not.
std::string Percent(double chance);

// A row whose move was too long to play out in full ends in "?".
// A move stopped short by a full node says so, with the MP it uses and those
// it carries over: "10 MP blocked: 0 used, 10 carried over, safe".
struct GearAdvice {
  std::string corner;              // "sharp corner in 14 MP", "in a hairpin, ..."
  std::string blocked;             // "blocked after 4 MP" ("" with the way free)
  std::string safeGear;            // "safe gear: 3" ("" with no corner ahead)
  std::string rows[kGearButtons];  // "" for a button the panel does not offer
  // The same in fewer characters, for a narrow panel.
  std::string shortRows[kGearButtons];
  int risks[kGearButtons] = {};  // RiskOf each row's move
  MoveOdds odds[kGearButtons];
  // After a safe move: the next one (gear 0 when none was played).
  NextMove next[kGearButtons];
};

// Advice for the current car from its node, given the buttons' states
// (2: not offered).
GearAdvice AdviseGears(const int states[kGearButtons]);
