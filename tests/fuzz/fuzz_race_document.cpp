// A circuit or saved race received from another player: Load, the circuit
// building and analysis it runs, then the race resumed (a saved race) or set
// up with three cars (a circuit) and a few hundred race steps on it.
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include "common/common.h"
#include "fuzz_support.h"
#include "platform/services.h"
#include "race/define.h"
#include "race/movement.h"
#include "race/race_start.h"
#include "race/save_load.h"

namespace {
void Quiet(const std::string&) {}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::filesystem::path& folder = FuzzGameFolder();
  SetMessageBoxHandler(Quiet);
  // A race that finishes writes the drivers' points, the last race's grid
  // and the season's results: each input starts from the shipped ones again,
  // so that no input depends on the ones before it (and the season file
  // does not grow with every finish).
  static std::map<std::filesystem::path, std::string> shipped;
  if (shipped.empty()) {
    for (const char* name : {"Drivers.csv", "Last Race.txt"}) {
      std::filesystem::path data = folder / "Data" / name;
      if (!PlatReadFile(data, shipped[data])) std::abort();
    }
  }
  std::filesystem::path file = folder / "Saved Races" / "fuzz.json";
  FuzzWrite(file, data, size);
  PlatScriptRandom({37, 5, 88, 61, 12, 99, 50, 73, 1, 100, 24});
  try {
    ResetRaceData();
    Options().raceName = "fuzz";
    Load(file);
    if (Standing().empty()) {
      UnattendedRace race;
      race.cars = {"Arrowhead", "Comet Eight", "Typhoon"};
      race.laps = 1;
      if (!SetUpUnattendedRace(race)) return 0;
    } else {
      ResumeRace();
    }
    for (int step = 0; step < 300 && !Standing().empty(); ++step) RaceStep();
    SaveDocument();
  } catch (const FatalError&) {
  }
  for (const auto& [data, bytes] : shipped)
    FuzzWrite(data, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  FuzzEmptyFolder(folder / "Results");
  return 0;
}
