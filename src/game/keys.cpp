#include "game/keys.h"

#include "common/common.h"
#include "dialogs/help.h"
#include "dialogs/requester.h"
#include "race/define.h"
#include "game/gear_panel.h"
#include "game/screens.h"
#include "game/hooks.h"
#include "game/side_panel.h"
#include "game/sounds.h"
#include "game/view.h"
#include "game/sprite_labels.h"
#include "minigui/mini_gui.h"
#include "platform/screen.h"
#include "platform/services.h"
#include "game/screen_settings.h"

namespace {
void Log(const std::string& text) {
  if (gElements.LogArea != nullptr) AddText(gElements.LogArea, text);
}
}  // namespace

std::string ProgramPathText() {
  std::string text = PlatPathText(gProg.programFolder) + "/";
  if (gProg.playerFolder != gProg.programFolder)
    text += "\r\nyour files: " + PlatPathText(gProg.playerFolder) + "/";
  return text;
}

namespace {
// Around the pointer when it is over the track view, else around its middle.
void ZoomWithKey(int step) {
  int x = PlatMouseX(), y = PlatMouseY();
  if (x < 0 || y < 0 || x >= gView.trackViewWidth) x = gView.trackViewWidth / 2, y = PlatScreenHeight() / 2;
  ZoomAround(gView.zoom + step, x, y);
}
}  // namespace

void KeyboardCommands() {
  PlatPollKeyboard();
  // Up and down scroll the commentary back and forth.
  if (PlatKeyReleased(kKeyUp)) ScrollCommentaryBy(-1);
  if (PlatKeyReleased(kKeyDown)) ScrollCommentaryBy(1);
  std::string typed = PlatTypedCharacters();
  if (!typed.empty()) KeyCommand(typed);
}

void KeyCommand(const std::string& typed) {
  char first = typed[0];
  if (first == '0') {
    Options().centerMode = 0;
    Log("center view off");
  } else if (first >= '1' && first <= '9') {
    Options().centerMode = LenientInt(typed);
    Log("center view on " + Decimal(Options().centerMode));
  }
  std::string key = LowerAscii(typed);
  if (key.size() != 1) return;
  switch (key[0]) {
    case 27:
      gScreen.gameState = 1;
      break;
    case ' ':
      if (Options().autoMode == 0 && gHooks.raceStep != nullptr) gHooks.raceStep();
      break;
    case 'a':
      ToggleAutoMode();
      break;
    case 'f':
      FastForward();
      break;
    case 'g':
      Options().gridOn = 1 - Options().gridOn;
      break;
    case 's':
      SetSimulationSpeed();
      break;
    case '?':
      ShowHelp();
      break;
    case '~':
      PlatMessageBox("program path", ProgramPathText());
      break;
    case '+':
    case '=':
    case '-':
      ZoomWithKey(key[0] == '-' ? -kZoomStep : kZoomStep);
      break;
    default:
      break;
  }
}

void FastForward() {
  if (gHooks.raceStep == nullptr) return;
  long long panels = GearPanelsOpened();
  // Nothing is heard on the way but the chime where it stops.
  struct Hold {
    Hold() { HoldRaceSounds(true); }
    ~Hold() { HoldRaceSounds(false); }
  } hold;
  // Each step either moves a car or ends a race; a race ends in a bounded
  // number of steps, and leaving for the menu stops here too.
  while (!Standing().empty() && gScreen.gameState == 2 && GearPanelsOpened() == panels)
    gHooks.raceStep();
}
