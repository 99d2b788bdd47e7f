// "Race Track Data.csv", the tile table a circuit maker may edit.
#include "common/common.h"
#include "race/analyze.h"
#include "race/define.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::filesystem::path file = FuzzGameFolder() / "Data" / "Race Track Data.csv";
  FuzzWrite(file, data, size);
  try {
    LoadTrackTilesFrom(file);
  } catch (const FatalError&) {
  }
  return 0;
}
