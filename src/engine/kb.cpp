#include "engine/kb.h"

#include "common/common.h"
#include "dialogs/help.h"
#include "dialogs/requester.h"
#include "engine/define.h"
#include "engine/gear_panel.h"
#include "engine/gui_init.h"
#include "engine/init.h"
#include "engine/sprite_labels.h"
#include "minigui/mini_gui.h"
#include "platform/platform.h"

namespace {
void Log(const std::string& text) {
  if (gElements.LogArea != nullptr) AddText(gElements.LogArea, text);
}
}  // namespace

std::string ProgramPathText() {
  std::string text = gProg.programFolder.string() + "/";
  if (gProg.playerFolder != gProg.programFolder)
    text += "\r\nyour files: " + gProg.playerFolder.string() + "/";
  return text;
}

void KeyboardCommands() {
  PlatPollKeyboard();
  std::string typed = PlatTypedCharacters();
  if (!typed.empty()) KeyCommand(typed);
}

void KeyCommand(const std::string& typed) {
  char first = typed[0];
  if (first == '0') {
    gProg.centerMode = 0;
    Log("center view off");
  } else if (first >= '1' && first <= '9') {
    gProg.centerMode = LenientInt(typed);
    Log("center view on " + Decimal(gProg.centerMode));
  }
  std::string key = LowerAscii(typed);
  if (key.size() != 1) return;
  switch (key[0]) {
    case 27:
      gProg.gameState = 1;
      break;
    case ' ':
      if (gProg.autoMode == 0 && gHooks.raceStep != nullptr) gHooks.raceStep();
      break;
    case 'a':
      gProg.autoMode = 1 - gProg.autoMode;
      if (gElements.RaceButtons != nullptr)
        SetButtonState(gElements.RaceButtons, 0, gProg.autoMode);
      break;
    case 'f':
      FastForward();
      break;
    case 'g':
      gProg.gridOn = 1 - gProg.gridOn;
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
    default:
      break;
  }
}

void FastForward() {
  if (gHooks.raceStep == nullptr) return;
  long long panels = GearPanelsOpened();
  // Each step either moves a car or ends a race; a race ends in a bounded
  // number of steps, and leaving for the menu stops here too.
  while (!Standing().empty() && gProg.gameState == 2 && GearPanelsOpened() == panels)
    gHooks.raceStep();
}

void SetSimulationSpeed() {
  std::string text = InputBox("Enter simulation speed in ms.", Decimal(gProg.timeSlice));
  int v = LenientInt(text);
  if (v == 0) return;
  v = Min(Max(v, kShortestTimeSlice), kLongestTimeSlice);
  gProg.timeSlice = v;
  PlatSettings settings;
  if (!PlatOpenSettings(settings, gProg.settingsFile)) {
    FATAL("could not read *.ini file", "KB", "SetSimulationSpeed");
  }
  PlatWriteSettingInt(settings, "TimeSlice", v);
  // A settings file that cannot be replaced (a read-only folder) keeps the
  // speed for this run only; the player is told instead of the game ending.
  if (!PlatCloseSettings(settings)) Log("speed not stored in The Velotrax.ini");
}

void EdgeScroll() {
  int x = PlatMouseX();
  int speed = gProg.scrollSpeed;
  if (x < 50) {
    if (gProg.scrollX > 0) {
      int d = Min(gProg.scrollX, speed);
      gProg.scrollX -= d;
      ShiftSpriteLabels(d, 0);
    }
  } else if (x > PlatScreenWidth() - 50) {
    if (gProg.scrollX < gProg.maxScrollX) {
      int d = Min(gProg.maxScrollX - gProg.scrollX, speed);
      gProg.scrollX += d;
      ShiftSpriteLabels(-d, 0);
    }
  }
  int y = PlatMouseY();
  if (y < 50) {
    if (gProg.scrollY > 0) {
      int d = Min(gProg.scrollY, speed);
      gProg.scrollY -= d;
      ShiftSpriteLabels(0, d);
    }
  } else if (y > PlatScreenHeight() - 50) {
    if (gProg.scrollY < gProg.maxScrollY) {
      int d = Min(gProg.maxScrollY - gProg.scrollY, speed);
      gProg.scrollY += d;
      ShiftSpriteLabels(0, -d);
    }
  }
}

void WheelScroll(int delta) {
  int notches = -(delta / 120);
  int d = notches * 64;
  if (gProg.scrollY + d < 0) {
    d = -gProg.scrollY;
  } else if (gProg.scrollY + d > gProg.maxScrollY) {
    d = gProg.maxScrollY - gProg.scrollY;
  }
  gProg.scrollY += d;
  ShiftSpriteLabels(0, -d);
}
