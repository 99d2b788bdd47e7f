#include "game/view.h"

#include <algorithm>
#include <vector>

#include "common/common.h"
#include "game/sprite_labels.h"
#include "platform/screen.h"
#include "race/define.h"
#include "game/screen_settings.h"

ViewState gView;

void ResetViewState() {
  int generation = gView.generation;
  gView = ViewState{};
  gView.generation = generation + 1;
}

namespace {
int FloorDiv(long long a, long long b) {
  long long q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
  return static_cast<int>(q);
}

// The scroll limits of the circuit at the present zoom: a circuit narrower
// than the view stands centred in it, a wider one scrolls from its edge.
void SetScrollLimits() {
  const int cell = CellPixels();
  const int width = Base().cols * cell, height = Base().rows * cell;
  const int viewHeight = PlatScreenHeight();
  if (width <= gView.trackViewWidth) {
    gView.minScrollX = gView.maxScrollX = -(gView.trackViewWidth - width) / 2;
  } else {
    gView.minScrollX = 0;
    gView.maxScrollX = width - gView.trackViewWidth - 1;
  }
  if (height <= viewHeight) {
    gView.minScrollY = gView.maxScrollY = -(viewHeight - height) / 2;
  } else {
    gView.minScrollY = 0;
    gView.maxScrollY = height - viewHeight - 1;
  }
  gView.viewCols = gView.trackViewWidth / cell - 1;
  gView.viewRows = viewHeight / cell;
}

// The circuit's labels over their cells, wherever the view now stands.
void PlaceLabels() {
  ClearSpriteLabels();
  for (const CircuitLabel& label : RaceNow().labels)
    AddSpriteLabel(label.text, label.colour, ScreenX(label.x), ScreenY(label.y));
}

// Moves the view to a scroll position inside the limits; the labels move
// with it.
void ScrollTo(int x, int y) {
  int oldX = gView.scrollX, oldY = gView.scrollY;
  gView.scrollX = std::clamp(x, gView.minScrollX, Max(gView.maxScrollX, gView.minScrollX));
  gView.scrollY = std::clamp(y, gView.minScrollY, Max(gView.maxScrollY, gView.minScrollY));
  ShiftSpriteLabels(oldX - gView.scrollX, oldY - gView.scrollY);
}
}  // namespace

void RefitView() {
  if (Base().cols <= 0 || Base().rows <= 0) return;
  SetScrollLimits();
  ScrollTo(gView.scrollX, gView.scrollY);
  PlaceLabels();
}

int CellPixels() {
  return kTileSize * gView.zoom / 100;
}

int ScreenX(int circuitX) {
  return static_cast<int>(static_cast<long long>(circuitX) * gView.zoom / 100) - gView.scrollX;
}

int ScreenY(int circuitY) {
  return static_cast<int>(static_cast<long long>(circuitY) * gView.zoom / 100) - gView.scrollY;
}

int CircuitX(int screenX) {
  return FloorDiv((static_cast<long long>(screenX) + gView.scrollX) * 100, gView.zoom);
}

int CircuitY(int screenY) {
  return FloorDiv((static_cast<long long>(screenY) + gView.scrollY) * 100, gView.zoom);
}

int FitZoom() {
  for (int zoom = kLargestZoom; zoom > kSmallestZoom; zoom -= kZoomStep) {
    int cell = kTileSize * zoom / 100;
    if (Base().cols * cell <= gView.trackViewWidth && Base().rows * cell <= PlatScreenHeight())
      return zoom;
  }
  return kSmallestZoom;
}

void ZoomAround(int zoom, int screenX, int screenY) {
  zoom = std::clamp(zoom, kSmallestZoom, kLargestZoom);
  zoom -= (zoom - kSmallestZoom) % kZoomStep;
  if (zoom == gView.zoom) return;
  const int x = CircuitX(screenX), y = CircuitY(screenY);
  gView.zoom = zoom;
  SetScrollLimits();
  gView.scrollX = static_cast<int>(static_cast<long long>(x) * zoom / 100) - screenX;
  gView.scrollY = static_cast<int>(static_cast<long long>(y) * zoom / 100) - screenY;
  ScrollTo(gView.scrollX, gView.scrollY);
  PlaceLabels();
}

void SetViewGeometry(int screenWidth, int screenHeight) {
  gView.trackViewWidth = screenWidth - 256;
  gView.viewCols = gView.trackViewWidth / CellPixels() - 1;
  gView.viewRows = screenHeight / CellPixels();
}

void ShowLoadedCircuit() {
  ++gView.generation;
  gView.zoom = FitZoom();
  SetScrollLimits();
  gView.scrollX = gView.minScrollX;
  gView.scrollY = gView.minScrollY;
  std::vector<int> count(kSheetCells, 0);
  for (int t : Base().cells)
    if (t >= kFirstSceneryTile && t < kSheetCells) ++count[t];
  gView.groundTile = kFirstSceneryTile;
  for (int t = kFirstSceneryTile; t < kSheetCells; ++t)
    if (count[t] > count[gView.groundTile]) gView.groundTile = t;
  PlaceLabels();
}

void CentreView(int col, int row) {
  const int cell = CellPixels();
  ScrollTo((col - gView.viewCols / 2) * cell, (row - gView.viewRows / 2) * cell);
}

void ScrollViewBy(int dx, int dy) {
  ScrollTo(gView.scrollX + dx, gView.scrollY + dy);
}

void EdgeScroll() {
  int x = PlatMouseX();
  int y = PlatMouseY();
  int speed = gScreen.scrollSpeed;
  int dx = x < 50 ? -speed : x > PlatScreenWidth() - 50 ? speed : 0;
  int dy = y < 50 ? -speed : y > PlatScreenHeight() - 50 ? speed : 0;
  if (dx != 0 || dy != 0) ScrollTo(gView.scrollX + dx, gView.scrollY + dy);
}

void WheelScroll(int delta) {
  int notches = -(delta / 120);
  if (PlatKeyDown(kKeyLeftCtrl) || PlatKeyDown(kKeyRightCtrl)) {
    int x = PlatMouseX(), y = PlatMouseY();
    if (x < 0 || x >= gView.trackViewWidth) x = gView.trackViewWidth / 2, y = PlatScreenHeight() / 2;
    ZoomAround(gView.zoom - notches * kZoomStep, x, y);
    return;
  }
  ScrollTo(gView.scrollX, gView.scrollY + notches * CellPixels());
}
