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

std::vector<std::string> WrapLine(const std::string& line, int columns) {
  std::string rest = line;
  while (!rest.empty() && rest.back() == ' ') rest.pop_back();
  if (columns < 1 || static_cast<int>(rest.size()) <= columns) return {rest};
  // Where a row that goes on starts: under the description of a key table's
  // row (after the first gap of two spaces past the indent), else at the indent.
  const size_t indent = std::min(rest.find_first_not_of(' '), rest.size());
  size_t hang = indent;
  const size_t gap = rest.find("  ", indent);
  if (gap != std::string::npos) hang = std::min(rest.find_first_not_of(' ', gap), rest.size());
  // A hang that leaves little room for words is no hang.
  if (static_cast<int>(hang) > columns / 2) hang = std::min(indent, static_cast<size_t>(columns / 2));
  const size_t width = static_cast<size_t>(columns);
  std::vector<std::string> rows;
  size_t lead = indent;  // the first row's own indent is part of its text
  while (!rest.empty()) {
    if (rest.size() <= width) {
      rows.push_back(rest);
      break;
    }
    // The last space that ends a word within the row, past the row's lead.
    size_t cut = rest.rfind(' ', width);
    while (cut != std::string::npos && cut > lead && rest[cut - 1] == ' ') --cut;
    if (cut == std::string::npos || cut <= lead) cut = width;  // one word longer than a row
    rows.push_back(rest.substr(0, cut));
    size_t next = rest.find_first_not_of(' ', cut);
    if (next == std::string::npos) break;
    rest = std::string(hang, ' ') + rest.substr(next);
    lead = hang;
  }
  return rows;
}
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
  std::vector<std::string> lines;
  size_t longest = 0;
  for (size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
    lines.push_back(text.substr(start, end - start));
    longest = std::max(longest, end - start);
  }
  const size_t lastEnd = text.rfind("\r\n") + 2;  // a last line without its line end
  if (lastEnd < text.size()) lines.push_back(text.substr(lastEnd));
  int columns = static_cast<int>(longest) + 6;
  SpriteFont* font = CreateSpriteFont(fontImage, 0x000000, 0x0000FF, 0xC0C0C0);
  int sw = PlatScreenWidth();
  int sh = PlatScreenHeight();
  const int margin = 2;
  int w = Min(SpriteFontWidth(font) * columns, static_cast<int>(std::lround(sw - sw * 0.15 * 2)));
  // Lines wider than the box go on in the next row, broken between words.
  const int fits = Max((w - 2 * margin) / SpriteFontWidth(font) - 1, 1);
  std::vector<std::string> rows;
  for (const std::string& line : lines) {
    for (std::string& row : help::WrapLine(line, fits)) rows.push_back(std::move(row));
  }
  int h = Min(SpriteFontHeight(font) * (static_cast<int>(rows.size()) + 2),
              static_cast<int>(std::lround(sh - sh * 0.15 * 2)));
  Frame* frame = CreateFrame(frameImage, -1, -1, w / 32 + 4, h / 32 + 4, 99);
  CreateFrame(panelImage, -1, -1, w / 8 + 1, h / 8 + 1, 99);
  gHelp.textArea = CreateTextArea(font, -1, -1, w, h, margin, 1, 0, 99);
  // Line by line: a "~" in the help is the key of that name, not a line end.
  gHelp.textArea->lines = std::move(rows);
  SetTextAreaTop(gHelp.textArea, 0);
  gHelp.scrollArrows =
      CreateScrollArrows(arrowsImage, gHelp.textArea, FrameRight(frame) - 80, FrameBottom(frame) - 128);
  SetPageHidden(99, 1);
}

void ShowHelp() {
  SetPageHidden(99, 0);
  PlatIgnoreHeldKeys();
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
