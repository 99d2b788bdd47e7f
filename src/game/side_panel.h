// The race screen's side panel: the current car's status, the running order,
// the commentary log and the panel's buttons.
#pragma once

#include <string>
#include <vector>

struct TextArea;

// Status lines of the current car in RaceInfoArea. Mode 0 (before it moves)
// shows its gear's MP and the bonus, mode 1 (after a step) the MP left.
// While the race panel is down (see ShowRacePanel) the area stays empty.
void ShowCarStatus(int mode);
// The running order as the side panel lists it: the cars that finished, in
// their finishing order and marked "F", then the cars racing, then the cars
// out of the race ("--"). The race's own Standing() is only read. After the
// flag it holds the final places until the next race starts.
struct RunningOrderRow {
  std::string text;
  bool player = false;
};
// Rows of at most `columns` characters (0: any length): a long name is
// shortened with an ellipsis, never its place or its mark.
std::vector<RunningOrderRow> RunningOrderRows(int columns = 0);
// Those rows in StandingsArea, the player's cars in the selected colour; the
// current standing is kept. Where the area has fewer rows than the field,
// the leader and the player's cars stay in view. Empty while the race panel
// is down.
void ShowStandings();
// Whether the player drives this car.
bool IsPlayersCar(const std::string& key);
// Which places (indices of the running order) fill `rows` rows, in order;
// players[i] tells whether place i is one of the player's cars.
std::vector<int> StandingsRowsShown(const std::vector<bool>& players, int rows);
// A left click on the side panel: "Auto Mode", "Save Race", "Main Menu".
void RaceButtonClick();
// The flag has fallen: "Auto Mode" off, nothing left to save, no car's
// figures.
void MarkRaceOver();
// Whether a race of the player's is on. Until one is, the panel holds nothing
// of a race: no race buttons, no car's figures, no running order, no last move.
void ShowRacePanel(bool on);
// "Auto Mode": the race runs by itself, a step every time slice.
void ToggleAutoMode();
// Asks for the automatic-step interval and stores it in the settings file.
void SetSimulationSpeed();

// The race's commentary: one line at the foot of the log, which keeps the
// whole race to scroll back through.
void AddCommentaryLine(const std::string& line);
// An empty commentary, for a new or loaded race (and no line of the
// player's latest move).
void ClearCommentary();
// The player's car starts its move (its HBs are counted from here).
void NoteOwnMoveStart();
// One line for the move of the player's car that just ended: "safe, 3rd",
// "off the line, 1 HB, 2nd", "spun out, 12th", "crashed", "finished 3rd"; ""
// for a car that is not the player's. place is its place in the running
// order (the panel's: the cars that finished come first).
std::string OwnMoveLine(int place);
// That line as the panel shows it, in the commentary's width: a blocked
// move's MP in fewer words, then the car's name shortened.
std::string OwnMoveText(int place);
// That line under the commentary until the player's next move.
void TellOwnMove(int place);
// Scrolls the commentary by lines (negative: back) when the point is over
// it; false when it is not.
bool ScrollCommentary(int x, int y, int lines);
// Scrolls the commentary by so many lines (negative: back), never past its
// first line or beyond its last at the foot of the box.
void ScrollCommentaryBy(int lines);

// Text-area calls that do nothing when the area was never built.
void ClearArea(TextArea* area);
void AddToArea(TextArea* area, const std::string& text);
