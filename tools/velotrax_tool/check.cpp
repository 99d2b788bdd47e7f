// velotrax-tool check: loads a circuit or saved race as the game does,
// builds and analyses it and prints its nodes and corners; warns on stderr
// about pieces off the racing path and a start grid that would not look or
// race right.
#include <cstdio>

#include "common/common.h"
#include "race/analyze.h"
#include "race/define.h"
#include "race/folders.h"
#include "race/grid_warnings.h"
#include "race/save_load.h"
#include "platform/services.h"
#include "tool.h"

void PrintCircuitWarnings() {
  std::vector<std::string> warnings = OffPathWarnings(PiecesOffPath());
  for (const std::string& line : GridWarnings()) warnings.push_back(line);
  for (const std::string& line : RaceNow().labelsLeftOut)
    warnings.push_back("label outside the circuit (columns 0 to " + Decimal(Base().cols - 1) +
                       ", rows 0 to " + Decimal(Base().rows - 1) + "), not shown: " + line);
  if (RaceNow().labelsBeyondLimit > 0)
    warnings.push_back(Decimal(RaceNow().labelsBeyondLimit) + " label lines past the first " +
                       Decimal(kMostLabels) + " not read");
  for (const std::string& warning : warnings)
    std::fprintf(stderr, "warning: %s\n", Cp1252ToUtf8(warning).c_str());
}

int RunCheck(const ToolArgs& given) {
  ToolArgs args = given;
  std::filesystem::path gameDir = TakeGameDir(args);
  if (args.size() != 1) {
    std::fprintf(stderr, "usage: velotrax-tool check FILE.json [--game-dir DIR]\n");
    return 2;
  }
  SetFatalThrows(true);
  try {
    UseGameFolders(gameDir);
    ResetRaceData();
    std::filesystem::path file = PlatGamePath(args[0]);
    // The game reads the tile table at start-up; a file with its own "Track"
    // member replaces it, so the table is needed only for files without one.
    if (!DocumentHasMember(file, "Track")) LoadTrackTiles();
    Load(file);
    std::printf("%s\n", TrackDocument().c_str());
    PrintCircuitWarnings();
    return 0;
  } catch (const FatalError& e) {
    std::fprintf(stderr, "%s\n", Cp1252ToUtf8(e.what()).c_str());
    return 1;
  }
}
