#include "game/view.h"

#include <vector>

#include "common/common.h"
#include "game/sprite_labels.h"
#include "platform/screen.h"
#include "race/define.h"

ViewState gView;

void ResetViewState() {
  int generation = gView.generation;
  gView = ViewState{};
  gView.generation = generation + 1;
}

void SetViewGeometry(int screenWidth, int screenHeight) {
  gView.trackViewWidth = screenWidth - 256;
  gView.viewCols = gView.trackViewWidth / 64 - 1;
  gView.viewRows = screenHeight / 64;
}

void ShowLoadedCircuit() {
  ++gView.generation;
  gView.scrollX = 0;
  gView.scrollY = 0;
  gView.maxScrollX = Max(Base().cols * kTileSize - gView.trackViewWidth - 1, 0);
  gView.maxScrollY = Max(Base().rows * kTileSize - PlatScreenHeight() - 1, 0);
  std::vector<int> count(kSheetCells, 0);
  for (int t : Base().cells)
    if (t >= kFirstSceneryTile && t < kSheetCells) ++count[t];
  gView.groundTile = kFirstSceneryTile;
  for (int t = kFirstSceneryTile; t < kSheetCells; ++t)
    if (count[t] > count[gView.groundTile]) gView.groundTile = t;
  ClearSpriteLabels();
  for (const CircuitLabel& label : gRace.labels)
    AddSpriteLabel(label.text, label.colour, label.x - gView.scrollX, label.y - gView.scrollY);
}

void CentreView(int col, int row) {
  int oldX = gView.scrollX;
  int oldY = gView.scrollY;
  gView.scrollX = Min(Max(col - gView.viewCols / 2, 0) * kTileSize, gView.maxScrollX);
  gView.scrollY = Min(Max(row - gView.viewRows / 2, 0) * kTileSize, gView.maxScrollY);
  ShiftSpriteLabels(oldX - gView.scrollX, oldY - gView.scrollY);
}

void EdgeScroll() {
  int x = PlatMouseX();
  int speed = gProg.scrollSpeed;
  if (x < 50) {
    if (gView.scrollX > 0) {
      int d = Min(gView.scrollX, speed);
      gView.scrollX -= d;
      ShiftSpriteLabels(d, 0);
    }
  } else if (x > PlatScreenWidth() - 50) {
    if (gView.scrollX < gView.maxScrollX) {
      int d = Min(gView.maxScrollX - gView.scrollX, speed);
      gView.scrollX += d;
      ShiftSpriteLabels(-d, 0);
    }
  }
  int y = PlatMouseY();
  if (y < 50) {
    if (gView.scrollY > 0) {
      int d = Min(gView.scrollY, speed);
      gView.scrollY -= d;
      ShiftSpriteLabels(0, d);
    }
  } else if (y > PlatScreenHeight() - 50) {
    if (gView.scrollY < gView.maxScrollY) {
      int d = Min(gView.maxScrollY - gView.scrollY, speed);
      gView.scrollY += d;
      ShiftSpriteLabels(0, -d);
    }
  }
}

void WheelScroll(int delta) {
  int notches = -(delta / 120);
  int d = notches * 64;
  if (gView.scrollY + d < 0) {
    d = -gView.scrollY;
  } else if (gView.scrollY + d > gView.maxScrollY) {
    d = gView.maxScrollY - gView.scrollY;
  }
  gView.scrollY += d;
  ShiftSpriteLabels(0, -d);
}
