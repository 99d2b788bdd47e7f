// What the gear panel tells the player when it asks for a gear: the MP of
// each gear it offers (the bonus carried over included) and what the next
// corner would make of it, weighed exactly as the computer drivers weigh
// it. Nothing is rolled and nothing of the race changes; the player's choice
// is still theirs.
#pragma once

#include <string>

constexpr int kGearButtons = 7;  // 1st to Top, then "use OR"

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
// Fills the gear panel's corner information from GearButtons' states.
void ShowGearAdvice();
// When the current car is off screen (or under the gear panel), centres the
// view on it, unless the view follows a place of the running order.
void BringCurrentCarIntoView();
// Everything the gear panel does as it opens for the current car: the
// running order marks the player's cars, the view goes to the car, the corner information is filled
// in, the count of panels opened goes up.
void PrepareGearPanel();
// How many times the gear panel has opened (fast forward stops at the next).
long long GearPanelsOpened();
