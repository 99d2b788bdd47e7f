// How the race tells whoever runs it what happens: one table of functions
// that the game's screens, the tools and the tests each fill in with their
// own. A member left null hears nothing; with no gear chooser the computer
// drives every car.
#pragma once

#include <string>
#include <vector>

constexpr int kGearButtons = 7;  // 1st to Top, then "use OR"

// The gears the rules let a player's car choose at the start of its move,
// one state per button: 0 offered, 1 offered and the car's gear now (for
// "use OR": offered), 2 not offered.
struct GearOffer {
  int states[kGearButtons] = {2, 2, 2, 2, 2, 2, 2};
};

// The answers of a gear chooser.
constexpr int kChooseUseOR = 7;      // "use OR": Top, one OR spent
constexpr int kChooseKeepGear = -2;  // the gear the car is in
constexpr int kChooseLeave = -1;     // the player left for the menu: asked again on return

struct RaceReport {
  // One line of commentary.
  void (*commentary)(const std::string& line) = nullptr;
  // The current car changed or moved: mode 0 before its move (its gear's
  // MP and the bonus), 1 during it (the MP left).
  void (*carStatus)(int mode) = nullptr;
  // Standing() was rebuilt.
  void (*runningOrder)() = nullptr;
  // The current car's move is over; place is its place in the running order
  // (1 the leader).
  void (*moveEnded)(int place) = nullptr;
  // The flag has fallen: the results (as the results view lists them) are
  // in, the points awarded and the race's files written but for the
  // last-race record, which follows. The season's standings are Driver().
  void (*raceEnded)(const std::string& heading, const std::vector<std::string>& results) = nullptr;
  // The current car is the player's and must choose a gear from the offer:
  // 1 to 6 a gear, kChooseUseOR, kChooseKeepGear or kChooseLeave.
  int (*chooseGear)(const GearOffer& offer) = nullptr;
};
extern RaceReport gReport;

// One commentary entry: each "~" starts a new line, a final one ends the last
// line; every line goes to the report's commentary in order.
void AddLogText(const std::string& text);
// Two commentary lines: the current car's key, then two blanks and the text.
void LogCarLine(const std::string& text);
// The report's carStatus and runningOrder, when set.
void ReportCarStatus(int mode);
void ReportRunningOrder();
