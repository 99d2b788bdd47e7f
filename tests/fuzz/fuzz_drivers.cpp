// "Drivers.csv", as a player may edit it, read and written back.
#include "common/common.h"
#include "engine/define.h"
#include "engine/start_end.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzWrite(FuzzGameFolder() / "Data" / "Drivers.csv", data, size);
  try {
    LoadDrivers();
    DriversText();
  } catch (const FatalError&) {
  }
  return 0;
}
