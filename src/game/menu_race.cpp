#include "game/menu_race.h"

#include <string>
#include <vector>

#include "common/common.h"
#include "game/track_view.h"
#include "game/view.h"
#include "platform/screen.h"
#include "platform/services.h"
#include "race/define.h"
#include "race/movement.h"
#include "race/race_end.h"
#include "race/race_start.h"
#include "race/report.h"
#include "race/save_load.h"

namespace {
constexpr int kMenuRaceLaps = 3;

struct MenuRace {
  bool enabled = false;
  bool running = false;
  int64_t nextStep = 0;
  int started = 0;
  size_t circuit = 0;  // index into circuits
  std::vector<std::string> circuits;
  // What the race behind the menu must give back.
  int laps = 0;
  std::string raceName;
  std::string seasonName;
  int autoMode = 0;
  RaceReport report;
};
MenuRace gMenu;

std::vector<std::string> ShippedCircuits() {
  std::vector<std::string> names;
  std::vector<PlatFolderEntry> entries;
  if (!PlatListFolder(gProg.circuitsFolder, "*.json", entries)) return names;
  for (const PlatFolderEntry& entry : entries)
    if (!entry.isFolder) names.push_back(entry.name.substr(0, entry.name.rfind('.')));
  return names;
}

// One race on the current circuit of the list; false when it cannot be set
// up (the circuit is then skipped). A shipped circuit that cannot be loaded
// is the game's fatal error, as in a race the player starts.
bool BeginRace() {
  Load(gProg.circuitsFolder / (gMenu.circuits[gMenu.circuit] + ".json"));
  ShowLoadedCircuit();
  gProg.raceName = gMenu.circuits[gMenu.circuit];
  UnattendedRace race;
  race.laps = kMenuRaceLaps;
  race.gridMode = 3;
  if (!SetUpUnattendedRace(race)) return false;
  ++gMenu.started;
  gMenu.nextStep = PlatElapsedMilliseconds() + gProg.timeSlice;
  return true;
}

void NextRace() {
  for (size_t tries = 0; tries < gMenu.circuits.size(); ++tries) {
    gMenu.circuit = (gMenu.circuit + 1) % gMenu.circuits.size();
    if (BeginRace()) return;
  }
  StopMenuRace();
}
}  // namespace

void EnableMenuRace(bool on) {
  gMenu.enabled = on;
}

void StartMenuRace() {
  if (!gMenu.enabled || gMenu.running) return;
  gMenu.circuits = ShippedCircuits();
  if (gMenu.circuits.empty()) return;
  gMenu.laps = gProg.laps;
  gMenu.raceName = gProg.raceName;
  gMenu.seasonName = gProg.seasonName;
  gMenu.autoMode = gProg.autoMode;
  gMenu.report = gReport;
  // Nobody watches it closely: no commentary, no side panel, no player's
  // car, nothing written at the flag.
  gReport = RaceReport{};
  gEndOfRace.keepFiles = true;
  gMenu.running = true;
  gMenu.circuit = static_cast<size_t>(PlatRandom(static_cast<int>(gMenu.circuits.size()) - 1, 0));
  gMenu.circuit = (gMenu.circuit + gMenu.circuits.size() - 1) % gMenu.circuits.size();
  NextRace();
}

void StepMenuRace() {
  if (!gMenu.running || PlatElapsedMilliseconds() < gMenu.nextStep) return;
  gMenu.nextStep = PlatElapsedMilliseconds() + gProg.timeSlice;
  if (Standing().empty()) {
    NextRace();
    return;
  }
  RaceStep();
}

void StopMenuRace() {
  if (!gMenu.running) return;
  gMenu.running = false;
  ClearRaceState();
  gProg.laps = gMenu.laps;
  gProg.raceName = gMenu.raceName;
  gProg.seasonName = gMenu.seasonName;
  gProg.autoMode = gMenu.autoMode;
  gEndOfRace.keepFiles = false;
  gReport = gMenu.report;
}

bool MenuRaceRunning() {
  return gMenu.running;
}

int64_t MenuRaceNextStep() {
  return gMenu.nextStep;
}

int MenuRacesStarted() {
  return gMenu.started;
}

void DrawMenuBackdrop() {
  if (!gMenu.running) return;
  StepMenuRace();
  DrawTrackView();
}
