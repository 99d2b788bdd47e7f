// The real executable started from a copy of its game folder: every start-up
// failure ends with its message on stderr and exit status 1.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>

#include "screen_support.h"

namespace fs = std::filesystem;
using testing_support::BuildGameDir;
using testing_support::CopyGameFolder;
using testing_support::SolidPng;
using testing_support::WriteBytes;

namespace {
struct GameRun {
  int status = -1;
  std::string err;
};

// Runs the game in `folder` with a timeout; a game that starts fine would
// loop forever, which the timeout ends with a kill (status 137): SDL turns a plain TERM into a quit event,
// and the race screen ignores those.
GameRun RunGame(const fs::path& folder) {
  fs::copy_file(BuildGameDir() / "the-velotrax", folder / "the-velotrax",
                fs::copy_options::overwrite_existing);
  std::string cmd = "cd '" + folder.string() +
                    "' && SDL_VIDEODRIVER=dummy timeout -s KILL 5 ./the-velotrax 2>&1 >/dev/null";
  GameRun r;
  FILE* p = popen(cmd.c_str(), "r");
  std::array<char, 512> buf;
  size_t n;
  while ((n = fread(buf.data(), 1, buf.size(), p)) > 0) r.err.append(buf.data(), n);
  int raw = pclose(p);
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return r;
}

// A game folder whose sheets exist even before the art is in place.
fs::path GameFolder() {
  fs::path dir = CopyGameFolder("start");
  fs::create_directories(dir / "Images");
  fs::create_directories(dir / "Theme");
  for (const char* name : {"Terminal 14", "Tileset", "Cars"}) {
    if (!fs::exists(dir / "Images" / (std::string(name) + ".png"))) {
      WriteBytes(dir / "Images" / (std::string(name) + ".png"), SolidPng(64, 64, 0xFFFFFFFF));
    }
  }
  if (!fs::exists(dir / "Theme" / "Terminal 14.png")) {
    WriteBytes(dir / "Theme" / "Terminal 14.png", SolidPng(144, 252, 0xFFFFFFFF));
  }
  return dir;
}

void ExpectFatal(const GameRun& r, const std::string& text, const std::string& where) {
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_EQ(r.err.rfind(text + "\r\n" + where, 0), 0u) << r.err;
  // The line number follows and ends the message.
  std::string rest = r.err.substr(std::min(r.err.size(), text.size() + 2 + where.size()));
  EXPECT_FALSE(rest.empty());
  EXPECT_TRUE(!rest.empty() && rest[0] >= '1' && rest[0] <= '9') << rest;
}
}  // namespace

TEST(StartUp, MissingSettingsFileIsFatal) {
  testing_support::EnsureHeadlessScreen(64, 64);  // SolidPng needs the platform up
  fs::path dir = GameFolder();
  fs::remove(dir / "The Velotrax.ini");
  ExpectFatal(RunGame(dir), "could not read *.ini file", "Init in  @ ");
  fs::remove_all(dir);
}

TEST(StartUp, PlainFileWhereAFolderBelongsIsFatal) {
  fs::path dir = GameFolder();
  fs::remove_all(dir / "Results");
  WriteBytes(dir / "Results", "not a folder");
  ExpectFatal(RunGame(dir),
              "could not create directory: " + (dir / "Results").string() +
                  ": a file of that name is in the way",
              "Init in  @ ");
  fs::remove_all(dir);
}

TEST(StartUp, EmptyOrBadSheetsAreFatalBeforeTheSettingsAreRead) {
  fs::path dir = GameFolder();
  fs::remove(dir / "The Velotrax.ini");  // must not be the reported problem
  WriteBytes(dir / "Images" / "Cars.png", "");
  ExpectFatal(RunGame(dir), "could not find spritesheet: " + (dir / "Images" / "Cars.png").string(),
              "Spritesheet in Load1SpriteSheet @ ");
  WriteBytes(dir / "Images" / "Tileset.png", "just some text, renamed");
  ExpectFatal(RunGame(dir),
              "could not load spritesheet: " + (dir / "Images" / "Tileset.png").string(),
              "Spritesheet in Load1SpriteSheet @ ");
  fs::remove_all(dir);
}

TEST(StartUp, AGoodFolderStartsCreatesItsFoldersAndKeepsRunning) {
  fs::path dir = GameFolder();
  fs::remove_all(dir / "Saved Races");
  fs::remove_all(dir / "Results");
  GameRun r = RunGame(dir);
  EXPECT_EQ(r.status, 137) << r.err;  // still in its loop when the timeout struck
  EXPECT_TRUE(fs::is_directory(dir / "Saved Races"));
  EXPECT_TRUE(fs::is_directory(dir / "Results"));
  fs::remove_all(dir);
}
