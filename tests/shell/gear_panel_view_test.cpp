// The gear panel brings the car it asks about into view.
#include "game/gear_panel.h"
#include "game/view.h"
#include "platform/screen.h"
#include "race_support.h"
#include "screen_support.h"

using GearPanelView = RaceTest;

TEST_F(GearPanelView, TheViewGoesToTheCarUnlessItFollowsAPlace) {
  ResetViewState();  // the race fixture knows nothing of the view
  OpenScreen();
  LayStraight(100);
  AddCar("A");
  for (NodeRecord& node : Node()) node.x[0] = node.y[0] = 40;  // lane 0 in the cell's middle
  Put("A", 80, 0);
  gView.trackViewWidth = 768;
  gView.viewCols = 11;
  gView.viewRows = 12;
  gView.maxScrollX = 100 * 64 - 768 - 1;
  gView.scrollX = 0;
  Options().centerMode = 3;
  BringCurrentCarIntoView();
  EXPECT_EQ(gView.scrollX, 0) << "the view follows place 3";
  Options().centerMode = 0;
  BringCurrentCarIntoView();
  EXPECT_EQ(gView.scrollX, (80 - 5) * 64);
  // On screen already: the view stays.
  gView.scrollX = 70 * 64;
  BringCurrentCarIntoView();
  EXPECT_EQ(gView.scrollX, 70 * 64);
  // Just off the right edge of the track view.
  gView.scrollX = 80 * 64 + 40 - 768 + 10;
  BringCurrentCarIntoView();
  EXPECT_EQ(gView.scrollX, (80 - 5) * 64);
  // The fixture forgets the window: close it, so a later test can open its own.
  PlatShutdown();
}
