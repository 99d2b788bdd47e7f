#include "engine/mouse.h"

#include "common/common.h"
#include "engine/define.h"
#include "engine/sprite_labels.h"

void CentreView(int col, int row) {
  int oldX = gProg.scrollX;
  int oldY = gProg.scrollY;
  gProg.scrollX = Min(Max(col - gProg.viewCols / 2, 0) * kTileSize, gProg.maxScrollX);
  gProg.scrollY = Min(Max(row - gProg.viewRows / 2, 0) * kTileSize, gProg.maxScrollY);
  ShiftSpriteLabels(oldX - gProg.scrollX, oldY - gProg.scrollY);
}
