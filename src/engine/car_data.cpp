#include "engine/car_data.h"

#include "common/common.h"
#include "engine/data_file.h"
#include "engine/define.h"

void LoadCarData() {
  Car().clear();
  std::string text = CleanText(LoadText(gProg.dataFolder / "Car Data.csv"));
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
    Car()[key] = car;
    gRace.currentCar = key;
  }
}

int GearMP(int gear) {
  const CarRecord& car = CurrentCar();
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
