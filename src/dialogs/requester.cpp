// Requesters: layouts read once from "Requesters.txt", run as modal loops.
#include "dialogs/requester.h"

#include "dialogs/help.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <vector>

#include "common/common.h"
#include "dialogs/dialog_text.h"
#include "platform/screen.h"
#include "platform/services.h"

namespace {
constexpr const char* kModule = "Requester mod";

struct RequesterSettings {
  std::string frameImage = "Frame";
  int frameTile = 32;
  std::string panelImage = "Panel";
  int gridUnit = 8;
  SpriteFont* font = nullptr;
  int glyphWidth = 0;
  std::string buttonImage = "Button Short";
  int buttonWidth = 82;
  std::string scrollArrowsImage = "Scroll Arrows";
  std::string inputFilter = "[a-zA-Z0-9 ,]";
  int window = 0;
  LostDeviceProc lostDevice = nullptr;
  int pageCounter = 100;
  std::map<std::string, Requester> requesters;
  // Pixels of the sprites the layouts being loaded have made: frames, panels
  // and keyboard areas' erasers (at most a screen each).
  long long spritePixels = 0;
};

// The shipped layouts come to a few screens; each element is a sprite of its
// own, so a file of thousands of full-screen frames would take gigabytes.
constexpr int kMostScreensOfRequesters = 16;

RequesterSettings& Settings() {
  static RequesterSettings settings;
  return settings;
}

std::vector<std::string> SplitFields(const std::string& line) {
  std::vector<std::string> fields;
  size_t start = 0;
  while (true) {
    size_t comma = line.find(',', start);
    fields.push_back(TrimSpaces(
        line.substr(start, comma == std::string::npos ? std::string::npos : comma - start)));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return fields;
}

// Tabs count as spaces; blank, comment and comma-only lines go.
std::vector<std::string> CleanLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find("\r\n", start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 2;
    for (char& c : line) {
      if (c == '\t') c = ' ';
    }
    line = TrimSpaces(line);
    if (line.empty() || line[0] == ';') continue;
    if (line.find_first_not_of(',') == std::string::npos) continue;
    lines.push_back(line);
  }
  return lines;
}

int CentredIn(int origin, int outer, int inner) {
  return origin + static_cast<int>(std::lround((outer - inner) / 2.0));
}

// One element line of the current requester; lines without a requester or
// (for positions relative to it) without a frame are ignored.
void CreateElement(Requester* req, const std::vector<std::string>& f) {
  RequesterSettings& s = Settings();
  // Sizes multiply these by the tile size: keep them far from overflowing.
  auto num = [&f](size_t i) {
    return i < f.size() ? std::clamp(LenientInt(f[i]), -100000, 100000) : 0;
  };
  // Colours are 24-bit (red in the low byte), not sizes: white is 16777215.
  auto colour = [&f](size_t i) {
    return i < f.size() ? std::clamp(LenientInt(f[i]), 0, 0xFFFFFF) : 0;
  };
  auto text = [&f](size_t i) { return i < f.size() ? f[i] : std::string(); };
  // No element is larger than the screen it is drawn on: a size beyond it
  // reads as the most that fits (a keyboard area's eraser, for one, is a
  // sprite of its size). Sizes count units of `unit` pixels.
  const int screenW = PlatScreenWidth();
  const int screenH = PlatScreenHeight();
  auto units = [&num](size_t i, int unit, int screen) {
    return std::clamp(num(i), 1, Max(screen / Max(unit, 1), 1));
  };
  auto margin = [&num, screenH](size_t i) { return std::clamp(num(i), 0, screenH / 2); };
  std::string keyword = LowerAscii(f[0]);
  if (keyword == "frame") {
    const int wTiles = units(3, s.frameTile, screenW);
    const int hTiles = units(4, s.frameTile, screenH);
    int w = wTiles * s.frameTile;
    int h = hTiles * s.frameTile;
    int x = num(1) == -1 ? (PlatScreenWidth() - w) / 2 : num(1);
    int y = num(2) == -1 ? (PlatScreenHeight() - h) / 2 : num(2);
    s.spritePixels += static_cast<long long>(w) * h;
    req->frame = CreateFrame(s.frameImage, x, y, wTiles, hTiles, req->page);
    req->frameX = x;
    req->frameY = y;
    req->frameWidth = w;
    req->frameHeight = h;
    return;
  }
  if (req->frame == nullptr) return;
  int fx = req->frameX;
  int fy = req->frameY;
  if (keyword == "panel") {
    const int wUnits = units(3, s.gridUnit, screenW);
    const int hUnits = units(4, s.gridUnit, screenH);
    int w = wUnits * s.gridUnit;
    int h = hUnits * s.gridUnit;
    int x = num(1) == -1 ? CentredIn(fx, req->frameWidth, w) : fx + num(1);
    int y = num(2) == -1 ? CentredIn(fy, req->frameHeight, h) : fy + num(2);
    s.spritePixels += static_cast<long long>(w) * h;
    req->panel = CreateFrame(s.panelImage, x, y, wUnits, hUnits, req->page);
  } else if (keyword == "label") {
    std::string caption = text(3);
    int width = static_cast<int>(caption.size()) * s.glyphWidth;
    int x = num(1) == -1 ? fx + (req->frameWidth - width) / 2 : fx + num(1);
    req->label = CreateLabel(caption, s.font, x, fy + num(2), colour(4), req->page);
  } else if (keyword == "textarea") {
    int w = units(3, s.gridUnit, screenW) * s.gridUnit;
    int h = units(4, s.gridUnit, screenH) * s.gridUnit;
    int x = num(1) == -1 ? CentredIn(fx, req->frameWidth, w) : fx + num(1);
    int y = num(2) == -1 ? CentredIn(fy, req->frameHeight, h) : fy + num(2);
    req->textArea = CreateTextArea(s.font, x, y, w, h, margin(5), num(6), num(8), req->page);
    if (num(7) != 0) {
      req->scrollArrows = CreateScrollArrows(s.scrollArrowsImage, req->textArea, x + w, y + h - 64);
    }
  } else if (keyword == "buttonarray") {
    int x = num(2) == -1 ? fx + (req->frameWidth - s.buttonWidth) / 2 : fx + num(2);
    req->buttonArray =
        CreateButtonArray(s.font, s.buttonImage, num(1), x, fy + num(3), text(4), req->page);
  } else if (keyword == "keyboardarea") {
    int w = units(3, s.gridUnit, screenW) * s.gridUnit;
    int x = num(1) == -1 ? CentredIn(fx, req->frameWidth, w) : fx + num(1);
    s.spritePixels += static_cast<long long>(w) * screenH;  // its line and margins, at most
    req->keyboardArea = CreateKBArea(s.font, x, fy + num(2), w, margin(5), colour(4), req->page);
  }
}
}  // namespace

namespace requester {
std::string LoadText(const std::filesystem::path& file) {
  return LoadDialogText(file, kModule);
}
}  // namespace requester

void InitRequesters(const std::string& frameImage, const std::string& panelImage,
                    const std::string& buttonImage, const std::string& scrollArrowsImage,
                    const std::string& fontImage, int frameTile, int gridUnit, int buttonWidth,
                    int window, LostDeviceProc lostDevice) {
  RequesterSettings& s = Settings();
  s.frameImage = frameImage;
  s.panelImage = panelImage;
  s.buttonImage = buttonImage;
  s.scrollArrowsImage = scrollArrowsImage;
  s.frameTile = frameTile;
  s.gridUnit = gridUnit;
  s.buttonWidth = buttonWidth;
  s.window = window;
  s.lostDevice = lostDevice;
  s.font = CreateSpriteFont(fontImage, 0x040404, 0x0000FF, 0xC0C0C0);
  s.glyphWidth = SpriteFontWidth(s.font);
}

void LoadRequesters(const std::filesystem::path& file) {
  RequesterSettings& s = Settings();
  Requester* current = nullptr;
  s.spritePixels = 0;
  const long long most =
      static_cast<long long>(kMostScreensOfRequesters) * PlatScreenWidth() * PlatScreenHeight();
  for (const std::string& line : CleanLines(requester::LoadText(file))) {
    std::vector<std::string> fields = SplitFields(line);
    if (fields[0].compare(0, 3, "###") == 0) {
      // "###, name" as the field rule has it; "### name" is read the same way.
      std::string name = fields[0].size() > 3 ? TrimSpaces(fields[0].substr(3))
                                              : (fields.size() > 1 ? fields[1] : std::string());
      if (current != nullptr) SetPageHidden(current->page, 1);
      Requester& req = s.requesters[name];
      req = Requester{};
      req.page = ++s.pageCounter;
      current = &req;
    } else if (current != nullptr) {
      CreateElement(current, fields);
      if (s.spritePixels > most)
        FATAL("requesters larger than " + Decimal(kMostScreensOfRequesters) +
                  " screens in all: " + PlatPathText(file),
              kModule, "LoadRequesters");
    }
  }
  if (current != nullptr) SetPageHidden(current->page, 1);
}

Requester* FindRequester(const std::string& name) {
  auto& requesters = Settings().requesters;
  auto found = requesters.find(name);
  return found == requesters.end() ? nullptr : &found->second;
}

void ResetRequesters() {
  Settings() = RequesterSettings{};
}

void ForgetRequesterLayouts() {
  Settings().requesters.clear();
}

std::string Display(const std::string& name, const std::string& prompt, const std::string& text,
                    int& confirmed, const std::string& filter) {
  RequesterSettings& s = Settings();
  Requester* req = FindRequester(name);
  if (req == nullptr) FATAL("Requester does not exist: " + name, kModule, "Display");
  if (!prompt.empty() && req->label != nullptr) SetLabel(req->label, prompt, 0);
  if (!text.empty() && req->textArea != nullptr) {
    ClearTextArea(req->textArea);
    AddText(req->textArea, text);
    SetTextAreaTop(req->textArea, 0);
  }
  KBArea* field = req->keyboardArea;
  std::string result = field != nullptr ? GetKBAText(field) : "";
  bool picksLines = name != "Message Box" && name != "Answer Box";
  // A field has the keys from the start: typing needs no click, Return
  // confirms what is typed, and a click on a button acts at once.
  int regex = 0;
  if (field != nullptr) {
    const std::string& pattern = filter.empty() ? s.inputFilter : filter;
    regex = PlatCompileRegex(pattern);
    if (regex == 0) FATAL("invalid regular expression: " + pattern, kModule, "Display");
    FocusKBA(field, true);
  }
  SetPageHidden(req->page, 0);
  // A key held as the box opens does not answer it: a question is answered
  // by a fresh press.
  PlatIgnoreHeldKeys();
  int ending = -1;  // 1 confirmed, 0 cancelled
  while (ending == -1) {
    PlatPollKeyboard();
    std::string typed = field != nullptr ? PlatTypedText() : PlatTypedCharacters();
    if (field != nullptr) {
      // End or Right keeps the selected text: typing then goes on after it.
      if (PlatKeyReleased(kKeyEnd) || PlatKeyReleased(kKeyRight)) field->fresh = 0;
      KBAKey key = TypeIntoKBA(field, typed, regex);
      if (key != KBAKey::Typing) ending = key == KBAKey::Confirm ? 1 : 0;
      result = GetKBAText(field);
    } else {
      for (char c : typed) {
        if (c == 13 || c == 27) {
          ending = c == 13 ? 1 : 0;
          break;
        }
        // "?" is the help's key here as on every screen (a box with a field
        // takes it as typed).
        if (c == '?' && gHelp.textArea != nullptr) ShowHelp();
      }
    }
    if (ending != -1) break;
    if (req->textArea != nullptr) {
      if (PlatKeyReleased(kKeyUp)) ScrollTextArea(req->textArea, -1);
      if (PlatKeyReleased(kKeyDown)) ScrollTextArea(req->textArea, 1);
    }
    for (int event = PlatNextWindowEvent(); event != kEventNone; event = PlatNextWindowEvent()) {
      if (event != kEventLeftButtonUp || PlatEventWindow() != s.window) continue;
      int x = PlatMouseX();
      int y = PlatMouseY();
      if (picksLines && req->textArea != nullptr) {
        std::string line = PickTextArea(req->textArea, x, y);
        if (!line.empty()) {
          result = line;
          if (field != nullptr) {
            SetKBAText(field, line);
            FocusKBA(field, true);
          }
        }
        if (req->scrollArrows != nullptr) PickScrollArrows(req->scrollArrows, x, y);
      }
      // A click in the field selects what it holds: the first key replaces it.
      if (field != nullptr) ClickKBA(field, x, y);
      if (req->buttonArray != nullptr) {
        int button = PickButton(req->buttonArray, x, y);
        if (button == 0 || button == 1) ending = button == 0 ? 1 : 0;
      }
      if (ending != -1) break;
    }
    if (ending == -1) FinishModalFrame(s.lostDevice);
  }
  if (field != nullptr) {
    FocusKBA(field, false);
    PlatFreeRegex(regex);
  }
  SetPageHidden(req->page, 1);
  confirmed = ending;
  return ending == 1 ? result : "";
}

static std::string WithFinalTilde(std::string text) {
  if (text.empty() || text.back() != '~') text += '~';
  return text;
}

void MessageBox(const std::string& text) {
  int confirmed = 0;
  Display("Message Box", "", WithFinalTilde(text), confirmed);
}

int AnswerBox(const std::string& text) {
  int confirmed = 0;
  Display("Answer Box", "", WithFinalTilde(text), confirmed);
  return confirmed;
}

std::string ListBox(const std::string& prompt, const std::string& items) {
  int confirmed = 0;
  return Display("List Box", prompt, WithFinalTilde(items), confirmed);
}

std::string InputBox(const std::string& prompt, const std::string& defaultText,
                     const std::string& filter) {
  Requester* req = FindRequester("Input Box");
  if (req == nullptr) FATAL("Requester does not exist: Input Box", kModule, "InputBox");
  if (req->keyboardArea != nullptr) SetKBAText(req->keyboardArea, defaultText);
  int confirmed = 0;
  std::string result = Display("Input Box", prompt, "", confirmed, filter);
  return confirmed ? result : "";
}

std::string GetFileList(const std::filesystem::path& folder, const std::string& pattern) {
  std::vector<PlatFolderEntry> entries;
  if (!PlatListFolder(folder, pattern, entries)) {
    FATAL("could not examine directory: " + PlatPathText(folder), kModule, "GetFileList");
  }
  // The platform lists names sorted, so the list reads the same everywhere.
  std::string list;
  for (const PlatFolderEntry& entry : entries) {
    if (entry.isFolder) continue;
    size_t dot = entry.name.rfind('.');
    list += entry.name.substr(0, dot) + "~";
  }
  return list;
}
