// The car table "Car Data.csv" and the current car's MP per gear.
#pragma once

// Clears Car() and fills it from the data folder's "Car Data.csv"; a later
// line with the same name replaces an earlier one.
void LoadCarData();

// The current car's MP in a gear (0 standing, 1..5, 6 Top; anything else 0).
int GearMP(int gear);
