#include "engine/mouse.h"

#include "common/common.h"
#include "engine/define.h"
#include "engine/init.h"
#include "engine/sprite_labels.h"
#include "platform/platform.h"

void CellUnderPointer(int& col, int& row) {
  int x = PlatMouseX();
  int y = PlatMouseY();
  if (x >= gProg.trackViewWidth) {
    col = -1;
    return;
  }
  col = (x + gProg.scrollX) / kTileSize;
  row = (y + gProg.scrollY) / kTileSize;
  // A pointer outside the window reads -1, -1: that is no cell either.
  if (x < 0 || y < 0 || col > Base().cols - 1 || row > Base().rows - 1) col = -1;
}

void TrackCellUnderPointer(int& col, int& row) {
  CellUnderPointer(col, row);
  if (col == -1) return;
  int tile = Base().Get(col, row, -1);
  if (tile < 0 || tile > 39) col = -1;
}

void CentreView(int col, int row) {
  int oldX = gProg.scrollX;
  int oldY = gProg.scrollY;
  gProg.scrollX = Min(Max(col - gProg.viewCols / 2, 0) * kTileSize, gProg.maxScrollX);
  gProg.scrollY = Min(Max(row - gProg.viewRows / 2, 0) * kTileSize, gProg.maxScrollY);
  ShiftSpriteLabels(oldX - gProg.scrollX, oldY - gProg.scrollY);
}

void LeftClick() {
  int col = -1, row = 0;
  CellUnderPointer(col, row);
  if (col == -1 && gHooks.raceButtonClick != nullptr) gHooks.raceButtonClick();
}

void RightClick() {}
