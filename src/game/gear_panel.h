// The gear panel: the gears the race offers a player's car, with the MP of
// each (the bonus carried over included) and the race's advice on the next
// corner beside it, until the player picks one.
#pragma once

#include "race/report.h"

// The race's gear chooser: the panel with the offered gears, until the
// player picks one (the answers of RaceReport::chooseGear). "Main Menu"
// leaves the race screen.
int ChooseGearOnPanel(const GearOffer& offer);
// 1 to 6 a gear, 7 "use OR", -1 "Main Menu", -2 keep the current gear
// (Return and Space answer the highlighted gear).
int WaitForGearChoice();
// The button (0 to 5) Return and Space take: the car's gear when the offer
// has it, else the offered gear nearest to `gear` (the lower of two as
// near); -1 when no gear is offered.
int HighlightedGear(const GearOffer& offer, long long gear);
// Fills the gear panel's corner information from GearButtons' states.
void ShowGearAdvice();
// Moves the gear panel to the corner of the track view where it covers
// least of the current car and its way to the next corner (the top right
// when that covers none).
void PlaceGearPanel();
// When the current car is off screen (or under the gear panel), centres the
// view on it, unless the view follows a place of the running order.
void BringCurrentCarIntoView();
// Everything the gear panel does as it opens for the current car: the
// running order marks the player's cars, the view goes to the car, the corner information is filled
// in, the count of panels opened goes up.
void PrepareGearPanel();
// How many times the gear panel has opened (fast forward stops at the next).
long long GearPanelsOpened();
