#include "editor/test_drive.h"

#include <algorithm>
#include <cstdint>

#include "common/common.h"
#include "game/screen_settings.h"
#include "game/spritesheet.h"
#include "game/track_view.h"
#include "game/view.h"
#include "minigui/mini_gui.h"
#include "platform/screen.h"
#include "platform/services.h"
#include "race/define.h"
#include "race/movement.h"
#include "race/race_start.h"

namespace {
constexpr int kTestDriveLaps = 2;

struct Drive {
  const TestDriveScreen* screen = nullptr;
  bool over = false;
  int64_t nextStep = 0;
};
Drive gDrive;

int DriveRest() {
  if (CarsGliding()) return std::clamp(3 * FrameMsSoFar(), 15, 100);
  if (gDrive.over) return 1000;
  return static_cast<int>(
      std::clamp<int64_t>(gDrive.nextStep - PlatElapsedMilliseconds(), 0, 1000));
}

std::string FirstLine(const FatalError& error) {
  std::string text = error.what();
  return text.substr(0, text.find("\r\n"));
}

// The drive's own race: the circuit, cars and drivers of the race it is
// made from, its own dice, a commentary for the editor and no files.
Race DriveRace(const Race& from, const TestDriveScreen& screen, const std::string& name) {
  Race race;
  race.data = from.data;
  race.options.raceName = name.empty() ? "Test Drive" : name;
  race.options.keepFiles = true;  // a test drive writes nothing and scores nothing
  race.options.gridOn = from.options.gridOn;
  race.report.commentary = screen.say;
  UseOwnDice(race, static_cast<uint64_t>(PlatElapsedMilliseconds()));
  return race;
}

// Until the player ends it, or the drive stops on bad data.
void DriveLoop(const TestDriveScreen& screen) {
  for (bool going = true; going;) {
    for (int event = PlatNextWindowEvent(); event != kEventNone; event = PlatNextWindowEvent()) {
      if (PlatEventWindow() != gView.window) continue;
      if (event == kEventLeftButtonUp && PickButton(screen.back, PlatMouseX(), PlatMouseY()) == 0)
        going = false;
      if (event == kEventRightButtonUp || event == kEventCloseRequest) going = false;
    }
    PlatPollKeyboard();
    if (PlatKeyReleased(kKeyEscape)) going = false;
    if (!going) break;
    std::string typed = PlatTypedCharacters();
    if (typed == "+" || typed == "=" || typed == "-")
      ZoomAround(gView.zoom + (typed == "-" ? -kZoomStep : kZoomStep), gView.trackViewWidth / 2,
                 PlatScreenHeight() / 2);
    if (!gDrive.over && PlatElapsedMilliseconds() >= gDrive.nextStep) {
      gDrive.nextStep = PlatElapsedMilliseconds() + gScreen.timeSlice;
      try {
        RaceStep();
      } catch (const FatalError& error) {
        screen.tell("The test drive stopped: " + FirstLine(error));
        going = false;
      }
      if (Standing().empty() && !gDrive.over) {
        gDrive.over = true;
        screen.say("The flag has fallen. Esc goes back to the editor.");
      }
    }
    if (!PlatScreenActive()) LostDevice();
    screen.frame();
  }
}
}  // namespace

void RunTestDrive(const TestDriveScreen& screen, const std::string& name) {
  Race race = DriveRace(CurrentRace(), screen, name);
  RaceScope scope(race);
  gDrive = Drive{&screen, false, 0};
  const ViewState view = gView;
  const PlatRestWaker waker = PlatCurrentRestWaker();
  PlatSetRestWaker(DriveRest);
  const bool throws = FatalThrows();
  SetFatalThrows(true);
  std::string stopped;
  try {
    UnattendedRace unattended;
    unattended.laps = kTestDriveLaps;
    unattended.gridMode = 1;
    if (!SetUpUnattendedRace(unattended)) stopped = "none of the cars can start";
  } catch (const FatalError& error) {
    stopped = FirstLine(error);
  }
  gDrive.nextStep = PlatElapsedMilliseconds() + gScreen.timeSlice;
  if (stopped.empty()) DriveLoop(screen);
  SetFatalThrows(throws);
  if (!stopped.empty()) screen.tell("No test drive: " + stopped);
  PlatSetRestWaker(waker);
  gView = view;
  gDrive = Drive{};
}
