#include "fuzz_support.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "common/common.h"
#include "race/define.h"

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
