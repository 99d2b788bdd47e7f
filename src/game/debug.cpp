#include "game/debug.h"

#include "common/common.h"
#include "platform/screen.h"
#include "platform/services.h"

DebugText gDebug;

namespace {
const char* kModule = "Debug mod";

int LoadSheet(const std::string& path) {
  if (PlatFileSize(path) < 1) FATAL("could not find spritesheet: " + path, kModule, "Load1SpriteSheet");
  int sprite = PlatLoadSprite(kAnySprite, path);
  if (sprite == 0) FATAL("could not load spritesheet: " + path, kModule, "Load1SpriteSheet");
  return sprite;
}
}  // namespace

void InitDebugText(const std::string& path) {
  gDebug.sheet = LoadSheet(path);
  gDebug.path = path;
  gDebug.glyphWidth = PlatSpriteWidth(gDebug.sheet) / 16;
  gDebug.glyphHeight = PlatSpriteHeight(gDebug.sheet) / 14;
  for (int i = 0; i < 224; ++i) {
    gDebug.glyphX[i] = (i % 16) * gDebug.glyphWidth;
    gDebug.glyphY[i] = (i / 16) * gDebug.glyphHeight;
  }
}

void SetDebugTextArea(int x, int y, int characters, int lines, int colour) {
  gDebug.x = x;
  gDebug.y = y;
  gDebug.characters = characters;
  gDebug.lines = lines;
  gDebug.colour = colour;
}

void AddDebugLine(const std::string& text) {
  gDebug.textLines.push_back(text);
  while (static_cast<int>(gDebug.textLines.size()) > gDebug.lines && !gDebug.textLines.empty()) {
    gDebug.textLines.erase(gDebug.textLines.begin());
  }
}

void ClearDebugLines() { gDebug.textLines.clear(); }

void DrawDebugLines() {
  int penY = gDebug.y;
  for (const std::string& line : gDebug.textLines) {
    int penX = gDebug.x;
    int shown = 0;
    for (unsigned char c : line) {
      if (shown++ >= gDebug.characters) break;
      // Only codes 32 to 255 have glyphs; anything else is skipped unread.
      if (c >= 32) {
        int index = c - 32;
        PlatClipSprite(gDebug.sheet, gDebug.glyphX[index], gDebug.glyphY[index], gDebug.glyphWidth,
                       gDebug.glyphHeight);
        PlatDisplaySprite(gDebug.sheet, penX, penY, 255, gDebug.colour);
      }
      penX += gDebug.glyphWidth;
    }
    penY += gDebug.glyphHeight;
  }
}

void ReloadDebugSheet() {
  if (!gDebug.path.empty()) gDebug.sheet = LoadSheet(gDebug.path);
}
