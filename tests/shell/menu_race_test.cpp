// The race behind the menu: races of computer cars one after another that
// leave every file of the game folder as it was, and make way for the
// player's race with nothing of theirs left behind.
#include <gtest/gtest.h>

#include <map>

#include "game/gear_panel.h"
#include "game/menu_race.h"
#include "game/screens.h"
#include "game/track_view.h"
#include "minigui/mini_gui.h"
#include "platform/screen.h"
#include "platform/services.h"
#include "race/define.h"
#include "race/race_end.h"
#include "race/report.h"
#include "screen_support.h"

namespace fs = std::filesystem;

namespace {
std::map<std::string, std::string> FilesOf(const fs::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& e : fs::recursive_directory_iterator(folder))
    files[fs::relative(e.path(), folder).string()] =
        e.is_regular_file() ? testing_support::ReadBytes(e.path()) : std::string("<folder>");
  return files;
}
}  // namespace

TEST(MenuRace, RacesBehindTheMenuWriteNothingAndMakeWay) {
  fs::path game = testing_support::MakeTempDir("menu-race");
  fs::copy(testing_support::BuildGameDir(), game, fs::copy_options::recursive);
  testing_support::StartGameHeadless(1920, 1080, game);
  const int laps = gProg.laps;
  const auto before = FilesOf(game);
  PlatSetDrivenClock(0);
  EnableMenuRace(true);
  StartMenuRace();
  ASSERT_TRUE(MenuRaceRunning());
  EXPECT_FALSE(Standing().empty());
  // The welcome box and the menu over it, for a reviewer.
  SetPageHidden(2, 0);
  PlatAdvanceDrivenClock(gProg.timeSlice * 40LL);
  for (int i = 0; i < 40; ++i) {
    PlatAdvanceDrivenClock(gProg.timeSlice);
    StepMenuRace();
  }
  RenderFrame();
  PlatSaveScreenshot(testing_support::ArtifactDir() / "menu_race_1920x1080.png");
  // Three races to their flags and into the next.
  long long steps = 0;
  while (MenuRacesStarted() < 4 && steps++ < 200000) {
    PlatAdvanceDrivenClock(gProg.timeSlice);
    StepMenuRace();
  }
  EXPECT_GE(MenuRacesStarted(), 4) << "one race after another";
  EXPECT_EQ(gEndOfRace.keepFiles, true);
  // "New Race": the race behind the menu makes way.
  StopMenuRace();
  PlatUseRealClock();
  EnableMenuRace(false);
  EXPECT_FALSE(MenuRaceRunning());
  EXPECT_TRUE(Standing().empty());
  for (const NodeRecord& node : Node()) EXPECT_TRUE(node.car[0].empty() && node.car[1].empty());
  EXPECT_EQ(gProg.laps, laps) << "the settings' laps, not the menu race's";
  EXPECT_FALSE(gEndOfRace.keepFiles);
  EXPECT_EQ(gReport.chooseGear, ChooseGearOnPanel) << "the race screen's report is back";
  EXPECT_EQ(FilesOf(game), before) << "not a byte of the game folder changed";
  SetPageHidden(2, 1);
  testing_support::StopGameHeadless();
  fs::remove_all(game);
}
