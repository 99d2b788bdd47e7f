#include "race/gear_advice.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstdio>
#include <map>
#include <vector>

#include "common/common.h"
#include "race/analyze.h"
#include "race/car_data.h"
#include "race/define.h"
#include "race/movement.h"

namespace {
// At least two characters, so the rows line up.
std::string PadLeft2(long long value) {
  std::string text = Decimal(value);
  return text.size() < 2 ? " " + text : text;
}

std::string GearName(int gear) {
  return gear == 6 ? "Top" : Decimal(gear);
}
}  // namespace

// --- Playing a move out -------------------------------------------------------
namespace {
// More rolls than any move of a real car asks for (two a corner entry); a
// move that asks for more is played no further (chances incomplete).
constexpr size_t kDeepestRolls = 8;
// Runs of one gear's play-out before it stops exploring (a real car's move
// takes a few hundred to a few thousand), and node steps over all of them.
constexpr int kMostRuns = 40000;
constexpr long long kMostStepsInAll = 4000000;

// Thrown by the play-out's roll source when the move asks for one roll more
// than the values being tried: the run stops there.
struct NeedsARoll {};

// The play-out's scratch, per thread like the race in play.
thread_local std::vector<int> gTried;
thread_local size_t gNextTried = 0;
// Node steps left to the play-out, and how many places after the car's own
// the last run may have changed (a move changes none behind the car).
thread_local long long gStepsLeft = 0;
thread_local size_t gDirtyPlaces = 0;

int TriedRoll() {
  if (gNextTried >= gTried.size()) throw NeedsARoll{};
  return gTried[gNextTried++];
}

// Everything a move can change, to be put back after each run.
struct Snapshot {
  int index = -1;
  std::string key;
  CarRecord car;
  int node = -1;
  int corner = -1;
  int standing = -1;
  bool choosingGear = false;
  std::vector<std::array<std::string, 2>> places;
  size_t finished = 0;
  size_t out = 0;
  bool hasDriver = false;
  std::string lastTime;
};

Snapshot TakeSnapshot() {
  Snapshot s;
  s.index = RaceNow().currentCar;
  s.key = CurrentCarKey();
  s.car = CurrentCar();
  s.node = RaceNow().currentNode;
  s.corner = RaceNow().currentCorner;
  s.standing = RaceNow().currentStanding;
  s.choosingGear = RaceNow().choosingGear;
  s.places.reserve(Node().size());
  for (const NodeRecord& node : Node()) s.places.push_back({node.car[0], node.car[1]});
  s.finished = OrderOfFinish().size();
  s.out = DNF().size();
  auto driver = Driver().find(s.key);
  s.hasDriver = driver != Driver().end();
  if (s.hasDriver) s.lastTime = driver->second.lastTime;
  return s;
}

void RestoreSnapshot(const Snapshot& s) {
  RaceNow().currentCar = s.index;
  CurrentCar() = s.car;
  RaceNow().currentNode = s.node;
  RaceNow().currentCorner = s.corner;
  RaceNow().currentStanding = s.standing;
  RaceNow().choosingGear = s.choosingGear;
  const size_t nodes = std::min(s.places.size(), Node().size());
  const size_t from = static_cast<size_t>(std::max(s.car.listInd, 0));
  for (size_t k = 0; k < std::min(gDirtyPlaces, nodes); ++k) {
    size_t i = (from + k) % nodes;
    Node()[i].car[0] = s.places[i][0];
    Node()[i].car[1] = s.places[i][1];
  }
  gDirtyPlaces = 0;
  OrderOfFinish().resize(s.finished);
  DNF().resize(s.out);
  if (s.hasDriver) Driver()[s.key].lastTime = s.lastTime;
}

struct Run {
  bool needsARoll = false;
  bool cut = false;  // stopped after kMostSteps node steps
  MoveEvents events;
  int left = 0;  // the car's MP at the end, which EndOfMove carries over
  std::string state;  // what the rest of the move depends on
};

std::string StateText(const CarRecord& car, const MoveEvents& events) {
  char text[256];
  std::snprintf(text, sizeof text, "%d %d %d %d %d %d %d %d %d %d %d %d %d %d %d %d %d %d",
                RaceNow().currentNode, car.listInd, car.lane, car.gear, car.remaining, car.bonus,
                car.inCorner, car.cornerExit, car.lap, car.finished, car.hb, car.gearTop,
                car.ORpermitted, car.ors, car.facing, events.offTheLine > 0 ? 1 : 0,
                events.spunOut ? 1 : 0, events.crashed ? 1 : 0);
  return text;
}

// The move in the answer's gear with the rolls tried, as StartMove and the
// race steps play it: the gear, its MP added to what was carried over, then
// node after node until the move is over.
Run PlayWithRolls(const Snapshot& start, int answer, const std::vector<int>& rolls) {
  RestoreSnapshot(start);
  gTried = rolls;
  gNextTried = 0;
  CurrentMoveEvents() = MoveEvents{};
  Run run;
  CarRecord& car = CurrentCar();
  try {
    ApplyGearChoice(car, answer);
    long long remaining = static_cast<long long>(car.remaining) + GearMP(car.gear);
    car.remaining = static_cast<int>(std::clamp<long long>(remaining, INT32_MIN, INT32_MAX));
    // A step costs 2 MP or more, so the move ends by itself; a car table with
    // absurd MP could still take it round the circuit for ever.
    const long long kMostSteps = 4 * static_cast<long long>(Node().size()) + 8;
    long long steps = 0;
    // The car's place and the next one's may change before a step counts.
    gDirtyPlaces = 2;
    while (car.finished == 0 && MoveOneNode() == 0) {
      gDirtyPlaces = static_cast<size_t>(std::min<long long>(++steps + 2, INT32_MAX));
      if (steps >= kMostSteps || --gStepsLeft <= 0) {
        run.cut = true;
        break;
      }
    }
  } catch (const NeedsARoll&) {
    run.needsARoll = true;
  }
  run.events = CurrentMoveEvents();
  run.left = car.remaining;
  run.state = StateText(car, run.events);
  return run;
}

void Tally(MoveOdds& odds, const MoveEvents& events, double weight) {
  if (events.offTheLine > 0) odds.offTheLine += weight;
  if (events.spunOut) odds.spinOut += weight;
  if (events.crashed) odds.crash += weight;
  if (events.blocked) odds.blocked += weight;
}

// A move with no roll goes one way: what it spends and carries over.
void NoteTheOneWay(MoveOdds& odds, const Run& run) {
  if (run.needsARoll || run.cut) return;
  odds.spent = run.events.spent;
  odds.carried = Max(run.left, 0);
}

// The next roll with each of its values. Values that leave the move in the
// same state (so the rest of it goes the same way) are played on together.
void Explore(const Snapshot& start, int answer, std::vector<int>& rolls, double weight,
             MoveOdds& odds, int& runs) {
  struct Group {
    int count = 0;
    int value = 0;
    Run run;
  };
  std::map<std::string, Group> groups;
  rolls.push_back(0);
  for (int value = 1; value <= 100; ++value) {
    rolls.back() = value;
    Run run = PlayWithRolls(start, answer, rolls);
    ++runs;
    Group& group = groups[(run.needsARoll ? "roll " : run.cut ? "cut " : "end ") + run.state];
    if (group.count++ == 0) {
      group.value = value;
      group.run = run;
    }
  }
  for (const auto& [state, group] : groups) {
    double share = weight * group.count / 100.0;
    if (!group.run.needsARoll) {
      Tally(odds, group.run.events, share);
      if (group.run.cut) odds.complete = false;
    } else if (rolls.size() >= kDeepestRolls || runs >= kMostRuns || gStepsLeft <= 0) {
      Tally(odds, group.run.events, share);  // what befell it so far
      odds.complete = false;
    } else {
      rolls.back() = group.value;
      Explore(start, answer, rolls, share, odds, runs);
    }
  }
  rolls.pop_back();
}

// Every value of every roll, nothing put together: 100^deepest runs at most.
void ExploreEveryRoll(const Snapshot& start, int answer, std::vector<int>& rolls, double weight,
                      size_t deepest, MoveOdds& odds) {
  rolls.push_back(0);
  for (int value = 1; value <= 100; ++value) {
    rolls.back() = value;
    Run run = PlayWithRolls(start, answer, rolls);
    if (!run.needsARoll || rolls.size() >= deepest) {
      Tally(odds, run.events, weight / 100.0);
      if (run.needsARoll || run.cut) odds.complete = false;
    } else {
      ExploreEveryRoll(start, answer, rolls, weight / 100.0, deepest, odds);
    }
  }
  rolls.pop_back();
}

// A play-out from the current car's position, on a race of its own: a copy
// of the race in play that hears nothing, rolls nothing (the values tried
// stand in for its dice) and writes nothing. Between runs the copy is put
// back from a snapshot of what a move can change.
Race CopyToPlay(const Race& from) {
  Race race;
  race.data = from.data;
  race.options = from.options;
  race.options.keepFiles = true;
  race.dice.tried = TriedRoll;
  return race;
}

struct PlayOut {
  Race race;
  RaceScope scope;
  Snapshot start;
  PlayOut(const Race& from, long long steps) : race(CopyToPlay(from)), scope(race) {
    start = TakeSnapshot();
    gStepsLeft = steps;
    gDirtyPlaces = 0;
  }
};

bool CarOnTheTrack() {
  return SelectCarAt(RaceNow().currentCar) && SelectNode(CurrentCar().listInd);
}
}  // namespace

MoveOdds PlayMoveOut(int answer) {
  MoveOdds odds;
  if (!CarOnTheTrack()) return odds;
  PlayOut playOut(CurrentRace(), kMostStepsInAll);
  std::vector<int> rolls;
  Run first = PlayWithRolls(playOut.start, answer, rolls);
  // The bonus is dropped, if at all, at the first corner edge, before the
  // first roll: the first run has met it.
  odds.bonusKept = Max(playOut.start.car.bonus - first.events.bonusLost, 0);
  if (first.needsARoll) {
    int runs = 1;
    Explore(playOut.start, answer, rolls, 1.0, odds, runs);
  } else {
    Tally(odds, first.events, 1.0);
    odds.complete = !first.cut;
    NoteTheOneWay(odds, first);
  }
  return odds;
}

MoveOdds PlayMoveOutEveryRoll(int answer, size_t deepest) {
  MoveOdds odds;
  if (!CarOnTheTrack()) return odds;
  PlayOut playOut(CurrentRace(), INT64_MAX);
  std::vector<int> rolls;
  Run first = PlayWithRolls(playOut.start, answer, rolls);
  odds.bonusKept = Max(playOut.start.car.bonus - first.events.bonusLost, 0);
  if (first.needsARoll && deepest > 0) {
    ExploreEveryRoll(playOut.start, answer, rolls, 1.0, deepest, odds);
  } else {
    Tally(odds, first.events, 1.0);
    odds.complete = !first.cut && !first.needsARoll;
    NoteTheOneWay(odds, first);
  }
  return odds;
}

namespace {
// The move played once with no roll, ended as EndOfMove ends it (what is
// left is carried over), then `play` with the lowest gear offered there.
template <class Play>
NextMove AfterTheMove(int answer, Play play) {
  NextMove next;
  if (!CarOnTheTrack()) return next;
  PlayOut playOut(CurrentRace(), kMostStepsInAll);
  Run run = PlayWithRolls(playOut.start, answer, {});
  CarRecord& car = CurrentCar();
  if (run.needsARoll || run.cut || car.finished != 0) return next;
  car.bonus = car.remaining;
  const GearOffer offer = OfferGears();
  for (int i = 0; i < 6 && next.gear == 0; ++i)
    if (offer.states[i] != 2) next.gear = i + 1;
  if (next.gear != 0) next.odds = play(next.gear);
  return next;
}
}  // namespace

NextMove PlayNextMoveOut(int answer) {
  return AfterTheMove(answer, [](int gear) { return PlayMoveOut(gear); });
}

NextMove PlayNextMoveOutEveryRoll(int answer, size_t deepest) {
  return AfterTheMove(answer, [deepest](int gear) { return PlayMoveOutEveryRoll(gear, deepest); });
}

CornerAhead NextCornerAhead() {
  if (!SelectCarAt(RaceNow().currentCar)) return CornerAhead{};
  return WalkToNextCorner(CurrentCar().listInd);
}

int RiskOf(const MoveOdds& odds) {
  if (odds.crash >= 1.0) return 99;
  if (odds.spinOut > 0 || odds.crash > 0) return 3;
  if (odds.offTheLine > 0) return 1;
  return 0;
}

std::string Percent(double chance) {
  if (chance <= 0) return "0%";
  if (chance >= 1) return "100%";
  long long whole = std::llround(chance * 100);
  return Decimal(std::clamp<long long>(whole, 1, 99)) + "%";
}

std::string OddsWords(const MoveOdds& odds, bool shortForm) {
  struct Outcome {
    double chance;
    const char* name;
    const char* shortName;
    const char* certain;
    const char* shortCertain;
  };
  const Outcome outcomes[] = {
      {odds.crash, "crash", "crash", "will crash", "will crash"},
      {odds.spinOut, "spin-out", "spin", "will spin out", "will spin"},
      {odds.offTheLine, "off the line", "off", "will go off the line", "will go off"},
  };
  std::string words;
  for (const Outcome& o : outcomes) {
    if (o.chance <= 0) continue;
    if (!words.empty()) words += ", ";
    if (o.chance >= 1)
      words += shortForm ? o.shortCertain : o.certain;
    else
      words += std::string(shortForm ? o.shortName : o.name) + " " + Percent(o.chance);
  }
  return words.empty() ? "safe" : words;
}

namespace {
// The header's line about the gear for the next corner, which agrees with
// the rows: the corner's limit when its row is safe (or the move does not
// reach the corner), else the highest gear offered whose move is safe. With
// the limit's own row at risk, a second corner is in its reach.
std::string SafeGearWords(const GearAdvice& advice, const int states[kGearButtons], int limit) {
  int best = 0;
  for (int i = 0; i < 6; ++i)
    if (states[i] != 2 && advice.risks[i] == 0 && advice.odds[i].complete) best = i + 1;
  if (best == 0) return "no gear offered is safe";
  if (best >= limit) return "safe gear: " + GearName(limit);
  std::string words = "safe gear: " + GearName(best);
  if (limit >= 1 && limit <= 6 && states[limit - 1] != 2 && advice.risks[limit - 1] != 0)
    words += ", a second corner in reach";
  return words;
}
}  // namespace

GearAdvice AdviseGears(const int states[kGearButtons]) {
  GearAdvice advice;
  if (!SelectCarAt(RaceNow().currentCar)) return advice;
  KeepCurrent keep;
  const CarRecord& car = CurrentCar();
  if (!SelectNode(car.listInd)) return advice;
  const NodeRecord& node = CurrentNode();
  auto limitOf = [&car](int type) { return type == 1 ? car.sharp : car.hairpin; };
  auto name = [](int type) { return std::string(type == 1 ? "sharp corner" : "hairpin"); };
  CornerAhead ahead = NextCornerAhead();
  // On the last lap the flag ends the move: a corner past it is never met.
  const bool flagFirst =
      car.lap >= Options().laps && ahead.line >= 0 && (ahead.type == 0 || ahead.line <= ahead.mp);
  std::string way = flagFirst          ? "the flag in " + Decimal(ahead.line) + " MP"
                    : ahead.type != 0 ? name(ahead.type) + " in " + Decimal(ahead.mp) + " MP"
                                      : "";
  const int wayMp = flagFirst ? ahead.line : ahead.mp;
  if (ahead.blockedAfter >= 0 && (way.empty() || ahead.blockedAfter < wayMp))
    advice.blocked = "blocked after " + Decimal(ahead.blockedAfter) + " MP";
  if (node.corner == 1 || node.corner == 2) {
    advice.corner = node.corner == 1 ? "in a sharp corner" : "in a hairpin";
    if (!way.empty()) advice.corner += ", " + way;
  } else {
    advice.corner = way.empty() ? "no corner ahead" : way;
  }
  const long long bonus = car.bonus;
  for (int i = 0; i < kGearButtons; ++i) {
    if (states[i] == 2) continue;
    int gear = i < 6 ? i + 1 : 6;  // "use OR" is Top
    const int answer = i < 6 ? gear : kChooseUseOR;
    MoveOdds odds = PlayMoveOut(answer);
    int risk = RiskOf(odds);
    advice.odds[i] = odds;
    advice.risks[i] = risk;
    // The gear's MP, and apart from them the carried-over MP the move keeps.
    std::string head = PadLeft2(GearMP(gear));
    if (bonus > 0 && odds.bonusKept > 0) head += " + " + Decimal(odds.bonusKept);
    head += " MP ";
    // A full node ahead: the move stops there and what it could not spend
    // waits for the next one. Where rolls decide whether it gets that far,
    // the chance of being stopped.
    std::string words = OddsWords(odds), shortWords = OddsWords(odds, true);
    if (odds.blocked >= 1 && odds.spent >= 0) {
      const std::string used = "blocked: " + Decimal(odds.spent) + " used, " + Decimal(odds.carried);
      words = used + " carried over, " + words;
      shortWords = used + " kept, " + shortWords;
    } else if (odds.blocked > 0) {
      words += ", blocked " + Percent(odds.blocked);
      shortWords += ", blocked " + Percent(odds.blocked);
    }
    advice.rows[i] = head + words;
    advice.shortRows[i] = head + shortWords;
    // A safe move can still leave the car where every gear it may take next
    // is at risk.
    if (risk == 0 && odds.complete) {
      advice.next[i] = PlayNextMoveOut(answer);
      const MoveOdds& next = advice.next[i].odds;
      if (advice.next[i].gear != 0 && RiskOf(next) != 0) {
        advice.rows[i] += ", then at best " + OddsWords(next) + (next.complete ? "" : "?");
        advice.shortRows[i] += ", then " + OddsWords(next, true) + (next.complete ? "" : "?");
      }
    }
    // A move too long to play out in full (absurd MP): what was seen of it.
    if (!odds.complete) {
      advice.rows[i] += "?";
      advice.shortRows[i] += "?";
    }
  }
  if (ahead.type != 0 && !flagFirst) advice.safeGear = SafeGearWords(advice, states, limitOf(ahead.type));
  return advice;
}
