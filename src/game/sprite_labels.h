// Short texts written on the circuit, held in screen coordinates and shifted
// with the view so each stays over its cell.
#pragma once

#include <string>
#include <vector>

struct SpriteLabel {
  std::string text;  // Windows-1252; glyph = byte - 32
  int colour = 0;    // 24-bit RGB tint, red in the low byte
  int x = 0;         // screen position of the text's top-left corner
  int y = 0;
};

constexpr int kLabelGlyphs = 224;  // character codes 32..255

struct SpriteLabelState {
  int sheet = 0;
  int glyphWidth = 0;
  int glyphHeight = 0;
  int glyphX[kLabelGlyphs] = {};
  int glyphY[kLabelGlyphs] = {};
  std::vector<SpriteLabel> labels;  // drawn in list order
};

extern SpriteLabelState gLabels;

// A label's glyphs shrink with the view below 100 %, but never below 75 %: a
// name stays readable and, zoomed out, still fits the grass it stands on.
constexpr int kSmallestLabelPercent = 75;
int LabelGlyphWidth(int zoom);
int LabelGlyphHeight(int zoom);

// Sets the sheet (16 glyphs across, 14 down) and its glyph tables.
void InitSpriteLabels(int sheet);
// Replaces the sheet only, after a lost device.
void SetSpriteLabelSheet(int sheet);
void ClearSpriteLabels();
void AddSpriteLabel(const std::string& text, int colour, int x, int y);
void ShiftSpriteLabels(int dx, int dy);
