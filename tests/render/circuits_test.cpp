// Every shipped circuit on a 1920 x 1080 screen with a full grid of cars and
// the side panel, with and without the grid overlay: screenshots for a
// reviewer under build/screenshots, and the checks a screenshot cannot make.
#include <gtest/gtest.h>

#include "race/car_data.h"
#include "race/define.h"
#include "game/sprite_labels.h"
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

// The ground is kept in a backdrop and drawn again only when it changes: a
// frame drawn through it is the frame drawn the old way, pixel for pixel, on
// every shipped circuit, at every zoom step, at UI scale 1 and 2, with the
// grid on and off, cars gliding on top. Scroll, zoom, grid, scale and tile
// changes between frames must each show at once, never a stale ground.
TEST(ShippedCircuits, TheKeptGroundDrawsTheSamePixelsAsEveryFrameDrawingIt) {
  if (!ShippedArtPresent()) GTEST_SKIP() << "the shipped art is not in the game folder yet";
  testing_support::StartGameHeadless(1920, 1080);
  PlatCaptureFrames(true);
  std::vector<PlatFolderEntry> files;
  ASSERT_TRUE(PlatListFolder(gProg.circuitsFolder, "*.json", files));
  auto frame = [](bool cached) {
    SetGroundCache(cached);
    RenderFrame();
    return PlatScreenshotRgba();
  };
  int step = 0;
  for (const auto& file : files) {
    Load(gProg.circuitsFolder / file.name);
    LoadCarData();
    PlaceFullGrid();
    for (int zoom = kSmallestZoom; zoom <= kLargestZoom; zoom += kZoomStep, ++step) {
      const int scale = 1 + step % 2;
      const int grid = (step / 2) % 2;
      SCOPED_TRACE(file.name + " zoom " + std::to_string(zoom) + " scale " +
                   std::to_string(scale) + " grid " + std::to_string(grid));
      PlatSetUiScale(scale);
      SetViewGeometry(PlatScreenWidth(), PlatScreenHeight());
      ShowLoadedCircuit();
      ZoomAround(zoom, 0, 0);
      LookAtTheStart();
      Options().gridOn = grid;
      const std::vector<uint8_t> kept = frame(true);
      const std::vector<uint8_t> drawn = frame(false);
      ASSERT_FALSE(drawn.empty());
      if (kept != drawn) {
        frame(true);
        PlatSaveScreenshot(testing_support::ArtifactDir() / "kept ground differs.png");
        FAIL() << "the kept ground differs (build/screenshots/kept ground differs.png)";
      }
      EXPECT_TRUE(frame(true) == drawn) << "copied again";
      // Each change alone shows at once: the grid switch, a scroll by one
      // pixel.
      Options().gridOn = 1 - grid;
      EXPECT_TRUE(frame(true) == frame(false));
      if (step % 3 != 0) continue;
      gView.scrollX += 1;
      const std::vector<uint8_t> scrolled = frame(true);
      EXPECT_TRUE(scrolled == frame(false));
      EXPECT_FALSE(scrolled == drawn);
    }
  }
  // Drawn through the backdrop, a frame of the track view is the cars alone.
  PlatSetUiScale(1);
  SetViewGeometry(PlatScreenWidth(), PlatScreenHeight());
  ShowLoadedCircuit();
  SetGroundCache(false);
  PlatResetDrawStats();
  DrawTrackView();
  const uint64_t direct = PlatGetDrawStats().displays;
  SetGroundCache(true);
  DrawTrackView();
  PlatResetDrawStats();
  DrawTrackView();
  EXPECT_LE(PlatGetDrawStats().displays + 100, direct);
  // A cell the editor changes, or a label, is drawn at once.
  const std::vector<uint8_t> before = frame(true);
  Base()(0, 0) = Base()(0, 0) == 46 ? 47 : 46;
  const std::vector<uint8_t> edited = frame(true);
  EXPECT_FALSE(edited == before);
  EXPECT_TRUE(edited == frame(false));
  AddSpriteLabel("Kept", 0xFFFFFF, 40, 40);
  EXPECT_TRUE(frame(true) == frame(false));
  SetGroundCache(true);
  Options().gridOn = 0;
  PlatCaptureFrames(false);
}

namespace {
// A pixel of track asphalt: grey, neither grass nor gravel nor sand.
bool IsAsphaltPixel(const std::vector<uint8_t>& rgba, int x, int y) {
  const int w = PlatScreenWidth();
  const uint8_t* p = &rgba[(static_cast<size_t>(y) * w + x) * 4];
  const int r = p[0], g = p[1], b = p[2];
  return std::abs(r - g) < 14 && std::abs(g - b) < 14 && r > 50 && r < 130;
}
}  // namespace

// Where a diagonal ends in a cell's corner, its asphalt runs on into
// the cells round that corner: drawn, the road there is asphalt on all four
// sides of the corner point, whatever scenery the circuit put beside it. And
// no label box lies over the track or a grandstand, at 50, 75 and 100 % and
// at the zoom a 1920 x 1080 screen fits the circuit to.
TEST(ShippedCircuits, RoadsRunWholeThroughCornersAndLabelsStandOffTheTrack) {
  if (!ShippedArtPresent()) GTEST_SKIP() << "the shipped art is not in the game folder yet";
  testing_support::StartGameHeadless(1920, 1080);
  PlatCaptureFrames(true);
  std::vector<PlatFolderEntry> files;
  ASSERT_TRUE(PlatListFolder(gProg.circuitsFolder, "*.json", files));
  for (const auto& file : files) {
    SCOPED_TRACE(file.name);
    Load(gProg.circuitsFolder / file.name);
    ShowLoadedCircuit();
    const int fit = gView.zoom;
    ZoomAround(100, 0, 0);
    ClearSpriteLabels();
    for (auto& node : Node()) node.car[0].clear(), node.car[1].clear();
    std::vector<std::pair<int, int>> corners;  // in circuit pixels
    for (const NodeRecord& n : Node()) {
      const int tile = Base().Get(n.nodeX, n.nodeY, -1);
      if (tile < 0 || tile >= kTrackRows) continue;
      // Diagonals: both ends in a corner (a bend's corner end has kerbs there).
      const std::string& facing = Track()[tile].facing;
      auto cornerEnd = [](char c) { return c == '1' || c == '3' || c == '5' || c == '7'; };
      if (facing.size() != 3 || !cornerEnd(facing[0]) || !cornerEnd(facing[2])) continue;
      for (char c : facing) {
        if (!cornerEnd(c)) continue;
        corners.push_back({(n.nodeX + (c == '1' || c == '3' ? 1 : 0)) * kTileSize,
                           (n.nodeY + (c == '3' || c == '5' ? 1 : 0)) * kTileSize});
      }
    }
    std::vector<uint8_t> shot;
    int checked = 0;
    for (const auto& [cx, cy] : corners) {
      const int margin = 32;
      if (shot.empty() || ScreenX(cx) < margin || ScreenY(cy) < margin ||
          ScreenX(cx) >= gView.trackViewWidth - margin || ScreenY(cy) >= PlatScreenHeight() - margin) {
        CentreView(cx / kTileSize, cy / kTileSize);
        ClearSpriteLabels();
        RenderFrame();
        shot = PlatScreenshotRgba();
      }
      const int sx = ScreenX(cx), sy = ScreenY(cy);
      if (sx < 12 || sy < 12 || sx + 12 >= gView.trackViewWidth || sy + 12 >= PlatScreenHeight()) continue;
      for (const auto& [dx, dy] : {std::pair{10, 0}, {-10, 0}, {0, 10}, {0, -10}}) {
        if (!IsAsphaltPixel(shot, sx + dx, sy + dy)) {
          PlatSaveScreenshot(testing_support::ArtifactDir() / ("notch " + file.name + ".png"));
          ADD_FAILURE() << "no asphalt beside the corner at cell " << cx / kTileSize << ", "
                        << cy / kTileSize << " (" << dx << ", " << dy << ")";
        }
      }
      ++checked;
    }
    EXPECT_EQ(corners.empty(), checked == 0);
    // Labels: their boxes in circuit pixels at both zooms, cell by cell.
    auto coveredBad = [](int col, int row) {
      const int t = Base().Get(col, row, -1);
      return t < 0 || t < kFirstSceneryTile || (t >= 78 && t <= 83) || t == 50 || (t >= 58 && t <= 68);
    };
    for (const CircuitLabel& label : RaceNow().labels) {
      for (int zoom : {100, fit, 75, kSmallestZoom}) {
        const int width = static_cast<int>(label.text.size()) * LabelGlyphWidth(zoom) * 100 / zoom;
        const int height = LabelGlyphHeight(zoom) * 100 / zoom;
        for (int col = label.x / kTileSize; col <= (label.x + width - 1) / kTileSize; ++col)
          for (int row = label.y / kTileSize; row <= (label.y + height - 1) / kTileSize; ++row)
            EXPECT_FALSE(coveredBad(col, row))
                << "\"" << label.text << "\" at zoom " << zoom << " covers cell " << col << ", " << row;
      }
    }
  }
  PlatCaptureFrames(false);
}
