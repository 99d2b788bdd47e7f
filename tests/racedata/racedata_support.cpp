#include "racedata_support.h"

#include "../support/test_support.h"
#include "race/analyze.h"
#include "race/save_load.h"

namespace fs = std::filesystem;

std::string TestTileTable() {
  const char* facing[40] = {"2 6", "0 4", "1 5", "3 7", "1 4", "4 7", "0 3", "0 5",  "3 6",
                            "1 6", "2 5", "2 7", "1 3", "3 5", "5 7", "1 7", nullptr};
  std::string text = "; tile, facing, lane offsets\r\n";
  for (int t = 0; t < 40; ++t) {
    int base = t >= 16 && t < 32 ? t - 16 : t >= 36 ? t - 4 : t;
    std::string f = base < 16                  ? facing[base]
                    : base == 32 || base == 34 ? "2 6"
                    : base == 33 || base == 35 ? "0 4"
                                               : "";
    text += Decimal(t) + "," + f + "," + Decimal(t) + "," + Decimal(t + 20) + "," + Decimal(t + 1) +
            "," + Decimal(t + 21) + "\r\n";
  }
  return text;
}

namespace {
void Fill(Grid& grid, const Rows& rows, int cols, int height, int fill) {
  grid.Resize(cols, height, fill);
  for (int y = 0; y < static_cast<int>(rows.size()); ++y)
    for (int x = 0; x < static_cast<int>(rows[y].size()); ++x) grid(x, y) = rows[y][x];
}
}  // namespace

void SetLayers(const Rows& base, const Rows& middle, const Rows& top) {
  int height = static_cast<int>(base.size()), cols = static_cast<int>(base[0].size());
  Fill(Base(), base, cols, height, 46);
  Fill(Middle(), middle, cols, height, -1);
  Fill(Top(), top, cols, height, -1);
}

const Rows kRectBase = {
    {46, 46, 46, 46, 46, 46, 46, 46, 46, 46}, {46, 10, 0, 34, 0, 0, 8, 46, 46, 46},
    {4, 46, 46, 46, 46, 46, 46, 5, 46, 46},   {1, 46, 46, 46, 46, 46, 46, 1, 46, 46},
    {1, 46, 46, 46, 46, 46, 46, 1, 46, 46},   {6, 46, 46, 46, 46, 46, 46, 7, 46, 46},
    {46, 11, 0, 0, 0, 0, 9, 46, 46, 46},      {46, 46, 46, 46, 46, 46, 46, 46, 46, 46},
};
const Rows kRectMiddle = {
    {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1}, {-1, 45, -1, -1, -1, -1, 44, -1, -1, -1},
    {45, -1, -1, -1, -1, -1, -1, 44, -1, -1}, {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1},
    {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1}, {42, -1, -1, -1, -1, -1, -1, 43, -1, -1},
    {-1, 45, -1, -1, -1, -1, 44, -1, -1, -1}, {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1},
};
const Rows kRectTop = {
    {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1}, {-1, -1, 40, -1, -1, -1, 41, -1, -1, -1},
    {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1}, {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1},
    {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1}, {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1},
    {-1, 40, -1, -1, -1, 40, -1, -1, -1, -1}, {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1},
};

std::vector<std::string>& MessageBoxes() {
  static std::vector<std::string> shown;
  return shown;
}

void ExpectFatal(const std::string& what, const std::string& prefix,
                 const std::string& moduleAndProcedure) {
  std::string tail = "\r\n" + moduleAndProcedure + " @ ";
  ASSERT_GE(what.size(), prefix.size() + tail.size()) << what;
  EXPECT_EQ(what.substr(0, prefix.size()), prefix) << what;
  size_t at = what.rfind(tail);
  ASSERT_NE(at, std::string::npos) << what;
  EXPECT_EQ(at, what.find("\r\n")) << "one line of text, then the place: " << what;
  std::string line = what.substr(at + tail.size());
  EXPECT_FALSE(line.empty());
  EXPECT_EQ(line.find_first_not_of("0123456789"), std::string::npos) << what;
}

void RaceDataTest::SetUp() {
  ResetProgramState();
  ResetRaceData();
  SetLoadDriversHandler(nullptr);
  MessageBoxes().clear();
  SetMessageBoxHandler([](const std::string& text) { MessageBoxes().push_back(text); });
  dir = testing_support::MakeTempDir("racedata");
  fs::create_directories(dir / "Data");
  fs::create_directories(dir / "Circuits");
  SetProgramFolder(dir);
  testing_support::WriteBytes(dir / "Data" / "Race Track Data.csv", TestTileTable());
  LoadTrackTiles();
}

void RaceDataTest::TearDown() {
  SetMessageBoxHandler(nullptr);
  std::error_code ec;
  fs::remove_all(dir, ec);
}
