// The race screen's keys, scrolling and centring, and the main menu driven by
// scripted input.
#include <gtest/gtest.h>

#include "dialogs/help.h"
#include "race/define.h"
#include "game/screens.h"
#include "game/hooks.h"
#include "game/init.h"
#include "game/keys.h"
#include "game/main_menu.h"
#include "game/mouse.h"
#include "game/sprite_labels.h"
#include "minigui/mini_gui.h"
#include "platform/screen.h"
#include "platform/services.h"
#include "screen_support.h"
#include "game/view.h"
#include "race/folders.h"
#include "game/screen_settings.h"

namespace fs = std::filesystem;

namespace {
int gSteps = 0;

class Commands : public ::testing::Test {
 protected:
  void SetUp() override {
    testing_support::EnsureHeadlessScreen(1920, 1080);
    int window = gView.window;
    ResetProgramState();
    ResetRaceData();
    gView.window = window;
    SetViewGeometry(1920, 1080);
    Base().Resize(60, 40, 0);
    gView.maxScrollX = 60 * 64 - gView.trackViewWidth - 1;
    gView.maxScrollY = 40 * 64 - 1080 - 1;
    ClearSpriteLabels();
    AddSpriteLabel("here", 0, 100, 100);
    saved = gHooks;
    gHooks.raceStep = [] { ++gSteps; };
    gSteps = 0;
  }
  void TearDown() override { gHooks = saved; }
  void Pointer(int x, int y) {
    if (x < 0) {
      PlatPushMouseLeave();
    } else {
      PlatPushMouseMove(x, y);
    }
    while (PlatNextWindowEvent() != kEventNone) {
    }
  }
  LoopHooks saved;
};
}  // namespace

TEST_F(Commands, DigitsSetTheCarTheViewFollows) {
  KeyCommand("3");
  EXPECT_EQ(Options().centerMode, 3);
  KeyCommand("12");  // two digits released within one frame
  EXPECT_EQ(Options().centerMode, 12);
  KeyCommand("0");
  EXPECT_EQ(Options().centerMode, 0);
}

TEST_F(Commands, LettersActOnceWhateverTheirCase) {
  KeyCommand("A");
  EXPECT_EQ(Options().autoMode, 1);
  KeyCommand(" ");  // no manual step while the race runs by itself
  EXPECT_EQ(gSteps, 0);
  KeyCommand("a");
  EXPECT_EQ(Options().autoMode, 0);
  KeyCommand(" ");
  EXPECT_EQ(gSteps, 1);
  KeyCommand("G");
  EXPECT_EQ(Options().gridOn, 1);
  KeyCommand("ga");  // two letters in one frame match no command
  EXPECT_EQ(Options().gridOn, 1);
  EXPECT_EQ(Options().autoMode, 0);
  KeyCommand("x");
  KeyCommand("\x1b");
  EXPECT_EQ(gScreen.gameState, 1);
}

TEST_F(Commands, TypedKeysReachTheCommandsThroughThePoll) {
  PlatPushTypedKey(34, "g");
  KeyboardCommands();
  EXPECT_EQ(Options().gridOn, 1);
  KeyboardCommands();  // released once, acted on once
  EXPECT_EQ(Options().gridOn, 1);
}

TEST_F(Commands, EdgeScrollingStopsAtTheCircuitsEdgesAndMovesTheLabels) {
  gScreen.scrollSpeed = 4;
  gView.scrollX = 2;
  Pointer(10, 500);
  EdgeScroll();
  EXPECT_EQ(gView.scrollX, 0);
  EXPECT_EQ(gLabels.labels[0].x, 102);
  EdgeScroll();
  EXPECT_EQ(gView.scrollX, 0);
  EXPECT_EQ(gLabels.labels[0].x, 102);

  // The right margin lies inside the side panel; both axes at a corner.
  Pointer(1919, 1079);
  EdgeScroll();
  EXPECT_EQ(gView.scrollX, 4);
  EXPECT_EQ(gView.scrollY, 4);
  EXPECT_EQ(gLabels.labels[0].x, 98);
  EXPECT_EQ(gLabels.labels[0].y, 96);
  gView.scrollX = gView.maxScrollX - 1;
  EdgeScroll();
  EXPECT_EQ(gView.scrollX, gView.maxScrollX);

  // A pointer outside the window reads -1, -1: the left and top margins.
  gView.scrollX = gView.scrollY = 40;
  Pointer(-1, -1);
  EdgeScroll();
  EXPECT_EQ(gView.scrollX, 36);
  EXPECT_EQ(gView.scrollY, 36);
}

// The settings file is the player's to edit. Numbers the game cannot use
// read as the nearest it can, and edge scrolling at the speed read stays on
// the circuit with the labels moving by exactly as much as the view.
TEST_F(Commands, SettingsOutOfRangeReadAsWhatTheGameCanUse) {
  fs::path dir = testing_support::MakeTempDir("settings");
  gProg.settingsFile = dir / "The Velotrax.ini";
  struct Case {
    const char* ini;
    int scrollSpeed, timeSlice, laps;
  } cases[] = {
      {"ScrollSpeed=-814836481\r\nTimeSlice=-5\r\nLaps=-2147483648\r\n", 4, 17, 1},
      {"ScrollSpeed=0\r\nTimeSlice=2147483647\r\nLaps=2147483647\r\n", 4, 1000, 99},
      {"ScrollSpeed=2147483647\r\nTimeSlice=250\r\nLaps=12\r\n", 64, 250, 12},
      {"ScrollSpeed=9\r\n", 9, 167, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ini);
    testing_support::WriteBytes(gProg.settingsFile, c.ini);
    UseScreenSettings(ReadSettings());
    EXPECT_EQ(gScreen.scrollSpeed, c.scrollSpeed);
    EXPECT_EQ(gScreen.timeSlice, c.timeSlice);
    EXPECT_EQ(gProg.laps, c.laps);
    for (auto [x, y] : {std::pair{10, 10}, std::pair{1919, 1079}}) {
      Pointer(x, y);
      for (int frame = 0; frame < 200; ++frame) {
        int labelX = gLabels.labels[0].x + gView.scrollX;
        EdgeScroll();
        ASSERT_GE(gView.scrollX, 0);
        ASSERT_LE(gView.scrollX, gView.maxScrollX);
        ASSERT_GE(gView.scrollY, 0);
        ASSERT_LE(gView.scrollY, gView.maxScrollY);
        ASSERT_EQ(gLabels.labels[0].x + gView.scrollX, labelX);
      }
    }
  }
  std::error_code ec;
  fs::remove_all(dir, ec);
}

TEST_F(Commands, TheWheelScrolls64PixelsANotchWithinTheCircuit) {
  gView.scrollY = gView.maxScrollY - 10;
  WheelScroll(-120);  // toward the user: down, but only to the edge
  EXPECT_EQ(gView.scrollY, gView.maxScrollY);
  EXPECT_EQ(gLabels.labels[0].y, 90);
  WheelScroll(240);
  EXPECT_EQ(gView.scrollY, gView.maxScrollY - 128);
  WheelScroll(60);  // less than a notch does nothing
  EXPECT_EQ(gView.scrollY, gView.maxScrollY - 128);
  gView.scrollY = 30;
  WheelScroll(120);
  EXPECT_EQ(gView.scrollY, 0);
}

TEST_F(Commands, CentringStartsTheViewOnAWholeCell) {
  CentreView(0, 0);
  EXPECT_EQ(gView.scrollX, 0);
  EXPECT_EQ(gView.scrollY, 0);
  CentreView(30, 20);
  EXPECT_EQ(gView.scrollX, (30 - 12) * 64);
  EXPECT_EQ(gView.scrollY, (20 - 8) * 64);
  EXPECT_EQ(gLabels.labels[0].x, 100 - (30 - 12) * 64);
  CentreView(59, 39);
  EXPECT_EQ(gView.scrollX, gView.maxScrollX);
  EXPECT_EQ(gView.scrollY, gView.maxScrollY);
}

TEST_F(Commands, CellsUnderThePointer) {
  int col = 5, row = 7;
  Pointer(1700, 10);  // the side panel
  CellUnderPointer(col, row);
  EXPECT_EQ(col, -1);
  EXPECT_EQ(row, 7);
  gView.scrollX = 100;
  Pointer(30, 70);
  CellUnderPointer(col, row);
  EXPECT_EQ(col, 2);
  EXPECT_EQ(row, 1);
  Base()(2, 1) = 45;  // not a track tile
  TrackCellUnderPointer(col, row);
  EXPECT_EQ(col, -1);
  Base().Resize(1, 1, 0);
  CellUnderPointer(col, row);
  EXPECT_EQ(col, -1);
}

// The menu against the game's real screens and requesters.
TEST(MainMenuFlow, FirstOpeningGreetsThenQuits) {
  fs::path game = testing_support::BuildGameDir();
  if (!fs::exists(game / "Theme" / "Frame.png") || !fs::exists(game / "Images" / "Tileset.png")) {
    GTEST_SKIP() << "the shipped art is not in the game folder yet";
  }
  fs::path dir = testing_support::CopyGameFolder("menu");
  fs::copy(game, dir, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
  fs::remove_all(dir / "Saved Races");
  testing_support::StartGameHeadless(1920, 1080, dir);
  EXPECT_EQ(gScreen.gameState, 4);
  static ButtonArray* menu = gElements.MenuButtons;
  static int frame = 0;
  frame = 0;
  // One step of input per menu frame, as a player would give it: the
  // greeting waits for Enter; a right click does nothing; the disabled
  // "Return" does nothing; then "Quit".
  gHooks.menuFrame = [] {
    auto click = [](int i, int button) {
      PlatPushMouseMove(menu->buttonX[i] + menu->buttonWidth / 2, menu->buttonY[i] + menu->buttonHeight / 2);
      PlatPushButtonUp(button);
    };
    switch (++frame) {
      case 1: PlatPushTypedKey(kKeyReturn, ""); break;
      case 2: click(0, 3); break;
      case 3: click(3, 1); break;
      case 4: click(2, 1); break;
      default: break;
    }
  };
  MainMenu();
  gHooks.menuFrame = nullptr;
  EXPECT_EQ(gScreen.gameState, 3);
  EXPECT_EQ(frame, 4);
  EXPECT_EQ(GetButtonState(menu, 3), 2);
  EXPECT_EQ(GetButtonState(menu, 1), 2);
  testing_support::StopGameHeadless();
  fs::remove_all(dir);
}

// The menu by the keys alone: "?" shows the help over the greeting and over
// the menu; the mark starts on the first button, Up and Down move it round
// the ends past the greyed ones ("Load Race" with nothing saved, "Return"
// with no race on), Return takes it. No race is on: no race buttons.
TEST(MainMenuFlow, KeysMoveOverTheMenuAndOpenTheHelp) {
  fs::path game = testing_support::BuildGameDir();
  if (!fs::exists(game / "Theme" / "Frame.png") || !fs::exists(game / "Images" / "Tileset.png")) {
    GTEST_SKIP() << "the shipped art is not in the game folder yet";
  }
  fs::path dir = testing_support::CopyGameFolder("menukeys");
  fs::copy(game, dir, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
  fs::remove_all(dir / "Saved Races");
  testing_support::StartGameHeadless(1024, 768, dir);
  static ButtonArray* menu = gElements.MenuButtons;
  static int frame = 0;
  static int helps = 0;
  static bool greeted = false;
  frame = helps = 0;
  greeted = false;
  auto press = [](int key) {
    PlatPushKey(key, true);
    PlatPushKey(key, false);
  };
  static void (*pressKey)(int) = press;
  // Inside the help: it closes with Escape.
  SetModalFrameHook([] {
    if (gHelp.textArea != nullptr && gHelp.textArea->hidden == 0) {
      ++helps;
      pressKey(kKeyEscape);
    }
  });
  gHooks.menuFrame = [] {
    switch (++frame) {
      case 1:  // the title screen
        PlatSaveScreenshot(testing_support::ArtifactDir() / "title_1024x768.png");
        PlatPushTypedKey(53, "?");
        break;
      case 2:  // still the title, after the help: any key goes on
        EXPECT_EQ(helps, 1);
        greeted = true;
        pressKey(kKeyReturn);
        break;
      case 3:
        EXPECT_TRUE(greeted);
        EXPECT_EQ(menu->focus, 0);
        EXPECT_NE(gElements.RaceButtons->hidden, 0);
        PlatSaveScreenshot(testing_support::ArtifactDir() / "menu_keys_1024x768.png");
        pressKey(kKeyDown);
        break;
      case 4: EXPECT_EQ(menu->focus, 2); pressKey(kKeyDown); break;
      case 5: EXPECT_EQ(menu->focus, 4); pressKey(kKeyDown); break;
      case 6: EXPECT_EQ(menu->focus, 5); pressKey(kKeyDown); break;
      case 7: EXPECT_EQ(menu->focus, 6); pressKey(kKeyDown); break;
      case 8: EXPECT_EQ(menu->focus, 0); pressKey(kKeyUp); break;
      case 9: EXPECT_EQ(menu->focus, 6); PlatPushTypedKey(53, "?"); break;
      case 10: EXPECT_EQ(helps, 2); pressKey(kKeyUp); break;
      case 11: EXPECT_EQ(menu->focus, 5); pressKey(kKeyUp); break;
      case 12: EXPECT_EQ(menu->focus, 4); pressKey(kKeyUp); break;
      case 13: EXPECT_EQ(menu->focus, 2); pressKey(kKeyReturn); break;
      default: break;
    }
  };
  MainMenu();
  gHooks.menuFrame = nullptr;
  SetModalFrameHook(nullptr);
  EXPECT_EQ(frame, 13);
  EXPECT_EQ(gScreen.gameState, 3) << "Quit";
  testing_support::StopGameHeadless();
  fs::remove_all(dir);
}
