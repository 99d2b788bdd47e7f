// A small text overlay at the top-left corner, for developers. The game
// itself adds no lines, so in play it draws nothing.
#pragma once

#include <string>
#include <vector>

struct DebugText {
  int sheet = 0;
  std::string path;
  int glyphWidth = 0;
  int glyphHeight = 0;
  int colour = 0xFFFFFF;
  int glyphX[224] = {};
  int glyphY[224] = {};
  int x = 0;
  int y = 0;
  int characters = 30;
  int lines = 1;
  std::vector<std::string> textLines;  // oldest first
};

extern DebugText gDebug;

void InitDebugText(const std::string& path);
void SetDebugTextArea(int x, int y, int characters, int lines, int colour);
void AddDebugLine(const std::string& text);
void ClearDebugLines();
void DrawDebugLines();
void ReloadDebugSheet();
