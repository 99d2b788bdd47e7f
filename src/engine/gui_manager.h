// The race screen's side panel: the current car's status, the running order,
// the commentary log and the panel's buttons.
#pragma once

#include <string>
#include <vector>

struct TextArea;

// Status lines of the current car in RaceInfoArea. Mode 0 (before it moves)
// shows its gear's MP and the bonus, mode 1 (after a step) the MP left.
void ShowCarStatus(int mode);
// The running order in StandingsArea, the player's cars in the selected
// colour; the current standing is kept. Where the area has fewer rows than
// the field, the leader and the player's cars stay in view.
void ShowStandings();
// Whether the player drives this car.
bool IsPlayersCar(const std::string& key);
// Which places (indices of the running order) fill `rows` rows, in order;
// players[i] tells whether place i is one of the player's cars.
std::vector<int> StandingsRowsShown(const std::vector<bool>& players, int rows);
// A left click on the side panel: "Auto Mode", "Save Race", "Main Menu".
void RaceButtonClick();

// One commentary entry: AddText(LogArea, text), so "~" starts a new line.
// Without a screen (tools, tests) the area does not exist and only the log
// listener hears it.
void AddLogText(const std::string& text);
// Hears every commentary line, one call per line, in order (nullptr: none).
using LogListener = void (*)(const std::string& line);
void SetLogListener(LogListener listener);

// Text-area calls that do nothing when the area was never built.
void ClearArea(TextArea* area);
void AddToArea(TextArea* area, const std::string& text);

// A number right-aligned in two characters: padded with spaces on the left,
// a longer one cut to its first two characters.
std::string RightAlign2(long long value);
