#include "game/side_panel.h"

#include "common/common.h"

#include <algorithm>
#include "race/car_data.h"
#include "race/define.h"
#include "game/race_saves.h"
#include "game/screens.h"
#include "race/movement.h"
#include "race/report.h"
#include "race/save_load.h"
#include "dialogs/requester.h"
#include "minigui/mini_gui.h"
#include "platform/screen.h"
#include "platform/services.h"
#include "race/data_file.h"
#include "game/screen_settings.h"

void ClearArea(TextArea* area) {
  if (area != nullptr) ClearTextArea(area);
}

void AddToArea(TextArea* area, const std::string& text) {
  if (area != nullptr) AddText(area, text);
}

void AddCommentaryLine(const std::string& line) {
  TextArea* log = gElements.LogArea;
  if (log == nullptr) return;
  // The whole race is kept to scroll back through; a very long one forgets
  // its oldest lines.
  constexpr size_t kMostLines = 5000;
  if (log->lines.size() >= kMostLines)
    log->lines.erase(log->lines.begin(), log->lines.begin() + kMostLines / 5);
  AddText(log, line);
}

void ClearCommentary() {
  ClearArea(gElements.LogArea);
  if (gElements.OwnMoveLabel != nullptr) SetLabel(gElements.OwnMoveLabel, "", kNoTint);
}

namespace {
std::string gOwnCar;
int gOwnHbs = 0;

std::string Ordinal(long long n) {
  const char* suffix = n % 100 >= 11 && n % 100 <= 13 ? "th"
                       : n % 10 == 1                  ? "st"
                       : n % 10 == 2                  ? "nd"
                       : n % 10 == 3                  ? "rd"
                                                      : "th";
  return Decimal(n) + suffix;
}
}  // namespace

void NoteOwnMoveStart() {
  gOwnCar = CurrentCarKey();
  auto car = Car().find(gOwnCar);
  gOwnHbs = car == Car().end() ? 0 : car->second.hb;
}

std::string OwnMoveLine(int place) {
  auto it = Car().find(CurrentCarKey());
  if (it == Car().end() || !IsPlayersCar(it->first)) return "";
  const CarRecord& car = it->second;
  const MoveEvents& events = CurrentMoveEvents();
  std::string line = car.finished == 2   ? "crashed"
                     : events.spunOut    ? "spun out"
                     : events.offTheLine ? "off the line"
                                         : "safe";
  if (car.finished == 1) {
    const auto& order = OrderOfFinish();
    long long at = std::find(order.begin(), order.end(), it->first) - order.begin() + 1;
    line = "finished " + Ordinal(at);
  }
  long long used = gOwnCar == it->first ? static_cast<long long>(gOwnHbs) - car.hb : 0;
  if (used > 0) line += ", " + Decimal(used) + (used == 1 ? " HB" : " HBs");
  // Cut short by two cars side by side: the MP it could spend, and of them
  // the MP it did.
  if (events.blocked && car.finished == 0) {
    const long long had = events.spent + std::max(car.remaining, 0);
    line += ", blocked, " + Decimal(events.spent) + " of " + Decimal(had) + " MP";
  }
  // The place as the panel lists it: the cars that finished come first.
  if (car.finished == 0 && place >= 1)
    line += ", " + Ordinal(static_cast<long long>(OrderOfFinish().size()) + place);
  // With more than one car of the player's, the line says which moved.
  int players = 0;
  for (const auto& [key, driver] : Driver()) players += driver.user != 0 && Car().find(key) != Car().end();
  return players > 1 ? it->first + ": " + line : line;
}

std::string OwnMoveText(int place) {
  std::string line = OwnMoveLine(place);
  const Label* label = gElements.OwnMoveLabel;
  if (line.empty() || label == nullptr) return line;
  // Where the line would run past the commentary's width, the MP of a
  // blocked move go to fewer words, then the car's name gives way, letters
  // from its end.
  const TextArea* log = gElements.LogArea;
  if (log != nullptr && label->font != nullptr && label->font->glyphWidth > 0) {
    const size_t room = static_cast<size_t>(Max(log->width, 0) / label->font->glyphWidth);
    const size_t blocked = line.find(", blocked, ");
    if (line.size() > room && blocked != std::string::npos) {
      const size_t of = line.find(" of ", blocked), mp = line.find(" MP", blocked);
      if (of != std::string::npos && mp != std::string::npos)
        line = line.substr(0, blocked) + ", blocked " + line.substr(blocked + 11, of - blocked - 11) + "/" +
               line.substr(of + 4);
    }
    const size_t colon = line.find(": ");
    const size_t over = line.size() > room ? line.size() - room : 0;
    if (over > 0 && colon != std::string::npos)
      line = line.substr(0, colon - std::min(over, colon > 3 ? colon - 3 : 0)) + line.substr(colon);
  }
  return line;
}

void TellOwnMove(int place) {
  const std::string line = OwnMoveText(place);
  if (line.empty() || gElements.OwnMoveLabel == nullptr) return;
  // The small font's own colours: dark text on its light box.
  SetLabel(gElements.OwnMoveLabel, line, kNoTint);
}

void ScrollCommentaryBy(int lines) {
  TextArea* log = gElements.LogArea;
  if (log == nullptr) return;
  // Back to the race's first line, forward until its last is at the foot.
  const int last = Max(static_cast<int>(log->lines.size()) - log->rows, 0);
  log->top = std::clamp(log->top + lines, 0, last);
}

bool ScrollCommentary(int x, int y, int lines) {
  TextArea* log = gElements.LogArea;
  if (log == nullptr || log->hidden != 0 || x < log->x || y < log->y ||
      x >= log->x + log->width || y >= log->y + log->height)
    return false;
  ScrollCommentaryBy(lines);
  return true;
}

void ShowCarStatus(int mode) {
  TextArea* area = gElements.RaceInfoArea;
  if (area == nullptr) return;
  ClearTextArea(area);
  if (!SelectCar(CurrentCarKey())) return;  // no current car: the area stays empty
  const std::string& key = CurrentCarKey();
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

std::vector<RunningOrderRow> RunningOrderRows(int columns) {
  std::vector<RunningOrderRow> rows;
  auto row = [&rows, columns](const std::string& front, const std::string& key, const std::string& mark) {
    const int room = columns > 0 ? columns - static_cast<int>(front.size() + mark.size()) : static_cast<int>(key.size());
    rows.push_back({front + FitName(key, room) + mark, IsPlayersCar(key)});
  };
  long long place = 0;
  for (const std::string& key : OrderOfFinish()) row(RightAlign2(++place) + " ", key, " F");
  // The racing cars as they stand now, not as the pass under way began;
  // none once the race is over. A car that has just finished or gone out is
  // listed once, where it now is.
  auto listed = [](const std::vector<std::string>& keys, const std::string& key) {
    return std::find(keys.begin(), keys.end(), key) != keys.end();
  };
  if (!Standing().empty())
    for (const StandingRecord& standing : RunningOrderNow()) {
      if (listed(OrderOfFinish(), standing.car) || listed(DNF(), standing.car)) continue;
      row(RightAlign2(++place) + " ", standing.car, "");
    }
  for (const std::string& key : DNF()) row("-- ", key, "");
  return rows;
}

void ShowStandings() {
  TextArea* area = gElements.StandingsArea;
  if (area == nullptr) return;
  ClearTextArea(area);
  std::vector<RunningOrderRow> rows = RunningOrderRows(TextAreaColumns(area));
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
      SaveRaceFromScreen();
      break;
    case 2:
      gScreen.gameState = 1;
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

void ShowRacePanel(bool on) {
  GameElements& e = gElements;
  if (e.RaceButtons != nullptr) SetButtonArrayHidden(e.RaceButtons, on ? 0 : 1);
  if (on) return;
  ClearArea(e.RaceInfoArea);
  ClearArea(e.StandingsArea);
  if (e.OwnMoveLabel != nullptr) SetLabel(e.OwnMoveLabel, "", kNoTint);
}

void ToggleAutoMode() {
  Options().autoMode = 1 - Options().autoMode;
  if (gElements.RaceButtons != nullptr) SetButtonState(gElements.RaceButtons, 0, Options().autoMode);
}

void SetSimulationSpeed() {
  std::string text = InputBox("Speed in ms between steps: more is slower.", Decimal(gScreen.timeSlice));
  int v = LenientInt(text);
  if (v == 0) return;
  v = Min(Max(v, kShortestTimeSlice), kLongestTimeSlice);
  gScreen.timeSlice = v;
  PlatSettings settings;
  if (!PlatOpenSettings(settings, gProg.settingsFile)) {
    FATAL("could not read *.ini file", "KB", "SetSimulationSpeed");
  }
  PlatWriteSettingInt(settings, "TimeSlice", v);
  // A settings file that cannot be replaced (a read-only folder) keeps the
  // speed for this run only; the player is told instead of the game ending.
  if (!PlatCloseSettings(settings)) AddToArea(gElements.LogArea, "speed not stored in The Velotrax.ini");
}
