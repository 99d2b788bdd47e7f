// Keyboard areas: one-line text entry with a character filter.
#include "minigui/mini_gui_internal.h"
#include "platform/screen.h"

KBArea* CreateKBArea(SpriteFont* font, int x, int y, int width, int margin, int backgroundColour,
                     int page) {
  KBArea* area = NewRecord(Gui().kbAreas, "could not create KB Area", "CreateKBArea", __LINE__);
  RequireFont(font, "invalid spritefont", "CreateKBArea", __LINE__);
  area->font = font;
  area->width = width;
  area->margin = margin;
  area->height = font->glyphHeight + 2 * margin;
  area->x = x == -1 ? (PlatScreenWidth() - width) / 2 : x;
  area->y = y == -1 ? (PlatScreenHeight() - font->glyphHeight - 2 * margin) / 2 : y;
  area->backgroundColour = backgroundColour;
  CreateEraser(area);
  Register(area, "", kKindKBArea, page);
  return area;
}

void CreateEraser(KBArea* kbArea) {
  int sprite = PlatCreateSprite(kAnySprite, kbArea->width, kbArea->height);
  if (sprite == 0) FATAL("could not create sprite", kMiniGuiModule, "CreateEraser");
  if (PlatStartDrawingSprite(sprite)) {
    PlatDrawingMode(kDrawAllChannels);
    PlatBox(0, 0, kbArea->width, kbArea->height,
            0xFF000000u | (static_cast<uint32_t>(kbArea->backgroundColour) & 0xFFFFFFu));
    PlatStopDrawing();
  }
  kbArea->eraser = sprite;
}

void DrawKBArea(const KBArea* kbArea) {
  if (kbArea->hidden) return;
  PlatDisplaySpriteOpaque(kbArea->eraser, kbArea->x, kbArea->y);
  const SpriteFont* font = kbArea->font;
  DrawSpriteText(font, kbArea->text + (kbArea->focused ? "_" : ""), kbArea->x + kbArea->margin,
                 kbArea->y + kbArea->margin,
                 kbArea->fresh ? font->selectedColour : font->normalColour,
                 kbArea->x + kbArea->margin + kbArea->width);
}

bool KBAContains(const KBArea* kbArea, int x, int y) {
  return !kbArea->hidden && kbArea->x < x && x < kbArea->x + kbArea->width && kbArea->y < y &&
         y < kbArea->y + kbArea->height;
}

bool ClickKBA(KBArea* kbArea, int x, int y) {
  if (!KBAContains(kbArea, x, y)) return false;
  FocusKBA(kbArea, true);
  return true;
}

void FocusKBA(KBArea* kbArea, bool focused) {
  kbArea->focused = focused ? 1 : 0;
  kbArea->fresh = focused && !kbArea->text.empty() ? 1 : 0;
}

KBAKey TypeIntoKBA(KBArea* kbArea, const std::string& typed, int regex) {
  // One place stays for the cursor, as in a clicked entry.
  const size_t most = static_cast<size_t>(Max(kbArea->width / kbArea->font->glyphWidth - 1, 0));
  std::string& text = kbArea->text;
  for (char c : typed) {
    if (c == 13) return KBAKey::Confirm;
    if (c == 27) return KBAKey::Cancel;
    if (c == 8) {
      if (kbArea->fresh) text.clear();
      if (!text.empty()) text.pop_back();
      kbArea->fresh = 0;
    } else if (c != 9 && PlatRegexMatch(regex, std::string(1, c))) {
      if (kbArea->fresh) text.clear();
      kbArea->fresh = 0;
      if (text.size() < most) text += c;
    }
  }
  return KBAKey::Typing;
}

std::string GetKBAText(const KBArea* kbArea) { return kbArea->text; }
void SetKBAText(KBArea* kbArea, const std::string& text) { kbArea->text = text; }

namespace {
enum class EntryEnd { None, Accept, Cancel };

// One typed character; returns how the entry ends, if it does. While the
// text is still selected, Backspace or the first character the filter takes
// replaces all of it.
EntryEnd TypeCharacter(KBArea* area, char c, int regex, size_t capacity) {
  std::string& text = area->text;  // always ends with the cursor here
  switch (c) {
    case 27:
      return EntryEnd::Cancel;
    case 13:
    case 9:
      return EntryEnd::Accept;
    case 8:
      if (area->fresh) text = "_";
      area->fresh = 0;
      if (text.size() > 1) text.erase(text.size() - 2, 1);
      return EntryEnd::None;
    default:
      if (PlatRegexMatch(regex, std::string(1, c))) {
        if (area->fresh) text = "_";
        area->fresh = 0;
        if (text.size() < capacity) text.insert(text.size() - 1, 1, c);
      }
      return EntryEnd::None;
  }
}
}  // namespace

std::string PickKBA(KBArea* kbArea, int mouseX, int mouseY, const std::string& filter) {
  if (kbArea->hidden) return "";
  if (!(kbArea->x < mouseX && mouseX < kbArea->x + kbArea->width)) return "";
  if (!(kbArea->y < mouseY && mouseY < kbArea->y + kbArea->height)) return "";
  int regex = PlatCompileRegex(filter);
  if (regex == 0) FATAL("invalid regular expression: " + filter, kMiniGuiModule, "PickKBA");
  size_t capacity = static_cast<size_t>(kbArea->width / kbArea->font->glyphWidth);
  kbArea->fresh = kbArea->text.empty() ? 0 : 1;
  kbArea->text += "_";
  EntryEnd end = EntryEnd::None;
  while (end == EntryEnd::None) {
    PlatPollKeyboard();
    // Several keys may have been released since the last poll; each counts,
    // in the order typed.
    for (char c : PlatTypedText()) {
      end = TypeCharacter(kbArea, c, regex, capacity);
      if (end != EntryEnd::None) break;
    }
    if (end != EntryEnd::None) break;
    for (int event = PlatNextWindowEvent(); event != kEventNone; event = PlatNextWindowEvent()) {
      if (PlatEventWindow() != Gui().window) continue;
      if (event == kEventLeftButtonUp) {
        end = EntryEnd::Accept;
        PlatRepeatLastClick();
      }
      if (event == kEventRightButtonUp) end = EntryEnd::Cancel;
      if (end != EntryEnd::None) break;
    }
    if (end != EntryEnd::None) break;
    FinishModalFrame(Gui().lostDevice);
  }
  PlatFreeRegex(regex);
  kbArea->fresh = 0;
  kbArea->text.pop_back();  // the cursor
  return end == EntryEnd::Accept ? kbArea->text : "";
}
