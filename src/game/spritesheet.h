// The track view's sprite sheets, the cell table, the grid box and the
// recovery after a lost screen device.
#pragma once

#include <string>

#include "race/define.h"

// Sprite numbers of the track view's sheets and the cell table.
struct SheetState {
  int tilesetSprite = 0;
  int carsSprite = 0;
  int labelSheetSprite = 0;
  int gridBoxSprite = 0;
  int cellX[kSheetCells] = {};
  int cellY[kSheetCells] = {};
};
extern SheetState gSheets;

void LoadSpriteSheets();
int Load1SpriteSheet(const std::string& name);
void BuildCellTable(int* xTable, int* yTable, int count, int cellWidth, int cellHeight, int columns);
// colour is 0xAABBGGRR; outline != 0 draws only the one-pixel border.
int MakeBoxSprite(int width, int height, unsigned int colour, int outline);

// Waits for the window to come back, re-creates the screen and reloads every
// image: the sheets, then whatever the game registered, then the debug font.
void LostDevice();
// Called by LostDevice after the sheets are reloaded, in registration order
// (the labels' sheet, the toolkit's images, ...).
void AddReloadHook(void (*hook)());
void ClearReloadHooks();
