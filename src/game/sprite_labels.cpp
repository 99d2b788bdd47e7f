#include "game/sprite_labels.h"

#include "platform/screen.h"
#include "platform/services.h"

SpriteLabelState gLabels;

namespace {
int LabelPercent(int zoom) {
  return zoom >= 100 ? 100 : (zoom < kSmallestLabelPercent ? kSmallestLabelPercent : zoom);
}
}  // namespace

int LabelGlyphWidth(int zoom) {
  return (gLabels.glyphWidth * LabelPercent(zoom) + 50) / 100;
}

int LabelGlyphHeight(int zoom) {
  return (gLabels.glyphHeight * LabelPercent(zoom) + 50) / 100;
}

void InitSpriteLabels(int sheet) {
  gLabels.sheet = sheet;
  gLabels.glyphWidth = PlatSpriteWidth(sheet) / 16;
  gLabels.glyphHeight = PlatSpriteHeight(sheet) / 14;
  for (int i = 0; i < kLabelGlyphs; ++i) {
    gLabels.glyphX[i] = (i % 16) * gLabels.glyphWidth;
    gLabels.glyphY[i] = (i / 16) * gLabels.glyphHeight;
  }
}

void SetSpriteLabelSheet(int sheet) {
  gLabels.sheet = sheet;
}

void ClearSpriteLabels() {
  gLabels.labels.clear();
}

void AddSpriteLabel(const std::string& text, int colour, int x, int y) {
  gLabels.labels.push_back(SpriteLabel{text, colour, x, y});
}

void ShiftSpriteLabels(int dx, int dy) {
  for (SpriteLabel& label : gLabels.labels) {
    label.x += dx;
    label.y += dy;
  }
}
