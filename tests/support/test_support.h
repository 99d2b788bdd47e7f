// Shared test fixtures: the headless platform, temporary folders and the
// folder where tests leave screenshots for a reviewer.
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
// Opens (or reuses) a headless window and screen of the given size through
// the game's own start-up step, so gProg.window and the view geometry are set.
void EnsureHeadlessScreen(int width, int height);
// A PNG of a plain colour (0xAABBGGRR), made with the platform's own encoder.
std::string SolidPng(int width, int height, unsigned int rgba);
// The game's whole start-up, headless, on a game folder (the assembled
// build/game by default): screens, sheets, settings, toolkit, requesters.
void StartGameHeadless(int width, int height, const std::filesystem::path& folder = BuildGameDir());
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
// Every test program's main: fatal errors throw, SDL runs on the dummy driver.
int RunAllTests(int argc, char** argv);
}  // namespace testing_support
