// The car table "Car Data.csv" and the current car's MP per gear.
#pragma once

// Clears Car() and fills it from the data folder's "Car Data.csv"; a later
// line with the same name replaces an earlier one. A car that breaks a rule
// (safe gears 1 to 6, MP 1 or more in every gear, 1 to 5 gears dropped at
// once, no negative HBs or ORs, an image cell of the Cars sheet) is fatal.
void LoadCarData();

struct CarRecord;

// A car's MP in a gear (0 standing, 1..5, 6 Top; anything else 0).
int CarGearMP(const CarRecord& car, int gear);

// The current car's MP in a gear (0 standing, 1..5, 6 Top; anything else 0).
int GearMP(int gear);
