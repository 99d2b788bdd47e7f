#include "game/menu_race.h"

#include <cstdio>
#include <string>
#include <vector>

#include "common/common.h"
#include "game/screen_settings.h"
#include "game/sounds.h"
#include "game/track_view.h"
#include "game/view.h"
#include "platform/screen.h"
#include "platform/services.h"
#include "race/analyze.h"
#include "race/define.h"
#include "race/movement.h"
#include "race/race_start.h"
#include "race/save_load.h"

namespace {
constexpr int kMenuRaceLaps = 3;

struct MenuRace {
  bool enabled = false;
  bool running = false;
  bool stepping = false;  // a step is under way: a box it opened must not step again
  int64_t nextStep = 0;
  int started = 0;
  size_t circuit = 0;  // index into circuits
  std::vector<std::string> circuits;
  // Its own race: nothing the player has is ever swapped out for it.
  Race race;
};
MenuRace gMenu;

std::vector<std::string> CircuitsInFolder() {
  std::vector<std::string> names;
  std::vector<PlatFolderEntry> entries;
  if (!PlatListFolder(gProg.circuitsFolder, "*.json", entries)) return names;
  for (const PlatFolderEntry& entry : entries)
    if (!entry.isFolder) names.push_back(entry.name.substr(0, entry.name.rfind('.')));
  return names;
}

// Its dice are its own, seeded from the clock: it never takes a roll from
// the platform's dice, which the player's race rolls.
uint64_t FreshSeed() {
  return static_cast<uint64_t>(PlatElapsedMilliseconds()) * 2654435761u +
         static_cast<uint64_t>(gMenu.started);
}

// Nobody watches it closely: it hears nothing, shows no box (what goes wrong
// goes to stderr), rolls its own dice and writes nothing at the flag.
Race FreshMenuRace() {
  Race race;
  UseOwnDice(race, FreshSeed());
  race.options.keepFiles = true;
  if (gScreen.menuRaceSound) race.report.event = HearRaceEvent;
  return race;
}

void SayWhy(const std::string& circuit, const FatalError& error) {
  std::string text = error.what();
  std::fprintf(stderr, "The race behind the menu skips %s: %s\n", Cp1252ToUtf8(circuit).c_str(),
               Cp1252ToUtf8(text.substr(0, text.find("\r\n"))).c_str());
}

// Runs `work` on the menu race with every fatal error caught: false when
// one was, and said on stderr.
template <typename Work>
bool Guarded(const std::string& circuit, Work work) {
  const bool throws = FatalThrows();
  SetFatalThrows(true);
  bool done = true;
  try {
    RaceScope scope(gMenu.race);
    work();
  } catch (const FatalError& error) {
    SayWhy(circuit, error);
    done = false;
  }
  SetFatalThrows(throws);
  return done;
}

// One race on the current circuit of the list; false when it cannot be set
// up (the circuit is then skipped).
bool BeginRace() {
  const std::string name = gMenu.circuits[gMenu.circuit];
  gMenu.race = FreshMenuRace();
  bool set = false;
  bool loaded = Guarded(name, [&] {
    LoadTrackTiles();
    Load(gProg.circuitsFolder / (name + ".json"));
    ShowLoadedCircuit();
    Options().raceName = name;
    UnattendedRace race;
    race.laps = kMenuRaceLaps;
    race.gridMode = 3;
    set = SetUpUnattendedRace(race);
  });
  if (!loaded || !set) return false;
  ++gMenu.started;
  gMenu.nextStep = PlatElapsedMilliseconds() + gScreen.timeSlice;
  return true;
}

void NextRace(bool first = false) {
  for (size_t tries = 0; tries < gMenu.circuits.size(); ++tries) {
    if (!first || tries > 0) gMenu.circuit = (gMenu.circuit + 1) % gMenu.circuits.size();
    if (BeginRace()) return;
  }
  // Nothing here can be raced: the board rests.
  StopMenuRace();
}
}  // namespace

void EnableMenuRace(bool on) {
  gMenu.enabled = on;
}

void StartMenuRace() {
  if (!gMenu.enabled || gMenu.running) return;
  gMenu.circuits = CircuitsInFolder();
  if (gMenu.circuits.empty()) return;
  gMenu.running = true;
  // A circuit picked at random.
  gMenu.circuit = static_cast<size_t>(FreshSeed() % gMenu.circuits.size());
  NextRace(true);
}

void StepMenuRace() {
  if (!gMenu.running || gMenu.stepping || PlatElapsedMilliseconds() < gMenu.nextStep) return;
  gMenu.stepping = true;
  gMenu.nextStep = PlatElapsedMilliseconds() + gScreen.timeSlice;
  bool over = false;
  const bool stepped = Guarded(gMenu.circuits[gMenu.circuit], [&] {
    over = Standing().empty();
    if (!over) RaceStep();
  });
  gMenu.stepping = false;
  if (over || !stepped) NextRace();
}

void StopMenuRace() {
  if (!gMenu.running) return;
  gMenu.running = false;
  gMenu.race = Race{};
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

void WithMenuRace(void (*work)()) {
  if (!gMenu.running) return;
  RaceScope scope(gMenu.race);
  work();
}

void DrawMenuBackdrop() {
  WithMenuRace(DrawTrackView);
}

const Race* MenuRaceValue() {
  return gMenu.running ? &gMenu.race : nullptr;
}
