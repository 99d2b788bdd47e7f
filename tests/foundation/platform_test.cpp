// The platform layer on the dummy driver: sprites, images, input, files.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <csignal>
#include <limits>
#include <random>
#include <set>
#include <thread>

#include "common/common.h"
#include "race/define.h"
#include "platform/screen.h"
#include "platform/services.h"
#include "platform/png_codec.h"
#include "screen_support.h"
#include "game/view.h"

namespace fs = std::filesystem;
using testing_support::EnsureHeadlessScreen;
using testing_support::SolidPng;

class Platform : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureHeadlessScreen(320, 240);
    PlatPollKeyboard();
    while (PlatNextWindowEvent() != kEventNone) {
    }
    PlatPollKeyboard();
  }
  void Drain() {
    while (PlatNextWindowEvent() != kEventNone) {
    }
  }
};

TEST_F(Platform, SpriteNumbersChosenOrHandedOut) {
  std::string png = SolidPng(10, 6, 0xFF0000FF);
  EXPECT_EQ(PlatSpriteFromMemory(77, png.data(), png.size()), 77);
  int any = PlatSpriteFromMemory(kAnySprite, png.data(), png.size());
  EXPECT_GT(any, 0);
  EXPECT_NE(any, 77);
  EXPECT_EQ(PlatSpriteWidth(any), 10);
  EXPECT_EQ(PlatSpriteHeight(any), 6);
  PlatFreeSprite(77);
  EXPECT_FALSE(PlatIsSprite(77));
  EXPECT_TRUE(PlatIsSprite(any));
  PlatFreeSprite(any);
}

TEST_F(Platform, HostilePngsAreRefused) {
  std::string good = SolidPng(4, 4, 0xFFFFFFFF);
  std::string text = "this is not a picture at all";
  EXPECT_EQ(PlatSpriteFromMemory(kAnySprite, text.data(), text.size()), 0);
  for (size_t cut : {size_t(8), size_t(20), size_t(33), good.size() / 2, good.size() - 13}) {
    EXPECT_EQ(PlatSpriteFromMemory(kAnySprite, good.data(), cut), 0) << cut;
  }
  // A header claiming 0 x 0 pixels.
  std::string zero = good;
  for (int i = 16; i < 24; ++i) zero[i] = 0;
  EXPECT_EQ(PlatSpriteFromMemory(kAnySprite, zero.data(), zero.size()), 0);
  // A header claiming a gigantic image must not be allocated.
  std::string huge = good;
  huge[16] = huge[20] = 0x7F;
  EXPECT_EQ(PlatSpriteFromMemory(kAnySprite, huge.data(), huge.size()), 0);
  EXPECT_EQ(PlatLoadSprite(kAnySprite, "/nonexistent.png"), 0);
}

namespace {
// The PNG with its header rewritten to declare another size (and interlace),
// the header's checksum made good so that only the size can be refused.
std::string Declaring(std::string png, uint32_t width, uint32_t height, bool interlaced) {
  auto put = [&png](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) png[at + i] = static_cast<char>(v >> (24 - 8 * i));
  };
  put(16, width);
  put(20, height);
  png[28] = interlaced ? 1 : 0;
  uint32_t crc = 0xFFFFFFFFu;  // over the chunk's type and data, bytes 12 to 28
  for (size_t i = 12; i < 29; ++i) {
    crc ^= static_cast<uint8_t>(png[i]);
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  put(29, ~crc);
  return png;
}
}  // namespace

// A header that only declares a large image costs nothing: beyond 4096
// pixels a side it is refused before any pixel is allocated, and within it
// rows are taken as they arrive, so a short file fails before it grows.
TEST_F(Platform, PngSizesAreBoundedBeforeTheyAreAllocated) {
  std::string good = SolidPng(4, 4, 0xFFFFFFFF);
  RgbaImage image;
  ASSERT_TRUE(DecodePng(good.data(), good.size(), image));
  for (bool interlaced : {false, true}) {
    for (uint32_t side : {4097u, 16384u, 0x7FFFFFFFu}) {
      std::string big = Declaring(good, side, side, interlaced);
      EXPECT_FALSE(DecodePng(big.data(), big.size(), image)) << side;
      EXPECT_TRUE(image.pixels.empty());
      std::string tall = Declaring(good, 4, side, interlaced);
      EXPECT_FALSE(DecodePng(tall.data(), tall.size(), image)) << side;
    }
    // Within the bound but with the data of a 4 x 4 image: refused too.
    std::string liar = Declaring(good, 4096, 4096, interlaced);
    EXPECT_FALSE(DecodePng(liar.data(), liar.size(), image));
    EXPECT_EQ(image.pixels.capacity(), 0u);
  }
  // The bound itself is a picture like any other.
  RgbaImage wide;
  wide.width = 4096;
  wide.height = 2;
  wide.pixels.assign(4096 * 2 * 4, 0x80);
  std::vector<uint8_t> png = EncodePng(wide);
  ASSERT_TRUE(DecodePng(png.data(), png.size(), image));
  EXPECT_EQ(image.width, 4096);
  EXPECT_EQ(image.pixels, wide.pixels);
}

TEST_F(Platform, ImagesDrawAllChannelsOrKeepAlphaAndOutline) {
  int image = PlatCreateImage(kAnySprite, 8, 8, 0x00000000);
  ASSERT_NE(image, 0);
  PlatStartDrawingImage(image);
  PlatDrawingMode(kDrawAllChannels | kDrawOutlined);
  PlatBox(0, 0, 8, 8, 0xFF112233);
  PlatDrawingMode(kDrawDefault);
  PlatBox(3, 3, 2, 2, 0x80445566);  // default mode keeps the pixel's alpha
  PlatStopDrawing();
  EXPECT_EQ(PlatImagePixel(image, 0, 0), 0xFF112233u);
  EXPECT_EQ(PlatImagePixel(image, 7, 4), 0xFF112233u);
  EXPECT_EQ(PlatImagePixel(image, 1, 1), 0x00000000u);
  EXPECT_EQ(PlatImagePixel(image, 3, 3), 0x00445566u);
  EXPECT_EQ(PlatImagePixel(image, 99, 3), 0u);
  std::vector<uint8_t> png = PlatEncodeImagePng(image);
  RgbaImage back;
  ASSERT_TRUE(DecodePng(png.data(), png.size(), back));
  EXPECT_EQ(back.width, 8);
  EXPECT_EQ(back.pixels[3], 0xFF);
  EXPECT_EQ(back.pixels[(1 * 8 + 1) * 4 + 3], 0x00);
  PlatFreeImage(image);
  EXPECT_TRUE(PlatEncodeImagePng(image).empty());
}

// Boxes partly or wholly off the image, filled or outlined, paint exactly the
// pixels of the box (or of its border) that lie on the image; far-off
// coordinates and sizes near the int limit paint nothing they should not.
TEST_F(Platform, BoxesClipToTheImageAndOutlinesKeepTheirInside) {
  constexpr int kW = 13, kH = 9;
  const int kFar = std::numeric_limits<int>::max();
  // x, y, width, height
  std::vector<std::array<int, 4>> boxes = {{0, 0, kW, kH},     {-3, -2, 6, 5},
                                           {10, 6, 9, 9},      {-5, 4, 30, 2},
                                           {4, -9, 3, 30},     {12, 8, 1, 1},
                                           {5, 5, 1, 4},       {2, 3, 7, 1},
                                           {kW, 0, 4, 4},      {0, kH, 4, 4},
                                           {-4, -4, 4, 4},     {-1, -1, kW + 2, kH + 2},
                                           {3, 2, kFar, kFar}, {-kFar, -kFar, kFar, kFar}};
  uint32_t seed = 7;
  for (int i = 0; i < 200; ++i) {
    seed = seed * 1103515245u + 12345u;
    boxes.push_back({static_cast<int>(seed >> 8) % 21 - 5, static_cast<int>(seed >> 13) % 17 - 5,
                     static_cast<int>(seed >> 18) % 20, static_cast<int>(seed >> 23) % 15});
  }
  for (bool outline : {false, true}) {
    for (const auto& [x, y, w, h] : boxes) {
      int image = PlatCreateImage(kAnySprite, kW, kH, 0x00000000);
      ASSERT_NE(image, 0);
      PlatStartDrawingImage(image);
      PlatDrawingMode(kDrawAllChannels | (outline ? kDrawOutlined : 0));
      PlatBox(x, y, w, h, 0xFF332211);
      PlatStopDrawing();
      const long long right = static_cast<long long>(x) + w - 1;
      const long long bottom = static_cast<long long>(y) + h - 1;
      for (int py = 0; py < kH; ++py) {
        for (int px = 0; px < kW; ++px) {
          bool inside = w > 0 && h > 0 && px >= x && px <= right && py >= y && py <= bottom;
          bool border = px == x || px == right || py == y || py == bottom;
          uint32_t want = inside && (!outline || border) ? 0xFF332211u : 0u;
          ASSERT_EQ(PlatImagePixel(image, px, py), want)
              << "box " << x << "," << y << " " << w << "x" << h << (outline ? " outlined" : "")
              << " at " << px << "," << py;
        }
      }
      PlatFreeImage(image);
    }
  }
}

TEST_F(Platform, NewSpritesAreOpaqueBlack) {
  for (const auto& [w, h] : std::vector<std::pair<int, int>>{{1, 1}, {3, 1}, {7, 5}, {64, 33}}) {
    int sprite = PlatCreateSprite(kAnySprite, w, h);
    ASSERT_NE(sprite, 0);
    PlatClearScreen(0xFFFFFF);
    PlatDisplaySprite(sprite, 0, 0);  // alpha-blended: any clear pixel shows white
    for (int py = 0; py < h; ++py)
      for (int px = 0; px < w; ++px) ASSERT_EQ(PlatScreenPixel(px, py), 0x000000) << w << "x" << h;
    EXPECT_EQ(PlatScreenPixel(w, 0), 0xFFFFFF);
    PlatFreeSprite(sprite);
  }
}

TEST_F(Platform, ClipRotateAndDisplayDrawWhereAsked) {
  // Left half red, right half green.
  int image = PlatCreateImage(kAnySprite, 8, 4, 0xFF0000FF);
  PlatStartDrawingImage(image);
  PlatBox(4, 0, 4, 4, 0xFF00FF00);
  PlatStopDrawing();
  std::vector<uint8_t> png = PlatEncodeImagePng(image);
  PlatFreeImage(image);
  int sprite = PlatSpriteFromMemory(kAnySprite, png.data(), png.size());

  PlatClearScreen(0x000000);
  PlatClipSprite(sprite, 4, 0, -1, -1);  // -1: up to the edge
  PlatDisplaySprite(sprite, 10, 10);
  EXPECT_EQ(PlatScreenPixel(10, 10), 0x00FF00);
  EXPECT_EQ(PlatScreenPixel(14, 10), 0x000000);  // only 4 columns drawn

  PlatClipSprite(sprite, -5, 0, 100, 100);  // clamped to the sprite
  PlatClearScreen(0x000000);
  PlatDisplaySprite(sprite, 0, 0);
  EXPECT_EQ(PlatScreenPixel(0, 0), 0x0000FF);
  EXPECT_EQ(PlatScreenPixel(7, 3), 0x00FF00);
  EXPECT_EQ(PlatScreenPixel(8, 0), 0x000000);

  // Tint multiplies: white would come out in the tint colour; red x blue is black.
  PlatClearScreen(0x000000);
  PlatClipSprite(sprite, 0, 0, 4, 4);
  PlatDisplaySprite(sprite, 0, 0, 255, 0x0000FF);
  EXPECT_EQ(PlatScreenPixel(1, 1), 0x0000FF);
  PlatDisplaySprite(sprite, 20, 0, 255, 0xFF0000);
  EXPECT_EQ(PlatScreenPixel(21, 1), 0x000000);
  // Intensity scales the alpha.
  PlatClearScreen(0x000000);
  PlatDisplaySprite(sprite, 0, 0, 64);
  int dim = PlatScreenPixel(1, 1) & 0xFF;
  EXPECT_GT(dim, 50);
  EXPECT_LT(dim, 80);

  // Clockwise: a half-red/half-green 8x4 turned 90 degrees about its centre
  // has red on top.
  PlatClipSprite(sprite, 0, 0, -1, -1);
  PlatRotateSprite(sprite, 45, 0);
  PlatRotateSprite(sprite, 45, 1);
  EXPECT_FLOAT_EQ(PlatSpriteAngle(sprite), 90.0f);
  PlatClearScreen(0x000000);
  PlatDisplaySprite(sprite, 40, 40);
  EXPECT_EQ(PlatScreenPixel(44, 39), 0x0000FF);
  EXPECT_EQ(PlatScreenPixel(44, 44), 0x00FF00);
  PlatRotateSprite(sprite, -450, 1);
  EXPECT_FLOAT_EQ(PlatSpriteAngle(sprite), 0.0f);
  PlatFreeSprite(sprite);
}

TEST_F(Platform, KeyReleaseIsReportedOnceAtTheNextPoll) {
  PlatPushKey(kKeySpace, true);
  PlatPollKeyboard();
  EXPECT_TRUE(PlatKeyDown(kKeySpace));
  EXPECT_FALSE(PlatKeyReleased(kKeySpace));
  EXPECT_FALSE(PlatKeyReleased(kKeyAny));
  PlatPushKey(kKeySpace, false);
  PlatPollKeyboard();
  EXPECT_TRUE(PlatKeyReleased(kKeySpace));
  EXPECT_TRUE(PlatKeyReleased(kKeyAny));
  EXPECT_FALSE(PlatKeyDown(kKeySpace));
  PlatPollKeyboard();
  EXPECT_FALSE(PlatKeyReleased(kKeySpace));
  // A tap between two polls is not lost.
  PlatPushKey(kKeyUp, true);
  PlatPushKey(kKeyUp, false);
  PlatPollKeyboard();
  EXPECT_TRUE(PlatKeyReleased(kKeyUp));
  EXPECT_FALSE(PlatKeyReleased(kKeyDown));
}

TEST_F(Platform, CharactersAreTypedWhenTheirKeysGoUp) {
  PlatPushKey(30, true);
  PlatPushText("A");
  PlatPushText("A");  // auto-repeat: a held key types once
  PlatPollKeyboard();
  EXPECT_EQ(PlatTypedCharacters(), "");
  PlatPushKey(30, false);
  PlatPollKeyboard();
  EXPECT_EQ(PlatTypedCharacters(), "A");
  PlatPollKeyboard();
  EXPECT_EQ(PlatTypedCharacters(), "");
  // Two keys released within one frame arrive together, in order.
  PlatPushTypedKey(2, "1");
  PlatPushTypedKey(3, "2");
  PlatPushTypedKey(kKeyEscape, "");
  PlatPushTypedKey(kKeyReturn, "");
  PlatPushTypedKey(kKeyBackspace, "");
  PlatPushTypedKey(40, "\xE9");  // layouts give accented letters
  PlatPollKeyboard();
  EXPECT_EQ(PlatTypedCharacters(), "12\x1b\r\b\xE9");
}

TEST_F(Platform, EventsPointerAndWheel) {
  static int wheelDelta = 0;
  PlatSetWindowCallback(gView.window, [](int d) { wheelDelta += d; });
  PlatPushMouseMove(30, 40);
  PlatPushButtonUp(1);
  PlatPushButtonUp(3);
  PlatPushWindowEvent(kEventCloseRequest);
  PlatPushWheel(-2);
  std::vector<int> codes;
  for (int e = PlatNextWindowEvent(); e != kEventNone; e = PlatNextWindowEvent()) {
    if (e != kEventOther) {
      codes.push_back(e);
      EXPECT_EQ(PlatEventWindow(), gView.window);
    }
  }
  EXPECT_EQ(codes, (std::vector<int>{kEventLeftButtonUp, kEventRightButtonUp, kEventCloseRequest}));
  EXPECT_EQ(PlatMouseX(), 30);
  EXPECT_EQ(PlatMouseY(), 40);
  EXPECT_EQ(wheelDelta, -240);
  PlatPushMouseLeave();
  Drain();
  EXPECT_EQ(PlatMouseX(), -1);
  EXPECT_EQ(PlatMouseY(), -1);
  PlatSetWindowCallback(gView.window, nullptr);
  EXPECT_TRUE(PlatScreenActive());
  EXPECT_EQ(PlatWaitWindowEvent(1), kEventNone);
}

// A reader never holds more than it takes: a file beyond the limit is
// refused from its size, and one whose size says nothing (a pipe) is read
// only until it passes the limit.
TEST_F(Platform, FilesLargerThanTheReaderTakesAreNotRead) {
  fs::path dir = testing_support::MakeTempDir("large");
  std::string bytes = "left over";
  ASSERT_TRUE(PlatWriteFileAtomic(dir / "five", "12345"));
  EXPECT_TRUE(PlatReadFile(dir / "five", bytes, 5));
  EXPECT_EQ(bytes, "12345");
  EXPECT_FALSE(PlatReadFile(dir / "five", bytes, 4));
  EXPECT_EQ(bytes, "");
  const std::string blocks(200000, 'x');  // more than one read block
  ASSERT_TRUE(PlatWriteFileAtomic(dir / "blocks", blocks));
  EXPECT_TRUE(PlatReadFile(dir / "blocks", bytes, blocks.size()));
  EXPECT_EQ(bytes, blocks);
  EXPECT_FALSE(PlatReadFile(dir / "blocks", bytes, blocks.size() - 1));

  fs::path pipe = dir / "pipe";
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  auto previous = std::signal(SIGPIPE, SIG_IGN);  // the reader stops early
  std::thread writer([&] {
    int fd = open(pipe.c_str(), O_WRONLY);
    if (fd < 0) return;
    for (size_t done = 0; done < blocks.size();) {
      ssize_t n = write(fd, blocks.data() + done, blocks.size() - done);
      if (n <= 0) break;
      done += static_cast<size_t>(n);
    }
    close(fd);
  });
  EXPECT_FALSE(PlatReadFile(pipe, bytes, 70000));
  EXPECT_EQ(bytes, "");
  writer.join();
  std::signal(SIGPIPE, previous);
  fs::remove_all(dir);
}

TEST_F(Platform, FilesFoldersAndRegex) {
  fs::path dir = testing_support::MakeTempDir("files");
  EXPECT_EQ(PlatFileSize(dir / "none"), kFileMissing);
  EXPECT_EQ(PlatFileSize(dir), kFileIsFolder);
  ASSERT_TRUE(PlatWriteFileAtomic(dir / "b.PNG", "12345"));
  ASSERT_TRUE(PlatWriteFileAtomic(dir / "a.png", ""));
  ASSERT_TRUE(PlatWriteFileAtomic(dir / "c.json", "{}"));
  EXPECT_EQ(PlatFileSize(dir / "b.PNG"), 5);
  EXPECT_EQ(PlatFileSize(dir / "a.png"), 0);
  std::vector<PlatFolderEntry> list;
  ASSERT_TRUE(PlatListFolder(dir, "*.png", list));
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].name, "a.png");
  EXPECT_EQ(list[1].name, "b.PNG");
  EXPECT_FALSE(PlatListFolder(dir / "none", "*", list));
  EXPECT_TRUE(PlatCreateFolder(dir / "sub"));
  EXPECT_TRUE(PlatIsFolder(dir / "sub"));
  EXPECT_FALSE(PlatCreateFolder(dir / "c.json"));  // a plain file is in the way
  EXPECT_FALSE(PlatWriteFileAtomic(dir / "sub", "x"));
  EXPECT_FALSE(PlatWriteFileAtomic(dir / "missing" / "x", "x"));

  int digits = PlatCompileRegex("[0-9]");
  ASSERT_NE(digits, 0);
  EXPECT_TRUE(PlatRegexMatch(digits, "7"));
  EXPECT_FALSE(PlatRegexMatch(digits, "x"));
  int entry = PlatCompileRegex("[a-zA-Z0-9 ,]");
  EXPECT_TRUE(PlatRegexMatch(entry, ","));
  EXPECT_FALSE(PlatRegexMatch(entry, "\xE9"));
  EXPECT_EQ(PlatCompileRegex("[0-9"), 0);
  EXPECT_FALSE(PlatRegexMatch(12345, "1"));
  fs::remove_all(dir);
}

namespace {
// What the player's folder held each time the keeper was handed a change.
fs::path gKeptFolder;
std::vector<std::string> gKept;
bool RecordKept(std::string&) {
  std::string names;
  std::set<std::string> sorted;
  for (const auto& entry : fs::directory_iterator(gKeptFolder))
    sorted.insert(entry.path().filename().string());
  for (const std::string& name : sorted) names += name + " ";
  gKept.push_back(names);
  return true;
}
}  // namespace

// The browser keeps the player's files only when told: each write, removal
// and new folder is handed on once it is made, and nothing else is.
TEST_F(Platform, EveryChangeOfTheFilesReachesTheKeeperOnceMade) {
  gKeptFolder = testing_support::MakeTempDir("kept");
  gKept.clear();
  PlatSetWriteKeeper(RecordKept);
  EXPECT_TRUE(PlatWriteFileAtomic(gKeptFolder / "a.json", "{}"));
  EXPECT_TRUE(PlatCreateFolder(gKeptFolder / "sub"));
  EXPECT_TRUE(PlatCreateFolder(gKeptFolder / "sub"));  // there already: no change
  EXPECT_TRUE(PlatRemoveFile(gKeptFolder / "a.json"));
  EXPECT_TRUE(PlatRemoveFile(gKeptFolder / "a.json"));  // gone already: no change
  PlatSetWriteKeeper(nullptr);
  EXPECT_EQ(gKept, (std::vector<std::string>{"a.json ", "a.json sub ", "sub "}));
  fs::remove_all(gKeptFolder);
}

TEST_F(Platform, ClockAndDice) {
  PlatSetDrivenClock(1000);
  EXPECT_EQ(PlatElapsedMilliseconds(), 1000);
  PlatAdvanceDrivenClock(5);
  EXPECT_EQ(PlatElapsedMilliseconds(), 1005);
  PlatUseRealClock();
  int64_t a = PlatElapsedMilliseconds();
  EXPECT_GE(PlatElapsedMilliseconds(), a);

  bool seen1 = false, seen100 = false;
  for (int i = 0; i < 5000; ++i) {
    int r = PlatRandom(100, 1);
    ASSERT_GE(r, 1);
    ASSERT_LE(r, 100);
    seen1 |= r == 1;
    seen100 |= r == 100;
  }
  EXPECT_TRUE(seen1 && seen100);
  PlatSeedRandom(7);
  int first = PlatRandom(100, 1);
  PlatSeedRandom(7);
  EXPECT_EQ(PlatRandom(100, 1), first);

  PlatScriptRandom({5, 99});
  EXPECT_EQ(PlatRandom(100, 1), 5);
  int other = PlatRandom(3, 0);  // other ranges come from the generator
  EXPECT_GE(other, 0);
  EXPECT_LE(other, 3);
  EXPECT_EQ(PlatRandom(100, 1), 99);
  EXPECT_EQ(PlatRandom(100, 1), 5);  // starts again
  PlatScriptRandom({});
}

// The dice are drawn by the game's own reduction so that the browser's
// standard library rolls what GCC's does: it must match GCC's draw for draw,
// over narrow, wide, negative and reversed ranges.
TEST_F(Platform, DiceAreGccsUniformDraws) {
  const std::array<std::pair<int, int>, 6> ranges = {
      {{1, 100}, {1, 6}, {0, 1}, {-5, 5}, {7, 7}, {std::numeric_limits<int>::min(), std::numeric_limits<int>::max()}}};
  for (uint64_t seed : {1ULL, 2ULL, 3ULL, 0xDEADBEEFULL}) {
    PlatSeedRandom(seed);
    std::mt19937_64 gen(seed);
    for (int i = 0; i < 3000; ++i) {
      const auto [low, high] = ranges[static_cast<size_t>(i) % ranges.size()];
      std::uniform_int_distribution<int> dist(low, high);
      const int expected = dist(gen);
      ASSERT_EQ(i % 2 == 0 ? PlatRandom(high, low) : PlatRandom(low, high), expected)
          << "seed " << seed << " draw " << i;
    }
  }
}

TEST_F(Platform, ScreenshotsAndDeviceLoss) {
  PlatCaptureFrames(true);
  PlatClearScreen(0x123456);
  PlatFlipBuffers();
  PlatClearScreen(0x000000);  // the next frame has not been shown yet
  EXPECT_EQ(PlatScreenPixel(5, 5), 0x123456);
  std::vector<uint8_t> png = PlatScreenshotPng();
  RgbaImage shot;
  ASSERT_TRUE(DecodePng(png.data(), png.size(), shot));
  EXPECT_EQ(shot.width, 320);
  EXPECT_EQ(shot.height, 240);
  PlatCaptureFrames(false);

  PlatSimulateDeviceLoss();
  EXPECT_FALSE(PlatScreenActive());
  PlatFlipBuffers();  // waits briefly, reports nothing
  ASSERT_TRUE(PlatOpenScreen(gView.window, 0, 0, 320, 240));
  EXPECT_TRUE(PlatScreenActive());
}

TEST_F(Platform, OpaqueDisplayIgnoresAlphaAndTheClipboardKeepsHighBytes) {
  int sprite = PlatSpriteFromMemory(kAnySprite, SolidPng(4, 4, 0x000000FF).data(), 0);
  EXPECT_EQ(sprite, 0);  // no bytes, no sprite
  std::string clear = SolidPng(4, 4, 0x000000FF);  // red, fully transparent
  sprite = PlatSpriteFromMemory(kAnySprite, clear.data(), clear.size());
  PlatClearScreen(0x00FF00);
  PlatDisplaySprite(sprite, 0, 0);
  EXPECT_EQ(PlatScreenPixel(1, 1), 0x00FF00);
  PlatDisplaySpriteOpaque(sprite, 0, 0);
  EXPECT_EQ(PlatScreenPixel(1, 1), 0x0000FF);
  PlatFreeSprite(sprite);

  ASSERT_TRUE(PlatSetClipboardText("Season \x80 r\xE9sum\xE9\r\n"));
  EXPECT_EQ(PlatGetClipboardText(), "Season \x80 r\xE9sum\xE9\r\n");
}

TEST(Conversions, Cp1252AndUtf8) {
  std::string all;
  for (int c = 1; c < 256; ++c) all += static_cast<char>(c);
  std::string utf8 = Cp1252ToUtf8(all);
  EXPECT_TRUE(IsValidUtf8(utf8));
  EXPECT_EQ(Utf8ToCp1252(utf8), all);
  EXPECT_EQ(Cp1252ToUtf8("\x80"), "\xE2\x82\xAC");
  EXPECT_EQ(Utf8ToCp1252("\xE2\x82\xAC"), "\x80");
  EXPECT_EQ(Utf8ToCp1252("\xE4\xB8\xAD"), "?");     // not in the code page
  EXPECT_EQ(Utf8ToCp1252("a\xC3"), "a?");            // cut short
  EXPECT_EQ(Utf8ToCp1252("\xC0\x80"), "??");         // overlong
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));         // surrogate
  EXPECT_EQ(LenientInt("  -12abc"), -12);
  EXPECT_EQ(LenientInt("+7"), 7);
  EXPECT_EQ(LenientInt("x1"), 0);
  EXPECT_EQ(LenientInt(""), 0);
  EXPECT_EQ(LenientInt("- 5"), 0);
}
