// How the race tells whoever runs it what happens: the procedures that speak
// through the current race's report (its table of functions, RaceReport, is
// part of the race value in race/define.h).
#pragma once

#include <string>
#include <vector>

#include "race/define.h"

// The current race's report (see race/define.h).
RaceReport& Report();

// One commentary entry: each "~" starts a new line, a final one ends the last
// line; every line goes to the report's commentary in order.
void AddLogText(const std::string& text);
// Two commentary lines: the current car's key, then two blanks and the text.
void LogCarLine(const std::string& text);
// The report's carStatus and runningOrder, when set.
void ReportCarStatus(int mode);
void ReportRunningOrder();
// The report's event, when set, for the current car as it stands now.
void ReportEvent(RaceEventKind kind, int value = 0);
