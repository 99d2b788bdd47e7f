#include "dialogs/help.h"

#include <algorithm>
#include <cmath>

#include "common/common.h"
#include "dialogs/dialog_text.h"
#include "platform/screen.h"
#include "platform/services.h"

HelpViewer gHelp;

namespace help {
std::string LoadText(const std::filesystem::path& file) { return LoadDialogText(file, "Help mod"); }
}  // namespace help

static std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

void InitHelp(const std::filesystem::path& file, const std::string& frameImage,
              const std::string& panelImage, const std::string& arrowsImage,
              const std::string& fontImage, int window, LostDeviceProc lostDevice) {
  gHelp.window = window;
  gHelp.lostDevice = lostDevice;
  // The viewer always opens with one empty line above the text.
  std::string text = ReplaceAll("\r\n" + help::LoadText(file), "\t", "  ");
  int lines = 0;
  size_t longest = 0;
  for (size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
    ++lines;
    longest = std::max(longest, end - start);
  }
  int columns = static_cast<int>(longest) + 6;
  int rows = lines + 2;
  SpriteFont* font = CreateSpriteFont(fontImage, 0x000000, 0x0000FF, 0xC0C0C0);
  int sw = PlatScreenWidth();
  int sh = PlatScreenHeight();
  int w = Min(SpriteFontWidth(font) * columns, static_cast<int>(std::lround(sw - sw * 0.15 * 2)));
  int h = Min(SpriteFontHeight(font) * rows, static_cast<int>(std::lround(sh - sh * 0.15 * 2)));
  Frame* frame = CreateFrame(frameImage, -1, -1, w / 32 + 4, h / 32 + 4, 99);
  CreateFrame(panelImage, -1, -1, w / 8 + 1, h / 8 + 1, 99);
  gHelp.textArea = CreateTextArea(font, -1, -1, w, h, 2, 1, 0, 99);
  AddText(gHelp.textArea, ReplaceAll(text, "\r\n", "~"));
  SetTextAreaTop(gHelp.textArea, 0);
  gHelp.scrollArrows =
      CreateScrollArrows(arrowsImage, gHelp.textArea, FrameRight(frame) - 80, FrameBottom(frame) - 128);
  SetPageHidden(99, 1);
}

void ShowHelp() {
  SetPageHidden(99, 0);
  bool closed = false;
  while (!closed) {
    for (int event = PlatNextWindowEvent(); event != kEventNone; event = PlatNextWindowEvent()) {
      if (PlatEventWindow() != gHelp.window) continue;
      if (event == kEventLeftButtonUp) PickScrollArrows(gHelp.scrollArrows, PlatMouseX(), PlatMouseY());
      if (event == kEventRightButtonUp) closed = true;
    }
    PlatPollKeyboard();
    if (PlatKeyReleased(kKeyEscape)) {
      closed = true;
    } else if (PlatKeyReleased(kKeyUp)) {
      ScrollTextArea(gHelp.textArea, -1);
    } else if (PlatKeyReleased(kKeyDown)) {
      ScrollTextArea(gHelp.textArea, 1);
    }
    if (closed) break;
    FinishModalFrame(gHelp.lostDevice);
  }
  SetPageHidden(99, 1);
}

void ShowHelpAt(const std::string& heading) {
  TextArea* area = gHelp.textArea;
  if (area == nullptr) return;
  const int kept = area->top;
  const auto at = std::find(area->lines.begin(), area->lines.end(), heading);
  // The empty line above the heading stays in view, as above the title.
  if (at != area->lines.end()) SetTextAreaTop(area, Max(static_cast<int>(at - area->lines.begin()) - 1, 0));
  ShowHelp();
  SetTextAreaTop(area, kept);
}
