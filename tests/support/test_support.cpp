#include "test_support.h"

#include <algorithm>
#include <fstream>
#include <random>
#include <sstream>

namespace fs = std::filesystem;

namespace testing_support {
fs::path SourceDir() {
  return VELOTRAX_SOURCE_DIR;
}
fs::path BuildGameDir() {
  return VELOTRAX_GAME_DIR;
}

fs::path ArtifactDir() {
  fs::path dir = fs::path(VELOTRAX_BUILD_DIR) / "screenshots";
  fs::create_directories(dir);
  return dir;
}

fs::path MakeTempDir(const std::string& tag) {
  static std::mt19937_64 gen(std::random_device{}());
  fs::path dir = fs::temp_directory_path() / ("velotrax-" + tag + "-" + std::to_string(gen()));
  fs::create_directories(dir);
  return dir;
}

fs::path CopyGameFolder(const std::string& tag) {
  fs::path dir = MakeTempDir(tag);
  fs::copy(SourceDir() / "game", dir, fs::copy_options::recursive);
  return dir;
}

fs::path CopyGameFolderToMemory(const std::string& tag) {
  std::error_code ec;
  if (!fs::is_directory("/dev/shm", ec)) return CopyGameFolder(tag);
  static std::mt19937_64 gen(std::random_device{}());
  fs::path dir = fs::path("/dev/shm") / ("velotrax-" + tag + "-" + std::to_string(gen()));
  fs::create_directories(dir);
  fs::copy(SourceDir() / "game", dir, fs::copy_options::recursive);
  return dir;
}

void WriteBytes(const fs::path& file, const std::string& bytes) {
  std::ofstream out(file, std::ios::binary);
  out << bytes;
}

std::string ReadBytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}
}  // namespace testing_support

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>

#include "common/common.h"
#include "race/analyze.h"
#include "race/define.h"
#include "race/folders.h"
#include "race/save_load.h"
#include "race/season.h"

namespace testing_support {
std::string Quoted(const std::string& text) {
  return "'" + text + "'";
}

ToolRun RunTool(const std::string& args) {
  fs::path errDir = MakeTempDir("tool");
  fs::path errFile = errDir / "stderr.txt";
  std::string command = Quoted((BuildGameDir() / "velotrax-tool").string()) + " " + args + " 2>" +
                        Quoted(errFile.string());
  ToolRun run;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[4096];
  for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.out.append(buffer, n);
  int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.err = ReadBytes(errFile);
  fs::remove_all(errDir);
  return run;
}

std::vector<fs::path> ShippedCircuits() {
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(SourceDir() / "game" / "Circuits")) {
    if (entry.path().extension() == ".json") files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

fs::path LargestShippedCircuit() {
  fs::path best;
  size_t nodes = 0;
  for (const fs::path& file : ShippedCircuits()) {
    Load(file);
    if (Node().size() > nodes) {
      nodes = Node().size();
      best = file;
    }
  }
  return best;
}

int RunAllTests(int argc, char** argv) {
  SetFatalThrows(true);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
void ReadGameFolderAsTheGame(const fs::path& game) {
  SetFatalThrows(true);
  ResetProgramState();
  ResetRaceData();
  SetProgramFolder(game);
  ReadSettings();
  LoadTrackTiles();
  SetLoadDriversHandler(LoadDrivers);
}

}  // namespace testing_support
