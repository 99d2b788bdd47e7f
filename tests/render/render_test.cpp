// The track view: which cells are visited, the drawing order, the cars'
// turn, the pop-up, and that a frame leaves the race as it found it.
#include <gtest/gtest.h>

#include "race/define.h"
#include "game/init.h"
#include "game/track_view.h"
#include "game/sprite_labels.h"
#include "game/spritesheet.h"
#include "platform/screen.h"
#include "platform/services.h"
#include "screen_support.h"
#include "game/view.h"
#include "game/screen_settings.h"

namespace {
unsigned TileColour(int n) {
  return ((n * 37 + 20) & 0xFF) | (((n * 91 + 40) & 0xFF) << 8) | (((n * 151 + 60) & 0xFF) << 16);
}

int SpriteFromImage(int image) {
  std::vector<uint8_t> png = PlatEncodeImagePng(image);
  PlatFreeImage(image);
  return PlatSpriteFromMemory(kAnySprite, png.data(), png.size());
}

// 88 opaque cells, each in its own colour.
int TileSheet() {
  int image = PlatCreateImage(kAnySprite, 512, 704, 0xFF000000);
  PlatStartDrawingImage(image);
  PlatDrawingMode(kDrawAllChannels);
  for (int n = 0; n < 88; ++n) PlatBox((n % 8) * 64, (n / 8) * 64, 64, 64, 0xFF000000 | TileColour(n));
  PlatStopDrawing();
  return SpriteFromImage(image);
}

// Cars 20 x 36 around the cell centre, nose (red) up, tail green.
int CarSheet() {
  int image = PlatCreateImage(kAnySprite, 512, 704, 0x00000000);
  PlatStartDrawingImage(image);
  PlatDrawingMode(kDrawAllChannels);
  for (int n = 0; n < 88; ++n) {
    int x = (n % 8) * 64 + 22, y = (n / 8) * 64 + 14;
    PlatBox(x, y, 20, 18, 0xFF0000FF);
    PlatBox(x, y + 18, 20, 18, 0xFF00FF00);
  }
  PlatStopDrawing();
  return SpriteFromImage(image);
}

// A white glyph sheet of 10 x 20 cells: every glyph a full white block.
int GlyphSheet() { return SpriteFromImage(PlatCreateImage(kAnySprite, 160, 280, 0xFFFFFFFF)); }

class TrackView : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    testing_support::EnsureHeadlessScreen(1920, 1080);
    gSheets.tilesetSprite = TileSheet();
    gSheets.carsSprite = CarSheet();
    gSheets.labelSheetSprite = GlyphSheet();
    gSheets.gridBoxSprite = MakeBoxSprite(64, 64, 0xFFC0C0C0u, 1);
    BuildCellTable(gSheets.cellX, gSheets.cellY, kSheetCells, 64, 64, 8);
    PlatCaptureFrames(true);
  }
  void SetUp() override {
    ResetRaceData();
    ++gView.generation;  // nothing glides on from another test
    SetViewGeometry(1920, 1080);
    gView.scrollX = gView.scrollY = 0;
    Options().gridOn = 0;
    InitSpriteLabels(gSheets.labelSheetSprite);
    ClearSpriteLabels();
  }
  // A cols x rows circuit whose Base cell (c, r) holds tile (c + r) % 40.
  void Circuit(int cols, int rows) {
    Base().Resize(cols, rows, 0);
    Middle().Resize(cols, rows, -1);
    Top().Resize(cols, rows, -1);
    for (int c = 0; c < cols; ++c)
      for (int r = 0; r < rows; ++r) Base()(c, r) = (c + r) % 40;
  }
  void AddCar(const std::string& key, int tile, int facing, int col, int row, int lane) {
    CarRecord car;
    car.tile = tile;
    car.facing = facing;
    Car()[key] = car;
    NodeRecord node;
    node.nodeX = col;
    node.nodeY = row;
    node.x[0] = 20;
    node.y[0] = 32;
    node.x[1] = 44;
    node.y[1] = 32;
    node.car[lane] = key;
    Node().push_back(node);
  }
  int Pixel(int x, int y) { return PlatScreenPixel(x, y); }
};
}  // namespace

TEST_F(TrackView, TheFirstColumnAtScrollX100StartsAt36PixelsLeft) {
  Circuit(40, 30);
  gView.scrollX = 100;
  RenderFrame();
  // Column 1 covers screen x -36..27, column 2 starts at 28.
  EXPECT_EQ(Pixel(0, 5), static_cast<int>(TileColour(1)));
  EXPECT_EQ(Pixel(27, 5), static_cast<int>(TileColour(1)));
  EXPECT_EQ(Pixel(28, 5), static_cast<int>(TileColour(2)));
}

TEST_F(TrackView, OnlyTheVisibleCellsOfTheCircuitAreVisited) {
  Circuit(100, 100);
  PlatResetDrawStats();
  DrawTileLayers();
  // 27 columns (x 0 to 1664 inclusive) by 17 rows (y 0 to 1080); Middle and
  // Top hold -1 everywhere and draw nothing.
  EXPECT_EQ(PlatGetDrawStats().displays, 27u * 17u);
  gView.scrollX = 100 * 64 - 1664 - 1;  // full scroll: the last columns only
  gView.scrollY = 100 * 64 - 1080 - 1;
  PlatResetDrawStats();
  DrawTileLayers();
  EXPECT_EQ(PlatGetDrawStats().displays, 27u * 17u);  // columns 73 to 99, rows 83 to 99
}

TEST_F(TrackView, ASmallCircuitLiesOnGroundAndEmptyCellsShowTheLayerBelow) {
  Circuit(3, 2);
  Middle()(1, 0) = 42;
  Middle()(2, 0) = 500;  // out of the table: nothing drawn, nothing read
  Top()(0, 1) = -7;
  gView.groundTile = 47;
  RenderFrame();
  // Beyond the circuit: its ground, never the bare screen.
  EXPECT_EQ(Pixel(3 * 64 + 5, 5), static_cast<int>(TileColour(47)));
  EXPECT_EQ(Pixel(5, 2 * 64 + 5), static_cast<int>(TileColour(47)));
  EXPECT_EQ(Pixel(gView.trackViewWidth - 1, PlatScreenHeight() - 1),
            static_cast<int>(TileColour(47)));
  EXPECT_EQ(Pixel(64 + 5, 5), static_cast<int>(TileColour(42)));
  EXPECT_EQ(Pixel(128 + 5, 5), static_cast<int>(TileColour(2)));
  EXPECT_EQ(Pixel(5, 64 + 5), static_cast<int>(TileColour(1)));
}

TEST_F(TrackView, LabelsCoverTilesAndCarsCoverLabels) {
  Circuit(4, 4);
  AddSpriteLabel("AB", 0x0000FF, 64, 64);  // two 10 x 20 red blocks
  AddCar("car", 0, 0, 1, 1, 0);  // lane 0 centre at (84, 96): the car spans x 74..93
  RenderFrame();
  EXPECT_EQ(Pixel(66, 70), 0x0000FF);   // label over the tile
  EXPECT_EQ(Pixel(80, 70), 0x0000FF);   // label (the car's nose starts at y 78)
  EXPECT_EQ(Pixel(80, 80), 0x0000FF);   // the car's red nose over the label
  EXPECT_EQ(Pixel(80, 100), 0x00FF00);  // its green tail over the tile
  EXPECT_EQ(Pixel(70, 100), static_cast<int>(TileColour(2)));
}

// Labels partly off the screen show their visible glyphs; glyphs and labels
// wholly off it are not drawn at all, however long or many.
TEST_F(TrackView, LabelsOffTheScreenCostNothing) {
  Circuit(4, 4);
  AddSpriteLabel("AB", 0x0000FF, -10, -10);  // B's lower right quarter shows
  RenderFrame();
  EXPECT_EQ(Pixel(0, 0), 0x0000FF);
  EXPECT_EQ(Pixel(9, 9), 0x0000FF);
  ClearSpriteLabels();

  auto labelDraws = [&] {
    PlatResetDrawStats();
    DrawSpriteLabels();
    return PlatGetDrawStats().displays;
  };
  const std::string longText(100000, 'X');
  AddSpriteLabel(longText, 0, 1900, 0);  // two glyphs on the screen
  AddSpriteLabel(longText, 0, 0, 1080);  // below it
  AddSpriteLabel(longText, 0, 0, -20);   // above it
  AddSpriteLabel("XYZ", 0, -30, 500);    // all three left of it
  AddSpriteLabel("XYZ", 0, -29, 500);    // the last glyph's first column shows
  EXPECT_EQ(labelDraws(), 3u);
}

TEST_F(TrackView, TheGridOutlinesOnlyTheCircuitsCells) {
  Circuit(2, 2);
  Options().gridOn = 1;
  RenderFrame();
  int onEdge = Pixel(64, 30);  // left border of cell (1, 0)
  EXPECT_NE(onEdge, static_cast<int>(TileColour(1)));
  EXPECT_EQ(Pixel(70, 30), static_cast<int>(TileColour(1)));  // inside: untouched
  // Beyond the circuit: ground, and no grid.
  EXPECT_EQ(Pixel(128, 30), static_cast<int>(TileColour(gView.groundTile)));
  EXPECT_EQ(Pixel(130, 0), static_cast<int>(TileColour(gView.groundTile)));
}

// A step of the race moves a car by a whole node; the track view draws it
// gliding there over the automatic-step interval (frames kept for a
// reviewer in build/screenshots).
TEST_F(TrackView, ACarGlidesFromNodeToNodeOverTheStepsTime) {
  Circuit(6, 3);
  AddCar("car", 0, 2, 1, 1, 0);  // facing east, centre (84, 96)
  NodeRecord next = Node()[0];
  next.nodeX = 2;
  next.car[0].clear();
  Node().push_back(next);
  Options().autoMode = 1;
  gScreen.timeSlice = 200;
  PlatSetDrivenClock(1000);
  RenderFrame();
  EXPECT_EQ(Pixel(84 + 12, 96), 0x0000FF) << "first seen where it stands";
  std::swap(Node()[0].car[0], Node()[1].car[0]);  // the race steps it on
  for (int frame = 0; frame <= 4; ++frame) {
    RenderFrame();
    PlatSaveScreenshot(testing_support::ArtifactDir() /
                       ("glide_" + std::to_string(frame) + ".png"));
    if (frame == 0) {
      EXPECT_EQ(Pixel(84 + 12, 96), 0x0000FF) << "it starts where it was";
    }
    if (frame == 2) {
      EXPECT_EQ(Pixel(116 + 12, 96), 0x0000FF) << "halfway at half the time";
    }
    EXPECT_EQ(CarsGliding(), frame < 4);
    PlatAdvanceDrivenClock(50);
  }
  EXPECT_EQ(Pixel(148 + 12, 96), 0x0000FF) << "and there at the end";
  EXPECT_FALSE(CarsGliding());
  // A jump of many cells (a load, a fast forward) is not glided.
  std::swap(Node()[0].car[0], Node()[1].car[0]);
  Node()[0].nodeX = 5;
  RenderFrame();
  EXPECT_EQ(Pixel(5 * 64 + 20 + 12, 96), 0x0000FF);
  PlatUseRealClock();
  Options().autoMode = 0;
}

TEST_F(TrackView, CarsAreTurnedClockwiseByTheirFacing) {
  Circuit(6, 6);
  AddCar("east", 0, 2, 1, 1, 0);   // centre (84, 96)
  AddCar("south", 1, 4, 3, 1, 0);  // centre (212, 96)
  AddCar("nw", 2, 7, 1, 3, 0);     // centre (84, 224)
  RenderFrame();
  EXPECT_EQ(Pixel(84 + 12, 96), 0x0000FF);  // nose to the east
  EXPECT_EQ(Pixel(84 - 12, 96), 0x00FF00);
  EXPECT_EQ(Pixel(212, 96 + 12), 0x0000FF);  // nose to the south
  EXPECT_EQ(Pixel(212, 96 - 12), 0x00FF00);
  EXPECT_EQ(Pixel(84 - 8, 224 - 8), 0x0000FF);  // nose to the north-west
  EXPECT_EQ(Pixel(84 + 8, 224 + 8), 0x00FF00);
  EXPECT_FLOAT_EQ(PlatSpriteAngle(gSheets.carsSprite), 0.0f);
}

TEST_F(TrackView, CarsWithUnknownKeysOrTilesDrawNothing) {
  Circuit(4, 4);
  AddCar("bad tile", 200, 0, 1, 1, 0);
  AddCar("negative", -3, 0, 2, 1, 0);
  Node()[0].car[1] = "nobody";
  PlatResetDrawStats();
  DrawCars();
  EXPECT_EQ(PlatGetDrawStats().displays, 0u);
}

TEST_F(TrackView, PopUpNamesTheCarsOfTheFirstNodeOnTheCell) {
  Circuit(6, 6);
  AddCar("Blue", 0, 0, 2, 2, 1);  // lane 0 free
  AddCar("Red", 1, 0, 3, 2, 0);
  Node()[1].car[1] = "Green";
  while (PlatNextWindowEvent() != kEventNone) {
  }
  auto textAt = [](int x, int y) {
    PlatPushMouseMove(x, y);
    while (PlatNextWindowEvent() != kEventNone) {
    }
    return PopUpText();
  };
  EXPECT_EQ(textAt(2 * 64 + 10, 2 * 64 + 10), "~Blue~");
  EXPECT_EQ(textAt(3 * 64 + 10, 2 * 64 + 10), "Red~Green~");
  EXPECT_EQ(textAt(4 * 64 + 10, 2 * 64 + 10), "");  // no node there
  Base()(2, 2) = 60;                                   // scenery: no pop-up
  EXPECT_EQ(textAt(2 * 64 + 10, 2 * 64 + 10), "");
  Circuit(40, 20);
  EXPECT_EQ(textAt(1700, 100), "");  // over the side panel
  PlatPushMouseLeave();
  while (PlatNextWindowEvent() != kEventNone) {
  }
}

TEST_F(TrackView, AFrameLeavesTheCurrentCarAndNodeAsItFoundThem) {
  Circuit(4, 4);
  AddCar("a", 0, 0, 1, 1, 0);
  AddCar("b", 1, 2, 2, 1, 1);
  SelectCar("b");
  SelectNode(0);
  RenderFrame();
  EXPECT_EQ(CurrentCarKey(), "b");
  EXPECT_EQ(RaceNow().currentNode, 0);
}
