// Checks of the shipped art against what the game relies on: image sizes,
// font sheets, the tile table, and that the table and the tile images agree.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <vector>

#include "png_reader.h"
#include "test_support.h"

namespace fs = std::filesystem;
using testing_support::ReadBytes;
using testing_support::SourceDir;

namespace {

fs::path Game() { return SourceDir() / "game"; }

RgbaImage Load(const fs::path& file) {
  RgbaImage img;
  std::string why;
  EXPECT_TRUE(DecodeRgbaPng(ReadBytes(file), img, why)) << file << ": " << why;
  return img;
}

struct Row {
  int tile = -1;
  std::string facing;
  int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
};

std::vector<Row> TrackTable() {
  std::string text = ReadBytes(Game() / "Data" / "Race Track Data.csv");
  std::vector<Row> rows;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find("\r\n", at);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(at, end - at);
    at = end + 2;
    if (line.empty() || line[0] == ';') continue;
    std::vector<std::string> f;
    std::stringstream ss(line);
    std::string field;
    while (std::getline(ss, field, ',')) f.push_back(field);
    if (f.size() != 6) {
      ADD_FAILURE() << "line with " << f.size() << " fields: " << line;
      continue;
    }
    rows.push_back({std::stoi(f[0]), f[1], std::stoi(f[2]), std::stoi(f[3]), std::stoi(f[4]), std::stoi(f[5])});
  }
  return rows;
}

// A pixel of track asphalt: grey, not green grass nor beige gravel.
bool IsAsphalt(const uint8_t* p) {
  int r = p[0], g = p[1], b = p[2];
  return p[3] == 255 && std::abs(r - g) < 14 && std::abs(g - b) < 14 && r > 50 && r < 130;
}

// TilesCompatible and TurnToward as the node builder does them.
bool Compatible(const std::string& a, const std::string& b) {
  const std::string pairs = "13 31 17 71 35 53 57 75 ";
  for (char p : {a[0], a[2]})
    for (char q : {b[0], b[2]})
      if (pairs.find(std::string{p, q, ' '}) != std::string::npos) return true;
  return false;
}

int Toward(const std::string& facing, int d) {
  if (facing.find(char('0' + d)) != std::string::npos) return d;
  for (char c : {facing[0], facing[2]}) {
    int diff = std::abs(d - (c - '0'));
    if (diff == 1 || diff == 7) return c - '0';
  }
  return -1;
}

}  // namespace

TEST(ShippedArt, ImagesHaveTheSizesTheGameCutsThemBy) {
  const struct {
    const char* path;
    int w, h;
  } expected[] = {
      {"Images/Tileset.png", 512, 704},      {"Images/Cars.png", 512, 704},
      {"Images/Terminal 14.png", 144, 252},  {"Theme/Terminal 14.png", 144, 252},
      {"Theme/Consolas 9.png", 112, 196},    {"Theme/Frame.png", 96, 96},
      {"Theme/Panel.png", 24, 24},           {"Theme/Button Long.png", 176, 32},
      {"Theme/Button Short.png", 82, 32},    {"Theme/Scroll Arrows.png", 24, 64},
      {"Theme/Terminal 20.png", 192, 336},   {"Theme/Button Menu.png", 256, 48},
  };
  for (const auto& e : expected) {
    int w = 0, h = 0;
    ASSERT_TRUE(PngSize(ReadBytes(Game() / e.path), w, h)) << e.path;
    EXPECT_EQ(w, e.w) << e.path;
    EXPECT_EQ(h, e.h) << e.path;
  }
  EXPECT_EQ(ReadBytes(Game() / "Images/Terminal 14.png"), ReadBytes(Game() / "Theme/Terminal 14.png"));
}

TEST(ShippedArt, TerminalFontIsWhiteOnTransparentWithTickAndCursor) {
  RgbaImage sheet = Load(Game() / "Theme/Terminal 14.png");
  auto inked = [&](int code, int fromRow = 0) {
    int index = code - 32, n = 0;
    for (int y = fromRow; y < 18; ++y)
      for (int x = 0; x < 9; ++x) n += sheet.At((index % 16) * 9 + x, (index / 16) * 18 + y)[3] > 128;
    return n;
  };
  EXPECT_GT(inked('A'), 15);
  EXPECT_GT(inked(251), 10);     // the check boxes' tick
  EXPECT_GT(inked('_', 14), 8);  // the cursor sits low in its cell
  EXPECT_EQ(inked(' '), 0);
  EXPECT_EQ(inked(0x81), 0);     // undefined in Windows-1252
  EXPECT_GT(inked(0x80), 10);    // the euro sign
  for (size_t i = 0; i < sheet.px.size(); i += 4)
    if (sheet.px[i + 3] > 0) {
      ASSERT_TRUE(sheet.px[i] == 255 && sheet.px[i + 1] == 255 && sheet.px[i + 2] == 255);
    }
}

TEST(ShippedArt, SmallFontIsDarkOnOpaquePale) {
  RgbaImage sheet = Load(Game() / "Theme/Consolas 9.png");
  for (size_t i = 0; i < sheet.px.size(); i += 4) ASSERT_EQ(sheet.px[i + 3], 255) << "pixel " << i / 4;
  auto darkest = [&](int code) {
    int index = code - 32, low = 255;
    for (int y = 0; y < 14; ++y)
      for (int x = 0; x < 7; ++x) low = std::min<int>(low, sheet.At((index % 16) * 7 + x, (index / 16) * 14 + y)[1]);
    return low;
  };
  EXPECT_LT(darkest('A'), 80);
  EXPECT_GT(darkest(' '), 200);  // the space glyph is the pop-up's background
}

TEST(TrackTable, HasARowPerTileWithFacingForEveryTrackTile) {
  std::string text = ReadBytes(Game() / "Data" / "Race Track Data.csv");
  for (size_t i = 0; i < text.size(); ++i)
    if (text[i] == '\n') {
      ASSERT_TRUE(i > 0 && text[i - 1] == '\r') << "bare LF at byte " << i;
    }
  std::vector<Row> rows = TrackTable();
  ASSERT_EQ(rows.size(), 88u);
  for (int t = 0; t < 88; ++t) {
    const Row& r = rows[size_t(t)];
    EXPECT_EQ(r.tile, t);
    if (t < 40) {
      ASSERT_EQ(r.facing.size(), 3u) << "tile " << t;
      EXPECT_TRUE(r.facing[0] >= '0' && r.facing[0] <= '7' && r.facing[1] == ' ' && r.facing[2] >= '0' &&
                  r.facing[2] <= '7' && r.facing[0] != r.facing[2])
          << "tile " << t << ": '" << r.facing << "'";
    } else {
      EXPECT_EQ(r.facing, "") << "tile " << t;
    }
    for (int v : {r.x0, r.y0, r.x1, r.y1}) EXPECT_TRUE(v >= 0 && v < 64) << "tile " << t;
  }
}

TEST(TrackTable, SideTurnsFindTheBendBesideAndTurnOntoIt) {
  std::vector<Row> rows = TrackTable();
  ASSERT_EQ(rows.size(), 88u);
  // For a car heading d with side-turn tile 12..15 ahead, the cell beside
  // holds the bend joining the new heading's side to the corner by the tile.
  const int heading[4] = {2, 4, 6, 0};
  for (int style : {0, 16}) {
    for (int k = 0; k < 4; ++k) {
      int d = heading[k];
      const std::string& side = rows[size_t(12 + k + style)].facing;
      for (bool left : {true, false}) {
        int nd = (d + (left ? 6 : 2)) % 8;
        int corner = (d + (left ? 1 : 7)) % 8;
        // the bend's ends: the side toward nd and the corner toward the side tile
        int bend = -1;
        for (int t = style + 4; t <= style + 11; ++t) {
          const std::string& f = rows[size_t(t)].facing;
          std::set<int> exits{f[0] - '0', f[2] - '0'};
          if (exits.count(nd) && exits.count(corner)) bend = t;
        }
        ASSERT_GE(bend, 0) << "heading " << d << (left ? " left" : " right");
        EXPECT_TRUE(Compatible(side, rows[size_t(bend)].facing)) << "side tile " << 12 + k + style << ", bend " << bend;
        EXPECT_EQ(Toward(rows[size_t(bend)].facing, nd), nd) << "bend " << bend;
      }
    }
  }
}

TEST(TrackTable, CarsStandOnTheDrawnLanes) {
  RgbaImage tiles = Load(Game() / "Images/Tileset.png");
  std::vector<Row> rows = TrackTable();
  ASSERT_EQ(rows.size(), 88u);
  for (int t = 0; t < 40; ++t) {
    if ((t >= 12 && t <= 15) || (t >= 28 && t <= 31)) continue;  // never a node
    const Row& r = rows[size_t(t)];
    // the car's centre lands one pixel past the table's position
    for (auto [x, y] : {std::pair{r.x0 + 1, r.y0 + 1}, std::pair{r.x1 + 1, r.y1 + 1}}) {
      int asphalt = 0;
      for (int dy = -2; dy <= 2; ++dy)
        for (int dx = -2; dx <= 2; ++dx) asphalt += IsAsphalt(tiles.At((t % 8) * 64 + x + dx, (t / 8) * 64 + y + dy));
      EXPECT_GE(asphalt, 12) << "tile " << t << " lane at " << x << "," << y;
    }
    EXPECT_GE(std::hypot(r.x0 - r.x1, r.y0 - r.y1), 18.0) << "tile " << t;
  }
}

TEST(TrackTable, PenaltyMarkersLieOverThePenalisedLane) {
  RgbaImage tiles = Load(Game() / "Images/Tileset.png");
  std::vector<Row> rows = TrackTable();
  ASSERT_EQ(rows.size(), 88u);
  // marker -> bend -> penalised lane, as the node builder reads them
  const std::map<int, std::map<int, int>> penalty = {
      {42, {{6, 1}, {7, 0}, {8, 1}, {9, 0}}},
      {43, {{6, 0}, {7, 1}, {10, 1}, {11, 0}}},
      {44, {{4, 1}, {5, 0}, {8, 0}, {9, 1}}},
      {45, {{4, 0}, {5, 1}, {10, 0}, {11, 1}}},
  };
  for (const auto& [marker, bends] : penalty)
    for (const auto& [bend, lane] : bends)
      for (int style : {0, 16}) {
        const Row& r = rows[size_t(bend + style)];
        auto alpha = [&](int x, int y) { return int(tiles.At((marker % 8) * 64 + x + 1, (marker / 8) * 64 + y + 1)[3]); };
        int hit = lane == 0 ? alpha(r.x0, r.y0) : alpha(r.x1, r.y1);
        int miss = lane == 0 ? alpha(r.x1, r.y1) : alpha(r.x0, r.y0);
        EXPECT_GT(hit, 40) << "marker " << marker << " on bend " << bend + style;
        EXPECT_EQ(miss, 0) << "marker " << marker << " on bend " << bend + style;
      }
}

TEST(ShippedArt, TrackMeetsTheStraightsAtEverySide) {
  RgbaImage tiles = Load(Game() / "Images/Tileset.png");
  auto edge = [&](int t, int side) {  // asphalt mask along one cell side, 0 N 2 E 4 S 6 W
    std::string mask;
    for (int i = 0; i < 64; ++i) {
      int x = side == 2 ? 63 : side == 6 ? 0 : i, y = side == 0 ? 0 : side == 4 ? 63 : i;
      mask += IsAsphalt(tiles.At((t % 8) * 64 + x, (t / 8) * 64 + y)) ? '#' : '.';
    }
    return mask;
  };
  std::vector<Row> rows = TrackTable();
  ASSERT_EQ(rows.size(), 88u);
  for (int t = 0; t < 40; ++t) {
    if ((t >= 12 && t <= 15) || (t >= 28 && t <= 31)) continue;
    const std::string& f = rows[size_t(t)].facing;
    for (char c : {f[0], f[2]}) {
      int d = c - '0';
      if (d % 2) continue;
      // the side it leaves through must look like a straight's side there
      std::string want = edge(d == 0 || d == 4 ? 1 : 0, d), got = edge(t, d);
      int diff = 0;
      for (size_t i = 0; i < 64; ++i) diff += want[i] != got[i];
      EXPECT_LE(diff, 2) << "tile " << t << " side " << d << "\n" << want << "\n" << got;
    }
  }
}

TEST(AssetGenerator, WritesTheSameBytesEveryRun) {
  fs::path exe = fs::path(VELOTRAX_BUILD_DIR) / "tools" / "velotrax-assetgen";
  if (!fs::exists(exe)) GTEST_SKIP() << "generator not built (FreeType missing)";
  fs::path a = testing_support::MakeTempDir("assetgen-a"), b = testing_support::MakeTempDir("assetgen-b");
  for (const fs::path& dir : {a, b}) {
    std::string cmd = "\"" + exe.string() + "\" \"" + dir.string() + "\"";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
  }
  std::vector<fs::path> files;
  for (const auto& e : fs::recursive_directory_iterator(a))
    if (e.is_regular_file()) files.push_back(fs::relative(e.path(), a));
  EXPECT_EQ(files.size(), 35u);
  for (const fs::path& rel : files) {
    EXPECT_TRUE(fs::exists(b / rel)) << rel;
    EXPECT_TRUE(ReadBytes(a / rel) == ReadBytes(b / rel)) << rel << " differs between runs";
  }
  fs::remove_all(a);
  fs::remove_all(b);
}

TEST(AssetGenerator, RefusesBadArgumentsAndUnwritableFolders) {
  fs::path exe = fs::path(VELOTRAX_BUILD_DIR) / "tools" / "velotrax-assetgen";
  if (!fs::exists(exe)) GTEST_SKIP() << "generator not built (FreeType missing)";
  std::string quiet = " 2>/dev/null";
  EXPECT_NE(std::system(("\"" + exe.string() + "\"" + quiet).c_str()), 0);
  fs::path dir = testing_support::MakeTempDir("assetgen-bad");
  testing_support::WriteBytes(dir / "Images", "a file where a folder should be");
  EXPECT_NE(std::system(("\"" + exe.string() + "\" \"" + dir.string() + "\"" + quiet).c_str()), 0);
  fs::remove_all(dir);
}

// The desktop icons are the generator's own drawing, committed as it draws
// them: square, transparent outside the rounded corners, opaque in the middle.
TEST(AssetGenerator, TheCommittedDesktopIconsAreWhatItDraws) {
  fs::path exe = fs::path(VELOTRAX_BUILD_DIR) / "tools" / "velotrax-assetgen";
  if (!fs::exists(exe)) GTEST_SKIP() << "generator not built (FreeType missing)";
  fs::path dir = testing_support::MakeTempDir("assetgen-icons");
  std::string cmd = "\"" + exe.string() + "\" --icons \"" + dir.string() + "\"";
  ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
  for (int size : {256, 128, 64, 32}) {
    std::string name = "the-velotrax-" + std::to_string(size) + ".png";
    std::string drawn = ReadBytes(dir / name);
    EXPECT_TRUE(drawn == ReadBytes(SourceDir() / "desktop" / "icons" / name))
        << name << ": run make assets and commit the icons";
    RgbaImage img;
    std::string why;
    ASSERT_TRUE(DecodeRgbaPng(drawn, img, why)) << name << ": " << why;
    EXPECT_EQ(img.width, size);
    EXPECT_EQ(img.height, size);
    EXPECT_EQ(img.At(0, 0)[3], 0) << name;
    EXPECT_EQ(img.At(size / 2, size / 2)[3], 255) << name;
  }
  // The Windows programs' icon: a directory of four sizes, each a PNG of
  // its size where the directory says.
  std::string ico = ReadBytes(dir / "the-velotrax.ico");
  EXPECT_TRUE(ico == ReadBytes(SourceDir() / "desktop" / "icons" / "the-velotrax.ico"))
      << "the-velotrax.ico: run make assets and commit the icons";
  auto u32 = [&ico](size_t at) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(ico[at + i]);
    return v;
  };
  ASSERT_GE(ico.size(), 6u + 4 * 16);
  EXPECT_EQ(ico.substr(0, 6), std::string("\0\0\1\0\4\0", 6));
  const int sizes[] = {256, 64, 32, 16};
  for (int i = 0; i < 4; ++i) {
    const size_t entry = 6 + 16 * i;
    EXPECT_EQ(static_cast<unsigned char>(ico[entry]), sizes[i] % 256);
    const uint32_t length = u32(entry + 8), offset = u32(entry + 12);
    ASSERT_LE(size_t{offset} + length, ico.size());
    RgbaImage img;
    std::string why;
    ASSERT_TRUE(DecodeRgbaPng(ico.substr(offset, length), img, why)) << sizes[i] << ": " << why;
    EXPECT_EQ(img.width, sizes[i]);
  }
  fs::remove_all(dir);
}
