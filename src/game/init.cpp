#include "game/init.h"

#include <algorithm>

#include "common/common.h"
#include "dialogs/requester.h"
#include "game/debug.h"
#include "game/gear_panel.h"
#include "game/keys.h"
#include "game/main_loop.h"
#include "game/main_menu.h"
#include "game/menu_race.h"
#include "game/mouse.h"
#include "game/results_view.h"
#include "game/screens.h"
#include "game/setup_dialogs.h"
#include "game/side_panel.h"
#include "game/sounds.h"
#include "game/sprite_labels.h"
#include "game/spritesheet.h"
#include "game/track_view.h"
#include "game/view.h"
#include "minigui/mini_gui.h"
#include "platform/screen.h"
#include "platform/services.h"
#include "race/analyze.h"
#include "race/define.h"
#include "race/folders.h"
#include "race/movement.h"
#include "race/report.h"
#include "race/save_load.h"
#include "race/season.h"
#include "game/screen_settings.h"

namespace {
const char* kModule = "Init";

// After a lost device: the labels take the new label sheet, the toolkit
// reloads its theme.
void ReloadLabelSheet() { SetSpriteLabelSheet(gSheets.labelSheetSprite); }

// Problems that are not fatal (a tile combination that does not fit) are
// shown in the "Message Box" requester once the requesters exist.
void ShowInRequester(const std::string& text) { MessageBox(text); }

// The view follows the place of the running order the player picked with
// "1" to "9": the car that moved is in that place now.
void FollowPlace(int place) {
  if (Options().centerMode == 0 || place != Options().centerMode) return;
  auto car = Car().find(CurrentCarKey());
  if (car == Car().end()) return;
  int at = car->second.listInd;
  if (at >= 0 && at < static_cast<int>(Node().size())) CentreView(Node()[at].nodeX, Node()[at].nodeY);
}

// A move is over: the running order shows where the cars now stand, the
// player hears what their move brought, and the view follows the place of
// the running order the player picked with "1" to "9".
void MoveEnded(int place) {
  ShowStandings();
  TellOwnMove(place);
  FollowPlace(place);
}

// A car of the player's must choose its gear: heard, then asked.
int ChimeAndChooseGear(const GearOffer& offer) {
  PlayChime();
  return ChooseGearOnPanel(offer);
}

// Under a requester: the race behind the menu while it runs, else the
// player's board as it stands (never the last frame shown, which may be a
// page that has closed since), else the menu's plain grey.
void DrawUnderRequester() {
  if (MenuRaceRunning()) {
    DrawMenuBackdrop();
  } else if (Base().cols > 1) {
    DrawTrackView();
  } else {
    PlatClearScreen(0x808080);
  }
}

// The wheel scrolls the commentary when the pointer is over it, else the
// view.
void Wheel(int delta) {
  if (!ScrollCommentary(PlatMouseX(), PlatMouseY(), -(delta / 120))) WheelScroll(delta);
}

}  // namespace

void StartPlatform() {
  if (!PlatInitSprites()) FATAL("could not initialize DirectX", kModule, "");
  if (!PlatInitKeyboard()) FATAL("could not initialize keyboard", kModule, "");
  if (PlatExamineDesktops() == 0) FATAL("could not examine desktops", kModule, "");
  int width = PlatDesktopWidth(0);
  int height = PlatDesktopHeight(0);
  gView.window = PlatOpenWindow(0, 0, width, height, gScreen.windowTitle);
  if (gView.window == 0) FATAL("could not open window", kModule, "");
  if (!PlatOpenScreen(gView.window, 0, 0, PlatWindowInnerWidth(gView.window),
                      PlatWindowInnerHeight(gView.window))) {
    FATAL("could not open screen", kModule, "");
  }
  if (gHooks.wheel != nullptr) PlatSetWindowCallback(gView.window, gHooks.wheel);
  PlatClearScreen(0x000000);
  PlatFlipBuffers();
  SetViewGeometry(PlatScreenWidth(), PlatScreenHeight());
}

void ApplyUiScale() {
  const int width = PlatWindowInnerWidth(gView.window), height = PlatWindowInnerHeight(gView.window);
  // The largest scale that leaves the game its 800 x 600 at least.
  const int largest = Max(1, Min(width / 800, height / 600));
  int scale = gScreen.uiScale;
  if (scale == 0) scale = Max(1, Min(width / 1920, height / 1080));  // as on a 1920 x 1080 desk
  PlatSetUiScale(std::clamp(scale, 1, largest));
  SetViewGeometry(PlatScreenWidth(), PlatScreenHeight());
}

namespace {
// The size the game's pages were laid out for.
int gLaidOutWidth = 0, gLaidOutHeight = 0;

// The browser's page resized (the desktop window never is): the UI scale,
// the view and the pages follow the new size.
void FollowResizedScreen() {
  ApplyUiScale();
  RefitView();
  FollowScreenSize(PlatScreenWidth() - gLaidOutWidth, PlatScreenHeight() - gLaidOutHeight);
  gLaidOutWidth = PlatScreenWidth();
  gLaidOutHeight = PlatScreenHeight();
}
}  // namespace

void StartUp() {
  InstallFaultHandler();
  EnableMenuRace(true);
  StartUpIn(PlatProgramFolder());
}


RaceReport ScreenReport() {
  RaceReport report;
  report.commentary = AddCommentaryLine;
  report.carStatus = ShowCarStatus;
  report.runningOrder = ShowStandings;
  report.moveEnded = MoveEnded;
  report.raceEnded = ShowEndOfRace;
  report.chooseGear = ChimeAndChooseGear;
  report.event = HearRaceEvent;
  report.message = ShowInRequester;
  return report;
}

void StartUpIn(const std::filesystem::path& programFolder) {
  SetFatalReporter(PlatReportFatal);
  ResetProgramState();
  ResetScreenSettings();
  ResetViewState();
  gSheets = SheetState{};
  ResetRaceData();
  ForgetSetUpChoices();
  UseGameFolders(programFolder);
  if (gHooks.mainMenu == nullptr) gHooks.mainMenu = MainMenu;
  if (gHooks.keyboardCommands == nullptr) gHooks.keyboardCommands = KeyboardCommands;
  if (gHooks.edgeScroll == nullptr) gHooks.edgeScroll = EdgeScroll;
  if (gHooks.leftClick == nullptr) gHooks.leftClick = LeftClick;
  if (gHooks.rightClick == nullptr) gHooks.rightClick = RightClick;
  if (gHooks.wheel == nullptr) gHooks.wheel = Wheel;
  if (gHooks.newRaceSetUp == nullptr) gHooks.newRaceSetUp = NewRaceSetUp;
  if (gHooks.resumeRace == nullptr) gHooks.resumeRace = ResumeLoadedRace;
  if (gHooks.renderFrame == nullptr) gHooks.renderFrame = RenderFrame;
  if (gHooks.lostDevice == nullptr) gHooks.lostDevice = LostDevice;
  if (gHooks.raceStep == nullptr) gHooks.raceStep = RaceStep;
  if (gHooks.raceButtonClick == nullptr) gHooks.raceButtonClick = RaceButtonClick;
  SetLoadDriversHandler(LoadDrivers);
  Report() = ScreenReport();

  StartPlatform();
  ForgetScaledSheets();
  PlatSetRestWaker(RestBetweenFrames);
  LoadSpriteSheets();
  BuildCellTable(gSheets.cellX, gSheets.cellY, kSheetCells, 64, 64, 8);
  PreparePlayerFolders();  // an installed copy seeds the settings it is about to read
  const PlayerSettings settings = ReadSettings();
  UseScreenSettings(settings);
  StartSounds(settings.soundVolume);
  PlatSetKeyHook('m', ToggleMute);
  SetButtonSound(PlayClick);
  ApplyUiScale();
  PlatSetResizeHook(FollowResizedScreen);
  CreateGameFolders();
  InitSpriteLabels(gSheets.labelSheetSprite);
  LoadTrackTiles();
  BuildGameScreens(LostDevice);
  gLaidOutWidth = PlatScreenWidth();
  gLaidOutHeight = PlatScreenHeight();
  ClearReloadHooks();
  AddReloadHook(ReloadLabelSheet);
  AddReloadHook(ForgetScaledSheets);
  AddReloadHook(ReloadAllSprites);

  // The menu's requesters (the welcome box, the lists) show the race behind
  // the menu going on under them; a race's questions show its board.
  SetModalIdle(StepMenuRace);
  SetModalBackdrop(DrawUnderRequester);

  InitDebugText(PlatPathText(gProg.themeFolder / "Terminal 14.png"));
  SetDebugTextArea(10, 10, 30, PlatScreenHeight() / 18 - 1, 0xFFFFFF);
}
