// Registry, theme sprites, page visibility and the drawing pass.
#include <algorithm>

#include "minigui/mini_gui_internal.h"
#include "platform/screen.h"
#include "platform/services.h"

MiniGuiState& Gui() {
  static MiniGuiState state;
  return state;
}

// Paths are in the game's code page already (the platform converts them).
std::string PathText(const std::filesystem::path& path) { return PlatPathText(path); }

void Register(void* record, const std::string& name, int kind, int page) {
  Gui().entries.push_back(RegistryEntry{record, name, kind, page});
}

void RequireFont(const SpriteFont* font, const char* message, const char* procedure, int line) {
  if (font == nullptr || ElementPage(font, kKindSpriteFont) == 0) {
    Fatal(message, kMiniGuiModule, procedure, line);
  }
}

std::vector<std::string> SplitTildeList(std::string text) {
  if (text.empty() || text.back() != '~') text += '~';
  std::vector<std::string> fields;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '~') {
      fields.push_back(text.substr(start, i - start));
      start = i + 1;
    }
  }
  return fields;
}

void InitMiniGUI(int window, LostDeviceProc lostDevice, const std::filesystem::path& themeFolder) {
  MiniGuiState& gui = Gui();
  gui.window = window;
  gui.lostDevice = lostDevice;
  gui.themeFolder = themeFolder;
  LoadAllSprites();
}

int ElementCount() { return static_cast<int>(Gui().entries.size()); }

void ResetMiniGUI() {
  MiniGuiState& gui = Gui();
  gui.entries.clear();
  gui.sprites.clear();
  gui.fonts.clear();
  gui.frames.clear();
  gui.labels.clear();
  gui.textAreas.clear();
  gui.buttonArrays.clear();
  gui.kbAreas.clear();
  gui.scrollArrows.clear();
  gui.checkBoxes.clear();
  gui.optionBoxes.clear();
  gui.frameHook = nullptr;
  gui.backdrop = nullptr;
  gui.apartPage = -1;
  gui.idle = nullptr;
}

void LoadAllSprites() {
  MiniGuiState& gui = Gui();
  gui.sprites.clear();
  gui.sprites.reserve(512);
  std::vector<PlatFolderEntry> files;
  if (!PlatListFolder(gui.themeFolder, "*.png", files)) {
    FATAL("could not examine \\Theme directory", kMiniGuiModule, "LoadAllSprites");
  }
  for (const PlatFolderEntry& file : files) {
    if (file.isFolder || file.name.size() < 4) continue;
    // The listing matches ".png" in any letter case; the image name is the
    // file name without those four characters.
    std::string imageName = file.name.substr(0, file.name.size() - 4);
    gui.sprites[imageName] = LoadSpritesheet(gui.themeFolder / Cp1252ToUtf8(file.name));
  }
}

int LoadSpritesheet(const std::filesystem::path& file) {
  if (PlatFileSize(file) < 1) {
    FATAL("could not find file: " + PathText(file), kMiniGuiModule, "LoadSpritesheet");
  }
  int sprite = PlatLoadSprite(kAnySprite, file);
  if (sprite == 0) {
    FATAL("could not load sprite: " + PathText(file), kMiniGuiModule, "LoadSpritesheet");
  }
  return sprite;
}

int GetSpriteID(const std::string& imageName) {
  const auto& sprites = Gui().sprites;
  auto found = sprites.find(imageName);
  if (found == sprites.end()) {
    FATAL("unknown image name: " + imageName, kMiniGuiModule, "GetSpriteID");
  }
  return found->second;
}

int ThemeSpriteOrNone(const std::string& imageName) {
  const auto& sprites = Gui().sprites;
  auto found = sprites.find(imageName);
  return found == sprites.end() ? 0 : found->second;
}

int ElementPage(const void* record, int kind) {
  for (const RegistryEntry& entry : Gui().entries) {
    if (entry.record == record && entry.kind == kind) return entry.page;
  }
  return 0;
}

void ReloadAllSprites() {
  LoadAllSprites();
  for (RegistryEntry& entry : Gui().entries) {
    switch (entry.kind) {
      case kKindFrame:
        static_cast<Frame*>(entry.record)->sprite = GetSpriteID(entry.name);
        break;
      case kKindSpriteFont:
        static_cast<SpriteFont*>(entry.record)->sprite = GetSpriteID(entry.name);
        break;
      case kKindScrollArrows:
        static_cast<ScrollArrows*>(entry.record)->sprite = GetSpriteID(entry.name);
        break;
      case kKindButtonArray: {
        auto* buttons = static_cast<ButtonArray*>(entry.record);
        if (buttons->background != 0) buttons->background = GetSpriteID(entry.name);
        break;
      }
      case kKindKBArea:
        CreateEraser(static_cast<KBArea*>(entry.record));
        break;
      default:
        break;
    }
  }
}

// --- Accessors ----------------------------------------------------------------
int FrameX(const Frame* frame) { return frame->x; }
int FrameY(const Frame* frame) { return frame->y; }
int FrameRight(const Frame* frame) { return frame->x + frame->tileSize * frame->width; }
int FrameBottom(const Frame* frame) { return frame->y + frame->tileSize * frame->height; }
int IsFrameHidden(const Frame* frame) { return frame->hidden; }
int SpriteFontWidth(const SpriteFont* font) { return font->glyphWidth; }
int SpriteFontHeight(const SpriteFont* font) { return font->glyphHeight; }
int TextAreaColumns(const TextArea* textArea) {
  return (textArea->width - 2 * textArea->margin) / textArea->font->glyphWidth;
}
int GetCheckBox(const CheckBox* checkBox) { return checkBox->state; }
int GetSelectedOption(const OptionBoxes* optionBoxes) { return optionBoxes->selected; }

// Out-of-range indices read as disabled and are ignored when set, so a wrong
// index can never touch memory outside the array.
int GetButtonState(const ButtonArray* buttonArray, int index) {
  if (index < 0 || index >= static_cast<int>(buttonArray->states.size())) return 2;
  return buttonArray->states[index];
}
void SetButtonState(ButtonArray* buttonArray, int index, int state) {
  if (index < 0 || index >= static_cast<int>(buttonArray->states.size())) return;
  buttonArray->states[index] = state;
}

// --- Drawing and pages ------------------------------------------------------
namespace {
void DrawEntry(const RegistryEntry& entry) {
  switch (entry.kind) {
    case kKindFrame:
      DrawFrame(static_cast<const Frame*>(entry.record));
      break;
    case kKindLabel:
      DrawLabel(static_cast<const Label*>(entry.record));
      break;
    case kKindTextArea:
      DrawTextArea(static_cast<const TextArea*>(entry.record));
      break;
    case kKindButtonArray:
      DrawButtonArray(static_cast<const ButtonArray*>(entry.record));
      break;
    case kKindKBArea:
      DrawKBArea(static_cast<const KBArea*>(entry.record));
      break;
    case kKindScrollArrows:
      DrawScrollArrows(static_cast<const ScrollArrows*>(entry.record));
      break;
    default:
      break;
  }
}
}  // namespace

void DrawAllElements() {
  for (const RegistryEntry& entry : Gui().entries)
    if (entry.page != Gui().apartPage) DrawEntry(entry);
}

void SetPageApart(int page) { Gui().apartPage = page; }

void DrawPageElements(int page) {
  for (const RegistryEntry& entry : Gui().entries)
    if (entry.page == page) DrawEntry(entry);
}

// The hidden flag of an entry's record; fonts have none.
static int* HiddenFlag(const RegistryEntry& entry) {
  switch (entry.kind) {
    case kKindFrame:
      return &static_cast<Frame*>(entry.record)->hidden;
    case kKindLabel:
      return &static_cast<Label*>(entry.record)->hidden;
    case kKindTextArea:
      return &static_cast<TextArea*>(entry.record)->hidden;
    case kKindButtonArray:
      return &static_cast<ButtonArray*>(entry.record)->hidden;
    case kKindKBArea:
      return &static_cast<KBArea*>(entry.record)->hidden;
    case kKindScrollArrows:
      return &static_cast<ScrollArrows*>(entry.record)->hidden;
    default:
      return nullptr;
  }
}

namespace {
template <typename T>
void Shift(void* record, int dx, int dy) {
  auto* element = static_cast<T*>(record);
  element->x += dx;
  element->y += dy;
}
}  // namespace

void MovePage(int page, int dx, int dy) {
  MiniGuiState& gui = Gui();
  for (const RegistryEntry& entry : gui.entries) {
    if (entry.page != page) continue;
    switch (entry.kind) {
      case kKindFrame:
        Shift<Frame>(entry.record, dx, dy);
        break;
      case kKindLabel:
        Shift<Label>(entry.record, dx, dy);
        break;
      case kKindTextArea:
        Shift<TextArea>(entry.record, dx, dy);
        break;
      case kKindKBArea:
        Shift<KBArea>(entry.record, dx, dy);
        break;
      case kKindScrollArrows:
        Shift<ScrollArrows>(entry.record, dx, dy);
        break;
      case kKindButtonArray: {
        auto* buttons = static_cast<ButtonArray*>(entry.record);
        Shift<ButtonArray>(buttons, dx, dy);
        buttons->endX += dx, buttons->endY += dy;
        for (int& x : buttons->buttonX) x += dx;
        for (int& y : buttons->buttonY) y += dy;
        for (int& x : buttons->captionX) x += dx;
        for (int& y : buttons->captionY) y += dy;
        break;
      }
      default:
        break;
    }
  }
  // A check box is its frame and labels (moved above) and the place it is
  // clicked at.
  for (CheckBox& box : gui.checkBoxes) {
    if (box.frame != nullptr && ElementPage(box.frame, kKindFrame) == page)
      Shift<CheckBox>(&box, dx, dy);
  }
}

void SetPageHidden(int page, int hidden) {
  for (const RegistryEntry& entry : Gui().entries) {
    if (page != -1 && entry.page != page) continue;
    if (int* flag = HiddenFlag(entry)) *flag = hidden;
  }
}

void FinishModalFrame(LostDeviceProc lostDevice) {
  MiniGuiState& gui = Gui();
  if (!PlatScreenActive() && lostDevice != nullptr) lostDevice();
  if (gui.idle != nullptr) gui.idle();
  if (gui.backdrop != nullptr) gui.backdrop();
  DrawAllElements();
  PlatFlipBuffers();
  if (gui.frameHook != nullptr) gui.frameHook();
}

void SetModalFrameHook(void (*hook)()) { Gui().frameHook = hook; }

void SetModalBackdrop(void (*draw)()) { Gui().backdrop = draw; }

void (*ModalBackdrop())() { return Gui().backdrop; }

void SetModalIdle(void (*tick)()) { Gui().idle = tick; }
