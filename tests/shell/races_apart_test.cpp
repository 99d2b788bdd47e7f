// A race run beside the player's (behind the menu, a test drive, the gear
// panel's play-out) never touches the player's race: on every shipped
// circuit, at several steps of a race, everything of the player's race value
// is the same before and after, its commentary and running order included.
#include <gtest/gtest.h>

#include <sstream>

#include "editor/test_drive.h"
#include "game/menu_race.h"
#include "game/screen_settings.h"
#include "game/screens.h"
#include "platform/screen.h"
#include "platform/services.h"
#include "race/define.h"
#include "race/gear_advice.h"
#include "race/movement.h"
#include "race/race_start.h"
#include "race/report.h"
#include "race/save_load.h"
#include "screen_support.h"

namespace fs = std::filesystem;

namespace {
std::vector<std::string> gCommentary;
int gOrders = 0;
void Hear(const std::string& line) {
  gCommentary.push_back(line);
}
void Order() {
  ++gOrders;
}

// Every member of a race value, written out as the race's own procedures
// see it (so a member that slipped out of the value shows too).
std::string Whole(Race& race) {
  RaceScope scope(race);
  std::ostringstream out;
  const RaceData& d = RaceNow();
  const RaceOptions& o = Options();
  const MoveEvents& events = CurrentMoveEvents();
  out << SaveDocument() << "\n"
      << d.currentCar << " " << d.currentNode << " " << d.currentCorner << " " << d.currentStanding
      << " " << d.choosingGear << " " << d.inCornerMark << " " << d.cornerMarkType << " "
      << d.labels.size() << " " << d.labelsLeftOut.size() << "\n"
      << o.laps << " " << o.raceName << " " << o.seasonName << " " << o.autoMode << " " << o.gridOn
      << " " << o.centerMode << " " << o.keepFiles << "\n"
      << events.offTheLine << events.spunOut << events.crashed << "\n"
      << reinterpret_cast<void*>(Report().commentary) << reinterpret_cast<void*>(Report().message)
      << reinterpret_cast<void*>(Report().runningOrder)
      << reinterpret_cast<void*>(Report().chooseGear) << "\n"
      << race.dice.own << reinterpret_cast<void*>(race.dice.tried) << race.dice.generator << "\n";
  for (const std::string& key : SelectedCars()) out << key << ",";
  for (const std::string& line : gCommentary) out << "\n" << line;
  out << "\n" << gOrders;
  return out.str();
}

// Where two long texts part, with a little of each.
std::string FirstDifference(const std::string& a, const std::string& b) {
  size_t i = 0;
  while (i < a.size() && i < b.size() && a[i] == b[i]) ++i;
  const size_t from = i < 80 ? 0 : i - 80;
  return "at " + std::to_string(i) + ":\n  was " + a.substr(from, 160) + "\n  now " +
         b.substr(from, 160);
}

void DriveFrame() {
  static int frames = 0;
  PlatAdvanceDrivenClock(gScreen.timeSlice + 1);
  if (++frames % 40 == 0) PlatPushTypedKey(kKeyEscape, "");
}
void Quiet(const std::string&) {}
int gDriveLines = 0;
void DriveLine(const std::string&) {
  ++gDriveLines;
}

// What runs beside the player's race in the game, each once.
void RunRacesBeside() {
  if (!Standing().empty()) AdviseGears(OfferGears().states);

  EnableMenuRace(true);
  StartMenuRace();
  for (int i = 0; i < 60; ++i) {
    PlatAdvanceDrivenClock(gScreen.timeSlice);
    StepMenuRace();
  }
  StopMenuRace();
  EnableMenuRace(false);

  TestDriveScreen screen;
  screen.back = gElements.RaceButtons;
  screen.say = DriveLine;
  screen.frame = DriveFrame;
  screen.tell = Quiet;
  RunTestDrive(screen, "Beside");
}
}  // namespace

TEST(RacesApart, NothingOfThePlayersRaceChangesOnAnyShippedCircuit) {
  fs::path game = testing_support::CopyGameFolder("races-apart");
  testing_support::StartGameHeadless(1024, 768, game);
  PlatSetDrivenClock(0);
  for (const fs::path& circuit : testing_support::ShippedCircuits()) {
    SCOPED_TRACE(circuit.stem().string());
    Report() = RaceReport{};
    Report().commentary = Hear;
    Report().runningOrder = Order;
    Load(game / "Circuits" / circuit.filename());
    Options().raceName = circuit.stem().string();
    PlatSeedRandom(7);
    UnattendedRace race;
    race.laps = 2;
    ASSERT_TRUE(SetUpUnattendedRace(race));
    for (int steps : {0, 41, 263, 977}) {
      for (int i = 0; i < steps && !Standing().empty(); ++i) RaceStep();
      SCOPED_TRACE(steps);
      const std::string before = Whole(PlayerRace());
      const int lines = gDriveLines, races = MenuRacesStarted();
      RunRacesBeside();
      const std::string after = Whole(PlayerRace());
      EXPECT_TRUE(after == before) << FirstDifference(before, after);
      EXPECT_GT(gDriveLines, lines) << "the test drive ran";
      EXPECT_GT(MenuRacesStarted(), races) << "the menu race ran";
    }
  }
  Report() = RaceReport{};
  PlatUseRealClock();
  testing_support::StopGameHeadless();
  fs::remove_all(game);
}
