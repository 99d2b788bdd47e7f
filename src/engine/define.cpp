#include "engine/define.h"

ProgramState gProg;
SheetState gSheets;

void SetProgramFolder(const std::filesystem::path& folder) {
  std::filesystem::path base = folder;
  gProg.programFolder = base;
  gProg.circuitsFolder = base / "Circuits";
  gProg.dataFolder = base / "Data";
  gProg.imagesFolder = base / "Images";
  gProg.resultsFolder = base / "Results";
  gProg.savedRacesFolder = base / "Saved Races";
  gProg.themeFolder = base / "Theme";
}

void ResetProgramState() {
  gProg = ProgramState{};
  gSheets = SheetState{};
}
