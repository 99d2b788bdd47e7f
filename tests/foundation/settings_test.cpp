// The settings file as the player may have edited it.
#include <gtest/gtest.h>

#include "platform/screen.h"
#include "platform/services.h"
#include "test_support.h"

namespace fs = std::filesystem;
using testing_support::MakeTempDir;
using testing_support::ReadBytes;
using testing_support::WriteBytes;

namespace {
struct Read {
  int scroll, slice, laps;
  std::string points;
};

Read ReadFrom(const std::string& content) {
  fs::path dir = MakeTempDir("ini");
  fs::path file = dir / "The Velotrax.ini";
  WriteBytes(file, content);
  PlatSettings s;
  EXPECT_TRUE(PlatOpenSettings(s, file));
  Read r{PlatReadSettingInt(s, "ScrollSpeed", 4), PlatReadSettingInt(s, "TimeSlice", 167),
         PlatReadSettingInt(s, "Laps", 4), PlatReadSettingText(s, "Points$", "964321")};
  PlatCloseSettings(s);
  fs::remove_all(dir);
  return r;
}
}  // namespace

TEST(Settings, MissingKeysTakeTheDefaults) {
  Read r = ReadFrom("; nothing here\r\n");
  EXPECT_EQ(r.scroll, 4);
  EXPECT_EQ(r.slice, 167);
  EXPECT_EQ(r.laps, 4);
  EXPECT_EQ(r.points, "964321");
}

TEST(Settings, ValuesAreReadLeniently) {
  EXPECT_EQ(ReadFrom("TimeSlice = 0\r\n").slice, 0);
  EXPECT_EQ(ReadFrom("TimeSlice = -50\r\n").slice, -50);
  EXPECT_EQ(ReadFrom("TimeSlice = fast\r\n").slice, 0);  // text reads 0, not the default
  EXPECT_EQ(ReadFrom("TimeSlice =   42ms\r\n").slice, 42);
  EXPECT_EQ(ReadFrom("TimeSlice = 99999999999999999999\r\n").slice, 2147483647);
  EXPECT_EQ(ReadFrom("TimeSlice = -99999999999999999999\r\n").slice, -2147483647 - 1);
  EXPECT_EQ(ReadFrom("Points$ = 1\r\n").points, "1");
}

TEST(Settings, KeysIgnoreCaseBlanksAndCommentsAndStopAtASection) {
  Read r = ReadFrom("\ttimeslice\t=\t20  \r\n;Laps = 9\r\n  ; laps = 8\r\n[More]\r\nLaps = 7\r\n");
  EXPECT_EQ(r.slice, 20);
  EXPECT_EQ(r.laps, 4);
}

TEST(Settings, ByteOrderMarkLfLinesAndJunkAreHarmless) {
  Read r =
      ReadFrom("\xEF\xBB\xBFLaps = 6\nno equals sign here\n= 5\n\x01\xFF\xFE junk\nLaps = 9\n");
  EXPECT_EQ(r.laps, 6);  // the first of two duplicate keys wins
  EXPECT_EQ(r.slice, 167);
}

TEST(Settings, RewritingTimeSliceKeepsEveryOtherLine) {
  fs::path dir = MakeTempDir("ini");
  fs::path file = dir / "The Velotrax.ini";
  WriteBytes(
      file,
      "; mine\r\nScrollSpeed = 9\r\nTIMESLICE=5\r\nPoints$ = 1234\r\n[x]\r\nTimeSlice = 3\r\n");
  PlatSettings s;
  ASSERT_TRUE(PlatOpenSettings(s, file));
  PlatWriteSettingInt(s, "TimeSlice", 250);
  ASSERT_TRUE(PlatCloseSettings(s));
  EXPECT_EQ(
      ReadBytes(file),
      "; mine\r\nScrollSpeed = 9\r\nTIMESLICE = 250\r\nPoints$ = 1234\r\n[x]\r\nTimeSlice = 3\r\n");

  // A file without the key gets it before its first section, where it is read.
  WriteBytes(file, "Laps = 2\r\n\r\n[x]\r\n");
  ASSERT_TRUE(PlatOpenSettings(s, file));
  PlatWriteSettingInt(s, "TimeSlice", 17);
  ASSERT_TRUE(PlatCloseSettings(s));
  EXPECT_EQ(ReadBytes(file), "Laps = 2\r\nTimeSlice = 17\r\n\r\n[x]\r\n");
  EXPECT_EQ(ReadFrom(ReadBytes(file)).slice, 17);

  // Nothing changed: the file is left alone, byte for byte.
  WriteBytes(file, "Laps = 2\n");
  ASSERT_TRUE(PlatOpenSettings(s, file));
  ASSERT_TRUE(PlatCloseSettings(s));
  EXPECT_EQ(ReadBytes(file), "Laps = 2\n");
  fs::remove_all(dir);
}

TEST(Settings, MissingFileCannotBeOpened) {
  PlatSettings s;
  EXPECT_FALSE(PlatOpenSettings(s, "/nonexistent/The Velotrax.ini"));
}

// A file that began with a byte-order mark is UTF-8: storing a value keeps the
// mark and every other line byte for byte, letters beyond the code page too;
// the values the game reads come in its own code page.
TEST(Settings, AByteOrderMarkAndItsUtf8AreKept) {
  fs::path dir = MakeTempDir("ini");
  fs::path file = dir / "The Velotrax.ini";
  const std::string head = "\xEF\xBB\xBF; J\xC3\xB6rg's \xE6\x9D\xB1\xE4\xBA\xAC settings\r\n";
  WriteBytes(file, head + "TimeSlice = 9\r\nPoints$ = 9\xC3\xA9\n[x]\r\n; \xE2\x82\xAC end");
  PlatSettings s;
  ASSERT_TRUE(PlatOpenSettings(s, file));
  EXPECT_EQ(PlatReadSettingText(s, "Points$", ""), "9\xE9");
  PlatWriteSettingInt(s, "TimeSlice", 250);
  PlatWriteSettingInt(s, "Laps", 3);
  ASSERT_TRUE(PlatCloseSettings(s));
  EXPECT_EQ(
      ReadBytes(file),
      head + "TimeSlice = 250\r\nPoints$ = 9\xC3\xA9\nLaps = 3\r\n[x]\r\n; " + "\xE2\x82\xAC end");

  // Without the mark the file is the code page's, and stays so.
  WriteBytes(file, "; J\xF6rg\r\nTimeSlice = 9");
  ASSERT_TRUE(PlatOpenSettings(s, file));
  PlatWriteSettingInt(s, "Laps", 2);
  ASSERT_TRUE(PlatCloseSettings(s));
  EXPECT_EQ(ReadBytes(file), "; J\xF6rg\r\nTimeSlice = 9\r\nLaps = 2\r\n");
  fs::remove_all(dir);
}
