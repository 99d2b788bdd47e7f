#include "game/gear_panel.h"

#include <array>
#include <climits>
#include <cstdlib>
#include <vector>

#include "common/common.h"
#include "game/hooks.h"
#include "game/mouse.h"
#include "game/screens.h"
#include "game/side_panel.h"
#include "game/spritesheet.h"
#include "game/view.h"
#include "minigui/mini_gui.h"
#include "race/car_data.h"
#include "race/define.h"
#include "race/gear_advice.h"
#include "race/movement.h"
#include "platform/screen.h"
#include "platform/services.h"
#include "game/screen_settings.h"

namespace {
long long gPanelsOpened = 0;
// What Return and Space answer on the open panel.
int gReturnAnswer = kChooseKeepGear;

// Characters of the main font a line of the corner information holds.
size_t InfoColumns() {
  const GameElements& e = gElements;
  if (e.GearInfoFrame == nullptr || e.MainFont == nullptr || e.MainFont->glyphWidth <= 0) return 0;
  return static_cast<size_t>(Max(FrameRight(e.GearInfoFrame) - 40 - FrameX(e.GearInfoFrame) - 40, 0) /
                             e.MainFont->glyphWidth);
}

// The car that chooses and its driver; the car alone where both do not fit.
std::string PanelTitle(size_t columns) {
  const std::string& key = CurrentCarKey();
  auto driver = Driver().find(key);
  std::string title = key;
  if (driver != Driver().end() && !driver->second.name.empty())
    title += " - " + driver->second.name;
  return title.size() <= columns ? title : key.substr(0, columns);
}

// Colours of a row (red in the low byte): the riskier, the redder.
int RiskColour(int risk) {
  if (risk >= 99) return 0x0000E0;
  if (risk >= 3) return 0x0030C0;
  if (risk >= 1) return 0x0070B0;
  return 0x000000;
}
}  // namespace

void ShowGearAdvice() {
  GameElements& e = gElements;
  if (e.GearButtons == nullptr || e.GearCornerLabel == nullptr) return;
  int states[kGearButtons];
  for (int i = 0; i < kGearButtons; ++i) states[i] = GetButtonState(e.GearButtons, i);
  GearAdvice advice = AdviseGears(states);
  if (e.GearTitleLabel != nullptr) SetLabel(e.GearTitleLabel, PanelTitle(InfoColumns()), 0);
  // A narrow screen leaves the panel too little room for the long rows.
  const size_t columns = InfoColumns();
  // A blocked way goes with the corner when the line has room for it, else
  // with the safe gear.
  std::string corner = advice.corner, safeGear = advice.safeGear;
  if (!advice.blocked.empty()) {
    if (corner.size() + 2 + advice.blocked.size() <= columns || safeGear.size() + 2 + advice.blocked.size() > columns)
      corner += ", " + advice.blocked;
    else
      safeGear += (safeGear.empty() ? "" : ", ") + advice.blocked;
  }
  SetLabel(e.GearCornerLabel, corner, 0);
  SetLabel(e.GearSafeLabel, safeGear, 0);
  bool fits = true;
  for (const std::string& row : advice.rows) fits = fits && row.size() <= columns;
  for (int i = 0; i < kGearButtons; ++i)
    SetLabel(e.GearAdviceLabels[i], fits ? advice.rows[i] : advice.shortRows[i],
             RiskColour(advice.risks[i]));
}

namespace {
// Every element of the gear panel moved by (dx, dy).
void MoveGearPanel(int dx, int dy) {
  GameElements& e = gElements;
  for (Frame* frame : {e.GearFrame, e.GearInfoFrame}) {
    if (frame == nullptr) continue;
    frame->x += dx;
    frame->y += dy;
  }
  for (Label* label : {e.GearHeadLabel, e.GearTitleLabel, e.GearCornerLabel, e.GearSafeLabel}) {
    if (label == nullptr) continue;
    label->x += dx;
    label->y += dy;
  }
  for (Label* label : e.GearAdviceLabels) {
    if (label == nullptr) continue;
    label->x += dx;
    label->y += dy;
  }
  if (ButtonArray* b = e.GearButtons) {
    b->x += dx;
    b->y += dy;
    b->endX += dx;
    b->endY += dy;
    for (int& x : b->buttonX) x += dx;
    for (int& y : b->buttonY) y += dy;
    for (int& x : b->captionX) x += dx;
    for (int& y : b->captionY) y += dy;
  }
}

// Where on the screen the current car stands and each node of its way to
// the next corner (or to the flag on the last lap), as far as its fastest
// gear could take it this move.
std::vector<std::array<int, 2>> CarAndItsWay() {
  std::vector<std::array<int, 2>> points;
  if (!SelectCar(CurrentCarKey())) return points;
  const CarRecord& car = CurrentCar();
  const int nodes = static_cast<int>(Node().size());
  if (car.listInd < 0 || car.listInd >= nodes) return points;
  auto add = [&points](const NodeRecord& node, int lane) {
    points.push_back({ScreenX(node.nodeX * kTileSize + node.x[lane]),
                      ScreenY(node.nodeY * kTileSize + node.y[lane])});
  };
  add(Node()[car.listInd], car.lane == 1 ? 1 : 0);
  const long long reach = static_cast<long long>(GearMP(6)) + Max(car.bonus, 0);
  long long mp = 0;
  for (int at = car.listInd, step = 0; step < nodes && mp < reach; ++step) {
    const int next = at + 1 < nodes ? at + 1 : 0;
    const StepOnTheWay way = StepBetween(Node()[at], Node()[next]);
    mp += way.cost;
    if (next == 0 && car.lap >= Options().laps) break;  // the flag
    add(Node()[next], way.lane);
    if (Node()[at].corner == 0 && Node()[next].corner != 0) break;  // the corner
    at = next;
  }
  return points;
}

// How many of the points lie under the rectangle, with half a car of margin.
int Covered(const std::vector<std::array<int, 2>>& points, int left, int top, int right, int bottom) {
  const int margin = CellPixels() / 2;
  int covered = 0;
  for (const auto& [x, y] : points)
    if (x >= left - margin && x <= right + margin && y >= top - margin && y <= bottom + margin) ++covered;
  return covered;
}
}  // namespace

void PlaceGearPanel() {
  const GameElements& e = gElements;
  if (e.GearFrame == nullptr || e.GearInfoFrame == nullptr) return;
  const int left = FrameX(e.GearInfoFrame), top = Min(FrameY(e.GearInfoFrame), FrameY(e.GearFrame));
  const int width = FrameRight(e.GearFrame) - left;
  const int height = Max(FrameBottom(e.GearInfoFrame), FrameBottom(e.GearFrame)) - top;
  const std::vector<std::array<int, 2>> points = CarAndItsWay();
  // The four corners of the track view, the top right first (where the
  // panel is built): the first that covers fewest of the car and its way.
  const int gap = 8;
  const int rightX = Max(gView.trackViewWidth - width, 0), bottomY = Max(PlatScreenHeight() - height - gap, 0);
  const int topY = Min(kGearFrameTop - 64, bottomY);
  const std::array<std::array<int, 2>, 4> places = {{{rightX, topY}, {rightX, bottomY}, {0, topY}, {0, bottomY}}};
  int bestX = left, bestY = top, fewest = INT32_MAX;
  for (const auto& [x, y] : places) {
    const int covered = Covered(points, x, y, x + width, y + height);
    if (covered < fewest) {
      fewest = covered;
      bestX = x;
      bestY = y;
    }
  }
  MoveGearPanel(bestX - left, bestY - top);
  if (points.empty() || Covered({points.front()}, bestX, bestY, bestX + width, bestY + height) == 0) return;
  // No corner leaves the car free (a small screen): the view scrolls the car
  // into the middle of the widest part of the track view the panel leaves.
  const int viewWidth = gView.trackViewWidth, viewHeight = PlatScreenHeight();
  struct Room {
    int x, y, w, h;
  };
  const Room rooms[] = {{0, 0, bestX, viewHeight},
                        {bestX + width, 0, viewWidth - bestX - width, viewHeight},
                        {0, 0, viewWidth, bestY},
                        {0, bestY + height, viewWidth, viewHeight - bestY - height}};
  const Room* widest = &rooms[0];
  for (const Room& room : rooms)
    if (Min(room.w, room.h) > Min(widest->w, widest->h)) widest = &room;
  const auto& [carX, carY] = points.front();
  ScrollViewBy(carX - (widest->x + widest->w / 2), carY - (widest->y + widest->h / 2));
}

void BringCurrentCarIntoView() {
  if (Options().centerMode != 0 || !SelectCar(CurrentCarKey())) return;
  const CarRecord& car = CurrentCar();
  if (car.listInd < 0 || car.listInd >= static_cast<int>(Node().size())) return;
  const NodeRecord& node = Node()[car.listInd];
  int lane = car.lane == 1 ? 1 : 0;
  // The car's centre on the screen; half a car of margin counts as hidden.
  int x = ScreenX(node.nodeX * kTileSize + node.x[lane]);
  int y = ScreenY(node.nodeY * kTileSize + node.y[lane]);
  const int margin = CellPixels() / 2;
  bool hidden = x < margin || y < margin || x > gView.trackViewWidth - margin ||
                y > PlatScreenHeight() - margin;
  for (const Frame* frame : {gElements.GearFrame, gElements.GearInfoFrame}) {
    if (frame == nullptr) continue;
    if (x >= FrameX(frame) - margin && x <= FrameRight(frame) + margin &&
        y >= FrameY(frame) - margin && y <= FrameBottom(frame) + margin)
      hidden = true;
  }
  if (hidden) CentreView(node.nodeX, node.nodeY);
}

void PrepareGearPanel() {
  ++gPanelsOpened;
  // The cars the player drives are chosen after the running order was first
  // shown: mark them there now.
  ShowStandings();
  BringCurrentCarIntoView();
  PlaceGearPanel();
  ShowGearAdvice();
}

long long GearPanelsOpened() {
  return gPanelsOpened;
}

int WaitForGearChoice() {
  SetPageHidden(5, 0);
  // Return held through the other cars' moves does not choose unseen; a
  // press made while the panel shows does.
  PlatIgnoreHeldKeys();
  for (;;) {
    for (int event = PlatNextWindowEvent(); event != kEventNone; event = PlatNextWindowEvent()) {
      if (event != kEventLeftButtonUp || PlatEventWindow() != gView.window) continue;
      int x = PlatMouseX(), y = PlatMouseY();
      int b = PickButton(gElements.GearButtons, x, y);
      if (b != -1) {
        SetPageHidden(5, 1);
        return b + 1;
      }
      // "Main Menu" ends the wait; "Auto Mode" and "Save Race" act as on the
      // race screen.
      if (PickButton(gElements.RaceButtons, x, y) == 2) return kChooseLeave;
      RaceButtonClick();
    }
    PlatPollKeyboard();
    // Escape goes to the menu as it does on the race screen; the same choice
    // waits there for the player's return.
    if (PlatKeyReleased(kKeyEscape)) return kChooseLeave;
    if (PlatKeyReleased(kKeyReturn) || PlatKeyReleased(kKeySpace)) {
      SetPageHidden(5, 1);
      return gReturnAnswer;
    }
    std::string typed = LowerAscii(PlatTypedCharacters());
    for (char c : typed) {
      if (c == 'a') ToggleAutoMode();
      if (c == 'g') Options().gridOn = 1 - Options().gridOn;
      if (c == 's') SetSimulationSpeed();
    }
    EdgeScroll();
    if (!PlatScreenActive()) LostDevice();
    if (gHooks.renderFrame != nullptr) gHooks.renderFrame();
    if (gHooks.menuFrame != nullptr) gHooks.menuFrame();
  }
}

int HighlightedGear(const GearOffer& offer, long long gear) {
  int nearest = -1;
  for (int i = 0; i < 6; ++i) {
    if (offer.states[i] == 1) return i;
    if (offer.states[i] == 2) continue;
    const long long g = i + 1;
    if (nearest == -1 || std::llabs(g - gear) < std::llabs(nearest + 1 - gear)) nearest = i;
  }
  return nearest;
}

int ChooseGearOnPanel(const GearOffer& offer) {
  NoteOwnMoveStart();
  ButtonArray* buttons = gElements.GearButtons;
  for (int i = 0; i < kGearButtons; ++i) SetButtonState(buttons, i, offer.states[i]);
  // Return and Space take the highlighted gear, which is always one the panel
  // offers: a car in no gear (on the grid, after a spin) is never kept in it.
  const int highlighted = HighlightedGear(offer, CurrentCar().gear);
  gReturnAnswer = kChooseKeepGear;
  if (highlighted >= 0 && offer.states[highlighted] != 1) {
    SetButtonState(buttons, highlighted, 1);
    gReturnAnswer = highlighted + 1;
  }
  PrepareGearPanel();
  int answer = WaitForGearChoice();
  if (answer == kChooseLeave) {
    // The panel goes with the player to the menu: the choice is asked again,
    // panel and all, when this race goes on, and a race loaded meanwhile
    // shows no stale one.
    SetPageHidden(5, 1);
    gScreen.gameState = 1;
  }
  return answer;
}
