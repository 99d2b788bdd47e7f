// The screen's whole-number scale: automatic on a 4K screen, set by
// "UIScale", and read as the nearest usable value when the screen cannot
// take it.
#include <gtest/gtest.h>

#include "game/init.h"
#include "game/main_menu.h"
#include "game/screens.h"
#include "game/track_view.h"
#include "game/view.h"
#include "minigui/mini_gui.h"
#include "platform/screen.h"
#include "race/define.h"
#include "race/save_load.h"
#include "screen_support.h"

namespace fs = std::filesystem;

namespace {
int ScaleWith(const std::string& setting, int width, int height) {
  fs::path game = testing_support::MakeTempDir("ui-scale");
  fs::copy(testing_support::BuildGameDir(), game, fs::copy_options::recursive);
  testing_support::WriteBytes(game / "The Velotrax.ini", setting);
  testing_support::StartGameHeadless(width, height, game);
  int scale = PlatUiScale();
  EXPECT_EQ(PlatScreenWidth(), width / scale);
  EXPECT_EQ(PlatScreenHeight(), height / scale);
  // Every panel stays on the screen the game draws in.
  EXPECT_LE(FrameRight(gElements.RaceFrame), PlatScreenWidth());
  // The side panel runs down to the foot (its last tile may run off it).
  EXPECT_LT(FrameBottom(gElements.RaceFrame), PlatScreenHeight() + 32);
  EXPECT_LE(FrameRight(gElements.MenuFrame), PlatScreenWidth());
  EXPECT_GE(FrameX(gElements.GearInfoFrame), 0);
  testing_support::StopGameHeadless();
  fs::remove_all(game);
  return scale;
}
}  // namespace

TEST(UiScale, AutomaticOnLargeScreensSetOrReadAsTheNearestUsable) {
  EXPECT_EQ(ScaleWith("", 1920, 1080), 1);
  EXPECT_EQ(ScaleWith("", 2560, 1440), 1);
  EXPECT_EQ(ScaleWith("UIScale = 0\r\n", 3840, 2160), 2);
  EXPECT_EQ(ScaleWith("UIScale = 1\r\n", 3840, 2160), 1);
  EXPECT_EQ(ScaleWith("UIScale = 99\r\n", 3840, 2160), 3) << "the largest that leaves 800 x 600";
  EXPECT_EQ(ScaleWith("UIScale = -4\r\n", 3840, 2160), 2) << "read as automatic";
  EXPECT_EQ(ScaleWith("UIScale = 2\r\n", 800, 600), 1);
  EXPECT_EQ(ScaleWith("", 7680, 4320), 4) << "an 8K screen looks like a 1920 x 1080 one";
}

// A 4K screen at scale 2 looks like a 1920 x 1080 one, twice as sharp: the
// menu over the race screen, for a reviewer.
TEST(UiScale, AFourKScreenShowsTheRaceScreenAtTwice) {
  fs::path game = testing_support::MakeTempDir("ui-scale-4k");
  fs::copy(testing_support::BuildGameDir(), game, fs::copy_options::recursive);
  testing_support::StartGameHeadless(3840, 2160, game);
  ASSERT_EQ(PlatUiScale(), 2);
  Load(gProg.circuitsFolder / "Harbour Loop.json");
  ShowLoadedCircuit();
  EXPECT_EQ(gView.trackViewWidth, 1920 - 256);
  SetPageHidden(2, 0);
  RenderFrame();
  PlatSaveScreenshot(testing_support::ArtifactDir() / "ui_scale_3840x2160_menu.png");
  SetPageHidden(2, 1);
  testing_support::StopGameHeadless();
  fs::remove_all(game);
}
