// Constants, records and the program-wide state the game's units share.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

// ---------------------------------------------------------------------------
// Program settings, folders, screen geometry and the view.
struct ProgramState {
  std::filesystem::path programFolder;  // folder of the executable
  std::filesystem::path circuitsFolder;
  std::filesystem::path dataFolder;
  std::filesystem::path imagesFolder;
  std::filesystem::path resultsFolder;
  std::filesystem::path savedRacesFolder;
  std::filesystem::path themeFolder;
  std::string windowTitle = "The Velotrax";

  int gameState = 4;  // 4 just started, 2 race screen, 1 back to menu, 3 quit
  int scrollSpeed = 4;
  int timeSlice = 167;
  int laps = 4;
  std::string points = "964321";
  int autoMode = 0;
  int gridOn = 0;
  int centerMode = 0;
  int64_t nextStepTime = 0;

  int window = 0;
  int trackViewWidth = 0;
  int viewCols = 0;
  int viewRows = 0;
  int scrollX = 0;
  int scrollY = 0;
  int maxScrollX = 0;
  int maxScrollY = 0;

  std::string raceName;
  std::string seasonName = "no name";
};

// Sprite numbers of the track view's sheets and the cell table.
constexpr int kSheetCells = 88;
struct SheetState {
  int tilesetSprite = 0;
  int carsSprite = 0;
  int labelSheetSprite = 0;
  int gridBoxSprite = 0;
  int cellX[kSheetCells] = {};
  int cellY[kSheetCells] = {};
};

extern ProgramState gProg;
extern SheetState gSheets;

// Sets the folders from a program folder (ending in a separator or not).
void SetProgramFolder(const std::filesystem::path& folder);

// Back to the values the program starts with (for tests).
void ResetProgramState();

// ---------------------------------------------------------------------------
// Race data (records, containers and their current elements).
// ---------------------------------------------------------------------------
