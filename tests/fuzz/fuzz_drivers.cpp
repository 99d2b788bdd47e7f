// "Drivers.csv", as a player may edit it, read and written back.
#include "common/common.h"
#include "race/define.h"
#include "race/race_end.h"
#include "race/race_start.h"
#include "race/report.h"
#include "race/season.h"
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
