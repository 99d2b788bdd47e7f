#include "engine/mouse.h"

#include "engine/define.h"
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
