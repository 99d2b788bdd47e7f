// Every shipped circuit on a 1920 x 1080 screen with a full grid of cars and
// the side panel, with and without the grid overlay: screenshots for a
// reviewer under build/screenshots, and the checks a screenshot cannot make.
#include <gtest/gtest.h>

#include "race/car_data.h"
#include "race/define.h"
#include "game/track_view.h"
#include "race/save_load.h"
#include "platform/screen.h"
#include "platform/services.h"
#include "screen_support.h"
#include "game/view.h"

namespace fs = std::filesystem;

namespace {
bool ShippedArtPresent() {
  fs::path game = testing_support::BuildGameDir();
  for (const char* f : {"Images/Tileset.png", "Images/Cars.png", "Theme/Frame.png",
                        "Data/Requesters.txt", "Data/Race Track Data.csv"}) {
    if (!fs::exists(game / f)) return false;
  }
  return true;
}

// Lines the cars up behind the start line, two by two, as a grid would.
int PlaceFullGrid() {
  int placed = 0;
  int n = static_cast<int>(Node().size());
  for (auto& [key, car] : Car()) {
    int index = n - 1 - placed / 2;
    if (index < 0) break;
    NodeRecord& node = Node()[index];
    int lane = placed % 2;
    node.car[lane] = key;
    car.listInd = index;
    car.lane = lane;
    car.facing = node.facing;
    ++placed;
  }
  return placed;
}

// The view on the start tile, as following it would put it (a circuit that
// fits stays where the fitting put it).
void LookAtTheStart() {
  const NodeRecord& start = Node().back();
  CentreView(start.nodeX, start.nodeY);
}
}  // namespace

TEST(ShippedCircuits, ScreenshotsWithAFullGrid) {
  if (!ShippedArtPresent()) GTEST_SKIP() << "the shipped art is not in the game folder yet";
  testing_support::StartGameHeadless(1920, 1080);
  PlatCaptureFrames(true);
  std::vector<PlatFolderEntry> files;
  ASSERT_TRUE(PlatListFolder(gProg.circuitsFolder, "*.json", files));
  ASSERT_GE(files.size(), 5u);
  for (const auto& file : files) {
    SCOPED_TRACE(file.name);
    Load(gProg.circuitsFolder / file.name);
    ShowLoadedCircuit();
    LoadCarData();
    ASSERT_GE(Car().size(), 12u);
    int placed = PlaceFullGrid();
    EXPECT_EQ(placed, static_cast<int>(Car().size()));
    // Every car stands inside its cell, on a track tile.
    for (const auto& [key, car] : Car()) {
      const NodeRecord& node = Node()[car.listInd];
      EXPECT_GE(node.x[car.lane], 8);
      EXPECT_LE(node.x[car.lane], 56);
      EXPECT_GE(node.y[car.lane], 8);
      EXPECT_LE(node.y[car.lane], 56);
      int tile = Base()(node.nodeX, node.nodeY);
      EXPECT_TRUE(tile >= 0 && tile <= 39) << key;
    }
    LookAtTheStart();
    std::string stem = file.name.substr(0, file.name.size() - 5);
    Options().gridOn = 0;
    RenderFrame();
    EXPECT_TRUE(PlatSaveScreenshot(testing_support::ArtifactDir() / ("circuit " + stem + ".png")));
    Options().gridOn = 1;
    RenderFrame();
    EXPECT_TRUE(
        PlatSaveScreenshot(testing_support::ArtifactDir() / ("circuit " + stem + " grid.png")));
    Options().gridOn = 0;
  }
  PlatCaptureFrames(false);
}
