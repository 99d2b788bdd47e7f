#include "engine/init.h"

#include <algorithm>

#include "common/common.h"
#include "dialogs/requester.h"
#include "engine/analyze.h"
#include "engine/debug.h"
#include "engine/define.h"
#include "engine/folders.h"
#include "engine/gui_init.h"
#include "engine/gui_manager.h"
#include "engine/kb.h"
#include "engine/main_menu.h"
#include "engine/mouse.h"
#include "engine/movement.h"
#include "engine/race_setup.h"
#include "engine/render.h"
#include "engine/save_load.h"
#include "engine/sprite_labels.h"
#include "engine/spritesheet.h"
#include "engine/start_end.h"
#include "minigui/mini_gui.h"
#include "platform/platform.h"

LoopHooks gHooks;

namespace {
const char* kModule = "Init";

// After a lost device: the labels take the new label sheet, the toolkit
// reloads its theme.
void ReloadLabelSheet() { SetSpriteLabelSheet(gSheets.labelSheetSprite); }

// Problems that are not fatal (a tile combination that does not fit) are
// shown in the "Message Box" requester once the requesters exist.
void ShowInRequester(const std::string& text) { MessageBox(text); }

void Call(void (*hook)()) {
  if (hook != nullptr) hook();
}
}  // namespace

void SetViewGeometry(int screenWidth, int screenHeight) {
  gProg.trackViewWidth = screenWidth - 256;
  gProg.viewCols = gProg.trackViewWidth / 64 - 1;
  gProg.viewRows = screenHeight / 64;
}

void StartPlatform() {
  if (!PlatInitSprites()) FATAL("could not initialize DirectX", kModule, "");
  if (!PlatInitKeyboard()) FATAL("could not initialize keyboard", kModule, "");
  PlatInitSound();  // the game plays no sound; the result does not matter
  if (PlatExamineDesktops() == 0) FATAL("could not examine desktops", kModule, "");
  int width = PlatDesktopWidth(0);
  int height = PlatDesktopHeight(0);
  gProg.window = PlatOpenWindow(0, 0, width, height, gProg.windowTitle);
  if (gProg.window == 0) FATAL("could not open window", kModule, "");
  if (!PlatOpenScreen(gProg.window, 0, 0, PlatWindowInnerWidth(gProg.window),
                      PlatWindowInnerHeight(gProg.window))) {
    FATAL("could not open screen", kModule, "");
  }
  if (gHooks.wheel != nullptr) PlatSetWindowCallback(gProg.window, gHooks.wheel);
  PlatClearScreen(0x000000);
  PlatFlipBuffers();
  SetViewGeometry(PlatScreenWidth(), PlatScreenHeight());
}

void ReadSettings() {
  PlatSettings settings;
  if (!PlatOpenSettings(settings, gProg.settingsFile)) {
    FATAL("could not read *.ini file", kModule, "");
  }
  // The file is the player's to edit: numbers the game cannot use are read
  // as the nearest it can (a scroll speed of 0 or less, which would scroll
  // the wrong way, as the default).
  int scrollSpeed = PlatReadSettingInt(settings, "ScrollSpeed", kDefaultScrollSpeed);
  gProg.scrollSpeed = scrollSpeed < 1 ? kDefaultScrollSpeed : Min(scrollSpeed, kFastestScroll);
  gProg.timeSlice = std::clamp(PlatReadSettingInt(settings, "TimeSlice", 167), kShortestTimeSlice,
                               kLongestTimeSlice);
  gProg.laps = std::clamp(PlatReadSettingInt(settings, "Laps", 4), kFewestLaps, kMostLaps);
  gProg.points = PlatReadSettingText(settings, "Points$", "964321");
  PlatCloseSettings(settings);
}

void CreateGameFolders() {
  for (const auto& folder : {gProg.savedRacesFolder, gProg.resultsFolder}) {
    if (!PlatIsFolder(folder) && !PlatCreateFolder(folder)) {
      FATAL("could not create directory: " + folder.string(), kModule, "");
    }
  }
  // What a save cut short by a kill left behind.
  for (const auto& folder : {gProg.savedRacesFolder, gProg.resultsFolder, gProg.dataFolder})
    PlatRemoveStaleTemporaries(folder);
}

void StartUp() {
  InstallFaultHandler();
  StartUpIn(PlatProgramFolder());
}

namespace {
// When the race screen's next automatic step is due (-1: no step to wait
// for); set only while the race screen draws its frame.
int64_t gNextWake = -1;

// How long the game may rest after a frame. A moving view (edge scrolling,
// the wheel) is drawn again at once; an automatic race wakes for its next
// step; anything else waits for input, with one frame a second as a safety
// net for whatever changes without an event.
int RestAfterFrame() {
  static int lastScrollX = 0;
  static int lastScrollY = 0;
  bool moved = gProg.scrollX != lastScrollX || gProg.scrollY != lastScrollY;
  lastScrollX = gProg.scrollX;
  lastScrollY = gProg.scrollY;
  constexpr int64_t kLongestRest = 1000;
  if (moved) return 0;
  if (gNextWake >= 0)
    return static_cast<int>(
        std::clamp<int64_t>(gNextWake - PlatElapsedMilliseconds(), 0, kLongestRest));
  return static_cast<int>(kLongestRest);
}
}  // namespace

void StartUpIn(const std::filesystem::path& programFolder) {
  ResetProgramState();
  ResetRaceData();
  UseGameFolders(programFolder);
  if (gHooks.mainMenu == nullptr) gHooks.mainMenu = MainMenu;
  if (gHooks.keyboardCommands == nullptr) gHooks.keyboardCommands = KeyboardCommands;
  if (gHooks.edgeScroll == nullptr) gHooks.edgeScroll = EdgeScroll;
  if (gHooks.leftClick == nullptr) gHooks.leftClick = LeftClick;
  if (gHooks.rightClick == nullptr) gHooks.rightClick = RightClick;
  if (gHooks.wheel == nullptr) gHooks.wheel = WheelScroll;
  if (gHooks.newRaceSetUp == nullptr) gHooks.newRaceSetUp = NewRaceSetUp;
  if (gHooks.resumeRace == nullptr) gHooks.resumeRace = ResumeLoadedRace;
  if (gHooks.renderFrame == nullptr) gHooks.renderFrame = RenderFrame;
  if (gHooks.lostDevice == nullptr) gHooks.lostDevice = LostDevice;
  if (gHooks.raceStep == nullptr) gHooks.raceStep = RaceStep;
  if (gHooks.raceButtonClick == nullptr) gHooks.raceButtonClick = RaceButtonClick;
  SetLoadDriversHandler(LoadDrivers);
  SetUserMovesHandler(UserMoves);

  StartPlatform();
  PlatSetRestWaker(RestAfterFrame);
  LoadSpriteSheets();
  BuildCellTable(gSheets.cellX, gSheets.cellY, kSheetCells, 64, 64, 8);
  PreparePlayerFolders();  // an installed copy seeds the settings it is about to read
  ReadSettings();
  CreateGameFolders();
  InitSpriteLabels(gSheets.labelSheetSprite);
  LoadTrackTiles();
  BuildGameScreens(LostDevice);
  SetMessageBoxHandler(ShowInRequester);
  ClearReloadHooks();
  AddReloadHook(ReloadLabelSheet);
  AddReloadHook(ReloadAllSprites);

  InitDebugText((gProg.themeFolder / "Terminal 14.png").string());
  SetDebugTextArea(10, 10, 30, PlatScreenHeight() / 18 - 1, 0xFFFFFF);
}

void RaceScreenPass() {
  for (int event = PlatNextWindowEvent(); event != kEventNone; event = PlatNextWindowEvent()) {
    if (PlatEventWindow() != gProg.window) continue;
    // Everything else, the close request included, is ignored here: the
    // game ends only through the menu.
    if (event == kEventLeftButtonUp) {
      Call(gHooks.leftClick);
    } else if (event == kEventRightButtonUp) {
      Call(gHooks.rightClick);
    }
  }
  if (gHooks.keyboardCommands != nullptr) {
    gHooks.keyboardCommands();
  } else {
    PlatPollKeyboard();
  }
  Call(gHooks.edgeScroll);
  if (gProg.autoMode != 0 && PlatElapsedMilliseconds() >= gProg.nextStepTime) {
    Call(gHooks.raceStep);
    gProg.nextStepTime = PlatElapsedMilliseconds() + gProg.timeSlice;
  }
  if (!PlatScreenActive()) Call(gHooks.lostDevice);
  gNextWake = gProg.autoMode != 0 ? gProg.nextStepTime : -1;
  Call(gHooks.renderFrame);
  gNextWake = -1;
}

void RaceScreenLoop() {
  do {
    RaceScreenPass();
  } while (gProg.gameState != 1);
}

void MainLoop() {
  for (;;) {
    Call(gHooks.mainMenu);
    if (gProg.gameState == 3) return;
    RaceScreenLoop();
  }
}

int RunGame() {
  StartUp();
  MainLoop();
  PlatShutdown();
  return 0;
}
