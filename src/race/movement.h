// The turn sequence (passes through the running order, one node per race
// step) and the movement of a car with its hazards: lanes, blocking, corner
// entries, HBs, going off the line, spin-outs and crashes.
//
// The car in play is the current Car() entry, its node the current Node()
// entry, its running-order entry the current Standing() entry.
#pragma once

#include <string>
#include <vector>

#include "race/define.h"
#include "race/report.h"

// --- Turn sequence -----------------------------------------------------------
// One race step: one node of the current car's move, or the end of it.
void RaceStep();
// The current car's gear for its move (a player's car asks the report's
// chooseGear, any other the computer driver) and the MP it gives.
void StartMove();
// Carries the MP left over, starts the next car's move or ends the race.
void EndOfMove();
// Rebuilds Standing() from the racing cars: lap, node, lane (lane 0 first).
void UpdateStandings();
// The racing cars in that order as they stand now; Standing() keeps the
// order of the pass under way until the pass is over.
std::vector<StandingRecord> RunningOrderNow();
// A racing car's place in RunningOrderNow (1 the leader); 0 for a car that
// finished, went out or is unknown.
int PlaceNow(const std::string& key);
// Rebuilds the standings; true when no car is left racing.
bool CheckRaceOver();
// The car stepped past the last node: 1 when it finished, else it is on
// node 0 of its next lap and 0 is returned.
int CrossLine();
void FinishCar();
// The current car's race time ("0" when it has no turns); rewrites turns.
std::string RaceTime();

// --- The player's gear choice ----------------------------------------------------
// The gears the current car may choose, as a gear chooser gets them.
GearOffer OfferGears();
// Sets the car's gear from a chooser's answer; spends the OR of
// kChooseUseOR. An answer that is none of a chooser's is fatal.
void ApplyGearChoice(CarRecord& car, int answer);

// --- Movement ----------------------------------------------------------------
// One node step of the current car: 1 when its move is over, else 0.
int MoveOneNode();
struct LaneChoice {
  int lane = 0;
  int extra = 0;
};
LaneChoice ChooseLane(bool free0, bool free1, int p0, int p1);

// The way ahead as the movement rules charge it: this is the one place that
// prices a step, for the race, the gear panel's advice and the editor.
// One step from a node to the next: its MP (2, 3 on a diagonal, plus the
// lane penalty of the lane the car would take), that lane, and whether both
// lanes of the next node are held.
struct StepOnTheWay {
  int cost = 0;
  int lane = 0;
  bool blocked = false;
};
StepOnTheWay StepBetween(const NodeRecord& from, const NodeRecord& to);
// The MP from node `from` to the first node of the next corner a car there
// is checked on (it enters it from a node outside any corner; a lap's end
// goes on at node 0), with the cars where they stand, and that corner's
// type; 0, 0 when the circuit has none ahead or `from` is no node. On the
// way (a whole lap when no corner comes): the MP to the finishing line and
// the MP before the first step onto a node with both lanes held, -1 when the
// way does not cross the line or no node is full.
struct CornerAhead {
  int mp = 0;
  int type = 0;
  int line = -1;
  int blockedAfter = -1;
};
CornerAhead WalkToNextCorner(int from);
// The corner rule after a step between nodes of different corner types;
// c is the corner type of the node left. 1 when the car crashed.
int CornerCheck(int c);
// Two gears too many: the risk roll. 1 when the car crashed.
int TakeChance();
// Spends HBs to soften an outcome (0 safe, 1 off the line, 2 spin-out,
// 3 crash) and returns the softened one.
int UseHBs(int outcome);
// One gear too many: an HB may hold the line, else the car drops to
// limit - 1.
void LineRisk(int limit);
void Spinout();
void Crash();

// A risk roll: 1 to 100 plus the driver's skill bonus, (skill - 2) x 8.
long long SkillRoll();
// Where the current race's risk rolls come from: its dice (nullptr), or,
// while the gear panel plays a move out, the values it tries.
void SetRollSource(RollSource source);

// What befell the current race's current car since its move began.
MoveEvents& CurrentMoveEvents();
