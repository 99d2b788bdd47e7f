#include "editor/editor_screen.h"

#include "editor/test_drive.h"

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "common/common.h"
#include "dialogs/help.h"
#include "dialogs/requester.h"
#include "game/hooks.h"
#include "game/menu_race.h"
#include "game/screens.h"
#include "game/sprite_labels.h"
#include "game/spritesheet.h"
#include "game/track_view.h"
#include "game/view.h"
#include "platform/screen.h"
#include "platform/services.h"
#include "race/analyze.h"
#include "race/car_data.h"
#include "race/data_file.h"
#include "race/define.h"
#include "race/folders.h"
#include "race/movement.h"
#include "race/race_end.h"
#include "race/race_start.h"
#include "race/report.h"
#include "race/save_load.h"
#include "game/screen_settings.h"

EditorScreen gEditorScreen;

namespace {
constexpr int kKeyY = 21;
constexpr int kKeyS = 31;
constexpr int kKeyZ = 44;
const char* const kNewCircuit = "(a new circuit)";
constexpr size_t kHoverColumns = 25;  // the small font across the panel
// No longer than the panel's 25 columns of the small font.
const char* const kEditorKeys[kEditorKeyRows] = {
    "T test drive  Ctrl+S save", "Ctrl+Z undo  Ctrl+Y redo", "+ and - zoom  1-5 palette",
    "right click erases", "? help  G grid  Esc leave"};
// Where the strip would leave the status too few lines (a short screen),
// one line under the commands: what no button shows, and where the rest is.
const char* const kEditorKeysShort = "right click erases, ? keys";
const char* KeyRowText(int row) {
  return gEditorScreen.keys[1] == nullptr ? kEditorKeysShort : kEditorKeys[row];
}
const int kCornerColour[3] = {0xFFFFFF, 0x00C0FF, 0x2020FF};  // straight, sharp, hairpin

struct EditorSession {
  CircuitEditor editor;
  bool leave = false;
  bool changed = false;     // the drawing changed this frame: check it
  int solid = 0;            // a white sprite, tinted and stretched into boxes
  std::string suggestedName;
  std::string savedAs;      // the name just saved under, until the next change
  bool savedDraft = false;  // and it was kept as a draft
  void (*frameHook)() = nullptr;
  bool driving = false;
};
EditorSession gSession;

// --- Drawing helpers ---------------------------------------------------------

// Made afresh for every session: a screen opened again since may have given
// its old number to another sprite.
int SolidSprite() {
  if (gSession.solid == 0 || !PlatIsSprite(gSession.solid) || PlatSpriteWidth(gSession.solid) != 8)
    gSession.solid = MakeBoxSprite(8, 8, 0xFFFFFFFFu, 0);
  return gSession.solid;
}

void Box(int x, int y, int w, int h, int rgb, int intensity = 255) {
  if (w <= 0 || h <= 0) return;
  const int s = SolidSprite();
  PlatClipSprite(s, 0, 0, -1, -1);
  PlatDisplaySpriteSized(s, x, y, w, h, intensity, rgb);
}

void Outline(int x, int y, int size, int thick, int rgb) {
  Box(x, y, size, thick, rgb);
  Box(x, y + size - thick, size, thick, rgb);
  Box(x, y + thick, thick, size - 2 * thick, rgb);
  Box(x + size - thick, y + thick, thick, size - 2 * thick, rgb);
}

void DrawTile(int tile, int x, int y, int size) {
  if (tile < 0 || tile >= kSheetCells) return;
  const int sheet = gSheets.tilesetSprite;
  PlatClipSprite(sheet, gSheets.cellX[tile], gSheets.cellY[tile], kTileSize, kTileSize);
  PlatDisplaySpriteSized(sheet, x, y, size, size);
}

std::vector<std::string> Wrap(const std::string& text, size_t columns) {
  std::vector<std::string> lines;
  std::string line;
  size_t i = 0;
  while (i < text.size()) {
    size_t end = text.find(' ', i);
    if (end == std::string::npos) end = text.size();
    std::string word = text.substr(i, end - i);
    i = end + 1;
    while (word.size() > columns) {  // a word longer than a line is cut
      if (!line.empty()) lines.push_back(line);
      line.clear();
      lines.push_back(word.substr(0, columns));
      word = word.substr(columns);
    }
    if (line.empty()) {
      line = word;
    } else if (line.size() + 1 + word.size() <= columns) {
      line += " " + word;
    } else {
      lines.push_back(line);
      line = word;
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

// A line cut to its columns, an ellipsis where it was cut.
std::string Fit(const std::string& text, size_t columns) {
  if (text.size() <= columns || columns == 0) return text;
  return text.substr(0, columns - 1) + "\x85";
}

// A requester's text, broken into "~"-lines that fit its box.
std::string BoxText(const std::string& text) {
  std::string out;
  for (const std::string& line : Wrap(text, 52)) out += line + "~";
  return out;
}

std::vector<std::string> StatusLines(const std::string& text) {
  return Wrap(text, static_cast<size_t>(Max(TextAreaColumns(gEditorScreen.status), 8)));
}

void AddWrapped(const std::string& text) {
  for (const std::string& line : StatusLines(text)) AddText(gEditorScreen.status, line);
}

// --- The page ----------------------------------------------------------------

bool PageBuilt() {
  return gEditorScreen.frame != nullptr && ElementPage(gEditorScreen.frame, kKindFrame) == kEditorPage;
}

void BuildEditorPage() {
  EditorScreen& s = gEditorScreen;
  SpriteFont* font = gElements.MainFont;
  SpriteFont* small = gElements.SmallFont != nullptr ? gElements.SmallFont : font;
  s.frame = CreateFrame("Frame", gView.trackViewWidth, 0, 8, PlatScreenHeight() / 32, kEditorPage);
  const int fx = FrameX(s.frame), fy = FrameY(s.frame), fb = FrameBottom(s.frame);
  CreateLabel("Circuit Editor", font, fx + 40, fy + 34, 0, kEditorPage);
  // The small font is drawn in its own colours, a box behind its letters.
  s.title = CreateLabel("", small, fx + 40, fy + 56, kNoTint, kEditorPage);
  s.tabs = CreateButtonArray(font, "Button Short", 2, fx + 44, fy + 76,
                             "Track~Scenery~Lanes~Corners~Labels~", kEditorPage);
  s.paletteX = fx + 41;
  s.paletteY = fy + 180;
  CreateFrame("Panel", fx + 40, fy + 178, 22, 26, kEditorPage);
  s.hover[0] = CreateLabel("", small, fx + 40, fy + 390, kNoTint, kEditorPage);
  s.hover[1] = CreateLabel("", small, fx + 40, fy + 406, kNoTint, kEditorPage);
  const int commandsY = fb - 40 - 96;
  const int statusY = fy + 428;
  // The editor's keys sit above the commands, off the drawing; the status
  // gives up the rows they take.
  // Where that would leave the status fewer lines than the longest check
  // result takes (a short screen), one short line under the commands says
  // what no button shows and where the rest is ("?").
  constexpr int kLeastStatusLines = 10;
  const int keyRow = SpriteFontHeight(small);
  const int keysY = commandsY - 6 - kEditorKeyRows * keyRow;
  const bool keysFit = keysY - 6 - statusY >= kLeastStatusLines * SpriteFontHeight(font);
  const int statusBottom = keysFit ? keysY - 6 : commandsY - 8;
  const int statusHeight = Max((statusBottom - statusY) / 8 * 8, 32);
  for (int i = 0; i < kEditorKeyRows; ++i)
    s.keys[i] = keysFit ? CreateLabel(kEditorKeys[i], small, fx + 40, keysY + i * keyRow, kNoTint,
                                      kEditorPage)
                        : nullptr;
  if (!keysFit)
    s.keys[0] = CreateLabel(kEditorKeysShort, small, fx + 40, commandsY + 96 + 2, kNoTint, kEditorPage);
  CreateFrame("Panel", fx + 40, statusY, 22, statusHeight / 8, kEditorPage);
  s.status = CreateTextArea(font, fx + 40, statusY, 176, statusHeight, 4, 2, 0, kEditorPage);
  s.statusRows = s.status->rows;
  s.commands = CreateButtonArray(font, "Button Short", 2, fx + 44, commandsY,
                                 "Save~Drive~Undo~Redo~Help~Close~", kEditorPage);
  s.back = CreateButtonArray(font, "Button Long", 1, fx + 40, fb - 40 - 32, "Back to Editor~",
                             kEditorPage);
  SetPageHidden(kEditorPage, 1);
}

int PaletteIndexAt(int x, int y) {
  const EditorScreen& s = gEditorScreen;
  const int step = s.paletteCell + 1;
  if (x < s.paletteX || y < s.paletteY) return -1;
  const int col = (x - s.paletteX) / step, row = (y - s.paletteY) / step;
  if (col >= s.paletteColumns) return -1;
  const int index = row * s.paletteColumns + col;
  return index < static_cast<int>(TabTiles(s.tab).size()) ? index : -1;
}

void SelectTab(int tab) {
  if (tab < 0 || tab >= kEditorTabs) return;
  gEditorScreen.tab = tab;
  for (int i = 0; i < kEditorTabs; ++i) SetButtonState(gEditorScreen.tabs, i, i == tab ? 1 : 0);
}

// --- The check on the screen -------------------------------------------------

std::string CornerWord(int type) {
  return type == 2 ? "hairpin" : type == 1 ? "sharp corner" : "straight";
}

// Nodes of the corner entered at node `entry`.
int CornerLength(int entry) {
  int n = 0;
  for (size_t i = entry; i < Node().size() && Node()[i].corner != 0; ++i) ++n;
  return n;
}

// What to do about a problem, in the palette's words: the check's own text
// is the circuit tool's, which counts tiles by number.
std::string ProblemHint(const std::string& problem) {
  if (problem.find("no start tile") != std::string::npos)
    return "Put a start tile (Track, the ones with the chequered line) on the path.";
  if (problem.find("no corner") != std::string::npos)
    return "Mark each corner: a marker from Corners (key 4) where it begins, one where it ends.";
  if (problem.find("inside a corner") != std::string::npos)
    return "The start must stand on a straight, outside every corner marker.";
  if (problem.find("corner still open") != std::string::npos)
    return "The last corner's markers run on to the start line: end them before it.";
  if (problem.find("start tiles") != std::string::npos)
    return "A circuit has one start tile: remove the others.";
  if (problem.find("leaves the grid") != std::string::npos ||
      problem.find("does not join") != std::string::npos ||
      problem.find("invalid tile combination") != std::string::npos)
    return "Each piece must join the next: look at the red cell and the one it leads to.";
  return "";
}

void ShowStatus() {
  CircuitEditor& e = gSession.editor;
  const DrawingCheck& c = e.check;
  TextArea* area = gEditorScreen.status;
  ClearTextArea(area);
  area->rows = gEditorScreen.statusRows;
  if (!gSession.savedAs.empty())
    AddWrapped(gSession.savedDraft ? "Kept as the draft " + gSession.savedAs +
                                         ": it is raced once it builds and is saved again."
                                   : "Saved as " + gSession.savedAs + ".");
  if (c.builds) {
    AddWrapped("It builds: " + Decimal(c.nodes) + " nodes, " + Decimal(c.corners) +
               " corners, a grid for " + Decimal(Min(e.field, 2 * c.nodes)) + " cars.");
    for (const std::string& w : c.warnings) AddWrapped("warning: " + w);
    if (!c.offPath.empty()) AddWrapped("(pieces off the path marked magenta)");
    if (c.warnings.empty()) AddWrapped("No warnings. It can be saved and raced.");
  } else {
    AddWrapped("Does not build: " + c.problem);
    if (!c.first.empty()) AddWrapped("First: " + c.first);
    if (c.cellX >= 0) AddWrapped("(marked red)");
    // The hint always: where the box is too short, the wheel brings it up.
    const std::string hint = ProblemHint(c.first.empty() ? c.problem : c.first);
    if (!hint.empty()) AddWrapped(hint);
  }
  // Too long for the box: its last row says so, and the wheel scrolls it.
  if (area->lines.size() > static_cast<size_t>(area->rows)) area->rows = gEditorScreen.statusRows - 1;
  std::string title = e.name.empty() ? (gSession.suggestedName.empty() ? "new circuit"
                                                                       : gSession.suggestedName +
                                                                             " (not saved)")
                                     : e.name + (e.draft ? " (draft)" : "");
  title += "  " + Decimal(e.drawing.Cols()) + " x " + Decimal(e.drawing.Rows());
  if (e.unsaved) title += " *";
  SetLabel(gEditorScreen.title, Fit(title, kHoverColumns), kNoTint);
}

void CheckNow() {
  CheckDrawing(gSession.editor);
  RaceNow().labels.clear();
  for (const EditorLabel& l : gSession.editor.drawing.labels)
    RaceNow().labels.push_back({l.text, 0x040404, l.x * kTileSize, l.y * kTileSize});
  ShowStatus();
}

// A text over both hover lines, broken between words.
void SplitHover(const std::string& text, std::string& first, std::string& second) {
  const std::vector<std::string> lines = Wrap(text, kHoverColumns);
  first = lines.empty() ? "" : lines[0];
  second.clear();
  for (size_t k = 1; k < lines.size(); ++k) second += (k > 1 ? " " : "") + lines[k];
}

// What the pointer rests on: the cell, its tile and, on the path, the node.
void ShowHover() {
  int col = -1, row = -1;
  const int x = PlatMouseX(), y = PlatMouseY();
  std::string first, second;
  if (x >= 0 && x < gView.trackViewWidth) {
    int cx = CircuitX(x), cy = CircuitY(y);
    col = cx < 0 ? -1 : cx / kTileSize;
    row = cy < 0 ? -1 : cy / kTileSize;
  }
  const CircuitDrawing& d = gSession.editor.drawing;
  if (col >= 0 && row >= 0 && d.layers[0].Inside(col, row)) {
    // A cell without a marker names its track (what the markers go on).
    const int layer = Max(TabLayer(gEditorScreen.tab), 0);
    const int tile = d.layers[layer](col, row) >= 0 ? d.layers[layer](col, row) : d.layers[0](col, row);
    first = Decimal(col) + ", " + Decimal(row) + ": " + TileName(tile);
    for (size_t i = 0; i < Node().size(); ++i) {
      const NodeRecord& n = Node()[i];
      if (n.nodeX != col || n.nodeY != row) continue;
      second = "node " + Decimal(i) + ": ";
      // The MP as a car there would be charged them, as the gear panel says.
      const CornerAhead ahead = WalkToNextCorner(static_cast<int>(i));
      if (n.corner != 0)
        second += "in a " + CornerWord(n.corner);
      else if (ahead.type != 0)
        second += Decimal(ahead.mp) + " MP to a " + CornerWord(ahead.type);
      else
        second += "no corner ahead";
      break;
    }
    std::string label = LabelAt(gSession.editor, col, row);
    if (second.empty() && !label.empty()) second = "label: " + label;
    if (second.empty()) SplitHover(std::string(first), first, second);
  } else if (int i = PaletteIndexAt(x, y); i >= 0) {
    SplitHover(TileName(TabTiles(gEditorScreen.tab)[i]), first, second);
  }
  SetLabel(gEditorScreen.hover[0], Fit(first, kHoverColumns), kNoTint);
  SetLabel(gEditorScreen.hover[1], Fit(second, kHoverColumns), kNoTint);
}

// A right-angle brush as the four cells it lays a turn across, in small.
void DrawRightAngle(int brush, int x, int y, int size) {
  static std::map<int, CircuitDrawing> turns;
  if (turns.count(brush) == 0) {
    CircuitEditor scratch;
    NewDrawing(scratch, 2, 2);
    for (int k = 0; k < 4 && !PaintRightAngle(scratch, brush, k % 2, k / 2); ++k) {
    }
    turns[brush] = scratch.drawing;
  }
  const int half = size / 2;
  for (int k = 0; k < 4; ++k)
    DrawTile(turns[brush].layers[0](k % 2, k / 2), x + k % 2 * half, y + k / 2 * half, half);
}

void DrawPalette() {
  const EditorScreen& s = gEditorScreen;
  const std::vector<int>& tiles = TabTiles(s.tab);
  const int step = s.paletteCell + 1;
  for (size_t i = 0; i < tiles.size(); ++i) {
    int x = 0, y = 0;
    x = s.paletteX + static_cast<int>(i) % s.paletteColumns * step;
    y = s.paletteY + static_cast<int>(i) / s.paletteColumns * step;
    if (TabLayer(s.tab) != 0) DrawTile(kEditorGround, x, y, s.paletteCell);
    if (IsRightAngleBrush(tiles[i]))
      DrawRightAngle(tiles[i], x, y, s.paletteCell);
    else
      DrawTile(tiles[i], x, y, s.paletteCell);
    if (tiles[i] == s.tile[s.tab]) Outline(x - 1, y - 1, s.paletteCell + 2, 2, 0x00D0FF);
  }
  if (s.tab == kTabLabels) {
    DrawSpriteText(gElements.MainFont, "Click a cell,", s.paletteX + 8, s.paletteY + 10, 0);
    DrawSpriteText(gElements.MainFont, "type its label.", s.paletteX + 8, s.paletteY + 30, 0);
    DrawSpriteText(gElements.MainFont, "Empty removes it.", s.paletteX + 8, s.paletteY + 50, 0);
  }
}

// The path, the corners and the grid places over the circuit, or the cell
// that keeps it from building.
void DrawCheckOverlay() {
  const int cell = CellPixels();
  const DrawingCheck& c = gSession.editor.check;
  const int zoom = gView.zoom;
  auto sx = [&](int col, int px) { return ScreenX(col * kTileSize) + px * zoom / 100; };
  auto sy = [&](int row, int py) { return ScreenY(row * kTileSize) + py * zoom / 100; };
  if (!c.builds) {
    if (c.cellX >= 0)
      Outline(ScreenX(c.cellX * kTileSize), ScreenY(c.cellY * kTileSize), cell, Max(cell / 12, 2),
              0x0000FF);
    for (auto [x, y] : c.starts)
      Outline(ScreenX(x * kTileSize), ScreenY(y * kTileSize), cell, Max(cell / 12, 2), 0x0000FF);
    return;
  }
  for (const StrayPiece& piece : c.offPath)
    Outline(ScreenX(piece.x * kTileSize), ScreenY(piece.y * kTileSize), cell, Max(cell / 16, 2),
            0xFF00FF);
  const std::vector<NodeRecord>& nodes = Node();
  const int dot = Max(cell / 10, 3);
  for (const NodeRecord& n : nodes) {
    const int mx = (n.x[0] + n.x[1]) / 2, my = (n.y[0] + n.y[1]) / 2;
    const int colour = kCornerColour[std::clamp(n.corner, 0, 2)];
    Box(sx(n.nodeX, mx) - dot / 2 - 1, sy(n.nodeY, my) - dot / 2 - 1, dot + 2, dot + 2, 0x000000);
    Box(sx(n.nodeX, mx) - dot / 2, sy(n.nodeY, my) - dot / 2, dot, dot, colour);
  }
  SpriteFont* small = gElements.SmallFont != nullptr ? gElements.SmallFont : gElements.MainFont;
  // Grid places of a full field, two to a node back from the start tile.
  const int field = Min(gSession.editor.field, 2 * static_cast<int>(nodes.size()));
  for (int place = 1; place <= field; ++place) {
    const NodeRecord& n = nodes[nodes.size() - (place + 1) / 2];
    const int lane = (place - 1) % 2;
    DrawTextBox(small, Decimal(place) + "~", sx(n.nodeX, n.x[lane]) - 8, sy(n.nodeY, n.y[lane]) - 8);
  }
  for (const CornerRecord& corner : Corner()) {
    const NodeRecord& n = nodes[corner.entryNode];
    std::string text = (corner.type == 2 ? "H" : "S") + Decimal(CornerLength(corner.entryNode)) + "~";
    DrawTextBox(small, text, sx(n.nodeX, 4), sy(n.nodeY, 4));
  }
}

void PlaceEditorLabels() {
  ClearSpriteLabels();
  for (const CircuitLabel& l : RaceNow().labels)
    AddSpriteLabel(l.text, l.colour, ScreenX(l.x), ScreenY(l.y));
}

// The running order of a test drive, where the palette was.
void DrawRunningOrder() {
  const EditorScreen& s = gEditorScreen;
  SpriteFont* font = gElements.MainFont;
  const int lines = 203 / SpriteFontHeight(font);
  for (size_t i = 0; i < Standing().size() && static_cast<int>(i) < lines; ++i) {
    const StandingRecord& car = Standing()[i];
    std::string text = RightAlign2(static_cast<long long>(i) + 1) + " " + car.car;
    text = text.substr(0, 12) + std::string(text.size() < 12 ? 12 - text.size() : 0, ' ') +
           " lap " + Decimal(Max(car.lap, 0));
    DrawSpriteText(font, text, s.paletteX + 4, s.paletteY + 2 + static_cast<int>(i) * SpriteFontHeight(font), 0,
                   s.paletteX + 170);
  }
}

void EditorWheel(int delta) {
  if (!ScrollEditorStatus(PlatMouseX(), PlatMouseY(), -(delta / 120))) WheelScroll(delta);
}

// A status longer than its box says so in the row it keeps free for it.
void DrawMoreBelow() {
  const TextArea* status = gEditorScreen.status;
  if (status == nullptr || status->hidden != 0 || status->rows == gEditorScreen.statusRows ||
      status->top + status->rows >= static_cast<int>(status->lines.size()))
    return;
  SpriteFont* small = gElements.SmallFont != nullptr ? gElements.SmallFont : gElements.MainFont;
  const std::string more = "more below: wheel here";
  DrawTextBox(small, more + "~",
              status->x + status->width - 4 - SpriteFontWidth(small) * static_cast<int>(more.size()),
              status->y + status->margin + status->rows * SpriteFontHeight(status->font) + 2);
}

void FinishFrame() {
  DrawAllElements();
  DrawRunningOrder();
  PlatFlipBuffers();
  if (gSession.frameHook != nullptr) gSession.frameHook();
}

void DrawEditorFrame(bool hook = true) {
  KeepCurrent keep;
  PlaceEditorLabels();
  DrawTrackView();
  DrawCheckOverlay();
  int col = -1, row = -1;
  const int x = PlatMouseX(), y = PlatMouseY();
  if (x >= 0 && x < gView.trackViewWidth) {
    int cx = CircuitX(x), cy = CircuitY(y);
    col = cx < 0 ? -1 : cx / kTileSize;
    row = cy < 0 ? -1 : cy / kTileSize;
    if (gSession.editor.drawing.layers[0].Inside(col, row))
      Outline(ScreenX(col * kTileSize), ScreenY(row * kTileSize), CellPixels(), 1, 0xFFFFFF);
  }
  // The panel goes over the view, the palette over the panel.
  DrawAllElements();
  DrawPalette();
  DrawMoreBelow();
  PlatFlipBuffers();
  if (hook && gSession.frameHook != nullptr) gSession.frameHook();
}

// What lies under a box while the editor runs, drawn afresh every frame so
// that a box just closed never stays behind the next: before a circuit is
// open, a plain dark screen (the race data holds no drawing yet); then the
// editor, its page drawn apart under the box and the palette over the panel.
void DrawUnderBox() {
  if (gEditorScreen.frame == nullptr || IsFrameHidden(gEditorScreen.frame)) {
    PlatClearScreen(0x202020);
    return;
  }
  KeepCurrent keep;
  PlaceEditorLabels();
  DrawTrackView();
  if (!gSession.driving) DrawCheckOverlay();
  DrawPageElements(kEditorPage);
  if (gSession.driving) {
    DrawRunningOrder();
  } else {
    DrawPalette();
    DrawMoreBelow();
  }
}

struct OverEditor {
  bool shown = gEditorScreen.frame != nullptr && !IsFrameHidden(gEditorScreen.frame);
  OverEditor() {
    if (shown) SetPageApart(kEditorPage);
  }
  ~OverEditor() {
    if (shown) SetPageApart(-1);
  }
};
void Tell(const std::string& text) {
  OverEditor over;
  MessageBox(text);
}
bool Ask(const std::string& text) {
  OverEditor over;
  return AnswerBox(text) == 1;
}
std::string Enter(const std::string& prompt, const std::string& given,
                  const std::string& filter = "") {
  OverEditor over;
  return InputBox(prompt, given, filter);
}
void Help() {
  OverEditor over;
  ShowHelpAt("THE CIRCUIT EDITOR");
}

// --- Editing -----------------------------------------------------------------

bool CellAtPointer(int& col, int& row) {
  const int x = PlatMouseX(), y = PlatMouseY();
  if (x < 0 || y < 0 || x >= gView.trackViewWidth) return false;
  int cx = CircuitX(x), cy = CircuitY(y);
  if (cx < 0 || cy < 0) return false;
  col = cx / kTileSize;
  row = cy / kTileSize;
  return gSession.editor.drawing.layers[0].Inside(col, row);
}

void PaintAtPointer(bool clear, bool moving = false) {
  int col = 0, row = 0;
  const int layer = TabLayer(gEditorScreen.tab);
  if (layer < 0 || !CellAtPointer(col, row)) return;
  CircuitEditor& e = gSession.editor;
  const int tile = gEditorScreen.tile[gEditorScreen.tab];
  if (!clear && IsRightAngleBrush(tile)) {
    // A turn a click: dragged, it would lay one on every cell passed.
    if (!moving) gSession.changed = PaintRightAngle(e, tile, col, row) || gSession.changed;
    return;
  }
  if (!e.stroking) BeginStroke(e);
  bool changed = clear ? ClearCell(e, layer, col, row)
                       : Paint(e, layer, col, row, tile);
  gSession.changed = gSession.changed || changed;
}

void EditLabelAtPointer(bool clear) {
  int col = 0, row = 0;
  if (!CellAtPointer(col, row)) return;
  CircuitEditor& e = gSession.editor;
  std::string text;
  if (!clear) {
    text = Enter("label of " + Decimal(col) + ", " + Decimal(row), LabelAt(e, col, row));
  }
  gSession.changed = SetLabel(e, col, row, text) || gSession.changed;
}

void Refresh() {
  if (!gSession.changed) return;
  gSession.changed = false;
  gSession.savedAs.clear();
  CheckNow();
}

// --- Saving ------------------------------------------------------------------

// What saving as `name` would replace that is not the drawing itself, as a
// question ("" when nothing). A draft is the drawing's own while it is the
// one opened or last saved; so is the circuit it was saved beside.
std::string ReplaceQuestion(const CircuitEditor& e, const std::string& name, bool asDraft) {
  const bool mine = !e.name.empty() && SameCircuitName(e.name, name);
  const std::string circuit = PlayerCircuitLike(name), draft = PlayerDraftLike(name);
  std::string said;
  if (!circuit.empty() && !mine)
    said += asDraft ? "Your circuit " + circuit +
                          " exists already: it stays until this draft builds and is saved, "
                          "then this replaces it. "
                    : "Your circuit " + circuit + " exists already: this replaces it. ";
  if (!draft.empty() && !(mine && e.draft))
    said += "Your draft " + draft + " exists already: this replaces it. ";
  return said.empty() ? "" : said + "Save?";
}

// A drawing that builds is saved as a circuit; one that does not yet is
// kept as a draft, so an evening's work is never lost for a missing tile.
void SaveCircuit() {
  CircuitEditor& e = gSession.editor;
  EndStroke(e);
  CheckNow();
  const bool asDraft = !e.check.builds;
  std::string name = e.name.empty() ? gSession.suggestedName : e.name;
  for (;;) {
    // Every character the game can show: letters beyond ASCII are kept,
    // and what a file name cannot hold is refused by name below, not
    // dropped as it is typed.
    name = TrimSpaces(Enter(asDraft ? "draft name (it does not build yet)" : "circuit name", name,
                            "[\\x20-\\x7E\\x80-\\xFF]"));
    if (name.empty()) return;
    std::string problem = CircuitNameProblem(name);
    if (problem.empty() && IsShippedCircuit(name))
      problem = name + " is a circuit the game ships: save yours under another name";
    if (!problem.empty()) {
      Tell(BoxText(problem));
      continue;
    }
    const std::string question = ReplaceQuestion(e, name, asDraft);
    if (!question.empty() && !Ask(BoxText(question))) continue;
    break;
  }
  std::string problem = asDraft ? SaveDraft(e, name) : SaveDrawing(e, name);
  if (!problem.empty()) {
    Tell(BoxText("Nothing was saved: " + problem) + BoxText("Your drawing is still here."));
  } else {
    gSession.suggestedName.clear();
    gSession.savedAs = name;
    gSession.savedDraft = asDraft;
  }
  CheckNow();
}

// Whether the player lets unsaved work go (true when there is none).
bool MayLeave() {
  CircuitEditor& e = gSession.editor;
  EndStroke(e);
  if (!e.unsaved) return true;
  return Ask(BoxText("Your circuit has changes that are not saved. Leave without saving?"));
}

// --- Test drive ---------------------------------------------------------------

void DriveCommentary(const std::string& line) {
  if (gEditorScreen.status != nullptr && !line.empty() && line != " ") AddWrapped(line);
}

void DriveFrame() {
  KeepCurrent keep;
  PlaceEditorLabels();
  DrawTrackView();
  FinishFrame();
}

void TellWrapped(const std::string& text) {
  Tell(BoxText(text));
}

void TestDrive() {
  CircuitEditor& e = gSession.editor;
  EndStroke(e);
  CheckNow();
  if (!e.check.builds) {
    Tell(BoxText("A test drive needs a circuit that builds: " + e.check.problem));
    return;
  }
  ClearTextArea(gEditorScreen.status);
  gEditorScreen.status->rows = gEditorScreen.statusRows;
  gEditorScreen.status->scrollMode = 1;  // the commentary follows its newest line
  SetButtonArrayHidden(gEditorScreen.commands, 1);
  SetButtonArrayHidden(gEditorScreen.tabs, 1);
  SetButtonArrayHidden(gEditorScreen.back, 0);
  SetLabel(gEditorScreen.hover[0], "Test drive: Esc or the", kNoTint);
  SetLabel(gEditorScreen.hover[1], "button goes back", kNoTint);
  for (Label* keys : gEditorScreen.keys)
    if (keys != nullptr) SetLabel(keys, "", kNoTint);
  gSession.driving = true;
  TestDriveScreen screen;
  screen.back = gEditorScreen.back;
  screen.say = DriveCommentary;
  screen.frame = DriveFrame;
  screen.tell = TellWrapped;
  RunTestDrive(screen, e.name);
  gSession.driving = false;
  gEditorScreen.status->scrollMode = 2;
  for (int i = 0; i < kEditorKeyRows; ++i)
    if (gEditorScreen.keys[i] != nullptr) SetLabel(gEditorScreen.keys[i], KeyRowText(i), kNoTint);
  SetButtonArrayHidden(gEditorScreen.commands, 0);
  SetButtonArrayHidden(gEditorScreen.tabs, 0);
  SetButtonArrayHidden(gEditorScreen.back, 1);
  CheckNow();
}

// --- The loop -------------------------------------------------------------------

void Command(int index) {
  CircuitEditor& e = gSession.editor;
  switch (index) {
    case kCmdSave: SaveCircuit(); break;
    case kCmdTestDrive: TestDrive(); break;
    case kCmdUndo: gSession.changed = Undo(e) || gSession.changed; break;
    case kCmdRedo: gSession.changed = Redo(e) || gSession.changed; break;
    case kCmdHelp: Help(); break;
    case kCmdClose: gSession.leave = MayLeave(); break;
    default: break;
  }
}

void LeftRelease() {
  const int x = PlatMouseX(), y = PlatMouseY();
  EditorScreen& s = gEditorScreen;
  if (x >= gView.trackViewWidth) {
    EndStroke(gSession.editor);
    if (int tab = PickButton(s.tabs, x, y); tab >= 0) {
      SelectTab(tab);
    } else if (int i = PaletteIndexAt(x, y); i >= 0) {
      s.tile[s.tab] = TabTiles(s.tab)[i];
    } else if (int c = PickButton(s.commands, x, y); c >= 0) {
      Command(c);
    }
    return;
  }
  if (s.tab == kTabLabels) {
    EditLabelAtPointer(false);
  } else {
    PaintAtPointer(false);
    EndStroke(gSession.editor);
  }
}

void RightRelease() {
  if (PlatMouseX() >= gView.trackViewWidth) return;
  if (gEditorScreen.tab == kTabLabels) {
    EditLabelAtPointer(true);
  } else {
    PaintAtPointer(true);
    EndStroke(gSession.editor);
  }
}

// Scrolls while the pointer rests near an edge of the track view, unless a
// button is held (painting along an edge should not move the circuit).
void EditorEdgeScroll() {
  const int x = PlatMouseX(), y = PlatMouseY();
  if (x < 0 || y < 0 || x >= gView.trackViewWidth) return;
  if (PlatMouseButtonDown(1) || PlatMouseButtonDown(3)) return;
  const int speed = gScreen.scrollSpeed, margin = 24;
  const int dx = x < margin ? -speed : x >= gView.trackViewWidth - margin ? speed : 0;
  const int dy = y < margin ? -speed : y >= PlatScreenHeight() - margin ? speed : 0;
  gView.scrollX = std::clamp(gView.scrollX + dx, gView.minScrollX, Max(gView.maxScrollX, gView.minScrollX));
  gView.scrollY = std::clamp(gView.scrollY + dy, gView.minScrollY, Max(gView.maxScrollY, gView.minScrollY));
}

void EditorPass() {
  for (int event = PlatNextWindowEvent(); event != kEventNone; event = PlatNextWindowEvent()) {
    if (PlatEventWindow() != gView.window) continue;
    if (event == kEventLeftButtonUp) {
      LeftRelease();
    } else if (event == kEventRightButtonUp) {
      RightRelease();
    } else if (event == kEventCloseRequest) {
      // As on the other screens the game ends through the menu; the close
      // button leaves the editor, once unsaved work is let go.
      gSession.leave = MayLeave();
    } else if (gEditorScreen.tab != kTabLabels && PlatMouseButtonDown(1) != PlatMouseButtonDown(3)) {
      // A button held and the pointer moving: a stroke of paint.
      PaintAtPointer(PlatMouseButtonDown(3), true);
    }
    if (gSession.leave) return;
  }
  PlatPollKeyboard();
  CircuitEditor& e = gSession.editor;
  // This poll's keys, taken before any of them opens a box: a box polls the
  // keyboard itself, and the Escape that cancelled the name box of Ctrl+S
  // would otherwise read as the editor's own Escape after it.
  const bool ctrl = PlatKeyDown(kKeyLeftCtrl) || PlatKeyDown(kKeyRightCtrl);
  const std::string typed = PlatTypedCharacters();
  const bool undo = PlatKeyReleasedWithCtrl(kKeyZ);
  const bool redo = PlatKeyReleasedWithCtrl(kKeyY);
  const bool save = PlatKeyReleasedWithCtrl(kKeyS);
  if (undo) gSession.changed = Undo(e) || gSession.changed;
  if (redo) gSession.changed = Redo(e) || gSession.changed;
  if (save) {
    Refresh();
    SaveCircuit();
  }
  if (!ctrl && typed.size() == 1) {
    const char key = static_cast<char>(LowerAscii(typed)[0]);
    if (key >= '1' && key < '1' + kEditorTabs) SelectTab(key - '1');
    if (key == 27) gSession.leave = MayLeave();
    if (key == '?') Help();
    if (key == 'g') Options().gridOn = 1 - Options().gridOn;
    if (key == 't') {
      Refresh();
      TestDrive();
    }
    if (key == '+' || key == '=' || key == '-') {
      int x = PlatMouseX(), y = PlatMouseY();
      if (x < 0 || y < 0 || x >= gView.trackViewWidth)
        x = gView.trackViewWidth / 2, y = PlatScreenHeight() / 2;
      ZoomAround(gView.zoom + (key == '-' ? -kZoomStep : kZoomStep), x, y);
    }
  }
  if (gSession.leave) return;
  EditorEdgeScroll();
  Refresh();
  if (!PlatScreenActive()) LostDevice();
  ShowHover();
  DrawEditorFrame();
}

// --- Opening --------------------------------------------------------------------

// A whole number from low to high typed into the Input Box; 0 when cancelled.
int AskCells(const std::string& what, int given) {
  std::string text = Decimal(given);
  for (;;) {
    text = TrimSpaces(Enter(what + " in cells (" + Decimal(kEditorSmallest) + " to " +
                                   Decimal(kEditorLargest) + ")",
                               text));
    if (text.empty()) return 0;
    bool digits = text.size() <= 3 && text.find_first_not_of("0123456789") == std::string::npos;
    int value = digits ? LenientInt(text) : 0;
    if (value >= kEditorSmallest && value <= kEditorLargest) return value;
    Tell(BoxText("The " + what + " must be a number from " + Decimal(kEditorSmallest) +
                       " to " + Decimal(kEditorLargest) + "."));
  }
}

// Opens what the player picks; false when nothing was opened. The list
// marks the player's own circuits and offers their drafts after them.
bool OpenCircuit() {
  struct Choice {
    std::string line, name;
    bool draft = false;
  };
  std::vector<Choice> choices;
  std::string list = std::string(kNewCircuit) + "~";
  for (const std::string& name : TildeFields(CircuitList()))
    choices.push_back({CircuitListLine(name), name, false});
  for (const std::string& name : DraftNames()) choices.push_back({DraftListLine(name), name, true});
  for (const Choice& c : choices) list += c.line + "~";
  std::string picked = ListBox("     Circuit Editor", list);
  if (picked.empty()) return false;
  CircuitEditor& e = gSession.editor;
  gSession.suggestedName.clear();
  if (picked == kNewCircuit) {
    int cols = AskCells("width", 24);
    if (cols == 0) return false;
    int rows = AskCells("height", 16);
    if (rows == 0) return false;
    NewDrawing(e, cols, rows);
    RaceNow().labels.clear();
    // A new circuit carries the tile table as the data folder has it now,
    // as the circuit tool makes one (an opened circuit keeps its own).
    LoadTrackTiles();
    return true;
  }
  auto chosen = std::find_if(choices.begin(), choices.end(),
                             [&](const Choice& c) { return c.line == picked; });
  if (chosen == choices.end()) return false;
  const std::string choice = chosen->name;
  std::string problem;
  if (chosen->draft) {
    problem = OpenDraft(e, choice);
  } else {
    const bool throws = FatalThrows();
    SetFatalThrows(true);
    try {
      Load(CircuitFolderFor(choice) / (choice + ".json"));
    } catch (const FatalError& error) {
      std::string text = error.what();
      problem = text.substr(0, text.find("\r\n"));
    }
    SetFatalThrows(throws);
  }
  ClearRaceState();
  if (problem.empty() && (Base().cols < kEditorSmallest || Base().cols > kEditorLargest ||
                          Base().rows < kEditorSmallest || Base().rows > kEditorLargest))
    problem = "the editor takes circuits of " + Decimal(kEditorSmallest) + " to " +
              Decimal(kEditorLargest) + " cells a side";
  if (!problem.empty()) {
    Tell(BoxText(choice + " cannot be opened: " + problem));
    return false;
  }
  if (chosen->draft) return true;
  DrawingFromRace(e);
  if (IsShippedCircuit(choice)) {
    // The game's own circuits open as a copy, saved under a name of the
    // player's.
    gSession.suggestedName = choice + " copy";
  } else {
    e.name = choice;
  }
  return true;
}
}  // namespace

CircuitEditor& EditedCircuit() {
  return gSession.editor;
}

void SetEditorFrameHook(void (*hook)()) {
  gSession.frameHook = hook;
}

bool ScrollEditorStatus(int x, int y, int lines) {
  TextArea* status = gEditorScreen.status;
  if (status == nullptr || status->hidden != 0 || x < status->x || y < status->y ||
      x >= status->x + status->width || y >= status->y + status->height)
    return false;
  // No further than the last line at the foot of the box.
  const int last = Max(static_cast<int>(status->lines.size()) - status->rows, 0);
  status->top = std::clamp(status->top + lines, 0, last);
  return true;
}

bool TestDriveRunning() {
  return gSession.driving;
}

void PaletteTilePoint(int index, int& x, int& y) {
  const EditorScreen& s = gEditorScreen;
  const int step = s.paletteCell + 1;
  x = s.paletteX + index % s.paletteColumns * step + s.paletteCell / 2;
  y = s.paletteY + index / s.paletteColumns * step + s.paletteCell / 2;
}

void RunCircuitEditor() {
  // The editor works on a race of its own: the drawing's circuit, its check
  // and its cars. The player's race, or the race behind the menu, is never
  // touched; only the view and the labels on it are the screen's, and come
  // back after.
  // The race behind the menu rests meanwhile (a box of the editor's would
  // show it under itself) and starts again after.
  const bool menuRace = MenuRaceRunning();
  StopMenuRace();
  const ViewState view = gView;
  const bool raceFrameHidden = gElements.RaceFrame != nullptr && IsFrameHidden(gElements.RaceFrame);
  if (!PageBuilt()) BuildEditorPage();
  gSession.solid = 0;
  SetPageHidden(2, 1);
  SetPageHidden(1, 1);
  Race editing;
  RaceScope scope(editing);
  // The wheel over the status scrolls it; elsewhere it is the view's.
  struct Wheel {
    Wheel() { PlatSetWindowCallback(gView.window, EditorWheel); }
    ~Wheel() { PlatSetWindowCallback(gView.window, gHooks.wheel); }
  } wheel;
  struct Backdrop {
    void (*before)() = ModalBackdrop();
    Backdrop() { SetModalBackdrop(DrawUnderBox); }
    ~Backdrop() { SetModalBackdrop(before); }
  } backdrop;
  LoadTrackTiles();
  LoadCarData();
  gSession.leave = false;
  gSession.changed = false;
  gSession.savedAs.clear();
  gSession.editor.field = static_cast<int>(Car().size());
  if (OpenCircuit()) {
    Options().gridOn = 1;
    DrawingToRace(gSession.editor.drawing);
    CheckNow();
    ShowLoadedCircuit();
    SetPageHidden(kEditorPage, 0);
    SetButtonArrayHidden(gEditorScreen.back, 1);
    SelectTab(kTabTrack);  // every circuit opens on the tiles
    while (!gSession.leave) EditorPass();
    SetPageHidden(kEditorPage, 1);
  }
  if (gSession.solid != 0 && PlatIsSprite(gSession.solid)) PlatFreeSprite(gSession.solid);
  gSession.solid = 0;
  gView = view;
  ClearSpriteLabels();
  for (const CircuitLabel& l : PlayerRace().data.labels)
    AddSpriteLabel(l.text, l.colour, ScreenX(l.x), ScreenY(l.y));
  SetPageHidden(1, raceFrameHidden ? 1 : 0);
  SetPageHidden(2, 0);
  if (menuRace) StartMenuRace();
}
