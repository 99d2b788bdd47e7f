// The player's gear choice for a car they drive.
#include "common/common.h"
#include "engine/define.h"
#include "engine/gear_panel.h"
#include "engine/gui_init.h"
#include "engine/gui_manager.h"
#include "engine/init.h"
#include "engine/kb.h"
#include "engine/movement.h"
#include "engine/spritesheet.h"
#include "minigui/mini_gui.h"
#include "platform/platform.h"

namespace {
void ToggleAutoMode() {
  gProg.autoMode = 1 - gProg.autoMode;
  SetButtonState(gElements.RaceButtons, 0, gProg.autoMode);
}
}  // namespace

int WaitForGearChoice() {
  SetPageHidden(5, 0);
  for (;;) {
    for (int event = PlatNextWindowEvent(); event != kEventNone; event = PlatNextWindowEvent()) {
      if (event != kEventLeftButtonUp || PlatEventWindow() != gProg.window) continue;
      int x = PlatMouseX(), y = PlatMouseY();
      int b = PickButton(gElements.GearButtons, x, y);
      if (b != -1) {
        SetPageHidden(5, 1);
        return b + 1;
      }
      // "Main Menu" ends the wait (the gear panel stays; the menu decides what
      // shows); "Auto Mode" and "Save Race" act as on the race screen.
      if (PickButton(gElements.RaceButtons, x, y) == 2) return -1;
      RaceButtonClick();
    }
    PlatPollKeyboard();
    if (PlatKeyReleased(kKeyReturn) || PlatKeyReleased(kKeySpace)) {
      SetPageHidden(5, 1);
      return -2;
    }
    std::string typed = LowerAscii(PlatTypedCharacters());
    for (char c : typed) {
      if (c == 'a') ToggleAutoMode();
      if (c == 'g') gProg.gridOn = 1 - gProg.gridOn;
      if (c == 's') SetSimulationSpeed();
    }
    EdgeScroll();
    if (!PlatScreenActive()) LostDevice();
    if (gHooks.renderFrame != nullptr) gHooks.renderFrame();
    if (gHooks.menuFrame != nullptr) gHooks.menuFrame();
  }
}

void UserMoves() {
  ShowCarStatus(0);
  CarRecord& car = CurrentCar();
  if (car.finished != 0) return;
  ButtonArray* buttons = gElements.GearButtons;
  int g0 = car.gear;
  int at = Max(0, Min(g0, 6));  // a gear that exists, whatever a saved race says
  for (int i = 0; i < 7; ++i) SetButtonState(buttons, i, 2);
  const NodeRecord* node = SelectNode(car.listInd) ? &CurrentNode() : nullptr;
  int corner = node != nullptr ? node->corner : 0;
  int top = at + 1;
  if (corner != 0 && car.cornerExit == 0) {
    int limit = corner == 1 ? car.sharp : car.hairpin;
    top = Max(Min(limit, at + 1), at - 1);
  }
  bool spunOut = car.gear5 == car.gearTop;
  if (car.ORpermitted != 0 && corner == 0 && car.ors >= 1 && g0 == 4 && !spunOut) {
    SetButtonState(buttons, 6, 1);
  }
  // Only the gears that exist (1..6) are offered, whatever a saved race or the
  // car table says, so the loop stays short.
  int lowest = Max(1, at - Max(0, Min(car.downShift, 6)));
  for (int g = Min(top, 6); g >= lowest; --g) {
    if (g == 6 && spunOut) continue;
    SetButtonState(buttons, g - 1, 0);
  }
  if (g0 >= 1 && g0 <= 6) SetButtonState(buttons, g0 - 1, 1);
  PrepareGearPanel();
  gRace.choosingGear = true;
  int r = WaitForGearChoice();
  gRace.choosingGear = false;
  if (r == -1) {
    gProg.gameState = 1;
  } else if (r == -2) {
    car.gear = g0;
  } else if (r >= 1 && r <= 6) {
    car.gear = r;
  } else if (r == 7) {
    car.ors -= 1;
    car.gear = 6;
    car.ORpermitted = 0;
  } else {
    FATAL("error in gear selection routine", "Movement", "UserMoves");
  }
}
