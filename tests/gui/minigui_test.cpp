// The toolkit's element algorithms: registry, fonts, text areas, buttons,
// check and option boxes, keyboard areas, pages and drawing.
#include <gtest/gtest.h>

#include "expect_fatal.h"
#include "gui_test_support.h"
#include "minigui/mini_gui.h"
#include "platform/screen.h"
#include "platform/services.h"
#include "../support/screen_support.h"

namespace fs = std::filesystem;
using namespace gui_test;

namespace {
class MiniGui : public testing::Test {
 protected:
  void SetUp() override {
    StartGui(800, 600, PlaceholderTheme());
    font = CreateSpriteFont("Terminal 14", 0x000000, 0x0000FF, 0xC0C0C0);  // 9 x 18
  }
  int Displays() { return static_cast<int>(PlatGetDrawStats().displays); }
  SpriteFont* font = nullptr;
};

// A text area whose lines are exactly 18 px apart, starting at (100, 50).
TextArea* Area(SpriteFont* font, int rows, int scrollMode, int selectionMode, int margin = 0) {
  return CreateTextArea(font, 100, 50, 180, rows * 18 + 2 * margin, margin, scrollMode, selectionMode, 1);
}

std::vector<std::string> Lines(const TextArea* area) { return area->lines; }
}  // namespace

// --- Registry and theme ----------------------------------------------------------
TEST_F(MiniGui, ThemeImagesAreLookedUpByExactName) {
  EXPECT_GT(GetSpriteID("Button Long"), 0);
  EXPECT_NE(GetSpriteID("Button Long"), GetSpriteID("Button Short"));
  EXPECT_FATAL(GetSpriteID("button long"), "unknown image name: button long\r\nMini GUI mod in GetSpriteID @ ");
}

TEST_F(MiniGui, ThemeFolderProblemsAreFatal) {
  fs::path dir = testing_support::MakeTempDir("gui-badtheme");
  // No PNG at all: the table is empty and the first lookup fails.
  InitMiniGUI(1, nullptr, dir);
  EXPECT_FATAL(GetSpriteID("Frame"), "unknown image name: Frame\r\nMini GUI mod in GetSpriteID @ ");
  EXPECT_FATAL(InitMiniGUI(1, nullptr, dir / "missing"),
               "could not examine \\Theme directory\r\nMini GUI mod in LoadAllSprites @ ");
  testing_support::WriteBytes(dir / "Empty.png", "");
  EXPECT_FATAL(InitMiniGUI(1, nullptr, dir),
               "could not find file: " + (dir / "Empty.png").string() + "\r\nMini GUI mod in LoadSpritesheet @ ");
  fs::remove(dir / "Empty.png");
  testing_support::WriteBytes(dir / "Text.png", "this is not a picture");
  EXPECT_FATAL(InitMiniGUI(1, nullptr, dir),
               "could not load sprite: " + (dir / "Text.png").string() + "\r\nMini GUI mod in LoadSpritesheet @ ");
  fs::remove_all(dir);
}

TEST_F(MiniGui, ImagesTooSmallForTheirUseAreFatal) {
  EXPECT_FATAL(CreateSpriteFont("Tiny", 0, 0, 0), "image is too small for a sprite font: Tiny\r\nMini GUI mod in CreateSpriteFont @ ");
  EXPECT_FATAL(CreateFrame("Tiny", 0, 0, 3, 3, 1), "image is too small for a frame: Tiny\r\nMini GUI mod in CreateFrame @ ");
  EXPECT_FATAL(CreateFrame("Flat", 0, 0, 3, 3, 1), "image is too small for a frame: Flat\r\nMini GUI mod in CreateFrame @ ");
}

TEST_F(MiniGui, ElementPageMatchesRecordAndKind) {
  TextArea* area = Area(font, 3, 0, 0);
  EXPECT_EQ(ElementPage(font, kKindSpriteFont), -1);
  EXPECT_EQ(ElementPage(area, kKindTextArea), 1);
  EXPECT_EQ(ElementPage(area, kKindSpriteFont), 0);
  EXPECT_FATAL(CreateLabel("x", reinterpret_cast<SpriteFont*>(area), 0, 0, 0, 1),
               "invalid spritefont\r\nMini GUI mod in CreateLabel @ ");
  EXPECT_FATAL(CreateTextArea(nullptr, 0, 0, 50, 50, 0, 0, 0, 1), "invalid spritefont\r\nMini GUI mod in CreateTextArea @ ");
  EXPECT_FATAL(CreateButtonArray(nullptr, "Button Short", 1, 0, 0, "a~", 1),
               "invalid spritefont\r\nMini GUI mod in CreateButtonArray @ ");
  EXPECT_FATAL(CreateKBArea(nullptr, 0, 0, 40, 2, 0, 1), "invalid spritefont\r\nMini GUI mod in CreateKBArea @ ");
  EXPECT_FATAL(CreateCheckBox("c", nullptr, 0, 0, 0, "Panel", 1), "spritefont does not exist\r\nMini GUI mod in CreateCheckBox @ ");
  EXPECT_FATAL(CreateScrollArrows("Scroll Arrows", reinterpret_cast<TextArea*>(font), 0, 0),
               "invalid text area ID\r\nMini GUI mod in CreateScrollArrows @ ");
}

// --- Fonts and text drawing ------------------------------------------------------
TEST_F(MiniGui, FontGlyphTableFollowsTheSheet) {
  SpriteFont* big = CreateSpriteFont("Cells 16x24", 0, 0, 0);
  EXPECT_EQ(SpriteFontWidth(big), 16);
  EXPECT_EQ(SpriteFontHeight(big), 24);
  EXPECT_EQ(big->glyphX['A' - 32], 16);
  EXPECT_EQ(big->glyphY['A' - 32], 48);
  EXPECT_EQ(big->glyphX[223], 240);
  EXPECT_EQ(big->glyphY[223], 13 * 24);
  // Drawn in the sheet's own colours, the box shows which cells were read.
  PlatClearScreen(0x102030);
  DrawTextBox(big, "ab~abcd", 0, 0);
  const std::string rows[2] = {" ab   ", " abcd "};
  for (int r = 0; r < 2; ++r) {
    for (int c = 0; c < 6; ++c) {
      EXPECT_EQ(PlatScreenPixel(c * 16 + 8, r * 24 + 12), static_cast<int>(CellColour(rows[r][c] - 32)))
          << "row " << r << " column " << c;
    }
    EXPECT_EQ(PlatScreenPixel(6 * 16 + 8, r * 24 + 12), 0x102030);
  }
  EXPECT_EQ(PlatScreenPixel(8, 2 * 24 + 12), 0x102030);
}

TEST_F(MiniGui, SpriteTextStopsAtTheRightLimitAndSkipsControlCharacters) {
  PlatResetDrawStats();
  DrawSpriteText(font, "", 10, 10, 0);
  EXPECT_EQ(Displays(), 0);
  DrawSpriteText(font, "a long text", 10, 10, 0, 10);
  EXPECT_EQ(Displays(), 1);
  PlatResetDrawStats();
  DrawSpriteText(font, "abcdef", 10, 10, 0, 10 + 2 * 9);  // starts at 10, 19, 28
  EXPECT_EQ(Displays(), 3);
  PlatResetDrawStats();
  DrawSpriteText(font, std::string("\x01\x1f") + "A" + "\xff", 10, 10, 0);
  EXPECT_EQ(Displays(), 2);
}

// --- Frames and labels -------------------------------------------------------------
TEST_F(MiniGui, FramesCentreAndMeasureInTiles) {
  Frame* frame = CreateFrame("Frame", -1, -1, 5, 3, 1);
  EXPECT_EQ(FrameX(frame), (800 - 160) / 2);
  EXPECT_EQ(FrameY(frame), (600 - 96) / 2);
  EXPECT_EQ(FrameRight(frame), FrameX(frame) + 160);
  EXPECT_EQ(FrameBottom(frame), FrameY(frame) + 96);
  Frame* panel = CreateFrame("Panel", 7, -1, 4, 3, 1);
  EXPECT_EQ(panel->tileSize, 8);
  EXPECT_EQ(FrameX(panel), 7);
  EXPECT_EQ(FrameY(panel), (600 - 24) / 2);
  // 9-slice, laid out once and drawn in one copy: the very pixels of its
  // tiles drawn one by one (5 x 3 of them; a 1 x 1 frame still has its
  // 2 x 2 corners), for an opaque frame and for one with see-through edges,
  // at UI scale 1 and 2.
  auto tileSheet = [](bool opaque) {
    int image = PlatCreateImage(kAnySprite, 24, 24, 0);
    PlatStartDrawingImage(image);
    PlatDrawingMode(kDrawAllChannels);
    for (int y = 0; y < 24; ++y)
      for (int x = 0; x < 24; ++x)
        PlatBox(x, y, 1, 1,
                (opaque ? 0xFF000000u : static_cast<uint32_t>(x * 10 + y) << 24) | (x * 9 << 8) | y * 7);
    PlatStopDrawing();
    std::vector<uint8_t> png = PlatEncodeImagePng(image);
    PlatFreeImage(image);
    return PlatSpriteFromMemory(kAnySprite, png.data(), png.size());
  };
  const int seeThrough = tileSheet(false), opaque = tileSheet(true);
  SetPageHidden(1, 1);
  auto tileByTile = [](const Frame* f, int columns, int rows) {
    for (int r = 0; r < rows; ++r)
      for (int c = 0; c < columns; ++c) {
        PlatClipSprite(f->sprite, (c == 0 ? 0 : c == columns - 1 ? 2 : 1) * f->tileSize,
                       (r == 0 ? 0 : r == rows - 1 ? 2 : 1) * f->tileSize, f->tileSize, f->tileSize);
        PlatDisplaySprite(f->sprite, f->x + c * f->tileSize, f->y + r * f->tileSize);
      }
  };
  for (int scale : {1, 2})
  for (Frame* f : {frame, panel}) {
    PlatSetUiScale(scale);
    // Wholly on the screen (SDL blends a scaled draw across the screen's
    // edge through another path, which rounds differently).
    f->x = f->y = 10;
    for (int size : {5, 1}) {
      f->hidden = 0;
      f->width = size;
      f->height = size == 5 ? 3 : 1;
      const int columns = std::max(size, 2), rows = size == 5 ? 3 : 2;
      for (int sprite : {f->sprite, seeThrough, opaque}) {
        f->sprite = sprite;
        PlatClearScreen(0x336699);
        PlatResetDrawStats();
        DrawAllElements();
        EXPECT_EQ(Displays(), 1);
        const std::vector<uint8_t> whole = PlatScreenshotRgba();
        PlatClearScreen(0x336699);
        tileByTile(f, columns, rows);
        EXPECT_TRUE(whole == PlatScreenshotRgba())
            << "size " << size << " sprite " << sprite << " UI scale " << scale;
      }
      f->hidden = 1;
    }
  }
  PlatSetUiScale(1);
}

TEST_F(MiniGui, FrameEdgesComeFromTheImageEdges) {
  Frame* frame = CreateFrame("Frame", 0, 0, 4, 4, 1);
  PlatClearScreen(0xFFFFFF);
  DrawAllElements();
  int edge = PlatScreenPixel(0, 0);
  int fill = PlatScreenPixel(64, 64);
  EXPECT_NE(edge, fill);
  // Every outer border pixel row/column is the edge colour: the frame is closed.
  for (int i = 0; i < 128; i += 5) {
    EXPECT_EQ(PlatScreenPixel(i, 0), edge);
    EXPECT_EQ(PlatScreenPixel(i, 127), edge);
    EXPECT_EQ(PlatScreenPixel(0, i), edge);
    EXPECT_EQ(PlatScreenPixel(127, i), edge);
  }
  EXPECT_EQ(PlatScreenPixel(40, 40), fill);  // inner tiles hold no border
  EXPECT_EQ(FrameBottom(frame), 128);
}

TEST_F(MiniGui, LabelsCentreOnTheScreenAndKeepTheirXWhenChanged) {
  Label* label = CreateLabel("abcd", font, -1, -1, 0, 1);
  EXPECT_EQ(label->x, (800 - 36) / 2);
  EXPECT_EQ(label->y, (600 - 18) / 2);
  SetLabel(label, "a much longer text", 0x0000FF);
  EXPECT_EQ(label->x, (800 - 36) / 2);
  EXPECT_EQ(label->text, "a much longer text");
  EXPECT_EQ(label->colour, 0x0000FF);
}

// --- Text areas ------------------------------------------------------------------
TEST_F(MiniGui, AddTextSplitsAtTildes) {
  TextArea* area = Area(font, 10, 2, 0);
  AddText(area, "A~~B~");
  AddText(area, "");
  AddText(area, "C~D");
  EXPECT_EQ(Lines(area), (std::vector<std::string>{"A", "", "B", "", "C", "D"}));
}

TEST_F(MiniGui, ScrollModesKeepFollowOrFreeTheText) {
  TextArea* keep = Area(font, 3, 0, 0);
  AddText(keep, "1~2~3~4~5");
  EXPECT_EQ(Lines(keep), (std::vector<std::string>{"3", "4", "5"}));
  EXPECT_EQ(keep->top, 0);
  ScrollTextArea(keep, 1);
  EXPECT_EQ(keep->top, 0);

  TextArea* follow = Area(font, 3, 1, 0);
  AddText(follow, "1~2~3~4~5");
  EXPECT_EQ(follow->top, 2);
  ScrollTextArea(follow, -1);
  EXPECT_EQ(follow->top, 1);
  SetTextAreaTop(follow, 4);
  ScrollTextArea(follow, 1);
  EXPECT_EQ(follow->top, 4);
  SetTextAreaTop(follow, 99);
  EXPECT_EQ(follow->top, 4);
  SetTextAreaTop(follow, -3);
  EXPECT_EQ(follow->top, 0);
  ScrollTextArea(follow, -1);
  EXPECT_EQ(follow->top, 0);

  TextArea* free = Area(font, 3, 2, 0);
  AddText(free, "1~2~3~4~5");
  EXPECT_EQ(free->top, 0);
  ScrollTextArea(free, 3);
  EXPECT_EQ(free->top, 3);
  ClearTextArea(free);
  EXPECT_EQ(free->top, 0);
  SetTextAreaTop(free, 2);
  EXPECT_EQ(free->top, 0);
}

TEST_F(MiniGui, AreasMustHoldOneLine) {
  SpriteFont* small = CreateSpriteFont("Cells 8x14", 0, 0, 0);
  EXPECT_FATAL(CreateTextArea(small, 0, 0, 100, 20, 4, 0, 0, 1),
               "text area is too short for font\r\nMini GUI mod in CreateTextArea @ ");
  TextArea* area = CreateTextArea(small, -1, -1, 100, 22, 4, 0, 0, 1);
  EXPECT_EQ(area->rows, 1);
  EXPECT_EQ(area->x, 350);
  EXPECT_EQ(area->y, 289);
  EXPECT_EQ(TextAreaColumns(area), 11);
}

TEST_F(MiniGui, CentredTextIsPaddedToTheColumns) {
  SpriteFont* small = CreateSpriteFont("Cells 8x14", 0, 0, 0);
  TextArea* area = CreateTextArea(small, 0, 0, 80, 100, 0, 2, 0, 1);
  ASSERT_EQ(TextAreaColumns(area), 10);
  AddCentredText(area, "abc~ignored");
  AddCentredText(area, "a text far too long for it");
  EXPECT_EQ(Lines(area), (std::vector<std::string>{"   abc    ", "a text far"}));
}

TEST_F(MiniGui, PickingCountsEdgesAsInside) {
  TextArea* area = Area(font, 3, 2, 0, 4);  // x 100..280, y 50..112
  AddText(area, "a~b~c~d");
  EXPECT_EQ(PickTextArea(area, 100, 50), "a");  // top margin counts as the first row
  EXPECT_EQ(PickTextArea(area, 280, 50 + 4 + 18), "b");
  EXPECT_EQ(PickTextArea(area, 281, 60), "");
  EXPECT_EQ(PickTextArea(area, 99, 60), "");
  EXPECT_EQ(PickTextArea(area, 150, 49), "");
  EXPECT_EQ(PickTextArea(area, 150, 113), "");
  // The bottom margin is below the last visible row.
  EXPECT_EQ(PickTextArea(area, 150, 112), "");
  EXPECT_EQ(area->selected, 1);
  ScrollTextArea(area, 1);
  EXPECT_EQ(PickTextArea(area, 150, 50 + 4 + 2 * 18), "d");
  EXPECT_EQ(GetTextAreaSelection(area), "d");
  area->hidden = 1;
  EXPECT_EQ(PickTextArea(area, 150, 60), "");
}

TEST_F(MiniGui, PickingBelowTheLastLineSelectsNothing) {
  TextArea* area = Area(font, 3, 2, 0);
  AddText(area, "only");
  EXPECT_EQ(PickTextArea(area, 150, 50 + 20), "");
  EXPECT_EQ(area->selected, -1);
}

TEST_F(MiniGui, MultipleSelectionKeepsOrderAndToggles) {
  TextArea* area = Area(font, 5, 2, 1);
  AddText(area, "l0~l1~l2~l3~l4");
  PickTextArea(area, 150, 50 + 3 * 18 + 1);
  PickTextArea(area, 150, 50 + 1);
  EXPECT_EQ(area->selectionList, "~3~0~");
  EXPECT_EQ(GetTextAreaSelection(area), "l3~l0~");
  PickTextArea(area, 150, 50 + 3 * 18 + 1);
  EXPECT_EQ(GetTextAreaSelection(area), "l0~");
  SetTextAreaSelection(area, 4);
  SetTextAreaSelection(area, 9);  // no such line
  EXPECT_EQ(GetTextAreaSelection(area), "l0~l4~");
  SetTextAreaSelection(area, -1);
  EXPECT_EQ(GetTextAreaSelection(area), "");
  EXPECT_EQ(area->selectionList, "~");

  TextArea* none = Area(font, 5, 2, 7);
  AddText(none, "x~y");
  EXPECT_EQ(PickTextArea(none, 150, 51), "x");
  EXPECT_EQ(GetTextAreaSelection(none), "");
}

TEST_F(MiniGui, SelectedLinesAreDrawnInTheSelectedColour) {
  TextArea* area = Area(font, 3, 2, 0);
  AddText(area, "|~|");
  SetTextAreaSelection(area, 1);
  PlatClearScreen(0xFFFFFF);
  DrawAllElements();
  auto inkIn = [](int top) {
    for (int y = top; y < top + 18; ++y) {
      if (PlatScreenPixel(104, y) != 0xFFFFFF) return PlatScreenPixel(104, y);
    }
    return -1;
  };
  EXPECT_EQ(inkIn(50), 0x000000);
  EXPECT_EQ(inkIn(68), 0x0000FF);
}

TEST_F(MiniGui, RemoveTextBySelectionMode) {
  TextArea* single = Area(font, 3, 2, 0);
  AddText(single, "a~b~a~c");
  SetTextAreaSelection(single, 0);
  SetTextAreaTop(single, 3);
  RemoveText(single, "a");
  EXPECT_EQ(Lines(single), (std::vector<std::string>{"b", "a", "c"}));
  EXPECT_EQ(single->selected, -1);
  EXPECT_EQ(single->top, 2);
  RemoveText(single, "zz");
  EXPECT_EQ(Lines(single).size(), 3u);
  RemoveText(single, "b");
  RemoveText(single, "a");
  RemoveText(single, "c");
  EXPECT_TRUE(single->lines.empty());
  EXPECT_EQ(single->top, 0);  // never before the first line
  DrawAllElements();

  TextArea* multi = Area(font, 3, 2, 1);
  AddText(multi, "a~b~a~c~d");
  SetTextAreaSelection(multi, 1);
  SetTextAreaTop(multi, 4);
  RemoveText(multi, "a~d~");
  EXPECT_EQ(Lines(multi), (std::vector<std::string>{"b", "c"}));
  EXPECT_EQ(multi->top, 1);
  EXPECT_EQ(multi->selectionList, "~");

  TextArea* none = Area(font, 3, 2, 5);
  AddText(none, "a");
  RemoveText(none, "a");
  EXPECT_EQ(Lines(none).size(), 1u);
}

TEST_F(MiniGui, SingleSelectionIgnoresRemovedIndices) {
  TextArea* area = Area(font, 3, 2, 0);
  AddText(area, "a~b");
  SetTextAreaSelection(area, 1);
  RemoveText(area, "a");  // indices are not adjusted: 1 now points past the end
  EXPECT_EQ(GetTextAreaSelection(area), "");
}

TEST_F(MiniGui, ScrollArrowsScrollTheirAreaByOneLine) {
  TextArea* area = Area(font, 3, 2, 0);
  AddText(area, "1~2~3~4~5");
  ScrollArrows* arrows = CreateScrollArrows("Scroll Arrows", area, 300, 50);
  EXPECT_EQ(ElementPage(arrows, kKindScrollArrows), 1);
  EXPECT_EQ(arrows->buttons->buttonWidth, 24);
  EXPECT_EQ(arrows->buttons->buttonHeight, 32);
  PickScrollArrows(arrows, 310, 50 + 40);  // lower half
  PickScrollArrows(arrows, 310, 50 + 40);
  EXPECT_EQ(area->top, 2);
  PickScrollArrows(arrows, 310, 60);
  EXPECT_EQ(area->top, 1);
  PickScrollArrows(arrows, 400, 60);
  EXPECT_EQ(area->top, 1);
  arrows->hidden = 1;
  PickScrollArrows(arrows, 310, 60);
  EXPECT_EQ(area->top, 1);
}

// --- Button arrays -------------------------------------------------------------------
TEST_F(MiniGui, ButtonGridWithIncompleteLastRow) {
  ButtonArray* b = CreateButtonArray(font, "40~20", 2, 100, 100, "a~b~c~d~e", 1);
  EXPECT_EQ(b->captions.size(), 5u);
  EXPECT_EQ(b->totalWidth, 80);
  EXPECT_EQ(b->totalHeight, 60);
  EXPECT_EQ(b->endX, 140);
  EXPECT_EQ(b->endY, 140);
  EXPECT_EQ(PickButton(b, 100, 110), -1);  // left edge
  EXPECT_EQ(PickButton(b, 110, 100), -1);  // top edge
  EXPECT_EQ(PickButton(b, 101, 101), 0);
  EXPECT_EQ(PickButton(b, 179, 101), 1);
  EXPECT_EQ(PickButton(b, 180, 101), -1);  // right edge
  EXPECT_EQ(PickButton(b, 139, 159), 4);
  EXPECT_EQ(PickButton(b, 141, 150), -1);  // the empty cell
  EXPECT_EQ(PickButton(b, 150, 139), 3);
  EXPECT_EQ(PickButton(b, 120, 160), -1);  // bottom edge
  SetButtonState(b, 3, 2);
  EXPECT_EQ(PickButton(b, 150, 139), -1);
  SetButtonState(b, 3, 1);
  EXPECT_EQ(PickButton(b, 150, 139), 3);
  SetButtonArrayHidden(b, 1);
  EXPECT_EQ(PickButton(b, 101, 101), -1);
  EXPECT_EQ(GetButtonState(b, 3), 1);
  EXPECT_EQ(GetButtonState(b, 99), 2);
  SetButtonState(b, 99, 0);  // ignored
}

TEST_F(MiniGui, ButtonSizingAndCaptionCentring) {
  ButtonArray* b = CreateButtonArray(font, "Button Short", 1, 10, 20, "OK~a caption too wide~", 1);
  EXPECT_EQ(b->buttonWidth, 82);
  EXPECT_EQ(b->buttonHeight, 32);
  EXPECT_EQ(b->background, GetSpriteID("Button Short"));
  EXPECT_EQ(b->captionX[0], 10 + (82 - 18) / 2);
  EXPECT_EQ(b->captionY[0], 20 + (32 - 18) / 2);
  EXPECT_EQ(b->buttonY[1], 52);
  EXPECT_LT(b->captionX[1], 10);  // wider than the button: starts left of it
  EXPECT_EQ(b->endX, 10 + 82);
  EXPECT_EQ(b->endY, 20 + 64);
  SpriteFont* small = CreateSpriteFont("Cells 8x14", 0, 0, 0);
  EXPECT_FATAL(CreateButtonArray(small, "16~12", 1, 0, 0, "x~", 1),
               "button is too short for label\r\nMini GUI mod in CreateButtonArray @ ");
  EXPECT_FATAL(CreateButtonArray(small, "0~20", 1, 0, 0, "x~", 1),
               "button is too narrow: 0~20\r\nMini GUI mod in CreateButtonArray @ ");
  EXPECT_FATAL(CreateButtonArray(small, "20~20", 0, 0, 0, "x~", 1),
               "invalid number of columns: 0\r\nMini GUI mod in CreateButtonArray @ ");
  EXPECT_FATAL(CreateButtonArray(small, "Nothing", 1, 0, 0, "x~", 1),
               "unknown image name: Nothing\r\nMini GUI mod in GetSpriteID @ ");
}

TEST_F(MiniGui, ButtonCaptionsAreColouredByState) {
  ButtonArray* b = CreateButtonArray(font, "30~20", 3, 0, 0, "|~|~|", 1);
  SetButtonState(b, 1, 1);
  SetButtonState(b, 2, 2);
  PlatClearScreen(0xFFFFFF);
  DrawAllElements();
  auto ink = [](int x) {
    for (int y = 0; y < 20; ++y) {
      int p = PlatScreenPixel(x, y);
      if (p != 0xFFFFFF) return p;
    }
    return -1;
  };
  int column = b->captionX[0] + 4;
  EXPECT_EQ(ink(column), 0x000000);
  EXPECT_EQ(ink(column + 30), 0x0000FF);
  EXPECT_EQ(ink(column + 60), 0xC0C0C0);
}

// --- Check boxes and option boxes -------------------------------------------------------
TEST_F(MiniGui, CheckBoxTogglesInItsClickZone) {
  CheckBox* box = CreateCheckBox("new season", font, 50, 60, 0, "Panel", 4);
  EXPECT_EQ(box->frame->width, 3);
  EXPECT_EQ(box->tick->x, 57);
  EXPECT_EQ(box->caption->x, 84);
  EXPECT_EQ(box->caption->y, 63);
  EXPECT_EQ(PickCheckBox(box, 49, 70), -1);
  EXPECT_EQ(PickCheckBox(box, 50, 60), 1);
  EXPECT_EQ(box->tick->text, std::string(1, static_cast<char>(251)));
  EXPECT_EQ(PickCheckBox(box, 74, 84), 0);
  EXPECT_EQ(box->tick->text, " ");
  EXPECT_EQ(PickCheckBox(box, 75, 70), -1);
  SetCheckBox(box, 1);
  EXPECT_EQ(GetCheckBox(box), 1);
  SetCheckBoxHidden(box, 1);
  EXPECT_TRUE(box->caption->hidden && box->tick->hidden && IsFrameHidden(box->frame));
  EXPECT_EQ(PickCheckBox(box, 60, 70), -1);
  EXPECT_EQ(GetCheckBox(box), 1);
}

TEST_F(MiniGui, OptionBoxesTickOneAtATime) {
  OptionBoxes* options = CreateOptionBoxes("by points~random~last race", font, 20, 100, 0, "Panel", 4);
  ASSERT_EQ(options->boxes.size(), 3u);
  EXPECT_EQ(options->boxes[1]->y, 134);
  EXPECT_EQ(options->boxes[2]->y, 168);
  EXPECT_EQ(GetSelectedOption(options), -1);
  EXPECT_EQ(PickOptionBox(options, 30, 140), 1);
  EXPECT_EQ(PickOptionBox(options, 30, 140), 1);  // clicking it again keeps it ticked
  EXPECT_EQ(GetCheckBox(options->boxes[1]), 1);
  EXPECT_EQ(PickOptionBox(options, 30, 175), 2);
  EXPECT_EQ(GetCheckBox(options->boxes[1]), 0);
  EXPECT_EQ(PickOptionBox(options, 300, 175), -1);
  EXPECT_EQ(GetSelectedOption(options), 2);
  SetSelectedOption(options, 0);
  EXPECT_EQ(GetCheckBox(options->boxes[0]) + GetCheckBox(options->boxes[2]), 1);
  SetSelectedOption(options, -1);
  EXPECT_EQ(GetSelectedOption(options), -1);
  EXPECT_EQ(GetCheckBox(options->boxes[0]), 0);
  EXPECT_FATAL(SetSelectedOption(options, 3), "invalid option box number: 3\r\nMini GUI mod in SetSelectedOption @ ");
  EXPECT_FATAL(SetSelectedOption(options, -2), "invalid option box number: -2\r\nMini GUI mod in SetSelectedOption @ ");
  SetOptionBoxesHidden(options, 1);
  EXPECT_EQ(PickOptionBox(options, 30, 105), -1);
}

// --- Keyboard areas ------------------------------------------------------------------------
class KeyboardArea : public MiniGui {
 protected:
  void SetUp() override {
    MiniGui::SetUp();
    small = CreateSpriteFont("Cells 8x14", 0, 0, 0);
    area = CreateKBArea(small, 100, 100, 36, 2, 0xFFFFFF, 4);  // capacity 4
  }
  std::string Enter(const std::string& filter = "[0-9]") { return PickKBA(area, 110, 105, filter); }
  SpriteFont* small = nullptr;
  KBArea* area = nullptr;
};

TEST_F(KeyboardArea, CapacityLeavesRoomForTheCursor) {
  EXPECT_EQ(area->height, 18);
  for (const char* digit : {"1", "2", "3", "4", "5"}) TypeKey(2, digit);
  PressKey(kKeyReturn);
  EXPECT_EQ(Enter(), "123");
  EXPECT_EQ(GetKBAText(area), "123");
}

TEST_F(KeyboardArea, FilterBackspaceAndTab) {
  TypeKey(30, "a");
  TypeKey(2, "7");
  PressKey(kKeyBackspace);
  PressKey(kKeyBackspace);  // on an empty entry: only the cursor stays
  TypeKey(3, "4");
  TypeKey(30, "x");
  PressKey(kKeyTab);
  EXPECT_EQ(Enter(), "4");
}

TEST_F(KeyboardArea, EscapeAndRightClickCancelButKeepTheText) {
  TypeKey(2, "1");
  TypeKey(3, "2");
  PressKey(kKeyEscape);
  EXPECT_EQ(Enter(), "");
  EXPECT_EQ(GetKBAText(area), "12");
  ScriptFrames({[] { RightClick(500, 500); }});
  EXPECT_EQ(Enter(), "");
  EXPECT_EQ(GetKBAText(area), "12");
}

TEST_F(KeyboardArea, LeftClickAnywhereAccepts) {
  SetKBAText(area, "9");
  ScriptFrames({[] { TypeKey(2, "8"); }, [] { Click(700, 10); }});
  EXPECT_EQ(Enter(), "8") << "the clicked entry's text was selected";
  EXPECT_TRUE(ScriptDone());
}

// A click into the box selects what it holds: the first key the filter takes
// replaces it, Backspace clears it, a key the filter drops leaves it; after
// that, typing goes on after the text. A click outside changes nothing.
TEST_F(KeyboardArea, AClickSelectsTheTextSoTheFirstKeyReplacesIt) {
  int digits = PlatCompileRegex("[0-9]");
  SetKBAText(area, "4");
  EXPECT_FALSE(ClickKBA(area, 100, 105));  // the left edge
  EXPECT_EQ(area->focused, 0);
  ASSERT_TRUE(ClickKBA(area, 110, 105));
  EXPECT_EQ(TypeIntoKBA(area, "x2", digits), KBAKey::Typing);
  EXPECT_EQ(GetKBAText(area), "2");
  TypeIntoKBA(area, "1", digits);
  EXPECT_EQ(GetKBAText(area), "21");
  ClickKBA(area, 110, 105);
  TypeIntoKBA(area, std::string(1, '\b') + "7", digits);
  EXPECT_EQ(GetKBAText(area), "7");
  // The modal entry a click starts selects too.
  ScriptFrames({[] { PressKey(kKeyBackspace); }, [] { TypeKey(3, "3"); }, [] { PressKey(kKeyReturn); }});
  EXPECT_EQ(Enter(), "3");
  PlatFreeRegex(digits);
}

TEST_F(KeyboardArea, EntryStartsOnlyStrictlyInside) {
  PressKey(kKeyReturn);
  EXPECT_EQ(PickKBA(area, 100, 105, "[0-9]"), "");  // left edge: no entry, nothing consumed
  EXPECT_EQ(PickKBA(area, 110, 118, "[0-9]"), "");  // bottom edge
  area->hidden = 1;
  EXPECT_EQ(PickKBA(area, 110, 105, "[0-9]"), "");
  area->hidden = 0;
  EXPECT_EQ(Enter(), "");  // the Return pushed above ends this one
  EXPECT_FATAL(Enter("[0-9"), "invalid regular expression: [0-9\r\nMini GUI mod in PickKBA @ ");
}

TEST_F(KeyboardArea, TheCursorIsShownWhileTyping) {
  ScriptFrames({[this] { EXPECT_EQ(GetKBAText(area), "5_"); }, [] { PressKey(kKeyReturn); }});
  TypeKey(2, "5");
  EXPECT_EQ(Enter(), "5");
}

// --- Pages and drawing -------------------------------------------------------------------
TEST_F(MiniGui, PagesHideWholeAndMinusOneHidesEverything) {
  Frame* race = CreateFrame("Frame", 0, 0, 3, 3, 1);
  Frame* menu = CreateFrame("Frame", 200, 0, 3, 3, 2);
  ButtonArray* buttons = CreateButtonArray(font, "Button Short", 1, 200, 0, "a~", 2);
  SetPageHidden(2, 1);
  EXPECT_EQ(race->hidden, 0);
  EXPECT_NE(menu->hidden, 0);
  EXPECT_NE(buttons->hidden, 0);
  // Created on a hidden page, but shown until the page is hidden again.
  Label* late = CreateLabel("x", font, 0, 0, 0, 2);
  EXPECT_EQ(late->hidden, 0);
  SetPageHidden(-1, 1);
  PlatResetDrawStats();
  DrawAllElements();
  EXPECT_EQ(Displays(), 0);
  SetPageHidden(-1, 0);
  PlatResetDrawStats();
  DrawAllElements();
  EXPECT_EQ(Displays(), 1 + 1 + 1 + 1 + 1);  // a frame is drawn in one copy
}

TEST_F(MiniGui, LaterElementsAreDrawnOnTop) {
  CreateFrame("Frame", 0, 0, 3, 3, 1);
  CreateFrame("Panel", 40, 40, 3, 3, 2);
  PlatClearScreen(0xFFFFFF);
  DrawAllElements();
  int panelFill = PlatScreenPixel(52, 52);
  int frameFill = PlatScreenPixel(80, 80);
  EXPECT_NE(panelFill, frameFill);
  SetPageHidden(2, 1);
  PlatClearScreen(0xFFFFFF);
  DrawAllElements();
  EXPECT_EQ(PlatScreenPixel(52, 52), PlatScreenPixel(80, 80));
}

TEST_F(MiniGui, ReloadAfterLostDeviceDrawsTheSamePicture) {
  CreateFrame("Frame", 10, 10, 8, 6, 1);
  CreateFrame("Panel", 40, 40, 10, 5, 1);
  TextArea* area = CreateTextArea(font, 40, 40, 80, 40, 2, 1, 0, 1);
  AddText(area, "Hello~world");
  CreateScrollArrows("Scroll Arrows", area, 130, 40);
  ButtonArray* buttons = CreateButtonArray(font, "Button Long", 1, 10, 220, "Auto Mode~Quit", 1);
  SetButtonState(buttons, 1, 2);
  CreateKBArea(font, 300, 40, 90, 2, 0xFFFFFF, 1);
  CreateCheckBox("tick", font, 300, 100, 0, "Panel", 1);
  CreateSpriteFont("Consolas 9", 0, 0, 0);
  int before = ElementCount();
  PlatClearScreen(0x808080);
  DrawAllElements();
  std::vector<uint8_t> first = PlatScreenshotPng();
  ASSERT_FALSE(first.empty());

  PlatSimulateDeviceLoss();
  EXPECT_FALSE(PlatScreenActive());
  PlatFreeSprite(-1);
  ASSERT_TRUE(PlatOpenScreen(1, 0, 0, 800, 600));
  // Take other numbers first, so reloaded images cannot land on their old ones.
  PlatCreateSprite(kAnySprite, 4, 4);
  PlatCreateSprite(kAnySprite, 4, 4);
  ReloadAllSprites();
  EXPECT_EQ(ElementCount(), before);
  PlatClearScreen(0x808080);
  DrawAllElements();
  EXPECT_EQ(PlatScreenshotPng(), first);
}
