#include "fuzz_support.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "common/common.h"
#include "race/define.h"
#include "game/init.h"
#include "platform/screen.h"
#include "platform/services.h"

namespace fs = std::filesystem;

namespace {
fs::path gFolder;

void RemoveFolder() {
  std::error_code ignored;
  if (!gFolder.empty()) fs::remove_all(gFolder, ignored);
}
}  // namespace

const fs::path& FuzzGameFolder() {
  if (gFolder.empty()) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    gFolder = fs::temp_directory_path() / ("velotrax-fuzz-" + std::to_string(getpid()));
    fs::remove_all(gFolder);
    fs::copy(fs::path(VELOTRAX_SOURCE_DIR) / "game", gFolder, fs::copy_options::recursive);
    fs::create_directories(gFolder / "Saved Races");
    fs::create_directories(gFolder / "Results");
    std::atexit(RemoveFolder);
    SetFatalThrows(true);
    ResetProgramState();
    ResetRaceData();
    SetProgramFolder(gFolder);
  }
  return gFolder;
}

void FuzzStartGameHeadless() {
  static bool started = false;
  if (started) return;
  started = true;
  fs::path folder = FuzzGameFolder();
  // A small desktop (the race screen's own tests go down to it): the largest
  // element a layout asks for is cut to the screen, and smaller sprites keep
  // the run fast.
  PlatSetDesktopOverride(800, 600);
  StartUpIn(folder);
}

void FuzzEmptyFolder(const fs::path& folder) {
  std::error_code ignored;
  for (const auto& entry : fs::directory_iterator(folder, ignored))
    fs::remove_all(entry.path(), ignored);
}

void FuzzWrite(const fs::path& file, const uint8_t* data, size_t size) {
  FILE* out = std::fopen(file.c_str(), "wb");
  if (out == nullptr) std::abort();
  if (size > 0 && std::fwrite(data, 1, size, out) != size) std::abort();
  std::fclose(out);
}
