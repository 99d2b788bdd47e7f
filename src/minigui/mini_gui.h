// The game's own sprite-drawn GUI toolkit: one registry of every element in
// creation (= drawing) order, sprite fonts, frames, labels, text areas, scroll
// arrows, button arrays, check boxes, option boxes and keyboard areas, grouped
// into pages that are shown and hidden whole. It knows nothing of the race.
//
// Elements are plain records referenced by pointer; they are never destroyed
// while the program runs. Every creation failure and invalid argument is a
// fatal error ("Mini GUI mod").
#pragma once

#include <climits>
#include <filesystem>
#include <string>
#include <vector>

using LostDeviceProc = void (*)();

// Element kinds as stored in the registry (2 is not used).
constexpr int kKindFrame = 1;
constexpr int kKindLabel = 3;
constexpr int kKindTextArea = 4;
constexpr int kKindButtonArray = 5;
constexpr int kKindKBArea = 6;
constexpr int kKindSpriteFont = 7;
constexpr int kKindScrollArrows = 8;

constexpr int kFontGlyphs = 224;  // codes 32 to 255
constexpr int kNoLimit = INT_MAX;

struct SpriteFont {
  int sprite = 0;
  int glyphWidth = 0;
  int glyphHeight = 0;
  int glyphX[kFontGlyphs] = {};
  int glyphY[kFontGlyphs] = {};
  int normalColour = 0;
  int selectedColour = 0;
  int disabledColour = 0;
};

struct Frame {
  int sprite = 0;
  int x = 0, y = 0;
  int width = 0, height = 0;  // in tiles
  int tileSize = 0;
  int hidden = 0;
};

struct Label {
  SpriteFont* font = nullptr;
  int x = 0, y = 0;
  std::string text;
  int colour = 0;
  int hidden = 0;
};

struct TextArea {
  SpriteFont* font = nullptr;
  int x = 0, y = 0;
  int width = 0, height = 0;
  int margin = 0;
  std::vector<std::string> lines;
  int selectionMode = 0;  // 0 single, 1 multiple, other none
  int selected = -1;
  std::string selectionList = "~";  // "~3~0~": indices in selection order
  int rows = 0;
  int scrollMode = 0;  // 0 newest rows only, 1 follow newest, other free
  int top = 0;
  int hidden = 0;
};

struct ButtonArray {
  int background = 0;  // sprite, 0 for none
  int hoverBackground = 0;    // under the pointer (the theme's "<image> Hover"), 0 for none
  int pressedBackground = 0;  // held down ("<image> Pressed"), 0 for none
  std::vector<int> buttonX, buttonY;
  SpriteFont* font = nullptr;
  std::vector<int> captionX, captionY;
  int x = 0, y = 0;
  int totalWidth = 0, totalHeight = 0;
  int endX = 0, endY = 0;
  int columns = 1;
  int buttonWidth = 0, buttonHeight = 0;
  std::vector<std::string> captions;
  std::vector<int> states;  // 0 normal, 1 selected, 2 disabled
  int hidden = 0;
  int focus = -1;  // the button the keys point at, drawn marked; -1 none
};

struct KBArea {
  SpriteFont* font = nullptr;
  int x = 0, y = 0;
  int width = 0, height = 0;
  int margin = 0;
  std::string text;
  int eraser = 0;
  int backgroundColour = 0;
  int hidden = 0;
  int focused = 0;  // has the keys: drawn with a cursor after the text
  int fresh = 0;    // a default the first key typed replaces: drawn highlighted
};

struct ScrollArrows {
  int sprite = 0;
  TextArea* textArea = nullptr;
  ButtonArray* buttons = nullptr;
  int x = 0, y = 0;
  int hidden = 0;
};

struct CheckBox {
  Frame* frame = nullptr;
  Label* tick = nullptr;
  Label* caption = nullptr;
  int x = 0, y = 0;
  int state = 0;
};

struct OptionBoxes {
  std::vector<CheckBox*> boxes;
  int selected = -1;
};

// --- Registry and sprites ---------------------------------------------------
void InitMiniGUI(int window, LostDeviceProc lostDevice, const std::filesystem::path& themeFolder);
void LoadAllSprites();
int LoadSpritesheet(const std::filesystem::path& file);
int GetSpriteID(const std::string& imageName);
// The same, 0 for an image the theme does not have (art it may leave out).
int ThemeSpriteOrNone(const std::string& imageName);
// Page of the first entry with this record and kind; 0 when there is none.
int ElementPage(const void* record, int kind);
void ReloadAllSprites();
// Number of registered elements (fonts included).
int ElementCount();
// Forgets every element and sprite name; for tests only, since the game never
// destroys an element. Records handed out before become invalid.
void ResetMiniGUI();

// --- Accessors --------------------------------------------------------------
int FrameX(const Frame* frame);
int FrameY(const Frame* frame);
int FrameRight(const Frame* frame);
int FrameBottom(const Frame* frame);
int IsFrameHidden(const Frame* frame);
int SpriteFontWidth(const SpriteFont* font);
int SpriteFontHeight(const SpriteFont* font);
int TextAreaColumns(const TextArea* textArea);
int GetCheckBox(const CheckBox* checkBox);
int GetSelectedOption(const OptionBoxes* optionBoxes);
int GetButtonState(const ButtonArray* buttonArray, int index);
void SetButtonState(ButtonArray* buttonArray, int index, int state);

// --- Sprite fonts and text --------------------------------------------------
SpriteFont* CreateSpriteFont(const std::string& imageName, int normalColour, int selectedColour,
                             int disabledColour);
// A character starts only while the pen is at or before rightLimit.
void DrawSpriteText(const SpriteFont* font, const std::string& text, int x, int y, int colour,
                    int rightLimit = kNoLimit);
// "~"-separated lines in the sheet's own colours, every row padded to the
// longest line + 2.
void DrawTextBox(const SpriteFont* font, const std::string& text, int x, int y);

// --- Frames, labels, text areas, scroll arrows -------------------------------
Frame* CreateFrame(const std::string& image, int x, int y, int widthTiles, int heightTiles, int page);
Label* CreateLabel(const std::string& text, SpriteFont* font, int x, int y, int colour, int page);
void SetLabel(Label* label, const std::string& text, int colour);
TextArea* CreateTextArea(SpriteFont* font, int x, int y, int width, int height, int margin,
                         int scrollMode, int selectionMode, int page);
void AddText(TextArea* textArea, const std::string& text);
void AddCentredText(TextArea* textArea, const std::string& text);
void ClearTextArea(TextArea* textArea);
void SetTextAreaTop(TextArea* textArea, int index);
void ScrollTextArea(TextArea* textArea, int delta);
std::string PickTextArea(TextArea* textArea, int mouseX, int mouseY);
// The line under a point, picking nothing; "" where there is none.
std::string TextAreaLineAt(const TextArea* textArea, int x, int y);
std::string GetTextAreaSelection(const TextArea* textArea);
void SetTextAreaSelection(TextArea* textArea, int index);
void RemoveText(TextArea* textArea, const std::string& text);
ScrollArrows* CreateScrollArrows(const std::string& image, TextArea* textArea, int x, int y);
void PickScrollArrows(ScrollArrows* scrollArrows, int mouseX, int mouseY);

// --- Button arrays, check boxes, option boxes --------------------------------
// sizing: an image name, or "width~height" for buttons without background.
ButtonArray* CreateButtonArray(SpriteFont* font, const std::string& sizing, int columns, int x,
                               int y, const std::string& captions, int page);
int PickButton(const ButtonArray* buttonArray, int mouseX, int mouseY);
// Called whenever PickButton finds a button under a click (its sound).
void SetButtonSound(void (*sound)());
// Moves the keys' mark `step` buttons on (negative: back), round the ends and
// past disabled buttons; from none, Down marks the first and Up the last
// button that can be used. Returns the marked button, -1 when none can be.
int MoveButtonFocus(ButtonArray* buttonArray, int step);
void SetButtonArrayHidden(ButtonArray* buttonArray, int hidden);
CheckBox* CreateCheckBox(const std::string& caption, SpriteFont* font, int x, int y, int colour,
                         const std::string& frameImage, int page);
int PickCheckBox(CheckBox* checkBox, int mouseX, int mouseY);
void SetCheckBox(CheckBox* checkBox, int state);
void SetCheckBoxHidden(CheckBox* checkBox, int hidden);
OptionBoxes* CreateOptionBoxes(const std::string& captions, SpriteFont* font, int x, int y,
                               int colour, const std::string& frameImage, int page);
int PickOptionBox(OptionBoxes* optionBoxes, int mouseX, int mouseY);
void SetSelectedOption(OptionBoxes* optionBoxes, int index);
void SetOptionBoxesHidden(OptionBoxes* optionBoxes, int hidden);

// --- Keyboard areas ---------------------------------------------------------
KBArea* CreateKBArea(SpriteFont* font, int x, int y, int width, int margin, int backgroundColour,
                     int page);
void CreateEraser(KBArea* kbArea);
// Modal entry started by a click strictly inside the area, with the text it
// holds selected (the first key typed replaces it); returns the text on
// Enter, Tab or a left click, "" on Escape or a right click. The left click
// that ends the entry goes back to the queue, so it also acts where it was made.
std::string PickKBA(KBArea* kbArea, int mouseX, int mouseY, const std::string& filter);
// A dialog's field that has the keys from the moment the dialog opens. Focus
// shows the cursor; the text it holds then is fresh: the first character typed
// replaces it (Backspace clears it). Unfocusing ends both.
void FocusKBA(KBArea* kbArea, bool focused);
enum class KBAKey { Typing, Confirm, Cancel };
// One poll's typed characters (PlatTypedCharacters) into a focused area,
// through the filter (a compiled regular expression, PlatCompileRegex).
// Return confirms and Escape cancels, at once: what follows is not typed.
KBAKey TypeIntoKBA(KBArea* kbArea, const std::string& typed, int regex);
// Whether the point is strictly inside the area (and it is shown).
bool KBAContains(const KBArea* kbArea, int x, int y);
// A click into a shown area gives it the keys and selects its text, so the
// first key typed replaces it; returns whether the click was inside.
bool ClickKBA(KBArea* kbArea, int x, int y);
std::string GetKBAText(const KBArea* kbArea);
void SetKBAText(KBArea* kbArea, const std::string& text);

// --- Drawing and pages ------------------------------------------------------
void DrawAllElements();
// A screen under a box draws its own page beneath the box: DrawAllElements
// leaves that page out (-1: none) and DrawPageElements draws it alone.
void SetPageApart(int page);
void DrawPageElements(int page);
// page -1: every element.
void SetPageHidden(int page, int hidden);
// Moves every element of a page by dx, dy (the screen took a new size).
void MovePage(int page, int dx, int dy);

// --- Shared by the toolkit's and the dialogs' modal loops -------------------
// Lost-device check (lostDevice may be nullptr), drawing pass and flip: the
// end of every modal frame.
void FinishModalFrame(LostDeviceProc lostDevice);
// Called once at the end of every modal frame of the toolkit and the dialogs
// (nullptr: none). Lets tests script input frame by frame.
void SetModalFrameHook(void (*hook)());
// Drawn under the elements of every modal frame (nullptr: nothing, the
// elements go over what the screen last showed).
void SetModalBackdrop(void (*draw)());
void (*ModalBackdrop())();
// Called at the start of every modal frame, before anything is drawn
// (nullptr: nothing): whatever goes on under a box takes its turn here.
void SetModalIdle(void (*tick)());
