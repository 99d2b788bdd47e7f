#include "race/car_data.h"

#include "common/common.h"
#include "race/data_file.h"
#include "race/define.h"

namespace {
// The number of the file line a cleaned line came from, for messages.
int FileLineOf(const std::string& raw, const std::string& line) {
  std::vector<std::string> lines = SplitLines(raw);
  for (size_t i = 0; i < lines.size(); ++i) {
    std::string cleaned = lines[i];
    for (char& c : cleaned) {
      if (c == '\t') c = ' ';
    }
    if (TrimSpaces(cleaned) == line) return static_cast<int>(i) + 1;
  }
  return 0;
}

// The rules a car must keep so that every race with it can end: a gear to
// drop to in every corner, MP to move with in every gear, a gear panel that
// offers the gears that exist and an image the Cars sheet has. Returns the
// first rule the car breaks, or "".
std::string BrokenCarRule(const CarRecord& car) {
  const int mp[6] = {car.gear1, car.gear2, car.gear3, car.gear4, car.gear5, car.gearTop};
  const char* gearName[6] = {"1st", "2nd", "3rd", "4th", "5th", "Top"};
  for (int g = 0; g < 6; ++g) {
    if (mp[g] < 1) return std::string("MP in ") + gearName[g] + " must be 1 or more";
  }
  if (car.hb < 0) return "HBs must not be negative";
  if (car.sharp < 1 || car.sharp > 6) return "safe gear for sharp corners must be from 1 to 6";
  if (car.hairpin < 1 || car.hairpin > 6) return "safe gear for hairpins must be from 1 to 6";
  if (car.ors < 0) return "ORs must not be negative";
  if (car.downShift < 1 || car.downShift > 5) return "gears dropped at once must be from 1 to 5";
  if (car.tile < 0 || car.tile >= kCarSheetCells) {
    return "image cell must be from 0 to " + Decimal(kCarSheetCells - 1);
  }
  return "";
}
}  // namespace

void LoadCarData() {
  Car().clear();
  std::string raw = LoadText(gProg.dataFolder / "Car Data.csv");
  std::string text = CleanText(raw);
  for (const std::string& line : SplitLines(text)) {
    std::string key = CommaField(line, 1);
    CarRecord car;  // listInd, lane, facing -1; race state 0
    auto field = [&](int i) { return LenientInt(CommaField(line, i)); };
    car.gear1 = field(2);
    car.gear2 = field(3);
    car.gear3 = field(4);
    car.gear4 = field(5);
    car.gear5 = field(6);
    car.gearTop = field(7);
    car.hb = field(8);
    car.sharp = field(9);
    car.hairpin = field(10);
    car.ors = field(11);
    car.downShift = field(12);
    car.tile = field(13);
    std::string broken = BrokenCarRule(car);
    if (!broken.empty()) {
      FATAL("Car Data.csv, line " + Decimal(FileLineOf(raw, line)) + " (" + line + "): " + broken,
            "Define", "LoadCarData");
    }
    Car()[key] = car;
    SelectCar(key);
  }
}

int CarGearMP(const CarRecord& car, int gear) {
  switch (gear) {
    case 1:
      return car.gear1;
    case 2:
      return car.gear2;
    case 3:
      return car.gear3;
    case 4:
      return car.gear4;
    case 5:
      return car.gear5;
    case 6:
      return car.gearTop;
    default:
      return 0;
  }
}

int GearMP(int gear) {
  return CarGearMP(CurrentCar(), gear);
}
