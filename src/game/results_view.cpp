#include "game/results_view.h"

#include <map>

#include "common/common.h"
#include "dialogs/requester.h"
#include "game/hooks.h"
#include "game/screens.h"
#include "game/season_view.h"
#include "game/side_panel.h"
#include "minigui/mini_gui.h"
#include "platform/screen.h"
#include "platform/services.h"
#include "race/data_file.h"
#include "race/define.h"
#include "race/race_end.h"
#include "race/season.h"
#include "game/view.h"

namespace {
// Columns of the results area with the shipped font, for when it was never
// built.
constexpr int kResultsColumns = 75;
// The width of the standings' lines the season file keeps, as they always
// were, however wide the page that shows them.
constexpr int kSeasonFileColumns = 53;
const char* const kResultsKey[] = {"SO spun out (no Top gear since)   DNF did not finish",
                                   "P and highlighted: your cars",
                                   "Time: moves taken, scaled to a 4-lap race"};
const char* const kStandingsKey[] = {"Best: best finish this season; Last: the last race",
                                     "Equal points: the best finish, then the last race",
                                     "P and highlighted: your cars"};

std::string PadRight(const std::string& text, int width) {
  std::string cell = FitName(text, width);
  cell.resize(static_cast<size_t>(Max(width, 0)), ' ');
  return cell;
}

std::string PadLeft(const std::string& text, int width) {
  const int pad = width - static_cast<int>(text.size());
  return pad > 0 ? std::string(static_cast<size_t>(pad), ' ') + text : text;
}

std::string PlaceText(int place) { return place > 0 ? Decimal(place) : "-"; }

// The car column as wide as its longest key (at most half of `names`); the
// drivers' names get the rest.
int CarColumn(const std::vector<std::string>& keys, int names) {
  int widest = 3;
  for (const std::string& key : keys) widest = Max(widest, static_cast<int>(key.size()));
  return Min(widest, names / 2);
}

// The key under a table, as far as the area has rows left for it (a long
// table keeps its heading in view).
void AddKey(TextArea* area, const char* const* key, int lines) {
  if (area != nullptr && static_cast<int>(area->lines.size()) + 1 + lines > area->rows) return;
  AddToArea(area, " ");
  for (int i = 0; i < lines; ++i) AddToArea(area, key[i]);
}

// Set when a race's standings were shown and answered.
bool gFinishedRace = false;

void RedrawModalFrame() {
  if (!PlatScreenActive() && gHooks.lostDevice != nullptr) gHooks.lostDevice();
  if (gHooks.renderFrame != nullptr) {
    gHooks.renderFrame();
  } else {
    FinishModalFrame(nullptr);
  }
}
}  // namespace

void ShowEndOfRace(const std::string& heading, const std::vector<std::string>&) {
  MarkRaceOver();
  ShowRaceResults(heading);
  ShowSeasonStandings();
}

int MovesOfTime(const std::string& time) {
  const size_t colon = time.find(':');
  if (colon == std::string::npos) return -1;
  const long long moves = static_cast<long long>(LenientInt(time.substr(0, colon))) * 60 +
                          LenientInt(time.substr(colon + 1));
  return moves > 0 && moves < 1000000000 ? static_cast<int>(moves) : -1;
}

void FillRaceResults(const std::string& heading, const std::vector<RaceResultRow>& rows) {
  TextArea* area = gElements.ResultsArea;
  ClearArea(area);
  if (gElements.ResultsTitleArea != nullptr) AddCentredText(gElements.ResultsTitleArea, heading);
  // Place, car, driver, time, points, then the marks; the names share what
  // the fixed columns leave.
  const int columns = area != nullptr ? TextAreaColumns(area) : kResultsColumns;
  const int names = Max(columns - 25, 8);
  std::vector<std::string> keys;
  for (const RaceResultRow& row : rows) keys.push_back(row.car);
  const int car = CarColumn(keys, names);
  const int driver = names - car;
  AddToArea(area, " Pl  " + PadRight("Car", car) + " " + PadRight("Driver", driver) + " " +
                      PadLeft("Time", 9) + " " + PadLeft("Pts", 3));
  int line = 1;
  for (const RaceResultRow& row : rows) {
    const int moves = MovesOfTime(row.time);
    std::string text = PadLeft(row.place > 0 ? Decimal(row.place) : "DNF", 3) + "  " +
                       PadRight(row.car, car) + " " + PadRight(row.driver, driver) + " " +
                       PadLeft(moves > 0 ? Decimal(moves) + " moves" : "-", 9) + " " +
                       PadLeft(Decimal(row.points), 3);
    if (row.spunOut) text += " SO";
    if (row.player) text += " P";
    AddToArea(area, text);
    if (row.player && area != nullptr) SetTextAreaSelection(area, line);
    ++line;
  }
  AddKey(area, kResultsKey, 3);
}

std::vector<std::string> FillSeasonStandings() {
  TextArea* area = gElements.ResultsArea;
  ClearArea(area);
  if (gElements.ResultsTitleArea != nullptr)
    AddCentredText(gElements.ResultsTitleArea, "Season Standings after " + Options().raceName);
  const int columns = area != nullptr ? TextAreaColumns(area) : kResultsColumns;
  // The season file's races tell each car's best and last place; without
  // one (a race that keeps no files) the race just run tells both.
  std::string text;
  const std::filesystem::path file = SeasonFile();
  std::map<std::string, SeasonPlaces> places;
  if (!file.empty() && PlatFileSize(file) > 0 && PlatReadFile(file, text)) places = SeasonPlacesFromFile(text);
  if (places.empty()) {
    for (const RaceResultRow& row : RaceResultRows()) places[row.car] = {row.place, row.place};
  }
  const int names = Max(columns - 23, 8);
  const std::vector<std::string> order = StandingsOrder(places);
  const int car = CarColumn(order, names);
  const int driver = names - car;
  AddToArea(area, "  #  " + PadRight("Driver", driver) + " " + PadRight("Car", car) + " " + PadLeft("Best", 4) +
                      " " + PadLeft("Last", 4) + " " + PadLeft("Pts", 4));
  int line = 1;
  for (const std::string& key : order) {
    const DriverRecord& d = Driver().at(key);
    const SeasonPlaces p = places.count(key) != 0 ? places.at(key) : SeasonPlaces{};
    std::string row = PadLeft(Decimal(line), 3) + "  " + PadRight(d.name, driver) + " " + PadRight(key, car) +
                      " " + PadLeft(PlaceText(p.best), 4) + " " + PadLeft(PlaceText(p.last), 4) + " " +
                      PadLeft(Decimal(d.points), 4);
    if (d.user != 0) row += " P";
    AddToArea(area, row);
    if (d.user != 0 && area != nullptr) SetTextAreaSelection(area, line);
    ++line;
  }
  AddKey(area, kStandingsKey, 3);
  // The season file keeps its own lines, in its own order.
  return SeasonStandingsLines(kSeasonFileColumns);
}

void ShowRaceResults(const std::string& heading) {
  FillRaceResults(heading, RaceResultRows());
  SetPageHidden(3, 0);
  WaitForAcknowledge();
  SetPageHidden(3, 1);
}

void ShowSeasonStandings() {
  std::vector<std::string> lines = FillSeasonStandings();
  SetPageHidden(3, 0);
  WaitForAcknowledge();
  // Then how the season went, race by race (a race that keeps no season
  // file has none to show).
  if (!SeasonRacesFromFile(SeasonFileText()).empty()) {
    SetPageHidden(3, 1);
    ShowSeasonChart(RedrawModalFrame);
  }
  if (AnswerBox(kSaveStandingsQuestion) != 0) AppendToSeasonFile("Season Standings", lines);
  if (AnswerBox(kCopySeasonQuestion) != 0) CopySeasonFileToClipboard();
  SetPageHidden(3, 1);
  gFinishedRace = true;
}

bool TakeFinishedRace() {
  bool finished = gFinishedRace;
  gFinishedRace = false;
  return finished;
}

void CopySeasonFileToClipboard() {
  std::filesystem::path file = SeasonFile();
  std::string text;
  if (file.empty() || !PlatReadFile(file, text)) return;
  PlatSetClipboardText(text);
}

void WaitForAcknowledge() {
  // A key held as the page opens (Return from the page before) does not
  // close it: it takes a fresh press.
  PlatIgnoreHeldKeys();
  for (;;) {
    bool done = false;
    for (int event = PlatNextWindowEvent(); event != kEventNone; event = PlatNextWindowEvent()) {
      if (PlatEventWindow() != gView.window) continue;
      if (event == kEventLeftButtonUp || event == kEventRightButtonUp) done = true;
    }
    if (done) return;
    PlatPollKeyboard();
    if (PlatKeyReleased(kKeyAny)) return;
    RedrawModalFrame();
  }
}

std::string AskSeasonName() {
  return InputBox("Enter season name:", "");
}
