// The computer drivers: the gear a computer-driven car takes at the start of
// its move, weighed against the next corner, the driver's style, the HBs in
// hand, the stage of the race and the car's place.
#pragma once

#include <string>
#include <vector>

struct GearOption {
  int gear = 0;  // 1 to 6
  int risk = 0;  // 0 safe, 1 one gear over at the next corner, 3 two, 99 more
};
// The candidates of the latest choice.
std::vector<GearOption>& GearOptions();

// Sets the current car's gear; may spend an OR.
void ComputerGear();
// The risk of taking gear g from the current car's node to the next corner.
int EvaluateGear(int gear);
// The chosen gear among GearOptions().
int PickGear();
// Makes current the corner whose entry is the first at or after the node,
// wrapping at the end of the lap; false when the circuit has no corner.
bool NextCorner(int nodeIndex);
// Nodes from car b up to car a, laps counted.
int GapInNodes(const std::string& a, const std::string& b);
