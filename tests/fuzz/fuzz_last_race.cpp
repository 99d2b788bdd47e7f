// "Last Race.txt": the grid of the last race and the season it names.
#include <filesystem>
#include <map>
#include <vector>

#include "common/common.h"
#include "race/car_data.h"
#include "race/define.h"
#include "race/save_load.h"
#include "race/race_end.h"
#include "race/race_start.h"
#include "race/report.h"
#include "race/season.h"
#include "fuzz_support.h"

namespace {
std::vector<NodeRecord> gNodes;
CarTable gCars;

void Quiet(const std::string&) {}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::filesystem::path& folder = FuzzGameFolder();
  if (gNodes.empty()) {
    SetMessageBoxHandler(Quiet);
    Load(folder / "Circuits" / "Puddleford Park.json");
    LoadCarData();
    gNodes = Node();
    gCars = Car();
  }
  Node() = gNodes;
  Car() = gCars;
  Standing().clear();
  SelectedCars().clear();
  for (const auto& [key, car] : gCars) SelectedCars().push_back(key);
  FuzzWrite(folder / "Data" / "Last Race.txt", data, size);
  try {
    SetStartGrid(4);
    AppendToSeasonFile("Fuzz Race Results", {"1  line"});
    // The season file goes again, under whatever name it has on disk (the
    // game's names are converted there; a thousand left behind slow every
    // later input down).
    FuzzEmptyFolder(folder / "Results");
  } catch (const FatalError&) {
  }
  return 0;
}
