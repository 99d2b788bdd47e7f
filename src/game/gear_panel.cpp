#include "game/gear_panel.h"

#include <cstdlib>

#include "common/common.h"
#include "game/hooks.h"
#include "game/mouse.h"
#include "game/screens.h"
#include "game/side_panel.h"
#include "game/spritesheet.h"
#include "game/view.h"
#include "minigui/mini_gui.h"
#include "race/define.h"
#include "race/gear_advice.h"
#include "platform/screen.h"
#include "platform/services.h"
#include "game/screen_settings.h"

namespace {
long long gPanelsOpened = 0;
// What Return and Space answer on the open panel.
int gReturnAnswer = kChooseKeepGear;

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
  SetLabel(e.GearCornerLabel, advice.corner, 0);
  SetLabel(e.GearSafeLabel, advice.safeGear, 0);
  // A narrow screen leaves the panel too little room for the long rows.
  size_t columns = e.GearInfoFrame != nullptr && e.MainFont != nullptr && e.MainFont->glyphWidth > 0
                       ? static_cast<size_t>(Max(FrameRight(e.GearInfoFrame) - 40 -
                                                     FrameX(e.GearInfoFrame) - 40, 0) /
                                             e.MainFont->glyphWidth)
                       : 0;
  bool fits = true;
  for (const std::string& row : advice.rows) fits = fits && row.size() <= columns;
  for (int i = 0; i < kGearButtons; ++i)
    SetLabel(e.GearAdviceLabels[i], fits ? advice.rows[i] : advice.shortRows[i],
             RiskColour(advice.risks[i]));
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
  ShowGearAdvice();
}

long long GearPanelsOpened() {
  return gPanelsOpened;
}

int WaitForGearChoice() {
  SetPageHidden(5, 0);
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
