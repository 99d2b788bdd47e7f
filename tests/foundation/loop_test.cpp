// The race-screen loop's order and timing, the sheets, the box sprite, the
// lost-device recovery and the debug overlay.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include "common/common.h"
#include "game/debug.h"
#include "race/define.h"
#include "game/init.h"
#include "game/main_loop.h"
#include "game/spritesheet.h"
#include "platform/screen.h"
#include "platform/services.h"
#include "platform/png_codec.h"
#include "screen_support.h"
#include "game/view.h"
#include "game/screen_settings.h"

namespace fs = std::filesystem;
using testing_support::SolidPng;
using testing_support::WriteBytes;

namespace {
std::vector<std::string> gCalls;
int gSteps = 0;

class Loop : public ::testing::Test {
 protected:
  void SetUp() override {
    testing_support::EnsureHeadlessScreen(1920, 1080);
    int window = gView.window;
    ResetProgramState();
    gView.window = window;
    SetViewGeometry(PlatScreenWidth(), PlatScreenHeight());
    gCalls.clear();
    gSteps = 0;
    saved = gHooks;
    gHooks = LoopHooks{};
    gHooks.leftClick = [] { gCalls.push_back("left"); };
    gHooks.rightClick = [] { gCalls.push_back("right"); };
    gHooks.keyboardCommands = [] {
      PlatPollKeyboard();
      gCalls.push_back("keys");
    };
    gHooks.edgeScroll = [] { gCalls.push_back("scroll"); };
    gHooks.raceStep = [] {
      ++gSteps;
      gCalls.push_back("step");
      PlatAdvanceDrivenClock(30);  // a step takes time; the next is spaced from its end
    };
    gHooks.lostDevice = [] { gCalls.push_back("lost"); };
    gHooks.renderFrame = [] { gCalls.push_back("frame"); };
    while (PlatNextWindowEvent() != kEventNone) {
    }
  }
  void TearDown() override {
    gHooks = saved;
    PlatUseRealClock();
  }
  LoopHooks saved;
};
}  // namespace

TEST_F(Loop, GeometryFollowsTheScreen) {
  EXPECT_EQ(gView.trackViewWidth, 1664);
  EXPECT_EQ(gView.viewCols, 25);
  EXPECT_EQ(gView.viewRows, 16);
  EXPECT_EQ(1080 / 18 - 1, 59);  // the debug overlay's lines at this height
}

TEST_F(Loop, APassRunsItsStepsInOrderAndIgnoresTheCloseRequest) {
  PlatSetDrivenClock(1000);
  Options().autoMode = 1;
  gScreen.timeSlice = 100;
  gScreen.nextStepTime = 0;
  PlatPushButtonUp(1);
  PlatPushWindowEvent(kEventCloseRequest);
  PlatPushButtonUp(3);
  RaceScreenPass();
  EXPECT_EQ(gCalls, (std::vector<std::string>{"left", "right", "keys", "scroll", "step", "frame"}));
  EXPECT_EQ(gScreen.nextStepTime, 1030 + 100);
  EXPECT_NE(gScreen.gameState, 3);
}

TEST_F(Loop, AutomaticStepsAreSpacedByTheTimeSlice) {
  PlatSetDrivenClock(0);
  Options().autoMode = 1;
  gScreen.timeSlice = 100;
  RaceScreenPass();  // the first step runs at once
  EXPECT_EQ(gSteps, 1);
  PlatAdvanceDrivenClock(99);  // 129: the step ended at 30, next due at 130
  RaceScreenPass();
  EXPECT_EQ(gSteps, 1);
  PlatAdvanceDrivenClock(500);  // long overdue: still only one step per pass
  RaceScreenPass();
  EXPECT_EQ(gSteps, 2);
  RaceScreenPass();
  EXPECT_EQ(gSteps, 2);
  Options().autoMode = 0;
  PlatAdvanceDrivenClock(1000);
  RaceScreenPass();
  EXPECT_EQ(gSteps, 2);
}

TEST_F(Loop, ZeroOrNegativeTimeSliceStepsOnEveryPass) {
  for (int slice : {0, -50}) {
    PlatSetDrivenClock(0);
    gHooks.raceStep = [] { ++gSteps; };  // a step that takes no time at all
    gSteps = 0;
    Options().autoMode = 1;
    gScreen.timeSlice = slice;
    gScreen.nextStepTime = 0;
    for (int i = 0; i < 5; ++i) RaceScreenPass();
    EXPECT_EQ(gSteps, 5) << slice;
  }
}

TEST_F(Loop, TheLoopEndsOnlyAfterTheFrameOfThePassThatAskedForTheMenu) {
  gHooks.edgeScroll = [] {
    gCalls.push_back("scroll");
    if (gCalls.size() > 6) gScreen.gameState = 1;
  };
  gScreen.gameState = 2;
  RaceScreenLoop();
  ASSERT_FALSE(gCalls.empty());
  EXPECT_EQ(gCalls.back(), "frame");
  EXPECT_EQ(gScreen.gameState, 1);
}

TEST_F(Loop, AnInactiveScreenIsRecoveredBeforeTheFrame) {
  PlatSimulateDeviceLoss();
  RaceScreenPass();
  EXPECT_EQ(gCalls, (std::vector<std::string>{"keys", "scroll", "lost", "frame"}));
  ASSERT_TRUE(PlatOpenScreen(gView.window, 0, 0, 1920, 1080));
}

TEST(Sheets, CellTable) {
  int x[88], y[88];
  BuildCellTable(x, y, 88, 64, 64, 8);
  EXPECT_EQ(x[0], 0);
  EXPECT_EQ(y[0], 0);
  EXPECT_EQ(x[9], 64);
  EXPECT_EQ(y[9], 64);
  EXPECT_EQ(x[87], 448);
  EXPECT_EQ(y[87], 640);
}

TEST(Sheets, BoxSpriteIsAnOutlineOrAFilledSquare) {
  testing_support::EnsureHeadlessScreen(1920, 1080);
  // Read back through the same encoder the sprite was made from.
  for (int outline : {1, 0}) {
    int image = PlatCreateImage(kAnySprite, 64, 64, 0);
    PlatStartDrawingImage(image);
    PlatDrawingMode(kDrawAllChannels | (outline ? kDrawOutlined : 0));
    PlatBox(0, 0, 64, 64, 0xFFC0C0C0u);
    PlatStopDrawing();
    std::vector<uint8_t> png = PlatEncodeImagePng(image);
    PlatFreeImage(image);
    RgbaImage px;
    ASSERT_TRUE(DecodePng(png.data(), png.size(), px));
    int opaque = 0, clear = 0;
    for (int yy = 0; yy < 64; ++yy) {
      for (int xx = 0; xx < 64; ++xx) {
        const uint8_t* p = &px.pixels[(yy * 64 + xx) * 4];
        bool edge = xx == 0 || yy == 0 || xx == 63 || yy == 63;
        if (p[3] == 0xFF) {
          ++opaque;
          EXPECT_EQ(p[0], 0xC0);
          EXPECT_EQ(p[1], 0xC0);
          EXPECT_EQ(p[2], 0xC0);
        } else {
          ++clear;
          EXPECT_EQ(p[3], 0);
        }
        if (outline) {
          EXPECT_EQ(p[3] == 0xFF, edge) << xx << "," << yy;
        }
      }
    }
    EXPECT_EQ(opaque, outline ? 64 * 64 - 62 * 62 : 64 * 64);
    EXPECT_EQ(clear, outline ? 62 * 62 : 0);
  }
  // And the sprite the game makes with it draws exactly that outline.
  int box = MakeBoxSprite(64, 64, 0xFFC0C0C0u, 1);
  EXPECT_EQ(PlatSpriteWidth(box), 64);
  PlatClearScreen(0x000000);
  PlatDisplaySprite(box, 100, 100);
  EXPECT_EQ(PlatScreenPixel(100, 100), 0xC0C0C0);
  EXPECT_EQ(PlatScreenPixel(163, 130), 0xC0C0C0);
  EXPECT_EQ(PlatScreenPixel(101, 101), 0x000000);
  EXPECT_EQ(PlatScreenPixel(164, 130), 0x000000);
  PlatFreeSprite(box);
}

namespace {
int gReloads = 0;
}

TEST(Sheets, LostDeviceWaitsThenReloadsEverySprite) {
  testing_support::EnsureHeadlessScreen(1920, 1080);
  fs::path dir = testing_support::MakeTempDir("lost");
  fs::create_directories(dir / "Images");
  fs::create_directories(dir / "Theme");
  for (const char* name : {"Terminal 14", "Tileset", "Cars"}) {
    WriteBytes(dir / "Images" / (std::string(name) + ".png"), SolidPng(128, 64, 0xFF00FF00));
  }
  WriteBytes(dir / "Theme" / "Terminal 14.png", SolidPng(160, 280, 0xFFFFFFFF));
  int window = gView.window;
  ResetProgramState();
  gView.window = window;
  SetProgramFolder(dir);
  LoadSpriteSheets();
  InitDebugText((dir / "Theme" / "Terminal 14.png").string());
  int extra = PlatCreateSprite(kAnySprite, 4, 4);  // anything else: freed with the rest

  // A close request ends the wait without touching the screen.
  PlatSimulateDeviceLoss();
  PlatPushWindowEvent(kEventCloseRequest);
  gScreen.gameState = 1;
  LostDevice();
  EXPECT_EQ(gScreen.gameState, 2);
  EXPECT_FALSE(PlatScreenActive());
  EXPECT_TRUE(PlatIsSprite(extra));

  // Other events keep it waiting; a repaint ends it, and every image is back.
  gReloads = 0;
  ClearReloadHooks();
  AddReloadHook([] { ++gReloads; });
  PlatPushButtonUp(1);
  PlatPushWindowEvent(kEventRepaint);
  LostDevice();
  EXPECT_TRUE(PlatScreenActive());
  EXPECT_FALSE(PlatIsSprite(extra));
  EXPECT_EQ(gReloads, 1);
  for (int s : {gSheets.tilesetSprite, gSheets.carsSprite, gSheets.labelSheetSprite,
                gSheets.gridBoxSprite, gDebug.sheet}) {
    EXPECT_TRUE(PlatIsSprite(s));
  }
  EXPECT_EQ(PlatSpriteWidth(gSheets.tilesetSprite), 128);
  EXPECT_EQ(PlatSpriteWidth(gDebug.sheet), 160);
  ClearReloadHooks();
  fs::remove_all(dir);
}

TEST(Sheets, FatalMessagesNameTheFile) {
  testing_support::EnsureHeadlessScreen(1920, 1080);
  fs::path dir = testing_support::MakeTempDir("sheet");
  SetProgramFolder(dir);
  fs::create_directories(dir / "Images");
  auto message = [](auto f) {
    try {
      f();
    } catch (const FatalError& e) {
      return std::string(e.what());
    }
    return std::string();
  };
  std::string file = (dir / "Images" / "Cars.png").string();
  EXPECT_EQ(message([] { Load1SpriteSheet("Cars"); }).rfind(
                "could not find spritesheet: " + file + "\r\nSpritesheet in Load1SpriteSheet @ ", 0),
            0u);
  fs::create_directories(dir / "Images" / "Cars.png");  // a folder is no sheet either
  EXPECT_EQ(message([] { Load1SpriteSheet("Cars"); }).rfind("could not find spritesheet: ", 0), 0u);
  fs::remove_all(dir / "Images" / "Cars.png");
  WriteBytes(file, std::string("\x89PNG\r\n\x1a\n", 8) + "truncated");
  EXPECT_EQ(message([] { Load1SpriteSheet("Cars"); }).rfind(
                "could not load spritesheet: " + file + "\r\nSpritesheet in Load1SpriteSheet @ ", 0),
            0u);
  std::string theme = (dir / "nothing.png").string();
  EXPECT_EQ(message([&] { InitDebugText(theme); }).rfind(
                "could not find spritesheet: " + theme + "\r\nDebug mod in Load1SpriteSheet @ ", 0),
            0u);
  WriteBytes(theme, "text");
  EXPECT_EQ(message([&] { InitDebugText(theme); }).rfind(
                "could not load spritesheet: " + theme + "\r\nDebug mod in Load1SpriteSheet @ ", 0),
            0u);
  fs::remove_all(dir);
}

TEST(DebugOverlay, KeepsTheNewestLinesAndCutsLongOnes) {
  testing_support::EnsureHeadlessScreen(1920, 1080);
  fs::path dir = testing_support::MakeTempDir("debug");
  WriteBytes(dir / "font.png", SolidPng(160, 280, 0xFFFFFFFF));  // 10 x 20 glyphs
  InitDebugText((dir / "font.png").string());
  EXPECT_EQ(gDebug.glyphWidth, 10);
  EXPECT_EQ(gDebug.glyphHeight, 20);
  EXPECT_EQ(gDebug.glyphX[17], 10);
  EXPECT_EQ(gDebug.glyphY[17], 20);
  SetDebugTextArea(10, 10, 30, 3, 0xFFFFFF);
  ClearDebugLines();
  for (const char* line : {"one", "two", "three", "four", "five"}) AddDebugLine(line);
  EXPECT_EQ(gDebug.textLines, (std::vector<std::string>{"three", "four", "five"}));
  ClearDebugLines();
  AddDebugLine(std::string(45, 'x'));
  AddDebugLine(std::string("\x01\x1f", 2));  // no glyph below code 32: nothing read, nothing drawn
  PlatResetDrawStats();
  PlatClearScreen(0);
  DrawDebugLines();
  EXPECT_EQ(PlatGetDrawStats().displays, 30u);
  EXPECT_EQ(PlatScreenPixel(10 + 299, 15), 0xFFFFFF);
  EXPECT_EQ(PlatScreenPixel(10 + 300, 15), 0x000000);
  ClearDebugLines();
  fs::remove_all(dir);
}

namespace {
std::string ReadAll(int fd) {
  std::string out;
  char buf[256];
  ssize_t n;
  while ((n = read(fd, buf, sizeof buf)) > 0) out.append(buf, n);
  close(fd);
  return out;
}
}  // namespace

TEST(FatalConvention, MessageFormAndThrowingForTests) {
  EXPECT_EQ(FatalMessage("could not open window", "Init", "", 42),
            "could not open window\r\nInit in  @ 42");
  try {
    FATAL("bad", "Data File mod", "LoadText");
    FAIL();
  } catch (const FatalError& e) {
    EXPECT_EQ(std::string(e.what()), "bad\r\nData File mod in LoadText @ " + std::to_string(__LINE__ - 3));
  }
}

TEST(FatalConvention, EndsTheProgramWithStatusOneAndTheTextOnStderr) {
  int pipes[2];
  ASSERT_EQ(pipe(pipes), 0);
  pid_t child = fork();
  if (child == 0) {
    dup2(pipes[1], 2);
    SetFatalThrows(false);
    setenv("VELOTRAX_NO_MESSAGE_BOX", "1", 1);
    Fatal("could not read *.ini file", "Init", "", 7);
  }
  close(pipes[1]);
  std::string text = ReadAll(pipes[0]);
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 1);
  EXPECT_EQ(text, "could not read *.ini file\r\nInit in  @ 7\n");
}

TEST(FatalConvention, RunTimeFaultsAreReportedToo) {
  for (int sig : {SIGSEGV, SIGFPE, SIGABRT}) {
    int pipes[2];
    ASSERT_EQ(pipe(pipes), 0);
    pid_t child = fork();
    if (child == 0) {
      dup2(pipes[1], 2);
      InstallFaultHandler();
      raise(sig);
      _exit(0);
    }
    close(pipes[1]);
    std::string text = ReadAll(pipes[0]);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status)) << sig;
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_EQ(text.rfind("Fatal Error: ", 0), 0u) << text;
    EXPECT_NE(text.find("\r\n"), std::string::npos);
  }
}
