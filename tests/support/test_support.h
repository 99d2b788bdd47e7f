// Shared test fixtures of every layer: temporary game folders, the tool run
// as a program, the shipped circuits and the folder where tests leave
// screenshots for a reviewer. The screens' own are in screen_support.h.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace testing_support {
std::filesystem::path SourceDir();
std::filesystem::path BuildGameDir();
// build/screenshots (created on demand).
std::filesystem::path ArtifactDir();
// A fresh empty folder under the system temp folder, removed by the caller.
std::filesystem::path MakeTempDir(const std::string& tag);
// A copy of the shipped game/ folder in a fresh temp folder.
std::filesystem::path CopyGameFolder(const std::string& tag);
// The same in memory-backed storage where the machine has some (/dev/shm):
// for tests that save hundreds of times, each save synced to disk.
std::filesystem::path CopyGameFolderToMemory(const std::string& tag);
void WriteBytes(const std::filesystem::path& file, const std::string& bytes);
std::string ReadBytes(const std::filesystem::path& file);
}  // namespace testing_support

namespace testing_support {
// velotrax-tool from the assembled game folder, run with `args` (already
// quoted where needed): its exit status, stdout and stderr.
struct ToolRun {
  int status = -1;
  std::string out, err;
};
ToolRun RunTool(const std::string& args);
std::string Quoted(const std::string& text);  // in single quotes, for the shell
// The circuit files shipped in game/Circuits, sorted by name.
std::vector<std::filesystem::path> ShippedCircuits();
// The shipped circuit with the most nodes (loads each one).
std::filesystem::path LargestShippedCircuit();
// A fresh program state on a copy of the game folder, its settings, tiles
// and drivers read as the game reads them, fatal errors thrown: races set
// up there go as the game's do.
void ReadGameFolderAsTheGame(const std::filesystem::path& game);
// Every test program's main: fatal errors throw.
int RunAllTests(int argc, char** argv);
}  // namespace testing_support
