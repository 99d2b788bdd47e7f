#include "engine/race_setup.h"

#include <algorithm>
#include <string>
#include <vector>

#include "common/common.h"
#include "dialogs/requester.h"
#include "engine/car_data.h"
#include "engine/define.h"
#include "engine/gui_init.h"
#include "engine/gui_manager.h"
#include "engine/init.h"
#include "engine/mouse.h"
#include "engine/movement.h"
#include "engine/spritesheet.h"
#include "engine/start_end.h"
#include "minigui/mini_gui.h"
#include "platform/platform.h"

namespace {
std::vector<std::string> TildeFields(const std::string& list) {
  std::vector<std::string> out;
  size_t start = 0;
  for (size_t end = list.find('~'); end != std::string::npos; end = list.find('~', start)) {
    out.push_back(list.substr(start, end - start));
    start = end + 1;
  }
  return out;
}

// One frame of a set-up dialog: the race screen behind, the dialog on top.
void DialogFrame() {
  if (!PlatScreenActive()) LostDevice();
  if (gHooks.renderFrame != nullptr) {
    gHooks.renderFrame();
  } else {
    FinishModalFrame(nullptr);
  }
  if (gHooks.menuFrame != nullptr) gHooks.menuFrame();
}

void ShowGridChoice(bool newSeason) {
  SetOptionBoxesHidden(gElements.GridOptions, newSeason ? 1 : 0);
  SetCheckBoxHidden(gElements.RandomBox, newSeason ? 0 : 1);
}

void FillAvailable(const std::vector<std::string>& keys) {
  ClearTextArea(gElements.AvailableArea);
  ClearTextArea(gElements.InRaceArea);
  for (const std::string& key : keys) AddText(gElements.AvailableArea, key);
}

std::vector<std::string> TableKeys() {
  std::vector<std::string> keys;
  for (const auto& [key, car] : Car()) keys.push_back(key);
  return keys;
}

// A click offered to the dialog's controls in their fixed order.
void OfferClick(int x, int y) {
  GameElements& e = gElements;
  std::vector<std::string>& selected = SelectedCars();
  if (PickButton(e.AllButton, x, y) == 0) {
    int state = 1 - GetButtonState(e.AllButton, 0);
    SetButtonState(e.AllButton, 0, state);
    selected.clear();
    FillAvailable(state == 0 ? TableKeys() : std::vector<std::string>{});
    if (state == 1) {
      for (const std::string& key : TableKeys()) {
        selected.push_back(key);
        AddText(e.InRaceArea, key);
      }
    }
  }
  PickTextArea(e.AvailableArea, x, y);
  PickTextArea(e.InRaceArea, x, y);
  PickKBA(e.LapsEntry, x, y, "[0-9]");  // the box keeps what was typed; OK reads it
  int season = PickCheckBox(e.NewSeasonBox, x, y);
  if (season != -1) ShowGridChoice(season == 1);
  PickOptionBox(e.GridOptions, x, y);
  PickCheckBox(e.RandomBox, x, y);
  int arrow = PickButton(e.MoveButtons, x, y);
  if (arrow == 0) {
    std::string lines = GetTextAreaSelection(e.AvailableArea);
    for (const std::string& key : TildeFields(lines)) {
      selected.push_back(key);
      AddText(e.InRaceArea, key);
    }
    if (!lines.empty()) RemoveText(e.AvailableArea, lines);
  } else if (arrow == 1) {
    std::string lines = GetTextAreaSelection(e.InRaceArea);
    for (const std::string& key : TildeFields(lines)) {
      auto first = std::find(selected.begin(), selected.end(), key);
      if (first != selected.end()) selected.erase(first);
      AddText(e.AvailableArea, key);
    }
    if (!lines.empty()) RemoveText(e.InRaceArea, lines);
  }
}
}  // namespace

int CarSelectionDialog() {
  GameElements& e = gElements;
  std::vector<std::string>& selected = SelectedCars();
  selected = TableKeys();
  std::sort(selected.begin(), selected.end());
  FillAvailable(selected);
  selected.clear();
  SetButtonState(e.AllButton, 0, 0);
  SetKBAText(e.LapsEntry, Decimal(gProg.laps));
  SetPageHidden(4, 0);
  SetCheckBox(e.NewSeasonBox, 0);
  ShowGridChoice(false);
  SetSelectedOption(e.GridOptions, -1);
  for (;;) {
    for (int event = PlatNextWindowEvent(); event != kEventNone; event = PlatNextWindowEvent()) {
      if (event != kEventLeftButtonUp || PlatEventWindow() != gProg.window) continue;
      int x = PlatMouseX(), y = PlatMouseY();
      OfferClick(x, y);
      int choice = PickButton(e.CarSelectButtons, x, y);
      if (choice == 0) {
        gProg.laps = Min(Max(LenientInt(GetKBAText(e.LapsEntry)), kFewestLaps), kMostLaps);
        SetPageHidden(4, 1);
        return 1;
      }
      if (choice == 1) {
        SetPageHidden(4, 1);
        return 0;
      }
    }
    PlatPollKeyboard();
    if (PlatKeyReleased(kKeyReturn)) {
      SetPageHidden(4, 1);
      return 1;
    }
    if (PlatKeyReleased(kKeyEscape)) {
      SetPageHidden(4, 1);
      return 0;
    }
    DialogFrame();
  }
}

void DriveSelectionDialog() {
  GameElements& e = gElements;
  ClearTextArea(e.DriveArea);
  for (const StandingRecord& s : Standing()) {
    AddText(e.DriveArea, s.car);
    auto driver = Driver().find(s.car);
    if (driver != Driver().end()) driver->second.user = 0;
  }
  SetPageHidden(6, 0);
  std::string taken;
  for (bool done = false; !done;) {
    for (int event = PlatNextWindowEvent(); event != kEventNone && !done;
         event = PlatNextWindowEvent()) {
      if (PlatEventWindow() != gProg.window) continue;
      if (event == kEventLeftButtonUp) {
        int x = PlatMouseX(), y = PlatMouseY();
        PickTextArea(e.DriveArea, x, y);
        taken = GetTextAreaSelection(e.DriveArea);
        if (PickButton(e.DriveOKButton, x, y) == 0) done = true;
      } else if (event == kEventRightButtonUp) {
        taken.clear();
        done = true;
      }
    }
    if (done) break;
    PlatPollKeyboard();
    if (PlatKeyReleased(kKeyEscape)) {
      taken.clear();
      break;
    }
    DialogFrame();
  }
  for (const std::string& key : TildeFields(taken)) {
    auto driver = Driver().find(key);
    if (driver != Driver().end()) driver->second.user = 1;
  }
  SetPageHidden(6, 1);
}

void NewRaceSetUp() {
  GameElements& e = gElements;
  SetPageHidden(2, 1);
  SetButtonState(e.RaceButtons, 1, 0);
  SetLabel(e.RaceNameLabel, gProg.raceName, 0);
  if (!Node().empty()) CentreView(Node()[0].nodeX, Node()[0].nodeY);
  ClearRaceState();
  LoadCarData();
  for (;;) {
    if (CarSelectionDialog() == 0) {
      gProg.gameState = 1;
      return;
    }
    if (!SelectedCars().empty()) break;
    MessageBox("you must select at least 1 car");
  }
  if (GetCheckBox(e.NewSeasonBox) == 1) NewSeason();
  LoadDrivers();
  if (SetStartGrid(GridModeFromDialog()) == 0) {
    gProg.gameState = 1;
    return;
  }
  PrepareRaceCars();
  DriveSelectionDialog();
  SetButtonState(e.RaceButtons, 0, 0);
  gProg.autoMode = 0;
  StartFirstMove();
}

void ResumeLoadedRace() {
  GameElements& e = gElements;
  if (e.RaceButtons != nullptr) {
    SetButtonState(e.RaceButtons, 1, 0);
    // The button shows what the loaded race does: a race saved running by
    // itself goes on running by itself.
    SetButtonState(e.RaceButtons, 0, gProg.autoMode != 0 ? 1 : 0);
  }
  if (e.RaceNameLabel != nullptr) SetLabel(e.RaceNameLabel, gProg.raceName, 0);
  AddLogText(Decimal(gProg.laps) + " laps");
  AddLogText(" ");
  PutLoadedCarsBack();
  ShowStandings();
  ShowCarStatus(0);
  // Saved while the player chose a gear: the move had not begun, so it
  // begins now, with the choice asked again.
  if (gRace.choosingGear) {
    gRace.choosingGear = false;
    SetPageHidden(2, 1);
    if (SelectStanding(gRace.currentStanding) && SelectCar(CurrentStanding().car) &&
        SelectNode(CurrentCar().listInd)) {
      StartMove();
      ShowCarStatus(0);
    }
  }
}
