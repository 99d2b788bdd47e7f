// Sprite fonts, text drawing, frames, labels, text areas and scroll arrows.
#include <algorithm>

#include "minigui/mini_gui_internal.h"
#include "platform/screen.h"

// --- Sprite fonts -------------------------------------------------------------
SpriteFont* CreateSpriteFont(const std::string& imageName, int normalColour, int selectedColour,
                             int disabledColour) {
  SpriteFont* font = NewRecord(Gui().fonts, "could not create SpriteFont", "CreateSpriteFont", __LINE__);
  font->sprite = GetSpriteID(imageName);
  font->glyphWidth = PlatSpriteWidth(font->sprite) / 16;
  font->glyphHeight = PlatSpriteHeight(font->sprite) / 14;
  // A sheet smaller than 16 x 14 pixels has no glyphs at all; every measure
  // would divide by zero.
  if (font->glyphWidth < 1 || font->glyphHeight < 1) {
    FATAL("image is too small for a sprite font: " + imageName, kMiniGuiModule, "CreateSpriteFont");
  }
  int perRow = PlatSpriteWidth(font->sprite) / font->glyphWidth;
  for (int i = 0; i < kFontGlyphs; ++i) {
    font->glyphX[i] = (i % perRow) * font->glyphWidth;
    font->glyphY[i] = (i / perRow) * font->glyphHeight;
  }
  font->normalColour = normalColour;
  font->selectedColour = selectedColour;
  font->disabledColour = disabledColour;
  Register(font, imageName, kKindSpriteFont, -1);
  return font;
}

void DrawSpriteText(const SpriteFont* font, const std::string& text, int x, int y, int colour,
                    int rightLimit) {
  int pen = x;
  for (unsigned char c : text) {
    // Control characters have no glyph: they leave a blank cell.
    if (c >= 32) {
      int index = c - 32;
      PlatClipSprite(font->sprite, font->glyphX[index], font->glyphY[index], font->glyphWidth,
                     font->glyphHeight);
      PlatDisplaySprite(font->sprite, pen, y, 255, colour);
    }
    pen += font->glyphWidth;
    if (pen > rightLimit) break;
  }
}

void DrawTextBox(const SpriteFont* font, const std::string& text, int x, int y) {
  std::vector<std::string> lines = SplitTildeList(text);
  size_t width = 0;
  for (const std::string& line : lines) width = std::max(width, line.size());
  width += 2;
  int top = y;
  for (const std::string& line : lines) {
    std::string row = " " + line + " ";
    row.resize(width, ' ');
    DrawSpriteText(font, row, x, top, kNoTint);
    top += font->glyphHeight;
  }
}

// --- Frames -----------------------------------------------------------------
Frame* CreateFrame(const std::string& image, int x, int y, int widthTiles, int heightTiles,
                   int page) {
  Frame* frame = NewRecord(Gui().frames, "could not create Frame", "CreateFrame", __LINE__);
  frame->sprite = GetSpriteID(image);
  frame->tileSize = PlatSpriteWidth(frame->sprite) / 3;
  if (frame->tileSize < 1 || PlatSpriteHeight(frame->sprite) < 3 * frame->tileSize) {
    FATAL("image is too small for a frame: " + image, kMiniGuiModule, "CreateFrame");
  }
  frame->width = widthTiles;
  frame->height = heightTiles;
  frame->x = x == -1 ? (PlatScreenWidth() - widthTiles * frame->tileSize) / 2 : x;
  frame->y = y == -1 ? (PlatScreenHeight() - heightTiles * frame->tileSize) / 2 : y;
  Register(frame, image, kKindFrame, page);
  return frame;
}

void DrawFrame(const Frame* frame) {
  if (frame->hidden) return;
  int tile = frame->tileSize;
  // Always at least the first and last column and row.
  int columns = std::max(frame->width, 2);
  int rows = std::max(frame->height, 2);
  if (PlatDisplayNinePatch(frame->sprite, tile, frame->x, frame->y, columns, rows)) return;
  // Only the tiles on the screen are drawn, so an absurd size from a data
  // file costs nothing.
  auto visible = [tile](int origin, int count, int screen, int& first, int& last) {
    first = origin >= 0 ? 0 : std::min((-origin) / tile, count);
    last = origin >= screen ? -1 : std::min((screen - 1 - origin) / tile, count - 1);
  };
  int firstColumn, lastColumn, firstRow, lastRow;
  visible(frame->x, columns, PlatScreenWidth(), firstColumn, lastColumn);
  visible(frame->y, rows, PlatScreenHeight(), firstRow, lastRow);
  for (int r = firstRow; r <= lastRow; ++r) {
    int imageRow = r == 0 ? 0 : (r == rows - 1 ? 2 : 1);
    for (int c = firstColumn; c <= lastColumn; ++c) {
      int imageColumn = c == 0 ? 0 : (c == columns - 1 ? 2 : 1);
      PlatClipSprite(frame->sprite, imageColumn * tile, imageRow * tile, tile, tile);
      PlatDisplaySprite(frame->sprite, frame->x + c * tile, frame->y + r * tile);
    }
  }
}

// --- Labels -----------------------------------------------------------------
Label* CreateLabel(const std::string& text, SpriteFont* font, int x, int y, int colour, int page) {
  Label* label = NewRecord(Gui().labels, "could not create Label", "CreateLabel", __LINE__);
  RequireFont(font, "invalid spritefont", "CreateLabel", __LINE__);
  label->font = font;
  label->text = text;
  label->colour = colour;
  int width = static_cast<int>(text.size()) * font->glyphWidth;
  label->x = x == -1 ? (PlatScreenWidth() - width) / 2 : x;
  label->y = y == -1 ? (PlatScreenHeight() - font->glyphHeight) / 2 : y;
  Register(label, "", kKindLabel, page);
  return label;
}

void SetLabel(Label* label, const std::string& text, int colour) {
  label->text = text;
  label->colour = colour;
}

void DrawLabel(const Label* label) {
  if (label->hidden) return;
  DrawSpriteText(label->font, label->text, label->x, label->y, label->colour);
}

// --- Text areas ---------------------------------------------------------------
TextArea* CreateTextArea(SpriteFont* font, int x, int y, int width, int height, int margin,
                         int scrollMode, int selectionMode, int page) {
  TextArea* area = NewRecord(Gui().textAreas, "could not create Text Area", "CreateTextArea", __LINE__);
  RequireFont(font, "invalid spritefont", "CreateTextArea", __LINE__);
  if (height - 2 * margin < font->glyphHeight) {
    FATAL("text area is too short for font", kMiniGuiModule, "CreateTextArea");
  }
  area->font = font;
  area->x = x == -1 ? (PlatScreenWidth() - width) / 2 : x;
  area->y = y == -1 ? (PlatScreenHeight() - height) / 2 : y;
  area->width = width;
  area->height = height;
  area->margin = margin;
  area->scrollMode = scrollMode;
  area->selectionMode = selectionMode;
  area->rows = (height - 2 * margin) / font->glyphHeight;
  Register(area, "", kKindTextArea, page);
  return area;
}

static int LineCount(const TextArea* area) { return static_cast<int>(area->lines.size()); }

void AddText(TextArea* textArea, const std::string& text) {
  for (std::string& line : SplitTildeList(text)) textArea->lines.push_back(std::move(line));
  if (textArea->scrollMode == 0) {
    int excess = LineCount(textArea) - textArea->rows;
    if (excess > 0) textArea->lines.erase(textArea->lines.begin(), textArea->lines.begin() + excess);
    textArea->top = 0;
  } else if (textArea->scrollMode == 1) {
    textArea->top = std::max(LineCount(textArea) - textArea->rows, 0);
  }
}

void AddCentredText(TextArea* textArea, const std::string& text) {
  std::string first = text.substr(0, text.find('~'));
  int columns = std::max(TextAreaColumns(textArea), 0);
  int pad = std::max((columns - static_cast<int>(first.size())) / 2, 0);
  std::string line = std::string(pad, ' ') + first;
  line.resize(columns, ' ');
  AddText(textArea, line);
}

void ClearTextArea(TextArea* textArea) {
  textArea->lines.clear();
  textArea->selected = -1;
  textArea->selectionList = "~";
  textArea->top = 0;
}

void SetTextAreaTop(TextArea* textArea, int index) {
  if (index < 0 || textArea->lines.empty()) {
    textArea->top = 0;
  } else {
    textArea->top = std::min(index, LineCount(textArea) - 1);
  }
}

void ScrollTextArea(TextArea* textArea, int delta) {
  if (textArea->scrollMode == 0) return;
  int top = textArea->top + delta;
  if (top >= 0 && top <= LineCount(textArea) - 1) textArea->top = top;
}

static std::string SelectionMark(int index) { return "~" + Decimal(index) + "~"; }

static bool IsLineSelected(const TextArea* area, int index) {
  if (area->selectionMode == 0) return index == area->selected;
  if (area->selectionMode == 1) return area->selectionList.find(SelectionMark(index)) != std::string::npos;
  return false;
}

void DrawTextArea(const TextArea* textArea) {
  if (textArea->hidden || textArea->lines.empty()) return;
  const SpriteFont* font = textArea->font;
  int limit = textArea->x + textArea->width - font->glyphWidth - textArea->margin;
  int penY = textArea->y + textArea->margin;
  int first = std::max(textArea->top, 0);
  int last = std::min(first + textArea->rows, LineCount(textArea));
  for (int i = first; i < last; ++i) {
    int colour = IsLineSelected(textArea, i) ? font->selectedColour : font->normalColour;
    DrawSpriteText(font, textArea->lines[i], textArea->x + textArea->margin, penY, colour, limit);
    penY += font->glyphHeight;
  }
}

std::string TextAreaLineAt(const TextArea* textArea, int x, int y) {
  if (textArea == nullptr || textArea->hidden || textArea->font == nullptr) return "";
  if (x < textArea->x || x > textArea->x + textArea->width) return "";
  if (y < textArea->y + textArea->margin || y > textArea->y + textArea->height) return "";
  int glyphHeight = Max(textArea->font->glyphHeight, 1);
  int line = (y - textArea->margin - textArea->y) / glyphHeight + textArea->top;
  if (line < 0 || line >= textArea->top + textArea->rows || line >= LineCount(textArea)) return "";
  return textArea->lines[line];
}

std::string PickTextArea(TextArea* textArea, int mouseX, int mouseY) {
  if (textArea->hidden) return "";
  if (mouseX < textArea->x || mouseX > textArea->x + textArea->width) return "";
  if (mouseY < textArea->y || mouseY > textArea->y + textArea->height) return "";
  int line = (mouseY - textArea->margin - textArea->y) / textArea->font->glyphHeight + textArea->top;
  if (line < 0 || line >= textArea->top + textArea->rows || line >= LineCount(textArea)) return "";
  if (textArea->selectionMode == 0) {
    textArea->selected = line;
  } else if (textArea->selectionMode == 1) {
    std::string mark = SelectionMark(line);
    size_t at = textArea->selectionList.find(mark);
    if (at != std::string::npos) {
      textArea->selectionList.replace(at, mark.size(), "~");
    } else {
      textArea->selectionList += Decimal(line) + "~";
    }
  }
  return textArea->lines[line];
}

std::string GetTextAreaSelection(const TextArea* textArea) {
  int count = LineCount(textArea);
  if (textArea->selectionMode == 0) {
    int s = textArea->selected;
    return s >= 0 && s < count ? textArea->lines[s] : "";
  }
  if (textArea->selectionMode != 1) return "";
  std::string result;
  for (const std::string& field : SplitTildeList(textArea->selectionList.substr(1))) {
    if (field.empty()) continue;
    int index = LenientInt(field);
    if (index >= 0 && index < count) result += textArea->lines[index] + "~";
  }
  return result;
}

void SetTextAreaSelection(TextArea* textArea, int index) {
  if (index == -1) {
    if (textArea->selectionMode == 0) textArea->selected = -1;
    if (textArea->selectionMode == 1) textArea->selectionList = "~";
    return;
  }
  if (index < 0 || index >= LineCount(textArea)) return;
  if (textArea->selectionMode == 0) textArea->selected = index;
  if (textArea->selectionMode == 1) textArea->selectionList += Decimal(index) + "~";
}

// top stays a valid index (0 for an empty area), so a later draw never starts
// before the first line.
static void ClampTop(TextArea* area) {
  if (area->top > LineCount(area) - 1) area->top = std::max(LineCount(area) - 1, 0);
}

void RemoveText(TextArea* textArea, const std::string& text) {
  auto& lines = textArea->lines;
  if (textArea->selectionMode == 0) {
    auto found = std::find(lines.begin(), lines.end(), text);
    if (found == lines.end()) return;
    if (found - lines.begin() == textArea->selected) textArea->selected = -1;
    lines.erase(found);
    ClampTop(textArea);
  } else if (textArea->selectionMode == 1) {
    for (const std::string& field : SplitTildeList(text)) {
      lines.erase(std::remove(lines.begin(), lines.end(), field), lines.end());
    }
    ClampTop(textArea);
    textArea->selectionList = "~";
  }
}

// --- Scroll arrows ------------------------------------------------------------
ScrollArrows* CreateScrollArrows(const std::string& image, TextArea* textArea, int x, int y) {
  ScrollArrows* arrows =
      NewRecord(Gui().scrollArrows, "could not create scroll arrows", "CreateScrollArrows", __LINE__);
  arrows->sprite = GetSpriteID(image);
  int page = ElementPage(textArea, kKindTextArea);
  if (textArea == nullptr || page == 0) {
    FATAL("invalid text area ID", kMiniGuiModule, "CreateScrollArrows");
  }
  SpriteFont* font = nullptr;
  for (const RegistryEntry& entry : Gui().entries) {
    if (entry.kind == kKindSpriteFont) {
      font = static_cast<SpriteFont*>(entry.record);
      break;
    }
  }
  std::string sizing = Decimal(PlatSpriteWidth(arrows->sprite)) + "~" +
                       Decimal(PlatSpriteHeight(arrows->sprite) / 2) + "~";
  arrows->buttons = CreateButtonArray(font, sizing, 1, x, y, " ~ ~", page);
  arrows->textArea = textArea;
  arrows->x = x;
  arrows->y = y;
  Register(arrows, image, kKindScrollArrows, page);
  return arrows;
}

void PickScrollArrows(ScrollArrows* scrollArrows, int mouseX, int mouseY) {
  if (scrollArrows->hidden) return;
  int button = PickButton(scrollArrows->buttons, mouseX, mouseY);
  if (button == 0) ScrollTextArea(scrollArrows->textArea, -1);
  if (button == 1) ScrollTextArea(scrollArrows->textArea, 1);
}

void DrawScrollArrows(const ScrollArrows* scrollArrows) {
  if (scrollArrows->hidden) return;
  PlatClipSprite(scrollArrows->sprite, 0, 0, -1, -1);
  PlatDisplaySprite(scrollArrows->sprite, scrollArrows->x, scrollArrows->y);
}
