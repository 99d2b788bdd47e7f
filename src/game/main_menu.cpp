#include "game/main_menu.h"

#include <algorithm>
#include <vector>

#include "common/common.h"
#include "dialogs/help.h"
#include "dialogs/requester.h"
#include "editor/circuit_model.h"
#include "race/define.h"
#include "race/folders.h"
#include "game/race_saves.h"
#include "game/screens.h"
#include "game/season_view.h"
#include "game/side_panel.h"
#include "game/sounds.h"
#include "game/hooks.h"
#include "game/menu_race.h"
#include "game/track_view.h"
#include "race/save_load.h"
#include "game/sprite_labels.h"
#include "game/spritesheet.h"
#include "minigui/mini_gui.h"
#include "platform/screen.h"
#include "platform/services.h"
#include "game/view.h"
#include "race/report.h"
#include "game/screen_settings.h"

namespace {
// One frame behind and around the menu, leaving the event queue alone.
void DrawMenuScreen() {
  StepMenuRace();
  if (MenuRaceRunning()) {
    WithMenuRace(RenderFrame);
  } else if (Base().cols > 1) {
    RenderFrame();
  } else {
    PlatClearScreen(0x808080);
    DrawAllElements();
    if (gHooks.frameOverlay != nullptr) gHooks.frameOverlay();
    PlatFlipBuffers();
  }
  if (gHooks.menuFrame != nullptr) gHooks.menuFrame();
}
}  // namespace

void DrawMenuFrame() {
  // The window callback still sees the wheel, so the view behind the menu
  // can be scrolled.
  while (PlatNextWindowEvent() != kEventNone) {
  }
  DrawMenuScreen();
}

namespace {
// The title over the living board: the logo, a line under it, and what to
// press, on a dark band across the track view.
void DrawTitle() {
  // The band: the plain middle of the window frame, darkened, half seen.
  const int shade = ThemeSpriteOrNone("Frame");
  const int logo = ThemeSpriteOrNone("Logo");
  const int width = gView.trackViewWidth > 0 ? gView.trackViewWidth : PlatScreenWidth();
  const int logoHeight = logo != 0 ? PlatSpriteHeight(logo) : 0;
  const SpriteFont* font = gElements.MainFont;
  const int row = SpriteFontHeight(font);
  const int bandHeight = logoHeight + 5 * row + 24;
  const int top = Max((PlatScreenHeight() - bandHeight) / 2 - PlatScreenHeight() / 8, 0);
  if (shade != 0) {
    PlatClipSprite(shade, 40, 40, 16, 16);
    PlatDisplaySpriteSized(shade, 0, top, width, bandHeight, 200, 0x1C1A18);
  }
  if (logo != 0) {
    PlatClipSprite(logo, 0, 0, -1, -1);
    PlatDisplaySprite(logo, (width - PlatSpriteWidth(logo)) / 2, top + 12);
  }
  auto centred = [&](const std::string& text, int y, int colour) {
    const int textWidth = static_cast<int>(text.size()) * SpriteFontWidth(font);
    DrawSpriteText(font, text, (width - textWidth) / 2, y, colour);
  };
  const int textY = top + 12 + logoHeight + row / 2;
  centred("Motor racing on a board: every gear a gamble.", textY, 0xFFFFFF);
  centred("press any key", textY + 2 * row, 0x3CC8FF);
  centred("? shows the help", textY + 3 * row + 4, 0xC0C0C0);
}
}  // namespace

void ShowWelcome() {
  // Until a key (other than "?", which shows the help) or a click.
  gHooks.frameOverlay = DrawTitle;
  PlatIgnoreHeldKeys();
  for (bool done = false; !done;) {
    DrawMenuScreen();
    for (int event = PlatNextWindowEvent(); event != kEventNone; event = PlatNextWindowEvent()) {
      if (PlatEventWindow() == gView.window && event == kEventLeftButtonUp) done = true;
    }
    PlatPollKeyboard();
    const std::string typed = PlatTypedCharacters();
    if (typed.find('?') != std::string::npos) {
      ShowHelp();
      continue;
    }
    if (!typed.empty() || PlatKeyReleased(kKeyReturn) || PlatKeyReleased(kKeyEscape) ||
        PlatKeyReleased(kKeySpace))
      done = true;
    if (!PlatScreenActive()) LostDevice();
  }
  gHooks.frameOverlay = nullptr;
}

int WaitMenuChoice(ButtonArray* buttons) {
  PlatIgnoreHeldKeys();
  for (;;) {
    for (int event = PlatNextWindowEvent(); event != kEventNone; event = PlatNextWindowEvent()) {
      if (PlatEventWindow() != gView.window) continue;
      if (event == kEventLeftButtonUp) {
        int index = PickButton(buttons, PlatMouseX(), PlatMouseY());
        if (index != -1) return index;
      } else if (event == kEventRightButtonUp) {
        return -1;
      }
    }
    PlatPollKeyboard();
    if (PlatKeyReleased(kKeyEscape)) return -1;
    // Up and Down move the mark over the buttons that can be used, Return
    // takes the marked one; "?" shows the help.
    if (PlatKeyReleased(kKeyUp)) MoveButtonFocus(buttons, -1);
    if (PlatKeyReleased(kKeyDown)) MoveButtonFocus(buttons, 1);
    if (PlatKeyReleased(kKeyReturn)) {
      const int marked = MoveButtonFocus(buttons, 0);
      if (marked != -1) return marked;
    }
    if (PlatTypedCharacters().find('?') != std::string::npos) ShowHelp();
    if (!PlatScreenActive()) LostDevice();
    // The pass above has handled every event, the wheel's too. Emptying the
    // queue again here would throw away a button release that came in since
    // (the keyboard poll fetches pending events): a click on the menu that
    // is lost, and often so once the loop rests until the button goes down.
    DrawMenuScreen();
  }
}

namespace {
// A circuit that cannot be raced sends the player back to the menu with the
// reason instead of ending the game. Every circuit is guarded so: a portable
// copy keeps the player's own circuits in the game's Circuits folder, beside
// the shipped ones. False when it was not loaded.
bool LoadChosenCircuit(const std::string& name) {
  std::filesystem::path folder = CircuitFolderFor(name);
  bool throws = FatalThrows();
  SetFatalThrows(true);
  try {
    Load(folder / (name + ".json"));
    ShowLoadedCircuit();
    SetFatalThrows(throws);
    return true;
  } catch (const FatalError& e) {
    SetFatalThrows(throws);
    // Whatever the half-read file left behind goes; so does a race that
    // was on, as a new race would have replaced it anyway.
    ResetRaceData();
    ShowRacePanel(false);
    ClearSpriteLabels();
    gView.scrollX = gView.scrollY = gView.maxScrollX = gView.maxScrollY = 0;
    gView.minScrollX = gView.minScrollY = 0;
    SetButtonState(gElements.MenuButtons, 3, 2);
    std::string problem = e.what();
    MessageBox("Your circuit " + name + " cannot be raced:~" +
               problem.substr(0, problem.find("\r\n")));
    return false;
  }
}
}  // namespace

int ChooseRaceFile(const std::filesystem::path& folder) {
  bool circuits = folder == gProg.circuitsFolder;
  std::string title = circuits ? "     Select New Race" : "     Load Saved Race";
  // Circuits come from the shipped folder and the player's own.
  std::string choice;
  if (circuits) {
    // The player's own marked as theirs, as in the editor's list.
    const std::vector<std::string> names = TildeFields(CircuitList());
    std::string lines;
    for (const std::string& name : names) lines += CircuitListLine(name) + "~";
    const std::string picked = ListBox(title, lines);
    for (const std::string& name : names)
      if (!picked.empty() && CircuitListLine(name) == picked) choice = name;
  } else {
    // Each saved race with its lap and when it was saved; the choice is its name.
    std::vector<SavedRaceLine> saved = SavedRaceLines(folder);
    std::string lines;
    for (const SavedRaceLine& s : saved) lines += s.line + "~";
    std::string picked = ListBox(title, lines);
    for (const SavedRaceLine& s : saved)
      if (!picked.empty() && s.line == picked) choice = s.name;
  }
  if (choice.empty()) {
    gScreen.gameState = 1;
    return 0;
  }
  // The race behind the menu makes way before anything is loaded, and so
  // does the last race's commentary.
  StopMenuRace();
  ClearCommentary();
  ShowRacePanel(false);
  Options().raceName = choice;
  if (!circuits) {
    Load(folder / (choice + ".json"));
    ShowLoadedCircuit();
  } else if (!LoadChosenCircuit(choice)) {
    Options().raceName.clear();
    gScreen.gameState = 1;
    return 0;
  } else if (CircuitHidesShipped(choice)) {
    AddLogText("your own " + choice + " is raced, not the shipped one");
  }
  return 1;
}

std::string CircuitAfter(const std::string& name) {
  std::vector<std::string> circuits = TildeFields(CircuitList());
  auto at = std::find(circuits.begin(), circuits.end(), name);
  return at == circuits.end() || at + 1 == circuits.end() ? "" : *(at + 1);
}

namespace {
// Until "Next Race" (true), "Main Menu", Escape or a right click (false), over
// the race screen.
bool WaitNextRaceChoice() {
  GameElements& e = gElements;
  SetPageHidden(kNextRacePage, 0);
  PlatIgnoreHeldKeys();  // Return held from the pages before does not start a race
  int choice = -1;
  while (choice == -1) {
    for (int event = PlatNextWindowEvent(); event != kEventNone && choice == -1;
         event = PlatNextWindowEvent()) {
      if (PlatEventWindow() != gView.window) continue;
      if (event == kEventLeftButtonUp) {
        int button = PickButton(e.NextRaceButtons, PlatMouseX(), PlatMouseY());
        if (button != -1) choice = button;
      } else if (event == kEventRightButtonUp) {
        choice = 1;
      }
    }
    if (choice != -1) break;
    PlatPollKeyboard();
    if (PlatKeyReleased(kKeyEscape)) choice = 1;
    if (PlatKeyReleased(kKeyReturn)) choice = GetButtonState(e.NextRaceButtons, 0) == 2 ? 1 : 0;
    if (!PlatScreenActive()) LostDevice();
    if (gHooks.renderFrame != nullptr) gHooks.renderFrame();
    if (gHooks.menuFrame != nullptr) gHooks.menuFrame();
  }
  SetPageHidden(kNextRacePage, 1);
  return choice == 0;
}
}  // namespace

void OfferNextRace() {
  const std::string next = CircuitAfter(Options().raceName);
  SetLabel(gElements.NextRaceLabel,
           next.empty() ? "That was the last circuit." : "Next: " + next, 0);
  // After the last circuit only "Main Menu" is offered.
  SetButtonState(gElements.NextRaceButtons, 0, next.empty() ? 2 : 0);
  if (!WaitNextRaceChoice() || next.empty()) {
    gScreen.gameState = 1;
    return;
  }
  ClearCommentary();
  ShowRacePanel(false);
  Options().raceName = next;
  if (!LoadChosenCircuit(next)) {
    Options().raceName.clear();
    gScreen.gameState = 1;
    return;
  }
  if (gHooks.newRaceSetUp != nullptr) gHooks.newRaceSetUp();
}

void MainMenu() {
  ButtonArray* buttons = gElements.MenuButtons;
  if (gScreen.gameState == 4) {
    ShowRacePanel(false);
    SetButtonState(buttons, 3, 2);
    StartMenuRace();
    ShowWelcome();
  } else {
    SetButtonState(buttons, 3, Standing().empty() ? 2 : 0);
    if (Standing().empty()) ShowRacePanel(false);  // the race is over: nothing of it stays
  }
  SetButtonState(buttons, 1, GetFileList(gProg.savedRacesFolder, "*.json").empty() ? 2 : 0);
  SetPageHidden(2, 0);
  // The side panel's race buttons cannot be used while the menu is open:
  // greyed, not dead, and as they were once a choice is made.
  ButtonArray* raceButtons = gElements.RaceButtons;
  const std::vector<int> raceStates = raceButtons != nullptr ? raceButtons->states : std::vector<int>{};
  for (bool done = false; !done;) {
    if (raceButtons != nullptr) raceButtons->states.assign(raceStates.size(), 2);
    // The keys' mark starts on the first button that can be used.
    buttons->focus = -1;
    MoveButtonFocus(buttons, 1);
    DrawMenuFrame();
    int choice = WaitMenuChoice(buttons);
    // Escape or a right click goes back to the race that is on.
    if (choice == -1 && GetButtonState(buttons, 3) != 2) choice = 3;
    if (raceButtons != nullptr) raceButtons->states = raceStates;
    // A race that moved on since it was saved is not thrown away unasked,
    // by another race any more than by quitting.
    const bool replaces = choice >= 0 && choice <= 2;  // New Race, Load Race, Quit
    const bool unsaved = replaces && !MenuRaceRunning() && RaceChangedSinceSaved();
    if ((choice == 0 || choice == 1) && unsaved && AnswerBox(kLeaveRaceQuestion) == 0) continue;
    switch (choice) {
      case 0:
        if (ChooseRaceFile(gProg.circuitsFolder) == 1) {
          gScreen.gameState = 2;
          if (gHooks.newRaceSetUp != nullptr) gHooks.newRaceSetUp();
          done = true;
        }
        break;
      case 1:
        if (ChooseRaceFile(gProg.savedRacesFolder) == 1) {
          gScreen.gameState = 2;
          if (gHooks.resumeRace != nullptr) gHooks.resumeRace();
          done = true;
        }
        break;
      case 2:
        if (unsaved && AnswerBox(kQuitQuestion) == 0) break;
        gScreen.gameState = 3;
        done = true;
        break;
      case 3:
        gScreen.gameState = 2;
        SetPageHidden(1, 0);
        done = true;
        break;
      case 4: {
        // The editor hides the race screen and shows it again whole: the race
        // buttons go back down if no race of the player's is on.
        const bool panelDown = gElements.RaceButtons != nullptr && gElements.RaceButtons->hidden != 0;
        if (gHooks.circuitEditor != nullptr) gHooks.circuitEditor();
        if (panelDown) ShowRacePanel(false);
        break;
      }
      case 5:
        AskSoundVolume();
        break;
      case 6:
        SetPageHidden(2, 1);
        ShowSeasonChart(DrawMenuScreen);
        SetPageHidden(2, 0);
        break;
      default:
        break;
    }
  }
  SetPageHidden(2, 1);
}
