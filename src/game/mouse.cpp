#include "game/mouse.h"

#include "common/common.h"
#include "race/define.h"
#include "game/hooks.h"
#include "game/sprite_labels.h"
#include "platform/screen.h"
#include "platform/services.h"
#include "game/view.h"

void CellUnderPointer(int& col, int& row) {
  int x = PlatMouseX();
  int y = PlatMouseY();
  if (x >= gView.trackViewWidth) {
    col = -1;
    return;
  }
  // Back through the view transform; beside a centred circuit is no cell.
  int cx = CircuitX(x), cy = CircuitY(y);
  col = cx < 0 ? -1 : cx / kTileSize;
  row = cy < 0 ? -1 : cy / kTileSize;
  // A pointer outside the window reads -1, -1: that is no cell either.
  if (x < 0 || y < 0 || col < 0 || row < 0 || col > Base().cols - 1 || row > Base().rows - 1)
    col = -1;
}

void TrackCellUnderPointer(int& col, int& row) {
  CellUnderPointer(col, row);
  if (col == -1) return;
  int tile = Base().Get(col, row, -1);
  if (tile < 0 || tile > 39) col = -1;
}

void LeftClick() {
  int col = -1, row = 0;
  CellUnderPointer(col, row);
  if (col == -1 && gHooks.raceButtonClick != nullptr) gHooks.raceButtonClick();
}

void RightClick() {}
