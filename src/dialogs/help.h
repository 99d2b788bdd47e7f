// The help viewer: "Help.txt" in a centred, scrollable window on page 99.
#pragma once

#include <filesystem>
#include <string>

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
}  // namespace help
