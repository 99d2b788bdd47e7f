// "Car Data.csv", as a player may edit it.
#include "common/common.h"
#include "race/car_data.h"
#include "race/define.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzWrite(FuzzGameFolder() / "Data" / "Car Data.csv", data, size);
  try {
    LoadCarData();
    for (const auto& [key, car] : Car()) {
      SelectCar(key);
      for (int g = -1; g <= 7; ++g) GearMP(g);
    }
  } catch (const FatalError&) {
  }
  return 0;
}
