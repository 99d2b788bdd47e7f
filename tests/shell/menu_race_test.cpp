// The race behind the menu: races of computer cars one after another that
// leave every file of the game folder as it was, and make way for the
// player's race with nothing of theirs left behind.
#include <gtest/gtest.h>

#include <map>

#include "game/gear_panel.h"
#include "game/menu_race.h"
#include "game/screens.h"
#include "game/sounds.h"
#include "game/track_view.h"
#include "minigui/mini_gui.h"
#include "platform/screen.h"
#include "platform/services.h"
#include "race/define.h"
#include "race/race_end.h"
#include "race/report.h"
#include "race/save_load.h"
#include "screen_support.h"
#include "game/screen_settings.h"

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

namespace {
int gBoxes = 0;
void CountBox(const std::string&) { ++gBoxes; }

// Steps the race behind the menu until `races` more have begun (or it
// stops); how many did.
int RunMenuRaces(int races) {
  const int first = MenuRacesStarted();
  long long steps = 0;
  while (MenuRaceRunning() && MenuRacesStarted() - first < races && steps++ < 200000) {
    PlatAdvanceDrivenClock(gScreen.timeSlice);
    StepMenuRace();
  }
  return MenuRacesStarted() - first;
}

struct MenuRaceGame {
  fs::path game = testing_support::MakeTempDir("menu-race");
  MenuRaceGame() {
    fs::copy(testing_support::BuildGameDir(), game, fs::copy_options::recursive);
    testing_support::StartGameHeadless(1920, 1080, game);
    PlatSetDrivenClock(0);
    EnableMenuRace(true);
    gBoxes = 0;
    Report().message = CountBox;
  }
  ~MenuRaceGame() {
    StopMenuRace();
    PlatUseRealClock();
    EnableMenuRace(false);
    testing_support::StopGameHeadless();
    fs::remove_all(game);
  }
};
}  // namespace

TEST(MenuRace, RacesBehindTheMenuWriteNothingAndMakeWay) {
  MenuRaceGame g;
  const std::string playersRace = SaveDocument();
  const auto before = FilesOf(g.game);
  StartMenuRace();
  ASSERT_TRUE(MenuRaceRunning());
  ASSERT_NE(MenuRaceValue(), nullptr);
  EXPECT_FALSE(MenuRaceValue()->data.standing.empty());
  EXPECT_TRUE(Standing().empty()) << "the player's race stays empty";
  // The welcome box and the menu over it, for a reviewer.
  SetPageHidden(2, 0);
  PlatAdvanceDrivenClock(gScreen.timeSlice * 40LL);
  for (int i = 0; i < 40; ++i) {
    PlatAdvanceDrivenClock(gScreen.timeSlice);
    StepMenuRace();
  }
  WithMenuRace(RenderFrame);
  PlatSaveScreenshot(testing_support::ArtifactDir() / "menu_race_1920x1080.png");
  // Three races to their flags and into the next.
  EXPECT_EQ(RunMenuRaces(3), 3) << "one race after another";
  EXPECT_TRUE(MenuRaceValue()->options.keepFiles);
  EXPECT_EQ(MenuRaceValue()->report.event, nullptr) << "unheard unless MenuRaceSound=1";
  // "New Race": the race behind the menu makes way.
  StopMenuRace();
  EXPECT_FALSE(MenuRaceRunning());
  EXPECT_EQ(SaveDocument(), playersRace) << "the player's race was never touched";
  EXPECT_FALSE(Options().keepFiles);
  EXPECT_EQ(Report().event, HearRaceEvent) << "the race screen's report is the player's";
  EXPECT_EQ(gBoxes, 0);
  EXPECT_EQ(FilesOf(g.game), before) << "not a byte of the game folder changed";
  SetPageHidden(2, 1);
}

// A player's circuit that cannot be raced, beside the shipped ones or alone,
// and a car table with no drivers: the race behind the menu skips what it
// cannot race, or rests, and never shows a box.
TEST(MenuRace, SkipsWhatItCannotRaceAndShowsNoBox) {
  {
    MenuRaceGame g;
    testing_support::WriteBytes(g.game / "Circuits" / "My Track.json", "{\"Base\": 1}");
    StartMenuRace();
    EXPECT_EQ(RunMenuRaces(12), 12) << "the shipped circuits go on being raced";
    EXPECT_EQ(gBoxes, 0);
  }
  {
    MenuRaceGame g;
    for (const auto& e : fs::directory_iterator(g.game / "Circuits")) fs::remove(e.path());
    testing_support::WriteBytes(g.game / "Circuits" / "My Track.json", "{\"Base\": 1}");
    StartMenuRace();
    EXPECT_FALSE(MenuRaceRunning()) << "nothing to race: the board rests";
    EXPECT_EQ(gBoxes, 0);
  }
  {
    MenuRaceGame g;
    testing_support::WriteBytes(g.game / "Data" / "Drivers.csv", "");
    const int started = MenuRacesStarted();
    StartMenuRace();
    EXPECT_FALSE(MenuRaceRunning()) << "no car can start anywhere: the board rests";
    EXPECT_EQ(MenuRacesStarted(), started);
    EXPECT_EQ(gBoxes, 0);
  }
}
