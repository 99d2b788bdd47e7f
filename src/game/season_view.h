// The season in a chart: every driver's points after each race of the season
// file, drawn as lines in the game's own style with the player's cars marked,
// and a table of each race's places under it. Shown after the standings and
// from the menu's "Season".
#pragma once

#include <string>
#include <vector>

// What the chart plots, read from the season file's races.
struct SeasonChart {
  int races = 0;
  int most = 0;                         // the highest total, at least 1
  std::vector<std::string> cars;        // the drivers' cars, in the standings' order
  std::vector<std::vector<int>> total;  // per car: points after race 1, 2, ...
  std::vector<std::vector<int>> place;  // per car: its place in each race (0: none)
};
SeasonChart MakeSeasonChart(const std::string& seasonFileText);

// A point of the chart inside its box (left, top, width, height): race 0 is
// the start, with no points; the last race at the right edge.
struct ChartBox {
  int left = 0, top = 0, width = 0, height = 0;
};
void ChartPoint(const SeasonChart& chart, const ChartBox& box, int race, int points, int& x, int& y);
// The plotting area of the season page's chart panel.
ChartBox SeasonChartBox();

// Fills the season page (title, table) from the season file, without showing it.
void FillSeasonPage();
// The season page until a click or a key; drawFrame draws each frame under
// it (the race screen, the menu).
void ShowSeasonChart(void (*drawFrame)());
