#include "game/results_view.h"

#include "common/common.h"
#include "dialogs/requester.h"
#include "game/hooks.h"
#include "game/screens.h"
#include "game/side_panel.h"
#include "minigui/mini_gui.h"
#include "platform/screen.h"
#include "platform/services.h"
#include "race/data_file.h"
#include "race/define.h"
#include "race/season.h"
#include "game/view.h"

namespace {
// Columns of the results area with the shipped font, for when it was never
// built.
constexpr int kResultsColumns = 53;
// Over the results' columns (place, points, car - driver, time), and what
// their marks and the time mean. The season file keeps the lines as they are.
const char* const kResultsHeadings = " Pl  Pt  Car - Driver  Time";
const char* const kResultsKey[] = {"P your car   SO spun out   DNF did not finish",
                                   "Time: moves made, on a 4-lap scale (0:36 is 36)"};

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

void ShowEndOfRace(const std::string& heading, const std::vector<std::string>& results) {
  MarkRaceOver();
  ShowRaceResults(heading, results);
  ShowSeasonStandings();
}

void FillRaceResults(const std::string& heading, const std::vector<std::string>& results) {
  ClearArea(gElements.ResultsArea);
  if (gElements.ResultsTitleArea != nullptr) AddCentredText(gElements.ResultsTitleArea, heading);
  AddToArea(gElements.ResultsArea, kResultsHeadings);
  for (const std::string& line : results) AddToArea(gElements.ResultsArea, line);
  AddToArea(gElements.ResultsArea, " ");
  for (const char* line : kResultsKey) AddToArea(gElements.ResultsArea, line);
}

std::vector<std::string> FillSeasonStandings() {
  TextArea* area = gElements.ResultsArea;
  ClearArea(area);
  if (gElements.ResultsTitleArea != nullptr)
    AddCentredText(gElements.ResultsTitleArea, "Season Standings after " + Options().raceName);
  const int columns = area != nullptr ? TextAreaColumns(area) : kResultsColumns;
  std::vector<std::string> lines = SeasonStandingsLines(columns);
  // The points end four columns from the right, under their heading.
  std::string headings = " #  Driver - Car";
  headings.resize(static_cast<size_t>(Max(columns - 7, static_cast<int>(headings.size()) + 1)), ' ');
  AddToArea(area, headings + "Pts");
  for (size_t i = 0; i < lines.size(); ++i)
    AddToArea(area, RightAlign2(static_cast<long long>(i) + 1) + lines[i]);
  return lines;
}

void ShowRaceResults(const std::string& heading, const std::vector<std::string>& results) {
  FillRaceResults(heading, results);
  SetPageHidden(3, 0);
  WaitForAcknowledge();
  SetPageHidden(3, 1);
}

void ShowSeasonStandings() {
  std::vector<std::string> lines = FillSeasonStandings();
  SetPageHidden(3, 0);
  WaitForAcknowledge();
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
