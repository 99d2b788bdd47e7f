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

namespace {
std::string gOwnCar;
int gOwnHbs = 0;

// The latest line of each car of the player's, in the order their first
// lines were told, so that a car keeps its row; `told` orders them by age.
struct OwnLine {
  std::string car;
  std::string text;
  long long told = 0;
};
std::vector<OwnLine> gOwnLines;
long long gToldLines = 0;

Label* OwnMoveRow(int i) {
  return i == 0 ? gElements.OwnMoveLabel : gElements.MoreOwnMoveLabels[i - 1];
}

int PlayersCars() {
  int players = 0;
  for (const auto& [key, driver] : Driver()) players += driver.user != 0 && Car().find(key) != Car().end();
  return players;
}

// One row under the commentary for each car the player drives (at most
// kOwnMoveLines): the commentary gives up a row of the small font's height,
// in whole tiles of its frame, for each row past the first; the last row
// stays just above the running order.
void LayOutOwnMoveRows(int rows) {
  GameElements& e = gElements;
  TextArea* log = e.LogArea;
  if (log == nullptr || e.OwnMoveLabel == nullptr || e.LogFrame == nullptr || log->font == nullptr) return;
  rows = std::clamp(rows, 1, kOwnMoveLines);
  const int step = (SpriteFontHeight(e.OwnMoveLabel->font) + 7) / 8 * 8;
  const int height = Max(e.logFullHeight - (rows - 1) * step, 2 * log->margin + log->font->glyphHeight);
  const int lines = static_cast<int>(log->lines.size());
  const bool atFoot = log->top >= lines - log->rows;
  log->height = height;
  log->rows = (height - 2 * log->margin) / log->font->glyphHeight;
  e.LogFrame->height = height / 8;
  if (atFoot) log->top = Max(lines - log->rows, 0);
  for (int i = 0; i < kOwnMoveLines; ++i) {
    Label* label = OwnMoveRow(i);
    if (label == nullptr) continue;
    // Rows past the cars' stay empty.
    label->y = log->y + height + 6 + Min(i, rows - 1) * step;
  }
}

void ShowOwnLines() {
  for (int i = 0; i < kOwnMoveLines; ++i) {
    Label* label = OwnMoveRow(i);
    if (label == nullptr) continue;
    SetLabel(label, i < static_cast<int>(gOwnLines.size()) ? gOwnLines[i].text : std::string(), kNoTint);
  }
}

void ClearOwnLines() {
  gOwnLines.clear();
  ShowOwnLines();
}

}  // namespace

void ClearCommentary() {
  ClearArea(gElements.LogArea);
  ClearOwnLines();
  LayOutOwnMoveRows(1);
}

namespace {
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
  LayOutOwnMoveRows(PlayersCars());
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
  return PlayersCars() > 1 ? it->first + ": " + line : line;
}

std::string OwnMoveText(int place) {
  std::string line = OwnMoveLine(place);
  const Label* label = gElements.OwnMoveLabel;
  if (line.empty() || label == nullptr) return line;
  // Where the line would run past the commentary's width, the MP of a
  // blocked move go to fewer words and lose the "safe, " before them, then
  // the car's name gives way, letters from its end, down to three; then the
  // blocked MP lose their unit and the name goes down to its first letter.
  const TextArea* log = gElements.LogArea;
  if (log != nullptr && label->font != nullptr && label->font->glyphWidth > 0) {
    const size_t room = static_cast<size_t>(Max(log->width, 0) / label->font->glyphWidth);
    auto over = [&line, room] { return line.size() > room ? line.size() - room : 0; };
    const size_t blocked = line.find(", blocked, ");
    if (over() > 0 && blocked != std::string::npos) {
      const size_t of = line.find(" of ", blocked), mp = line.find(" MP", blocked);
      if (of != std::string::npos && mp != std::string::npos)
        line = line.substr(0, blocked) + ", blocked " + line.substr(blocked + 11, of - blocked - 11) + "/" +
               line.substr(of + 4);
    }
    auto shortenName = [&line, &over](size_t shortest) {
      const size_t colon = line.find(": ");
      if (over() > 0 && colon != std::string::npos && colon > shortest)
        line = line.substr(0, colon - std::min(over(), colon - shortest)) + line.substr(colon);
    };
    const size_t start = line.find(": ") == std::string::npos ? 0 : line.find(": ") + 2;
    if (over() > 0 && line.compare(start, 14, "safe, blocked ") == 0) line.erase(start, 6);
    shortenName(3);
    const size_t unit = line.find(" MP", line.find(", blocked "));
    if (over() > 0 && line.find(", blocked ") != std::string::npos && unit != std::string::npos)
      line.erase(unit, 3);
    shortenName(1);
  }
  return line;
}

void TellOwnMove(int place) {
  const std::string line = OwnMoveText(place);
  if (line.empty() || gElements.OwnMoveLabel == nullptr) return;
  const int rows = std::clamp(PlayersCars(), 1, kOwnMoveLines);
  LayOutOwnMoveRows(rows);
  const std::string& key = CurrentCarKey();
  auto own = std::find_if(gOwnLines.begin(), gOwnLines.end(), [&key](const OwnLine& l) { return l.car == key; });
  if (own == gOwnLines.end()) {
    // More cars than rows: the car told longest ago gives up its row.
    if (static_cast<int>(gOwnLines.size()) >= rows)
      own = std::min_element(gOwnLines.begin(), gOwnLines.end(),
                             [](const OwnLine& a, const OwnLine& b) { return a.told < b.told; });
    else
      own = gOwnLines.insert(gOwnLines.end(), OwnLine{});
    own->car = key;
  }
  own->text = line;
  own->told = ++gToldLines;
  // The small font's own colours: dark text on its light box.
  ShowOwnLines();
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

namespace {
// The race panel is up once a race of the player's is on (its buttons show);
// before that, while the cars and drivers are still being picked, the race
// may already speak of its grid, but nothing of it shows.
bool RacePanelUp() {
  const ButtonArray* buttons = gElements.RaceButtons;
  return buttons == nullptr || buttons->hidden == 0;
}
}  // namespace

void ShowCarStatus(int mode) {
  TextArea* area = gElements.RaceInfoArea;
  if (area == nullptr) return;
  ClearTextArea(area);
  if (!RacePanelUp()) return;
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
  if (!RacePanelUp()) return;
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
  // No car moves any more: the last one's figures (gear 0, MP 0) go.
  ClearArea(gElements.RaceInfoArea);
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
  ClearOwnLines();
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
