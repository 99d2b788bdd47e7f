#include "game/side_panel.h"

#include "common/common.h"
#include "race/car_data.h"
#include "race/define.h"
#include "game/screens.h"
#include "race/report.h"
#include "race/save_load.h"
#include "dialogs/requester.h"
#include "minigui/mini_gui.h"
#include "platform/screen.h"
#include "platform/services.h"
#include "race/data_file.h"

void ClearArea(TextArea* area) {
  if (area != nullptr) ClearTextArea(area);
}

void AddToArea(TextArea* area, const std::string& text) {
  if (area != nullptr) AddText(area, text);
}

void AddCommentaryLine(const std::string& line) {
  AddToArea(gElements.LogArea, line);
}

void ShowCarStatus(int mode) {
  TextArea* area = gElements.RaceInfoArea;
  if (area == nullptr) return;
  ClearTextArea(area);
  if (!SelectCar(gRace.currentCar)) return;  // no current car: the area stays empty
  const std::string& key = gRace.currentCar;
  const CarRecord& car = CurrentCar();
  auto driver = Driver().find(key);
  // A car without a driver shows an empty name rather than someone else's.
  AddText(area, key);
  AddText(area, driver == Driver().end() ? std::string() : driver->second.name);
  AddText(area, "lap: " + Decimal(Max(car.lap, 1)));
  AddText(area, "sharp: " + Decimal(car.sharp) + " hrpin: " + Decimal(car.hairpin));
  AddText(area, "HBs: " + Decimal(car.hb) + "  ORs: " + Decimal(car.ors));
  AddText(area, "downshift: " + Decimal(car.downShift) + (car.gearTop == car.gear5 ? " SO" : ""));
  std::string gear = car.gear == 6 ? "Tp" : Decimal(car.gear);
  std::string mp =
      mode == 0 ? Decimal(GearMP(car.gear)) + " +" + Decimal(car.bonus) : Decimal(car.remaining);
  AddText(area, "gear: " + gear + " MP: " + mp);
  SetTextAreaSelection(area, 6);
}

bool IsPlayersCar(const std::string& key) {
  auto driver = Driver().find(key);
  return driver != Driver().end() && driver->second.user != 0;
}

std::vector<int> StandingsRowsShown(const std::vector<bool>& players, int rows) {
  const int count = static_cast<int>(players.size());
  std::vector<bool> shown(players.size(), false);
  int left = Max(rows, 0);
  auto show = [&](int i) {
    if (left > 0 && i >= 0 && i < count && !shown[i]) {
      shown[i] = true;
      --left;
    }
  };
  // The leader and the player's cars first, then the car just ahead of each
  // of the player's cars, then the field from the front.
  show(0);
  for (int i = 0; i < count; ++i)
    if (players[i]) show(i);
  for (int i = 1; i < count; ++i)
    if (players[i]) show(i - 1);
  for (int i = 0; i < count; ++i) show(i);
  std::vector<int> result;
  for (int i = 0; i < count; ++i)
    if (shown[i]) result.push_back(i);
  return result;
}

std::vector<RunningOrderRow> RunningOrderRows() {
  std::vector<RunningOrderRow> rows;
  long long place = 0;
  for (const std::string& key : OrderOfFinish())
    rows.push_back({RightAlign2(++place) + " " + key + " F", IsPlayersCar(key)});
  for (const StandingRecord& standing : Standing())
    rows.push_back({RightAlign2(++place) + " " + standing.car, IsPlayersCar(standing.car)});
  for (const std::string& key : DNF()) rows.push_back({"-- " + key, IsPlayersCar(key)});
  return rows;
}

void ShowStandings() {
  TextArea* area = gElements.StandingsArea;
  if (area == nullptr) return;
  ClearTextArea(area);
  std::vector<RunningOrderRow> rows = RunningOrderRows();
  std::vector<bool> players;
  for (const RunningOrderRow& row : rows) players.push_back(row.player);
  int line = 0;
  for (int i : StandingsRowsShown(players, area->rows)) {
    AddText(area, rows[i].text);
    if (players[i]) SetTextAreaSelection(area, line);
    ++line;
  }
}

void RaceButtonClick() {
  ButtonArray* buttons = gElements.RaceButtons;
  if (buttons == nullptr) return;
  switch (PickButton(buttons, PlatMouseX(), PlatMouseY())) {
    case 0:
      ToggleAutoMode();
      break;
    case 1:
      Save(gProg.savedRacesFolder / (gProg.raceName + ".json"));
      AddLogText("race saved");
      break;
    case 2:
      gProg.gameState = 1;
      break;
    default:
      break;
  }
}

void MarkRaceOver() {
  ButtonArray* buttons = gElements.RaceButtons;
  if (buttons == nullptr) return;
  SetButtonState(buttons, 0, 0);
  SetButtonState(buttons, 1, 2);
}

void ToggleAutoMode() {
  gProg.autoMode = 1 - gProg.autoMode;
  if (gElements.RaceButtons != nullptr) SetButtonState(gElements.RaceButtons, 0, gProg.autoMode);
}

void SetSimulationSpeed() {
  std::string text = InputBox("Enter simulation speed in ms.", Decimal(gProg.timeSlice));
  int v = LenientInt(text);
  if (v == 0) return;
  v = Min(Max(v, kShortestTimeSlice), kLongestTimeSlice);
  gProg.timeSlice = v;
  PlatSettings settings;
  if (!PlatOpenSettings(settings, gProg.settingsFile)) {
    FATAL("could not read *.ini file", "KB", "SetSimulationSpeed");
  }
  PlatWriteSettingInt(settings, "TimeSlice", v);
  // A settings file that cannot be replaced (a read-only folder) keeps the
  // speed for this run only; the player is told instead of the game ending.
  if (!PlatCloseSettings(settings)) AddToArea(gElements.LogArea, "speed not stored in The Velotrax.ini");
}
