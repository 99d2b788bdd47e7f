// Fixtures of the toolkit tests: a headless screen, a placeholder theme of
// the shipped sizes, and frame-by-frame input scripts for the modal loops.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace gui_test {
// Fresh platform: window and screen of this size (window number 1).
void OpenHeadlessScreen(int width, int height);

// Writes placeholder theme images of the shipped sizes into folder: "Frame"
// 96x96, "Panel" 24x24, "Button Long" 176x32, "Button Short" 82x32,
// "Scroll Arrows" 24x64, "Terminal 14" 144x252 (9x18 glyphs, white on
// transparent), "Consolas 9" 112x196 (7x14 glyphs, dark on pale).
void WritePlaceholderTheme(const std::filesystem::path& folder);
// A sheet of 16 x 14 cells, each filled with CellColour(index).
void WriteCellSheet(const std::filesystem::path& file, int cellWidth, int cellHeight);
unsigned CellColour(int index);  // 0xBBGGRR
// Solid image of any size.
void WriteSolidPng(const std::filesystem::path& file, int width, int height, unsigned rgba);

// The shipped theme when it holds every image the game names, else a
// placeholder theme in a temp folder.
std::filesystem::path ThemeForScreenshots();

// Resets toolkit and dialogs, opens a screen and starts the toolkit on theme.
void StartGui(int width, int height, const std::filesystem::path& theme);

// Steps run one per modal frame (the first at the end of the first frame).
// When they run out, the loop gets a limited number of further frames before
// the test is failed with an exception, so a loop that never ends cannot
// hang the suite.
void ScriptFrames(std::vector<std::function<void()>> steps);
bool ScriptDone();

// Input helpers.
void Click(int x, int y);       // move + left release
void RightClick(int x, int y);  // move + right release
void TypeKey(int scanCode, const std::string& text);
void PressKey(int scanCode);    // down + up, no text

// Shared placeholder theme for the whole run, with extra test sheets:
// "Cells 16x24" (256x336), "Cells 8x14" (128x196), "Tiny" (15x13),
// "Flat" (96x40, too low for a 3x3 frame).
const std::filesystem::path& PlaceholderTheme();
}  // namespace gui_test
