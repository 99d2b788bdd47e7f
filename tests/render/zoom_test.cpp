// The view transform: every shipped circuit fitted and centred on small,
// full-HD and 4K screens, and picks and hover names that follow the zoom.
#include <gtest/gtest.h>

#include "game/keys.h"
#include "game/track_view.h"
#include "game/view.h"
#include "platform/screen.h"
#include "platform/services.h"
#include "race/analyze.h"
#include "race/define.h"
#include "race/save_load.h"
#include "screen_support.h"

namespace fs = std::filesystem;

namespace {
void LoadShipped(const fs::path& circuit) {
  SetProgramFolder(testing_support::BuildGameDir());
  LoadTrackTiles();
  Load(circuit);
  ShowLoadedCircuit();
}

void Pointer(int x, int y) {
  PlatPushMouseMove(x, y);
  while (PlatNextWindowEvent() != kEventNone) {
  }
}
}  // namespace

TEST(Zoom, EveryShippedCircuitFitsCentredOnEveryScreen) {
  for (auto [width, height] : {std::pair{1024, 768}, {1920, 1080}, {3840, 2160}}) {
    testing_support::EnsureHeadlessScreen(width, height);
    SetViewGeometry(width, height);
    for (const fs::path& circuit : testing_support::ShippedCircuits()) {
      SCOPED_TRACE(circuit.stem().string() + " at " + std::to_string(width));
      ResetRaceData();
      LoadShipped(circuit);
      const int zoom = gView.zoom;
      ASSERT_GE(zoom, kSmallestZoom);
      ASSERT_LE(zoom, kLargestZoom);
      EXPECT_EQ((zoom - kSmallestZoom) % kZoomStep, 0);
      const int w = Base().cols * CellPixels(), h = Base().rows * CellPixels();
      const bool fits = w <= gView.trackViewWidth && h <= height;
      EXPECT_TRUE(fits || zoom == kSmallestZoom);
      // The next step would not fit: this is the largest.
      if (zoom < kLargestZoom) {
        int cell = 64 * (zoom + kZoomStep) / 100;
        EXPECT_TRUE(Base().cols * cell > gView.trackViewWidth || Base().rows * cell > height);
      }
      // Centred where it fits (as much room left as right, above as
      // below); too large even at the smallest zoom, it scrolls from its
      // edge as a large circuit always has.
      EXPECT_EQ(ScreenX(0), w <= gView.trackViewWidth ? (gView.trackViewWidth - w) / 2 : 0);
      EXPECT_EQ(ScreenY(0), h <= height ? (height - h) / 2 : 0);
      if (!fits) continue;
      // Scrolling cannot move a circuit that fits.
      EdgeScroll();
      EXPECT_EQ(ScreenX(0), (gView.trackViewWidth - w) / 2);
    }
  }
}

// A car under the pointer is named at the smallest and the largest zoom, and
// zooming keeps the point under the pointer where it is.
TEST(Zoom, PicksAndHoverNamesFollowTheZoom) {
  testing_support::EnsureHeadlessScreen(1920, 1080);
  SetViewGeometry(1920, 1080);
  ResetRaceData();
  LoadShipped(testing_support::SourceDir() / "game" / "Circuits" / "Harbour Loop.json");
  NodeRecord& node = Node()[12];
  node.car[1] = "Comet";
  Car()["Comet"] = CarRecord{};
  const int midX = gView.trackViewWidth / 2, midY = 540;
  for (int zoom : {kSmallestZoom, kLargestZoom, 125}) {
    SCOPED_TRACE(zoom);
    ZoomAround(zoom, midX, midY);
    EXPECT_EQ(gView.zoom, zoom);
    CentreView(node.nodeX, node.nodeY);
    int x = ScreenX(node.nodeX * 64 + node.x[1]), y = ScreenY(node.nodeY * 64 + node.y[1]);
    ASSERT_GE(x, 0);
    ASSERT_LT(x, gView.trackViewWidth);
    Pointer(x, y);
    EXPECT_EQ(PopUpText(), "~Comet~");
    // Beside the car's cell, not that car.
    Pointer(ScreenX((node.nodeX + 2) * 64), y);
    EXPECT_NE(PopUpText(), "~Comet~");
  }
  // Zooming keeps the circuit point under the pointer where it is.
  ZoomAround(150, midX, midY);
  const int cx = CircuitX(midX), cy = CircuitY(midY);
  ZoomAround(175, midX, midY);
  EXPECT_NEAR(CircuitX(midX), cx, 1);
  EXPECT_NEAR(CircuitY(midY), cy, 1);
  // The keys zoom a step at a time, within the steps there are.
  ZoomAround(kLargestZoom, 100, 100);
  KeyCommand("+");
  EXPECT_EQ(gView.zoom, kLargestZoom);
  KeyCommand("-");
  EXPECT_EQ(gView.zoom, kLargestZoom - kZoomStep);
  ZoomAround(7, 100, 100);  // not a step: the nearest that is
  EXPECT_EQ(gView.zoom, kSmallestZoom);
  PlatShutdown();
}
