// Modal requesters built from the layouts of "Requesters.txt": message,
// answer, list and input boxes, each on a page of its own (101 up).
#pragma once

#include <filesystem>
#include <string>

#include "minigui/mini_gui.h"

struct Requester {
  Frame* frame = nullptr;
  int frameX = 0, frameY = 0;
  int frameWidth = 0, frameHeight = 0;  // pixels
  Frame* panel = nullptr;
  Label* label = nullptr;
  TextArea* textArea = nullptr;
  ButtonArray* buttonArray = nullptr;
  KBArea* keyboardArea = nullptr;
  ScrollArrows* scrollArrows = nullptr;
  int page = 0;
};

void InitRequesters(const std::string& frameImage, const std::string& panelImage,
                    const std::string& buttonImage, const std::string& scrollArrowsImage,
                    const std::string& fontImage, int frameTile, int gridUnit, int buttonWidth,
                    int window, LostDeviceProc lostDevice);
void LoadRequesters(const std::filesystem::path& file);
namespace requester {
// The module's own reader: the whole file ending in CR LF; fatal
// ("Requester mod") when missing, unreadable or empty. In a namespace because
// the game's data-file reader has the same name.
std::string LoadText(const std::filesystem::path& file);
}  // namespace requester

// Runs the named requester until it is confirmed (confirmed = 1) or cancelled
// (confirmed = 0) and returns its result text. `filter` is the pattern a
// character typed into its field must match ("" the layouts' own).
std::string Display(const std::string& name, const std::string& prompt, const std::string& text,
                    int& confirmed, const std::string& filter = "");
void MessageBox(const std::string& text);
int AnswerBox(const std::string& text);
std::string ListBox(const std::string& prompt, const std::string& items);
std::string InputBox(const std::string& prompt, const std::string& defaultText,
                     const std::string& filter = "");
// File names (without extension) matching the pattern, each followed by "~",
// sorted by name; sub-folders are skipped.
std::string GetFileList(const std::filesystem::path& folder, const std::string& pattern);

// The requester of that name, nullptr when none was defined.
Requester* FindRequester(const std::string& name);
// Forgets every requester (tests only; pairs with ResetMiniGUI).
void ResetRequesters();
// Forgets the layouts read so far but keeps the set-up of InitRequesters
// (the fuzzer reads layout after layout in one run).
void ForgetRequesterLayouts();
