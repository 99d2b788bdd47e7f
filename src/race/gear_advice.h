// A player's gear choice: the gears the rules offer the current car at the
// start of its move, what taking one means (the gear panel's advice), and
// the choice made. The advice is the computer drivers' own reckoning of the
// next corner; nothing is rolled and nothing of the race changes.
#pragma once

#include <string>

#include "race/report.h"

// The gears the current car may choose, as a gear chooser gets them.
GearOffer OfferGears();

struct CarRecord;
// Sets the car's gear from a chooser's answer; spends the OR of
// kChooseUseOR. An answer that is none of a chooser's is fatal.
void ApplyGearChoice(CarRecord& car, int answer);

struct GearAdvice {
  std::string corner;              // "sharp corner in 14 MP", "in a hairpin", "no corner ahead"
  std::string safeGear;            // "safe gear: 3" ("" with no corner ahead)
  std::string rows[kGearButtons];  // "" for a button the panel does not offer
  int risks[kGearButtons] = {};    // the projection's risk of each row
};

// The words for a risk of the computer drivers' projection (0, 1, 3, 99).
std::string RiskWords(int risk);
// Advice for the current car from its node, given the buttons' states
// (2: not offered).
GearAdvice AdviseGears(const int states[kGearButtons]);
