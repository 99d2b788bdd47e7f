#include "engine/main_menu.h"

#include "dialogs/requester.h"
#include "engine/define.h"
#include "engine/gui_init.h"
#include "engine/init.h"
#include "engine/render.h"
#include "engine/save_load.h"
#include "engine/spritesheet.h"
#include "minigui/mini_gui.h"
#include "platform/platform.h"

void DrawMenuFrame() {
  // The window callback still sees the wheel, so the view behind the menu
  // can be scrolled.
  while (PlatNextWindowEvent() != kEventNone) {
  }
  if (Base().cols > 1) {
    RenderFrame();
  } else {
    PlatClearScreen(0x808080);
    DrawAllElements();
    PlatFlipBuffers();
  }
  if (gHooks.menuFrame != nullptr) gHooks.menuFrame();
}

void ShowWelcome() {
  DrawMenuFrame();
  MessageBox("     Welcome to The Velotrax!~");
}

int WaitMenuChoice(ButtonArray* buttons) {
  for (;;) {
    for (int event = PlatNextWindowEvent(); event != kEventNone; event = PlatNextWindowEvent()) {
      if (PlatEventWindow() != gProg.window) continue;
      if (event == kEventLeftButtonUp) {
        int index = PickButton(buttons, PlatMouseX(), PlatMouseY());
        if (index != -1) return index;
      } else if (event == kEventRightButtonUp) {
        return -1;
      }
    }
    PlatPollKeyboard();
    if (PlatKeyReleased(kKeyEscape)) return -1;
    if (!PlatScreenActive()) LostDevice();
    DrawMenuFrame();
  }
}

int ChooseRaceFile(const std::filesystem::path& folder) {
  std::string title = folder == gProg.circuitsFolder ? "     Select New Race" : "     Load Saved Race";
  std::string choice = ListBox(title, GetFileList(folder, "*.json"));
  if (choice.empty()) {
    gProg.gameState = 1;
    return 0;
  }
  gProg.raceName = choice;
  Load(folder / (choice + ".json"));
  return 1;
}

void MainMenu() {
  ButtonArray* buttons = gElements.MenuButtons;
  if (gProg.gameState == 4) {
    SetButtonState(buttons, 3, 2);
    ShowWelcome();
  } else {
    SetButtonState(buttons, 3, Standing().empty() ? 2 : 0);
  }
  SetButtonState(buttons, 1, GetFileList(gProg.savedRacesFolder, "*.json").empty() ? 2 : 0);
  SetPageHidden(2, 0);
  for (bool done = false; !done;) {
    DrawMenuFrame();
    switch (WaitMenuChoice(buttons)) {
      case 0:
        if (ChooseRaceFile(gProg.circuitsFolder) == 1) {
          gProg.gameState = 2;
          if (gHooks.newRaceSetUp != nullptr) gHooks.newRaceSetUp();
          done = true;
        }
        break;
      case 1:
        if (ChooseRaceFile(gProg.savedRacesFolder) == 1) {
          gProg.gameState = 2;
          if (gHooks.resumeRace != nullptr) gHooks.resumeRace();
          done = true;
        }
        break;
      case 2:
        gProg.gameState = 3;
        done = true;
        break;
      case 3:
        gProg.gameState = 2;
        SetPageHidden(1, 0);
        done = true;
        break;
      default: break;
    }
  }
  SetPageHidden(2, 1);
}
