// The race on the real screens: the side panel during a race and the results
// page at its end, drawn with the shipped art (screenshots for a reviewer).
#include "../support/test_support.h"
#include "dialogs/requester.h"
#include "engine/analyze.h"
#include "engine/gui_init.h"
#include "engine/gui_manager.h"
#include "engine/init.h"
#include "engine/movement.h"
#include "engine/race_setup.h"
#include "engine/render.h"
#include "engine/save_load.h"
#include "engine/start_end.h"
#include "minigui/mini_gui.h"
#include "platform/platform.h"
#include "race_support.h"

namespace fs = std::filesystem;

class RaceScreen : public testing::Test {
 protected:
  void SetUp() override {
    fs::path built = testing_support::BuildGameDir();
    if (!fs::exists(built / "Theme" / "Frame.png") || !fs::exists(built / "Images" / "Tileset.png"))
      GTEST_SKIP() << "the shipped art is not in the game folder yet";
    game = testing_support::MakeTempDir("race-screen");
    fs::copy(built, game, fs::copy_options::recursive);
    testing_support::StartGameHeadless(1920, 1080, game);
  }
  void TearDown() override {
    gEndOfRace = EndOfRaceOptions{};
    gHooks = LoopHooks{};
    gElements = GameElements{};
    ResetRequesters();
    ResetMiniGUI();
    ResetProgramState();
    PlatShutdown();
    if (!game.empty()) fs::remove_all(game);
  }
  fs::path game;
};

TEST_F(RaceScreen, SidePanelDuringTheRaceAndTheResultsAtTheEnd) {
  gEndOfRace.unattended = true;
  PlatSeedRandom(3);
  Load(gProg.circuitsFolder / "Harbour Loop.json");
  gProg.raceName = "Harbour Loop";
  UnattendedRace race;
  race.laps = 2;
  ASSERT_TRUE(SetUpUnattendedRace(race));
  for (int i = 0; i < 300; ++i) RaceStep();
  ASSERT_FALSE(Standing().empty());
  const TextArea* info = gElements.RaceInfoArea;
  ASSERT_EQ(info->lines.size(), 7u);
  EXPECT_EQ(info->lines[0], gRace.currentCar);
  EXPECT_EQ(info->lines[1], Driver()[gRace.currentCar].name);
  EXPECT_EQ(gElements.StandingsArea->lines.size(), 12u) << "14 cars: the newest twelve lines";
  EXPECT_EQ(gElements.StandingsArea->lines.back().substr(0, 3), "14 ");
  EXPECT_FALSE(gElements.LogArea->lines.empty());
  RenderFrame();
  PlatSaveScreenshot(testing_support::ArtifactDir() / "race_side_panel.png");

  while (!Standing().empty()) RaceStep();
  // The standings view is the last one shown: every driver of the season.
  EXPECT_EQ(gElements.ResultsArea->lines.size(), Driver().size());
  EXPECT_EQ(GetButtonState(gElements.RaceButtons, 1), 2) << "no saving a finished race";
  SetPageHidden(3, 0);
  RenderFrame();
  PlatSaveScreenshot(testing_support::ArtifactDir() / "race_standings.png");
}

// After "Load Race" the side panel shows the running order and the current
// car at once, and "Auto Mode" shows what the loaded race does.
TEST_F(RaceScreen, AfterALoadTheSidePanelAndAutoModeFollowTheRace) {
  gEndOfRace.unattended = true;
  PlatSeedRandom(4);
  Load(gProg.circuitsFolder / "Puddleford Park.json");
  gProg.raceName = "Puddleford Park";
  UnattendedRace race;
  race.laps = 1;
  ASSERT_TRUE(SetUpUnattendedRace(race));
  for (int i = 0; i < 40; ++i) RaceStep();
  gProg.autoMode = 1;
  Save(gProg.savedRacesFolder / "Puddleford Park.json");
  const std::string current = gRace.currentCar;
  ClearTextArea(gElements.StandingsArea);
  ClearTextArea(gElements.RaceInfoArea);
  SetButtonState(gElements.RaceButtons, 0, 0);
  gProg.autoMode = 0;
  ResetRaceData();
  Load(gProg.savedRacesFolder / "Puddleford Park.json");
  ResumeLoadedRace();
  EXPECT_EQ(gProg.autoMode, 1);
  EXPECT_EQ(GetButtonState(gElements.RaceButtons, 0), 1);
  EXPECT_EQ(GetButtonState(gElements.RaceButtons, 1), 0);
  const std::vector<std::string>& shown = gElements.StandingsArea->lines;
  ASSERT_FALSE(shown.empty());
  EXPECT_EQ(shown.back(),
            Decimal(static_cast<long long>(Standing().size())) + " " + Standing().back().car);
  ASSERT_FALSE(gElements.RaceInfoArea->lines.empty());
  EXPECT_EQ(gRace.currentCar, current);
  gProg.autoMode = 0;
}
