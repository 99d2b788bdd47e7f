#include "game/season_view.h"

#include <algorithm>
#include <map>

#include "common/common.h"
#include "game/screens.h"
#include "game/hooks.h"
#include "game/side_panel.h"
#include "minigui/mini_gui.h"
#include "platform/screen.h"
#include "platform/services.h"
#include "race/define.h"
#include "race/season.h"

namespace {
// One colour a driver, in the standings' order (0xRRGGBB), dark enough to
// read on the pale panel; as many as the shipped field has cars, so no two
// of a full grid share one.
constexpr int kLineColours[] = {0xC8102E, 0x1B3FA6, 0x0E7A3A, 0xE87A2E, 0x5A2D91, 0x18A7C9, 0x8C1B1B,
                                0xE0458B, 0x5E9E2E, 0xB07A2A, 0x4A4F57, 0xC99A06, 0x2C7F7F, 0x222222};
constexpr int kColourCount = static_cast<int>(sizeof(kLineColours) / sizeof(kLineColours[0]));
// Left of the plotting area: the points' scale; under it: the races' numbers.
constexpr int kScaleWidth = 34;
constexpr int kRaceRow = 16;
// The small font's sheet is dark on its own pale ground: drawn untinted.
constexpr int kSmallInk = 0xFFFFFF;

SeasonChart gChart;
// The drivers the table has rows for (indices into gChart.cars), in order.
std::vector<int> gTableCars;

int LineColour(size_t index) { return kLineColours[index % kColourCount]; }

// The sprites take their tint as 0xBBGGRR.
int Tint(int rgb) { return ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF); }

void Ink(int x, int y, int width, int height, int rgb) {
  const int ink = ThemeSpriteOrNone("Chart Ink");
  if (ink == 0 || width <= 0 || height <= 0) return;
  PlatClipSprite(ink, 0, 0, -1, -1);
  PlatDisplaySpriteSized(ink, x, y, width, height, 255, Tint(rgb));
}

// A line of square dots `thick` pixels wide, one a pixel along its longer axis.
void InkLine(int x0, int y0, int x1, int y1, int thick, int rgb) {
  const int steps = Max(std::abs(x1 - x0), std::abs(y1 - y0));
  for (int k = 0; k <= steps; ++k) {
    const int x = steps == 0 ? x0 : x0 + (x1 - x0) * k / steps;
    const int y = steps == 0 ? y0 : y0 + (y1 - y0) * k / steps;
    Ink(x - thick / 2, y - thick / 2, thick, thick, rgb);
  }
}

bool IsPlayers(const std::string& car) {
  const DriverRecord* driver = FindDriver(car);
  return driver != nullptr && driver->user != 0;
}

// The rounded-up step of the points' scale: four steps reach the top.
int ScaleStep(int most) {
  const int raw = Max((most + 3) / 4, 1);
  for (int nice : {1, 2, 5, 10, 20, 25, 50, 100, 200, 250, 500, 1000})
    if (nice >= raw) return nice;
  return (raw + 999) / 1000 * 1000;
}

void DrawSeasonChart() {
  const GameElements& e = gElements;
  if (e.SeasonFrame == nullptr || IsFrameHidden(e.SeasonFrame)) return;
  const SeasonChart& chart = gChart;
  const ChartBox box = SeasonChartBox();
  const SpriteFont* small = e.SmallFont != nullptr ? e.SmallFont : e.MainFont;
  const int step = ScaleStep(chart.most);
  // The scale: a faint line every step, its points at the left.
  for (int points = 0; points <= step * 4; points += step) {
    int x = 0, y = 0;
    ChartPoint(chart, box, 0, points, x, y);
    Ink(box.left, y, box.width + 1, 1, points == 0 ? 0x59606A : 0xD5D8DC);
    const std::string text = Decimal(points);
    DrawSpriteText(small, text, box.left - 4 - static_cast<int>(text.size()) * SpriteFontWidth(small),
                   y - SpriteFontHeight(small) / 2, kSmallInk);
  }
  // The races' numbers under the axis, as many as fit.
  const int every = Max(1, (chart.races * 3 * SpriteFontWidth(small) + box.width - 1) / Max(box.width, 1));
  for (int race = 1; race <= chart.races; ++race) {
    if (race % every != 0 && race != chart.races) continue;
    int x = 0, y = 0;
    ChartPoint(chart, box, race, 0, x, y);
    Ink(x, box.top, 1, box.height, 0xE4E6E9);
    const std::string text = Decimal(race);
    DrawSpriteText(small, text, x - static_cast<int>(text.size()) * SpriteFontWidth(small) / 2,
                   box.top + box.height + 3, kSmallInk);
  }
  // The drivers' lines, the player's last (on top), thicker and dotted at
  // every race.
  for (int pass = 0; pass < 2; ++pass) {
    for (size_t i = 0; i < chart.cars.size(); ++i) {
      const bool players = IsPlayers(chart.cars[i]);
      if (players != (pass == 1)) continue;
      const int colour = LineColour(i);
      const int thick = players ? 3 : 2;
      int px = 0, py = 0;
      ChartPoint(chart, box, 0, 0, px, py);
      for (int race = 1; race <= chart.races; ++race) {
        int x = 0, y = 0;
        ChartPoint(chart, box, race, chart.total[i][race - 1], x, y);
        InkLine(px, py, x, y, thick, colour);
        const int dot = players ? 7 : 4;
        if (players) Ink(x - dot / 2 - 1, y - dot / 2 - 1, dot + 2, dot + 2, 0x1B1D21);
        Ink(x - dot / 2, y - dot / 2, dot, dot, colour);
        px = x, py = y;
      }
    }
  }
  if (chart.races == 0)
    DrawSpriteText(e.MainFont, "No race of this season yet.", box.left + 16, box.top + box.height / 2 - 9, 0x59606A);
  // Each table row's colour, in the two spaces that start it.
  const TextArea* area = e.SeasonTableArea;
  const int row = SpriteFontHeight(area->font);
  for (size_t k = 0; k < gTableCars.size(); ++k) {
    const int line = static_cast<int>(k) + 1 - area->top;  // under the heading
    if (line < 1 || line >= area->rows) continue;
    Ink(area->x + area->margin + 3, area->y + area->margin + line * row + 4, 10, row - 8,
        LineColour(static_cast<size_t>(gTableCars[k])));
  }
}
}  // namespace

SeasonChart MakeSeasonChart(const std::string& seasonFileText) {
  SeasonChart chart;
  const std::vector<std::vector<SeasonRaceEntry>> races = SeasonRacesFromFile(seasonFileText);
  chart.races = static_cast<int>(races.size());
  chart.cars = StandingsOrder(SeasonPlacesFromFile(seasonFileText));
  chart.most = 1;
  for (const std::string& car : chart.cars) {
    std::vector<int> total, place;
    int sum = 0;
    for (const std::vector<SeasonRaceEntry>& race : races) {
      int at = 0;
      for (const SeasonRaceEntry& entry : race) {
        if (entry.car != car) continue;
        sum += entry.points;
        at = entry.place;
      }
      total.push_back(sum);
      place.push_back(at);
    }
    chart.most = Max(chart.most, sum);
    chart.total.push_back(std::move(total));
    chart.place.push_back(std::move(place));
  }
  return chart;
}

void ChartPoint(const SeasonChart& chart, const ChartBox& box, int race, int points, int& x, int& y) {
  const long long top = static_cast<long long>(ScaleStep(chart.most)) * 4;
  race = std::clamp(race, 0, Max(chart.races, 0));
  points = std::clamp(points, 0, static_cast<int>(top));
  x = box.left + static_cast<int>(static_cast<long long>(box.width) * race / Max(chart.races, 1));
  y = box.top + box.height - static_cast<int>(static_cast<long long>(box.height) * points / top);
}

ChartBox SeasonChartBox() {
  const Frame* panel = gElements.SeasonChartPanel;
  if (panel == nullptr) return {};
  const int left = FrameX(panel) + kScaleWidth, top = FrameY(panel) + 12;
  return {left, top, FrameRight(panel) - 16 - left, FrameBottom(panel) - kRaceRow - 6 - top};
}

void FillSeasonPage() {
  GameElements& e = gElements;
  if (e.SeasonTableArea == nullptr) return;
  if (Driver().empty()) LoadDrivers();
  gChart = MakeSeasonChart(SeasonFileText());
  const SeasonChart& chart = gChart;
  ClearTextArea(e.SeasonTitleArea);
  const std::string season = Options().seasonName == "no name" ? "This season" : Options().seasonName;
  AddCentredText(e.SeasonTitleArea, chart.races == 0 ? season + ": no race yet"
                                                     : season + ": points after each race");
  // Colour, driver, car, then the places of as many of the latest races as
  // fit, then the points.
  TextArea* area = e.SeasonTableArea;
  ClearTextArea(area);
  const int columns = TextAreaColumns(area);
  auto nameOf = [](const std::string& car) {
    const DriverRecord* driver = FindDriver(car);
    return driver != nullptr ? driver->name : car;
  };
  // The names and cars as long as they are, while the places of the last
  // three races (or as many as there were) still fit beside them; else the
  // longer column gives way first. A name cut short ends in an ellipsis, and
  // the player's mark " P" always has its room.
  int nameWidth = 6, carWidth = 3;
  for (const std::string& car : chart.cars) {
    nameWidth = Max(nameWidth, static_cast<int>(nameOf(car).size()));
    carWidth = Max(carWidth, static_cast<int>(car.size()));
  }
  const int room = columns - 2 - 1 - 5 - 2;  // the colour, a gap, the points, the mark
  const int places = 3 * Min(Max(chart.races, 1), 3);
  while (nameWidth + carWidth > room - places && (nameWidth > 6 || carWidth > 3)) {
    if (nameWidth > 6 && (nameWidth >= carWidth || carWidth <= 3))
      --nameWidth;
    else
      --carWidth;
  }
  const int fit = Max((room - nameWidth - carWidth) / 3, 1);
  const int first = Max(chart.races - fit, 0);
  auto cell = [](const std::string& text, int width) {
    std::string fitted = FitName(text, width);
    fitted.resize(static_cast<size_t>(Max(width, 0)), ' ');
    return fitted;
  };
  auto right = [](const std::string& text, int width) {
    return std::string(static_cast<size_t>(Max(width - static_cast<int>(text.size()), 0)), ' ') + text;
  };
  std::string heading = "  " + cell("Driver", nameWidth) + " " + cell("Car", carWidth);
  for (int race = first; race < chart.races; ++race) heading += right(Decimal(race + 1), 3);
  AddText(area, heading + right("Pts", 5));
  // More drivers than rows: the leader and the player's cars keep theirs,
  // with the car just ahead of each, as in the running order.
  std::vector<bool> players;
  for (const std::string& car : chart.cars) players.push_back(IsPlayers(car));
  gTableCars = StandingsRowsShown(players, Max(area->rows - 1 - (first > 0 ? 1 : 0), 1));
  for (int i : gTableCars) {
    const std::string& car = chart.cars[static_cast<size_t>(i)];
    std::string line = "  " + cell(nameOf(car), nameWidth) + " " + cell(car, carWidth);
    for (int race = first; race < chart.races; ++race) {
      const int place = chart.place[static_cast<size_t>(i)][race];
      line += right(place > 0 ? Decimal(place) : "-", 3);
    }
    line += right(Decimal(chart.races > 0 ? chart.total[static_cast<size_t>(i)].back() : 0), 5);
    line += IsPlayers(car) ? " P" : "  ";
    AddText(area, line);
    if (IsPlayers(car)) SetTextAreaSelection(area, static_cast<int>(area->lines.size()) - 1);
  }
  if (first > 0) AddText(area, "  Places of races " + Decimal(first + 1) + " to " + Decimal(chart.races) + "; - : none");
  SetTextAreaTop(area, 0);
}

void ShowSeasonChart(void (*drawFrame)()) {
  FillSeasonPage();
  SetPageHidden(kSeasonPage, 0);
  gHooks.frameOverlay = DrawSeasonChart;
  PlatIgnoreHeldKeys();  // a key held from the standings does not close it
  for (bool done = false; !done;) {
    for (int event = PlatNextWindowEvent(); event != kEventNone; event = PlatNextWindowEvent()) {
      if (PlatEventWindow() != gView.window) continue;
      if (event == kEventLeftButtonUp || event == kEventRightButtonUp) done = true;
    }
    PlatPollKeyboard();
    if (PlatKeyReleased(kKeyAny)) done = true;
    if (!done && drawFrame != nullptr) drawFrame();
  }
  gHooks.frameOverlay = nullptr;
  SetPageHidden(kSeasonPage, 1);
}
