// "The Velotrax.ini", as a player may edit it.
#include "common/common.h"
#include "race/define.h"
#include "fuzz_support.h"
#include "race/folders.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::filesystem::path& folder = FuzzGameFolder();
  FuzzWrite(folder / "The Velotrax.ini", data, size);
  ResetProgramState();
  SetProgramFolder(folder);
  try {
    ReadSettings();
  } catch (const FatalError&) {
  }
  return 0;
}
