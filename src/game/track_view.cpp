#include "game/track_view.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <string>

#include "common/common.h"
#include "game/debug.h"
#include "game/hooks.h"
#include "race/define.h"
#include "game/screens.h"
#include "game/setup_dialogs.h"
#include "game/side_panel.h"
#include "game/mouse.h"
#include "game/sprite_labels.h"
#include "minigui/mini_gui.h"
#include "platform/screen.h"
#include "platform/services.h"
#include "game/view.h"
#include "game/spritesheet.h"
#include "game/screen_settings.h"

namespace {
// Visits the cells of the circuit that are on screen, from the first visible
// cell to the circuit's edge or the screen's, whichever comes first, calling
// visit(col, row, sx, sy) with the cell's screen position. Nothing outside
// Base() is ever looked at.
// A sheet at the present zoom: a copy scaled once, whose cells are drawn one
// to one (scaling every cell at every draw costs a software renderer three
// times the frame). The sheet itself at 100 %.
struct ScaledSheet {
  int source = 0;
  int zoom = 0;
  int sprite = 0;
};
std::vector<ScaledSheet> gScaledSheets;

int SheetAtZoom(int sheet) {
  if (gView.zoom == 100 || sheet == 0) return sheet;
  const int width = PlatSpriteWidth(sheet) * gView.zoom / 100;
  const int height = PlatSpriteHeight(sheet) * gView.zoom / 100;
  for (ScaledSheet& scaled : gScaledSheets) {
    if (scaled.source != sheet) continue;
    // A lost screen frees every sprite: a copy that is gone or changed is
    // made again.
    if (scaled.zoom == gView.zoom && PlatIsSprite(scaled.sprite) &&
        PlatSpriteWidth(scaled.sprite) == width && PlatSpriteHeight(scaled.sprite) == height)
      return scaled.sprite;
    if (PlatIsSprite(scaled.sprite)) PlatFreeSprite(scaled.sprite);
    scaled.zoom = gView.zoom;
    scaled.sprite = PlatScaledSpriteCopy(sheet, width, height);
    return scaled.sprite != 0 ? scaled.sprite : sheet;
  }
  gScaledSheets.push_back({sheet, gView.zoom, PlatScaledSpriteCopy(sheet, width, height)});
  return gScaledSheets.back().sprite != 0 ? gScaledSheets.back().sprite : sheet;
}

}  // namespace

void ForgetScaledSheets() {
  // A screen opened again freed them with every other sprite; their numbers
  // may already be another's. The ground drawn from them goes too.
  gScaledSheets.clear();
  PlatForgetBackdrop();
}

namespace {
// Draws cell t of a sheet (64-pixel cells) at a screen position, a cell of
// the present zoom large.
void DrawSheetCell(int sheet, int x0, int y0, int sx, int sy) {
  const int cell = CellPixels();
  const int scaled = SheetAtZoom(sheet);
  if (scaled != sheet) {
    PlatClipSprite(scaled, x0 * gView.zoom / 100, y0 * gView.zoom / 100, cell, cell);
    PlatDisplaySprite(scaled, sx, sy);
  } else {
    PlatClipSprite(sheet, x0, y0, kTileSize, kTileSize);
    PlatDisplaySpriteSized(sheet, sx, sy, cell, cell);
  }
}

template <typename Visit>
void ForVisibleCells(Visit visit) {
  const Grid& base = Base();
  const int cell = CellPixels();
  if (cell <= 0) return;
  // The first column and row on screen (a centred circuit starts inside it).
  int col0 = Max(CircuitX(0) / kTileSize, 0);
  int row0 = Max(CircuitY(0) / kTileSize, 0);
  const int right = gView.trackViewWidth, bottom = PlatScreenHeight();
  for (int col = col0; col < base.cols; ++col) {
    int sx = ScreenX(col * kTileSize);
    if (sx > right) return;
    for (int row = row0; row < base.rows; ++row) {
      int sy = ScreenY(row * kTileSize);
      if (sy > bottom) break;
      visit(col, row, sx, sy);
    }
  }
}

// Ground on every cell of the track view beyond the circuit's edges, so the
// circuit lies in a landscape rather than on a bare screen.
void DrawGround() {
  const Grid& base = Base();
  const int sheet = gSheets.tilesetSprite;
  const int t = std::clamp(gView.groundTile, 0, kSheetCells - 1);
  const int cell = CellPixels();
  if (cell <= 0) return;
  const int bottom = PlatScreenHeight();
  // The cell grid continues past the circuit, aligned with it.
  auto floorDiv = [](int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); };
  const int col0 = floorDiv(CircuitX(0), kTileSize);
  const int row0 = floorDiv(CircuitY(0), kTileSize);
  for (int col = col0; ScreenX(col * kTileSize) < gView.trackViewWidth; ++col) {
    for (int row = row0; ScreenY(row * kTileSize) < bottom; ++row) {
      if (base.Inside(col, row)) continue;
      DrawSheetCell(sheet, gSheets.cellX[t], gSheets.cellY[t], ScreenX(col * kTileSize),
                    ScreenY(row * kTileSize));
    }
  }
}

void DrawLayer(const Grid& layer) {
  int sheet = gSheets.tilesetSprite;
  ForVisibleCells([&](int col, int row, int sx, int sy) {
    // Layers share Base()'s size; a smaller one simply has nothing there.
    int t = layer.Get(col, row, -1);
    if (t < 0 || t >= kSheetCells) return;
    DrawSheetCell(sheet, gSheets.cellX[t], gSheets.cellY[t], sx, sy);
  });
}
}  // namespace

void DrawTileLayers() {
  DrawGround();
  DrawLayer(Base());
  DrawLayer(Middle());
  DrawLayer(Top());
}

void DrawSpriteLabels() {
  const SpriteLabelState& s = gLabels;
  const int glyphWidth = LabelGlyphWidth(gView.zoom), glyphHeight = LabelGlyphHeight(gView.zoom);
  const bool sized = glyphWidth != s.glyphWidth || glyphHeight != s.glyphHeight;
  // What lies off the screen is not handed to the renderer at all.
  const int width = PlatScreenWidth(), height = PlatScreenHeight();
  for (const SpriteLabel& label : s.labels) {
    if (label.y >= height || label.y <= -glyphHeight) continue;
    int penX = label.x;
    for (unsigned char c : label.text) {
      if (penX >= width) break;
      if (c >= 32 && penX > -glyphWidth) {
        int index = c - 32;
        PlatClipSprite(s.sheet, s.glyphX[index], s.glyphY[index], s.glyphWidth, s.glyphHeight);
        if (sized) {
          PlatDisplaySpriteSized(s.sheet, penX, label.y, glyphWidth, glyphHeight, 255, label.colour);
        } else {
          PlatDisplaySprite(s.sheet, penX, label.y, 255, label.colour);
        }
      }
      penX += glyphWidth;
    }
  }
}

void DrawGridOverlay() {
  int box = gSheets.gridBoxSprite;
  const int cell = CellPixels();
  ForVisibleCells([&](int, int, int sx, int sy) { PlatDisplaySpriteSized(box, sx, sy, cell, cell, 64); });
}

namespace {
// Cells of the cars sheet holding the marks drawn under a car (the asset
// generator draws them there).
constexpr int kPlayerMarkCell = 86;
constexpr int kMovingMarkCell = 87;

// A cell of the cars sheet, turned, a cell of the present zoom large.
void DrawCarsCell(int sheet, int cell, float angle, int sx, int sy) {
  const int scaled = SheetAtZoom(sheet);
  PlatRotateSprite(scaled, angle, 0);
  if (scaled != sheet) {
    PlatClipSprite(scaled, gSheets.cellX[cell] * gView.zoom / 100,
                   gSheets.cellY[cell] * gView.zoom / 100, CellPixels(), CellPixels());
    PlatDisplaySprite(scaled, sx, sy);
  } else {
    PlatClipSprite(sheet, gSheets.cellX[cell], gSheets.cellY[cell], kTileSize, kTileSize);
    PlatDisplaySpriteSized(sheet, sx, sy, CellPixels(), CellPixels());
  }
  PlatRotateSprite(scaled, 0.0f, 0);
}

void DrawMark(int sheet, int cell, int sx, int sy) {
  DrawCarsCell(sheet, cell, 0.0f, sx, sy);
}
}  // namespace

namespace {
// A car drawn on its way from where it was to the place the race put it.
// Drawing only: the race moves by whole steps and never sees this.
struct Glide {
  double fromX = 0, fromY = 0, fromAngle = 0;
  int toX = 0, toY = 0;
  double toAngle = 0;
  int64_t start = 0;
  int duration = 0;
  bool drawn = false;  // drawn in the frame being drawn
};
std::map<std::string, Glide> gGlides;
// A step of more than this (a new race, a load, a fast forward) is not
// glided: the car is simply there.
constexpr double kLongestGlide = 2.5 * kTileSize;
// A step taken with the space key.
constexpr int kStepGlideMs = 150;

double GlideShare(const Glide& g, int64_t now) {
  if (g.duration <= 0 || now >= g.start + g.duration) return 1.0;
  if (now <= g.start) return 0.0;
  double t = static_cast<double>(now - g.start) / g.duration;
  return t * t * (3 - 2 * t);  // eases in and out
}

// Where a glide stands now: x, y in circuit pixels and the angle.
void GlideAt(const Glide& g, int64_t now, double& x, double& y, double& angle) {
  double t = GlideShare(g, now);
  x = g.fromX + (g.toX - g.fromX) * t;
  y = g.fromY + (g.toY - g.fromY) * t;
  angle = g.fromAngle + (g.toAngle - g.fromAngle) * t;
}

// The car's glide towards its place; a new one starts when the place moved.
const Glide& GlideTo(const std::string& key, int x, int y, int facing, int64_t now) {
  auto known = gGlides.find(key);
  const bool seen = known != gGlides.end();
  Glide& g = seen ? known->second : gGlides[key];
  double angle = static_cast<double>(facing) * 45.0;
  if (!seen || g.toX != x || g.toY != y || std::fmod(g.toAngle - angle, 360.0) != 0.0) {
    double cx = x, cy = y, ca = angle;
    if (seen) GlideAt(g, now, cx, cy, ca);
    if (!seen || std::hypot(x - cx, y - cy) > kLongestGlide) {
      cx = x, cy = y, ca = angle;
    }
    // Turn the short way round.
    double turn = std::remainder(angle - ca, 360.0);
    g = Glide{cx, cy, ca, x, y, ca + turn, now,
              Options().autoMode != 0 ? gScreen.timeSlice : kStepGlideMs, true};
  }
  g.drawn = true;
  return g;
}
}  // namespace

bool CarsGliding() {
  const int64_t now = PlatElapsedMilliseconds();
  for (const auto& [key, g] : gGlides)
    if (GlideShare(g, now) < 1.0) return true;
  return false;
}

void DrawCars() {
  int sheet = gSheets.carsSprite;
  // The moving car is marked only while a race runs.
  const std::string& moving = Standing().empty() ? std::string() : CurrentCarKey();
  const int64_t now = PlatElapsedMilliseconds();
  static int generation = -1;
  if (generation != gView.generation) gGlides.clear();
  generation = gView.generation;
  for (auto& [key, g] : gGlides) g.drawn = false;
  for (const NodeRecord& node : Node()) {
    for (int lane = 0; lane < 2; ++lane) {
      if (node.car[lane].empty()) continue;
      auto it = Car().find(node.car[lane]);
      if (it == Car().end()) continue;
      const CarRecord& car = it->second;
      if (car.tile < 0 || car.tile >= kSheetCells) continue;
      const Glide& g = GlideTo(it->first, node.nodeX * kTileSize + node.x[lane],
                               node.nodeY * kTileSize + node.y[lane], car.facing, now);
      double x = 0, y = 0, angle = 0;
      GlideAt(g, now, x, y, angle);
      // The car's middle (pixel 31 of its 64) over its lane's centre.
      int sx = ScreenX(static_cast<int>(std::lround(x))) - 31 * gView.zoom / 100;
      int sy = ScreenY(static_cast<int>(std::lround(y))) - 31 * gView.zoom / 100;
      if (IsPlayersCar(it->first)) DrawMark(sheet, kPlayerMarkCell, sx, sy);
      if (it->first == moving) DrawMark(sheet, kMovingMarkCell, sx, sy);
      DrawCarsCell(sheet, car.tile, static_cast<float>(angle), sx, sy);
    }
  }
  // Cars that left the track (finished, crashed, a new race) start afresh.
  for (auto it = gGlides.begin(); it != gGlides.end();)
    it = it->second.drawn ? std::next(it) : gGlides.erase(it);
  PlatRotateSprite(sheet, 0.0f, 0);
}

std::string PopUpText() {
  int col = -1, row = 0;
  TrackCellUnderPointer(col, row);
  if (col == -1) return "";
  for (const NodeRecord& node : Node()) {
    if (node.nodeX != col || node.nodeY != row) continue;
    std::string text = node.car[0] + "~" + node.car[1] + "~";
    return text.size() > 2 ? text : "";
  }
  return "";
}

void DrawPopUp() {
  if (gElements.SmallFont == nullptr) return;
  std::string text = PopUpText();
  if (!text.empty()) DrawTextBox(gElements.SmallFont, text, PlatMouseX(), PlatMouseY() - 28);
}

namespace {
int64_t gFrameStart = 0;
}  // namespace

namespace {
bool gGroundCacheOn = true;
// What the backdrop holds a picture of (see StillGroundKey); valid only
// while the platform keeps the backdrop ready.
uint64_t gGroundKey = 0;

// Everything under the cars: the side panel's own dark edge (for the sliver
// below it), the tile layers, the labels and the grid.
void DrawStillGround() {
  PlatClearScreen(0x202020);
  DrawTileLayers();
  DrawSpriteLabels();
  if (Options().gridOn != 0) DrawGridOverlay();
}

// A fingerprint of whatever the still ground is drawn from: the view, the
// screen, the three layers, the labels, the sheets and the grid switch.
// Cheap beside drawing it (a few thousand cells), and it needs no caller to
// remember to say the ground changed: the editor's strokes, a load, a
// scroll or the race behind the menu moving on all show up here.
uint64_t StillGroundKey() {
  uint64_t h = 1469598103934665603ull;
  auto mix = [&h](uint64_t v) {
    h ^= v;
    h *= 1099511628211ull;
  };
  for (int v : {gView.zoom, gView.scrollX, gView.scrollY, gView.trackViewWidth, gView.groundTile,
                PlatScreenWidth(), PlatScreenHeight(), PlatUiScale(), Options().gridOn,
                gSheets.tilesetSprite, gSheets.gridBoxSprite, gLabels.sheet})
    mix(static_cast<uint32_t>(v));
  for (const Grid* layer : {&Base(), &Middle(), &Top()}) {
    mix(static_cast<uint32_t>(layer->cols));
    mix(static_cast<uint32_t>(layer->rows));
    for (int cell : layer->cells) mix(static_cast<uint32_t>(cell));
  }
  for (const SpriteLabel& label : gLabels.labels) {
    for (unsigned char c : label.text) mix(c);
    mix(label.text.size());
    mix(static_cast<uint32_t>(label.colour));
    mix(static_cast<uint32_t>(label.x));
    mix(static_cast<uint32_t>(label.y));
  }
  return h;
}

void DrawGroundThroughCache() {
  const uint64_t key = StillGroundKey();
  if (key == gGroundKey && PlatShowBackdrop()) return;
  if (PlatBeginBackdrop()) {
    DrawStillGround();
    PlatEndBackdrop();
    gGroundKey = key;
    if (PlatShowBackdrop()) return;
  }
  // No backdrop to be had: drawn straight to the screen, as every frame.
  DrawStillGround();
}
}  // namespace

void SetGroundCache(bool on) {
  gGroundCacheOn = on;
}

void DrawTrackView() {
  KeepCurrent keep;
  gFrameStart = PlatElapsedMilliseconds();
  if (gGroundCacheOn) {
    DrawGroundThroughCache();
  } else {
    DrawStillGround();
  }
  DrawCars();
}

int FrameMsSoFar() {
  return static_cast<int>(std::clamp<int64_t>(PlatElapsedMilliseconds() - gFrameStart, 0, 1000));
}

void RenderFrame() {
  KeepCurrent keep;
  DrawTrackView();
  DrawPopUp();
  DrawAllElements();
  if (gHooks.frameOverlay != nullptr) gHooks.frameOverlay();
  DrawCarFiguresPopUp();
  DrawDebugLines();
  PlatFlipBuffers();
}
