#include "game/spritesheet.h"

#include <vector>

#include "common/common.h"
#include "game/debug.h"
#include "race/define.h"
#include "platform/screen.h"
#include "platform/services.h"
#include "game/view.h"
#include "game/screen_settings.h"

SheetState gSheets;

namespace {
const char* kModule = "Spritesheet";
std::vector<void (*)()> gReloadHooks;
}  // namespace

int Load1SpriteSheet(const std::string& name) {
  std::filesystem::path file = gProg.imagesFolder / (name + ".png");
  if (PlatFileSize(file) < 1) {
    FATAL("could not find spritesheet: " + PlatPathText(file), kModule, "Load1SpriteSheet");
  }
  int sprite = PlatLoadSprite(kAnySprite, file);
  if (sprite == 0) FATAL("could not load spritesheet: " + PlatPathText(file), kModule, "Load1SpriteSheet");
  return sprite;
}

void BuildCellTable(int* xTable, int* yTable, int count, int cellWidth, int cellHeight, int columns) {
  if (columns <= 0) return;
  for (int i = 0; i < count; ++i) {
    xTable[i] = (i % columns) * cellWidth;
    yTable[i] = (i / columns) * cellHeight;
  }
}

int MakeBoxSprite(int width, int height, unsigned int colour, int outline) {
  int image = PlatCreateImage(kAnySprite, width, height, 0x00000000);
  if (image == 0) FATAL("could not create image", kModule, "MakeBoxSprite");
  PlatStartDrawingImage(image);
  PlatDrawingMode(kDrawAllChannels | (outline != 0 ? kDrawOutlined : 0));
  PlatBox(0, 0, width, height, colour);
  PlatStopDrawing();
  std::vector<uint8_t> png = PlatEncodeImagePng(image);
  if (png.empty()) {
    PlatFreeImage(image);
    FATAL("could not encode image", kModule, "MakeBoxSprite");
  }
  int sprite = PlatSpriteFromMemory(kAnySprite, png.data(), png.size());
  PlatFreeImage(image);
  if (sprite == 0) FATAL("could not catch sprite", kModule, "MakeBoxSprite");
  return sprite;
}

void LoadSpriteSheets() {
  gSheets.labelSheetSprite = Load1SpriteSheet("Terminal 14");
  gSheets.tilesetSprite = Load1SpriteSheet("Tileset");
  gSheets.carsSprite = Load1SpriteSheet("Cars");
  gSheets.gridBoxSprite = MakeBoxSprite(64, 64, 0xFFC0C0C0u, 1);
}

void AddReloadHook(void (*hook)()) { gReloadHooks.push_back(hook); }
void ClearReloadHooks() { gReloadHooks.clear(); }

void LostDevice() {
  for (;;) {
    int event = PlatWaitWindowEvent(10);
    if (event == kEventNone || PlatEventWindow() != gView.window) continue;
    if (event == kEventCloseRequest) {
      // The caller finds the screen still inactive and comes back here.
      gScreen.gameState = 2;
      return;
    }
    if (event == kEventRepaint || event == kEventActivate) break;
  }
  PlatFreeSprite(-1);
  if (!PlatOpenScreen(gView.window, 0, 0, PlatWindowInnerWidth(gView.window),
                      PlatWindowInnerHeight(gView.window))) {
    FATAL("could not open screen", kModule, "LostDevice");
  }
  LoadSpriteSheets();
  for (auto hook : gReloadHooks) hook();
  ReloadDebugSheet();
}
