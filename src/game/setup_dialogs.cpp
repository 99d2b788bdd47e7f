#include "game/setup_dialogs.h"

#include <algorithm>
#include <string>
#include <vector>

#include "common/common.h"
#include "dialogs/requester.h"
#include "game/hooks.h"
#include "game/race_saves.h"
#include "game/results_view.h"
#include "game/screens.h"
#include "game/side_panel.h"
#include "game/spritesheet.h"
#include "game/view.h"
#include "minigui/mini_gui.h"
#include "platform/screen.h"
#include "platform/services.h"
#include "race/car_data.h"
#include "race/define.h"
#include "race/race_start.h"
#include "race/season.h"
#include "game/screen_settings.h"

namespace {
// What the last set-up chose, offered again by the next (a new start-up
// forgets it).
struct SetUpChoices {
  bool made = false;
  std::vector<std::string> cars;    // in the order moved across
  int gridMode = 1;
  std::vector<std::string> driven;  // cars the player drove
};
SetUpChoices gLastSetUp;

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

void ClearGridOption() {
  if (gElements.GridOptions != nullptr) SetSelectedOption(gElements.GridOptions, -1);
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
  ClickKBA(e.LapsEntry, x, y);  // selects the laps: the first digit typed replaces them
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

void ForgetSetUpChoices() { gLastSetUp = SetUpChoices{}; }

int CarSelectionDialog() {
  GameElements& e = gElements;
  std::vector<std::string>& selected = SelectedCars();
  std::vector<std::string> keys = TableKeys();
  std::sort(keys.begin(), keys.end());
  // The last set-up's cars start in the race (those the table still has).
  selected.clear();
  if (gLastSetUp.made) {
    for (const std::string& key : gLastSetUp.cars)
      if (std::binary_search(keys.begin(), keys.end(), key)) selected.push_back(key);
  }
  ClearTextArea(e.AvailableArea);
  ClearTextArea(e.InRaceArea);
  for (const std::string& key : keys)
    if (std::find(selected.begin(), selected.end(), key) == selected.end()) AddText(e.AvailableArea, key);
  for (const std::string& key : selected) AddText(e.InRaceArea, key);
  SetButtonState(e.AllButton, 0, !selected.empty() && selected.size() == keys.size() ? 1 : 0);
  SetKBAText(e.LapsEntry, Decimal(gProg.laps));
  SetPageHidden(4, 0);
  SetCheckBox(e.NewSeasonBox, 0);
  ShowGridChoice(false);
  const int mode = gLastSetUp.made ? gLastSetUp.gridMode : 1;
  SetSelectedOption(e.GridOptions, mode >= 2 && mode <= 4 ? mode - 2 : -1);
  // The laps box has the keys while the dialog is open: digits need no click
  // first, and Return accepts the dialog.
  int digits = PlatCompileRegex("[0-9]");
  FocusKBA(e.LapsEntry, true);
  PlatIgnoreHeldKeys();  // Return held from the menu does not accept it unseen
  int answer = -1;  // 1 accepted, 0 cancelled
  while (answer == -1) {
    for (int event = PlatNextWindowEvent(); event != kEventNone && answer == -1;
         event = PlatNextWindowEvent()) {
      if (event != kEventLeftButtonUp || PlatEventWindow() != gView.window) continue;
      int x = PlatMouseX(), y = PlatMouseY();
      OfferClick(x, y);
      int choice = PickButton(e.CarSelectButtons, x, y);
      if (choice == 0 || choice == 1) answer = choice == 0 ? 1 : 0;
    }
    if (answer != -1) break;
    PlatPollKeyboard();
    if (PlatKeyReleased(kKeyEnd) || PlatKeyReleased(kKeyRight)) e.LapsEntry->fresh = 0;  // typing goes on after the laps
    KBAKey key = TypeIntoKBA(e.LapsEntry, PlatTypedCharacters(), digits);
    if (key != KBAKey::Typing) {
      answer = key == KBAKey::Confirm ? 1 : 0;
      break;
    }
    DialogFrame();
  }
  PlatFreeRegex(digits);
  FocusKBA(e.LapsEntry, false);
  SetPageHidden(4, 1);
  if (answer == 0) return 0;
  // The race's laps, and what the next set-up offers first.
  gProg.laps = Min(Max(LenientInt(GetKBAText(e.LapsEntry)), kFewestLaps), kMostLaps);
  Options().laps = gProg.laps;
  return 1;
}

void DriveSelectionDialog() {
  GameElements& e = gElements;
  ClearTextArea(e.DriveArea);
  for (const StandingRecord& s : Standing()) {
    AddText(e.DriveArea, s.car);
    auto driver = Driver().find(s.car);
    if (driver != Driver().end()) driver->second.user = 0;
  }
  // The cars the player drove last time, when they race again.
  for (size_t line = 0; line < e.DriveArea->lines.size(); ++line) {
    const std::vector<std::string>& driven = gLastSetUp.driven;
    if (std::find(driven.begin(), driven.end(), e.DriveArea->lines[line]) != driven.end())
      SetTextAreaSelection(e.DriveArea, static_cast<int>(line));
  }
  SetPageHidden(6, 0);
  PlatIgnoreHeldKeys();
  std::string taken = GetTextAreaSelection(e.DriveArea);
  for (bool done = false; !done;) {
    for (int event = PlatNextWindowEvent(); event != kEventNone && !done;
         event = PlatNextWindowEvent()) {
      if (PlatEventWindow() != gView.window) continue;
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
    if (PlatKeyReleased(kKeyReturn)) break;  // the cars marked, as OK takes them
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
  ShowRacePanel(false);  // the last race's car and order go with it
  SetButtonState(e.RaceButtons, 1, 0);
  SetLabel(e.RaceNameLabel, Options().raceName, 0);
  if (!Node().empty()) CentreView(Node()[0].nodeX, Node()[0].nodeY);
  ClearRaceState();
  LoadCarData();
  for (;;) {
    if (CarSelectionDialog() == 0) {
      gScreen.gameState = 1;
      return;
    }
    if (!SelectedCars().empty()) break;
    MessageBox("you must select at least 1 car");
  }
  if (GetCheckBox(e.NewSeasonBox) == 1) NewSeason(AskSeasonName);
  LoadDrivers();
  int gridMode = GridModeFromDialog();
  if (SetStartGrid(gridMode) == 0) {
    // No record of a last race to line up by: that option is taken back.
    if (gridMode == 4) ClearGridOption();
    gScreen.gameState = 1;
    return;
  }
  // Nobody's car is the player's until the drive selection says so: the
  // marks of the last race never show on this one's running order.
  for (const StandingRecord& s : Standing())
    if (DriverRecord* driver = FindDriver(s.car)) driver->user = 0;
  PrepareRaceCars();
  DriveSelectionDialog();
  gLastSetUp.made = true;
  gLastSetUp.cars = SelectedCars();
  gLastSetUp.gridMode = gridMode;
  gLastSetUp.driven.clear();
  for (const StandingRecord& s : Standing())
    if (const DriverRecord* driver = FindDriver(s.car); driver != nullptr && driver->user != 0)
      gLastSetUp.driven.push_back(s.car);
  ShowRacePanel(true);
  ShowStandings();  // this race's marks from its first frame
  SetButtonState(e.RaceButtons, 0, 0);
  Options().autoMode = 0;
  StartFirstMove();
  RememberRaceAsSaved();
}

std::string CarFiguresText(const std::string& key, int laps) {
  auto it = Car().find(key);
  if (it == Car().end()) return "";
  const CarRecord& car = it->second;
  std::string text = key + "~Top " + Decimal(car.gearTop) + " MP, " + Decimal(car.hb) + " HBs, " +
                     Decimal(car.ors) + " ORs~safe gears: sharp " + Decimal(car.sharp) +
                     ", hairpin " + Decimal(car.hairpin) + "~";
  // The table's HBs and ORs are for four laps; the race panel shows the
  // race's own, so the pop-up says what this race will give.
  if (laps != 4)
    text += "HBs, ORs are for 4 laps:~" + Decimal(laps) + " laps give " +
            Decimal(ScaledForLaps(car.hb, laps)) + " HBs, " + Decimal(ScaledForLaps(car.ors, laps)) +
            " ORs~";
  return text;
}

void DrawCarFiguresPopUp() {
  const GameElements& e = gElements;
  if (e.SmallFont == nullptr) return;
  const int x = PlatMouseX(), y = PlatMouseY();
  for (const TextArea* area : {e.AvailableArea, e.InRaceArea}) {
    std::string key = TextAreaLineAt(area, x, y);
    if (key.empty()) continue;
    const int laps = std::clamp(LenientInt(GetKBAText(e.LapsEntry)), kFewestLaps, kMostLaps);
    std::string text = CarFiguresText(key, laps);
    if (!text.empty()) DrawTextBox(e.SmallFont, text, x + 16, y + 16);
    return;
  }
}

int GridModeFromDialog() {
  const GameElements& e = gElements;
  if (e.NewSeasonBox == nullptr || e.RandomBox == nullptr || e.GridOptions == nullptr)
    FATAL("logic error", "Start End", "SetStartGrid");
  int newSeason = GetCheckBox(e.NewSeasonBox);
  if (newSeason == 1) {
    int random = GetCheckBox(e.RandomBox);
    if (random == 1) return 3;
    if (random == 0) return 1;
  } else if (newSeason == 0) {
    int option = GetSelectedOption(e.GridOptions);
    if (option == -1) return 1;
    if (option >= 0 && option <= 2) return option + 2;
  }
  FATAL("logic error", "Start End", "SetStartGrid");
}

void ResumeLoadedRace() {
  GameElements& e = gElements;
  ShowRacePanel(true);
  if (e.RaceButtons != nullptr) {
    SetButtonState(e.RaceButtons, 1, 0);
    // The button shows what the loaded race does: a race saved running by
    // itself goes on running by itself.
    SetButtonState(e.RaceButtons, 0, Options().autoMode != 0 ? 1 : 0);
  }
  if (e.RaceNameLabel != nullptr) SetLabel(e.RaceNameLabel, Options().raceName, 0);
  // Saved while the player chose a gear: the gear panel comes back over the
  // race screen, not under the menu.
  if (RaceNow().choosingGear) SetPageHidden(2, 1);
  int lap = 1;
  for (const StandingRecord& s : Standing()) lap = Max(lap, s.lap);
  // As the commentary words a car's events: the name, then the event
  // indented, each short enough for the panel (the race goes on to say its
  // number of laps).
  AddCommentaryLine(Options().raceName + "~  loaded at lap " + Decimal(Min(lap, Options().laps)));
  ResumeRace();
  RememberRaceAsSaved();
}
