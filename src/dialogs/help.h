// The help viewer: "Help.txt" in a centred, scrollable window on page 99.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "minigui/mini_gui.h"

struct HelpViewer {
  int window = 0;
  LostDeviceProc lostDevice = nullptr;
  TextArea* textArea = nullptr;
  ScrollArrows* scrollArrows = nullptr;
};

extern HelpViewer gHelp;

void InitHelp(const std::filesystem::path& file, const std::string& frameImage,
              const std::string& panelImage, const std::string& arrowsImage,
              const std::string& fontImage, int window, LostDeviceProc lostDevice);
// Modal until Escape or a right click.
void ShowHelp();
// The same, opened at the line that reads `heading` (at the place it was
// left when there is none); the place the plain help was left is kept.
void ShowHelpAt(const std::string& heading);

namespace help {
// The module's own reader (fatal messages name "Help mod").
std::string LoadText(const std::filesystem::path& file);
// One line of the help as rows of at most `columns` characters, broken at the
// spaces between words. A row that goes on keeps the line's indent, and a key
// table's row ("  F   fast forward ...") goes on under its description.
std::vector<std::string> WrapLine(const std::string& line, int columns);
}  // namespace help
