#include "engine/gui_manager.h"

#include "common/common.h"
#include "engine/car_data.h"
#include "engine/define.h"
#include "engine/gui_init.h"
#include "engine/save_load.h"
#include "minigui/mini_gui.h"
#include "platform/platform.h"

namespace {
LogListener gLogListener = nullptr;

// The lines AddText makes of a text: split at "~", a final "~" ending the
// last line rather than starting an empty one.
void HandLinesToListener(std::string text) {
  if (text.empty() || text.back() != '~') text += '~';
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i)
    if (text[i] == '~') {
      gLogListener(text.substr(start, i - start));
      start = i + 1;
    }
}
}  // namespace

void ClearArea(TextArea* area) {
  if (area != nullptr) ClearTextArea(area);
}

void AddToArea(TextArea* area, const std::string& text) {
  if (area != nullptr) AddText(area, text);
}

void AddLogText(const std::string& text) {
  AddToArea(gElements.LogArea, text);
  if (gLogListener != nullptr) HandLinesToListener(text);
}

void SetLogListener(LogListener listener) {
  gLogListener = listener;
}

std::string RightAlign2(long long value) {
  std::string text = Decimal(value);
  if (text.size() < 2) return std::string(2 - text.size(), ' ') + text;
  return text.substr(0, 2);
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

void ShowStandings() {
  TextArea* area = gElements.StandingsArea;
  if (area == nullptr) return;
  ClearTextArea(area);
  std::vector<bool> players;
  for (const StandingRecord& standing : Standing()) players.push_back(IsPlayersCar(standing.car));
  int line = 0;
  for (int i : StandingsRowsShown(players, area->rows)) {
    AddText(area, RightAlign2(static_cast<long long>(i) + 1) + " " + Standing()[i].car);
    if (players[i]) SetTextAreaSelection(area, line);
    ++line;
  }
}

void RaceButtonClick() {
  ButtonArray* buttons = gElements.RaceButtons;
  if (buttons == nullptr) return;
  switch (PickButton(buttons, PlatMouseX(), PlatMouseY())) {
    case 0:
      gProg.autoMode = 1 - gProg.autoMode;
      SetButtonState(buttons, 0, gProg.autoMode);
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
