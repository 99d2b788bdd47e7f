// The portable and the installed layout: which folders the game reads and
// writes, the player's folder made and seeded on first start, the player's
// circuits listed with the shipped ones, and the inputs that can go wrong.
#include "race/folders.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>

#include "../gui/expect_fatal.h"
#include "race/define.h"
#include "game/init.h"
#include "screen_support.h"
#include "game/screen_settings.h"

namespace fs = std::filesystem;
using testing_support::ReadBytes;
using testing_support::WriteBytes;

namespace {
// A prefix laid out as an install leaves it: PREFIX/games holding nothing but
// the programs, PREFIX/share/the-velotrax holding the shipped game folder.
struct Prefix {
  fs::path root = testing_support::MakeTempDir("prefix");
  fs::path games = root / "games";
  fs::path share = root / "share" / "the-velotrax";
  fs::path home = root / "home";

  Prefix() {
    fs::create_directories(games);
    fs::create_directories(share / "Data");
    fs::create_directories(share / "Circuits");
    fs::create_directories(home);
    WriteBytes(share / "The Velotrax.ini", "Laps = 7\r\n");
    WriteBytes(share / "Data" / "Drivers.csv", "shipped drivers\r\n");
    WriteBytes(share / "Data" / "Last Race.txt", "Cup\r\n");
  }
  ~Prefix() { fs::remove_all(root); }
};

// Every file under `folder` with its bytes, to see that nothing changed.
std::map<std::string, std::string> Snapshot(const fs::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& e : fs::recursive_directory_iterator(folder))
    files[fs::relative(e.path(), folder).string()] =
        e.is_regular_file() ? ReadBytes(e.path()) : std::string("<folder>");
  return files;
}
}  // namespace

TEST(Folders, APortableCopyKeepsEverythingBesideTheExecutable) {
  fs::path dir = testing_support::MakeTempDir("portable");
  fs::create_directories(dir / "Data");
  // Data beside the executable wins even when a share folder is around too.
  fs::create_directories(dir / ".." / "share" / "the-velotrax" / "Data");
  GameFolders f = DecideFolders(dir, {"/somewhere/xdg", "/home/someone"});
  EXPECT_FALSE(f.installed);
  UseFolders(f);
  EXPECT_EQ(gProg.programFolder, dir);
  EXPECT_EQ(gProg.playerFolder, dir);
  EXPECT_EQ(gProg.settingsFile, dir / "The Velotrax.ini");
  EXPECT_EQ(gProg.dataFolder, dir / "Data");
  EXPECT_EQ(gProg.playerDataFolder, dir / "Data");
  EXPECT_EQ(gProg.circuitsFolder, dir / "Circuits");
  EXPECT_EQ(gProg.playerCircuitsFolder, dir / "Circuits");
  EXPECT_EQ(gProg.savedRacesFolder, dir / "Saved Races");
  EXPECT_EQ(gProg.resultsFolder, dir / "Results");
  PreparePlayerFolders();  // nothing to do: no folder of the player's appears
  EXPECT_FALSE(fs::exists(dir / "the-velotrax"));
  fs::remove_all(dir / ".." / "share" / "the-velotrax");
  fs::remove_all(dir);
}

TEST(Folders, AnInstalledCopyReadsTheShareFolderAndWritesThePlayersOwn) {
  Prefix p;
  GameFolders f = DecideFolders(p.games, {(p.home / "xdg").string(), p.home.string()});
  ASSERT_TRUE(f.installed);
  EXPECT_EQ(f.shippedFolder, p.share);
  EXPECT_EQ(f.playerFolder, p.home / "xdg" / "the-velotrax");
  UseFolders(f);
  fs::path mine = p.home / "xdg" / "the-velotrax";
  EXPECT_EQ(gProg.programFolder, p.games);
  EXPECT_EQ(gProg.dataFolder, p.share / "Data");
  EXPECT_EQ(gProg.imagesFolder, p.share / "Images");
  EXPECT_EQ(gProg.themeFolder, p.share / "Theme");
  EXPECT_EQ(gProg.circuitsFolder, p.share / "Circuits");
  EXPECT_EQ(gProg.playerFolder, mine);
  EXPECT_EQ(gProg.settingsFile, mine / "The Velotrax.ini");
  EXPECT_EQ(gProg.playerDataFolder, mine / "Data");
  EXPECT_EQ(gProg.playerCircuitsFolder, mine / "Circuits");
  EXPECT_EQ(gProg.savedRacesFolder, mine / "Saved Races");
  EXPECT_EQ(gProg.resultsFolder, mine / "Results");

  // Without XDG_DATA_HOME, or with a relative one (which does not count),
  // the player's folder is under ~/.local/share.
  for (const char* xdg : {"", "relative/xdg"}) {
    EXPECT_EQ(DecideFolders(p.games, {xdg, p.home.string()}).playerFolder,
              p.home / ".local" / "share" / "the-velotrax");
  }
  EXPECT_TRUE(DecideFolders(p.games, {"", ""}).playerFolder.empty());
  // The same prefix reached through a trailing separator or a "..".
  EXPECT_TRUE(DecideFolders(p.games / "", {"", p.home.string()}).installed);
  EXPECT_EQ(DecideFolders(p.root / "games" / ".." / "games", {"", p.home.string()}).shippedFolder,
            p.share);
}

TEST(Folders, TheFirstStartSeedsThePlayersFilesAndLaterStartsKeepThem) {
  Prefix p;
  auto shipped = Snapshot(p.root / "share");
  UseFolders(DecideFolders(p.games, {"", p.home.string()}));
  PreparePlayerFolders();  // ~/.local/share does not exist yet either
  fs::path mine = p.home / ".local" / "share" / "the-velotrax";
  EXPECT_EQ(ReadBytes(mine / "The Velotrax.ini"), "Laps = 7\r\n");
  EXPECT_EQ(ReadBytes(mine / "Data" / "Drivers.csv"), "shipped drivers\r\n");
  EXPECT_EQ(ReadBytes(mine / "Data" / "Last Race.txt"), "Cup\r\n");
  EXPECT_TRUE(fs::is_directory(mine / "Circuits"));

  // The player's changes survive the next start.
  WriteBytes(mine / "Data" / "Drivers.csv", "my points\r\n");
  WriteBytes(mine / "The Velotrax.ini", "TimeSlice = 50\r\n");
  fs::remove(mine / "Data" / "Last Race.txt");  // lost: seeded again
  PreparePlayerFolders();
  EXPECT_EQ(ReadBytes(mine / "Data" / "Drivers.csv"), "my points\r\n");
  EXPECT_EQ(ReadBytes(mine / "The Velotrax.ini"), "TimeSlice = 50\r\n");
  EXPECT_EQ(ReadBytes(mine / "Data" / "Last Race.txt"), "Cup\r\n");

  // What writes cut short by a kill left in the player's Data and Circuits
  // folders (drafts too) and beside the settings goes at the next start; a running
  // writer's stays.
  const std::string dead = ".tmp-999999999";  // past any process number
  const std::string live = ".tmp-" + std::to_string(::getpid());
  WriteBytes(mine / "Data" / ("Drivers.csv" + dead), "half");
  WriteBytes(mine / "Circuits" / ("My Ring.json" + dead), "half");
  fs::create_directories(mine / "Circuits" / "Drafts");
  WriteBytes(mine / "Circuits" / "Drafts" / ("Half Ring.json" + dead), "half");
  WriteBytes(mine / ("The Velotrax.ini" + dead), "half");
  WriteBytes(mine / ("The Velotrax.ini" + live), "being written");

  // The settings the game reads are the player's; the shipped ones are never
  // written.
  UseScreenSettings(ReadSettings());
  CreateGameFolders();
  EXPECT_FALSE(fs::exists(mine / "Data" / ("Drivers.csv" + dead)));
  EXPECT_FALSE(fs::exists(mine / "Circuits" / ("My Ring.json" + dead)));
  EXPECT_FALSE(fs::exists(mine / "Circuits" / "Drafts" / ("Half Ring.json" + dead)));
  EXPECT_FALSE(fs::exists(mine / ("The Velotrax.ini" + dead)));
  EXPECT_TRUE(fs::exists(mine / ("The Velotrax.ini" + live)));
  fs::remove(mine / ("The Velotrax.ini" + live));
  EXPECT_EQ(gScreen.timeSlice, 50);
  EXPECT_TRUE(fs::is_directory(mine / "Saved Races"));
  EXPECT_TRUE(fs::is_directory(mine / "Results"));
  EXPECT_EQ(Snapshot(p.root / "share"), shipped);
}

// HOME and XDG_DATA_HOME name disk folders (UTF-8): a player called Jörg gets
// his files under his real home, and the game shows the name as it shows any
// path, in its own code page.
TEST(Folders, AHomeWithALetterBeyondAsciiHoldsThePlayersFiles) {
  Prefix p;
  const fs::path jorg = p.root / "j\xC3\xB6rg";  // UTF-8 on disk
  fs::create_directories(jorg);
  const char* home = std::getenv("HOME");
  const std::string oldHome = home == nullptr ? "" : home;
  setenv("HOME", jorg.c_str(), 1);
  unsetenv("XDG_DATA_HOME");
  FolderEnvironment env = CurrentEnvironment();
  setenv("HOME", oldHome.c_str(), 1);
  EXPECT_EQ(env.home, (p.root / "j\xF6rg").string());  // Windows-1252 in the game
  UseFolders(DecideFolders(p.games, env));
  PreparePlayerFolders();
  UseScreenSettings(ReadSettings());
  CreateGameFolders();
  const fs::path mine = jorg / ".local" / "share" / "the-velotrax";
  EXPECT_EQ(ReadBytes(mine / "The Velotrax.ini"), "Laps = 7\r\n");
  EXPECT_EQ(ReadBytes(mine / "Data" / "Drivers.csv"), "shipped drivers\r\n");
  EXPECT_TRUE(fs::is_directory(mine / "Saved Races"));
  EXPECT_FALSE(fs::exists(p.root / "j\xF6rg")) << "a folder named in the code page's raw bytes";

  // A message names the folder once converted, never twice.
  fs::remove_all(mine / "Data");
  WriteBytes(mine / "Data", "a file");
  EXPECT_FATAL(PreparePlayerFolders(),
               "could not create directory: " + (p.root / "j\xF6rg").string() +
                   "/.local/share/the-velotrax/Data\r\nFolders in PreparePlayerFolders @ ");
}

TEST(Folders, APlayersFolderThatCannotBeMadeEndsWithAClearMessage) {
  Prefix p;
  // A plain file where the player's folder would go.
  WriteBytes(p.home / "blocked", "a file");
  UseFolders(DecideFolders(p.games, {(p.home / "blocked").string(), ""}));
  EXPECT_FATAL(PreparePlayerFolders(),
               "could not create directory: " + (p.home / "blocked" / "the-velotrax").string() +
                   "\r\nFolders in PreparePlayerFolders @ ");
  // No home at all.
  UseFolders(DecideFolders(p.games, {"", ""}));
  EXPECT_FATAL(PreparePlayerFolders(),
               "could not find a folder for your files: set HOME or XDG_DATA_HOME\r\nFolders in "
               "PreparePlayerFolders @ ");
  // A "Data" that is a file inside an otherwise good folder.
  fs::path mine = p.home / "xdg" / "the-velotrax";
  fs::create_directories(mine);
  WriteBytes(mine / "Data", "a file");
  UseFolders(DecideFolders(p.games, {(p.home / "xdg").string(), ""}));
  EXPECT_FATAL(PreparePlayerFolders(), "could not create directory: " + (mine / "Data").string() +
                                           "\r\nFolders in PreparePlayerFolders @ ");
}

TEST(Folders, ThePlayersCircuitsAreListedWithTheShippedOnesAndWinAClash) {
  Prefix p;
  UseFolders(DecideFolders(p.games, {"", p.home.string()}));
  PreparePlayerFolders();
  fs::path mine = gProg.playerCircuitsFolder;
  for (const char* name : {"Alpha.json", "Bravo.json", "Bravo SL.txt"})
    WriteBytes(p.share / "Circuits" / name, "{}");
  // The player's folder also holds a file that is not a circuit and a folder
  // whose name looks like one: neither is offered.
  for (const char* name : {"Bravo.json", "Charlie.json", "notes.txt"})
    WriteBytes(mine / name, "{}");
  fs::create_directories(mine / "Delta.json");
  EXPECT_EQ(CircuitList(), "Alpha~Bravo~Charlie~");
  EXPECT_EQ(CircuitFolderFor("Alpha"), p.share / "Circuits");
  EXPECT_EQ(CircuitFolderFor("Bravo"), mine);
  EXPECT_EQ(CircuitFolderFor("Charlie"), mine);
  EXPECT_FALSE(CircuitHidesShipped("Alpha"));
  EXPECT_TRUE(CircuitHidesShipped("Bravo"));
  EXPECT_FALSE(CircuitHidesShipped("Charlie"));

  // A portable copy lists its one folder once.
  fs::path dir = testing_support::CopyGameFolder("portable-list");
  SetProgramFolder(dir);
  std::string list = CircuitList();
  EXPECT_EQ(list.find("Harbour Loop~"), list.rfind("Harbour Loop~"));
  EXPECT_FALSE(CircuitHidesShipped("Harbour Loop"));
  fs::remove_all(dir);
}

// The whole start-up of the game on an installed prefix, headless: shipped
// art and tables are read from the share folder, the player's files appear
// in the player's folder, and the share folder is left as it was.
TEST(Folders, TheGameStartsFromAnInstalledPrefix) {
  Prefix p;
  fs::remove_all(p.share);
  fs::copy(testing_support::SourceDir() / "game", p.share, fs::copy_options::recursive);
  auto shipped = Snapshot(p.share);
  fs::path xdg = p.home / "xdg";
  setenv("XDG_DATA_HOME", xdg.c_str(), 1);
  testing_support::StartGameHeadless(1024, 768, p.games);
  unsetenv("XDG_DATA_HOME");
  fs::path mine = xdg / "the-velotrax";
  for (const char* name : {"The Velotrax.ini", "Data/Drivers.csv", "Data/Last Race.txt"})
    EXPECT_EQ(ReadBytes(mine / name), ReadBytes(p.share / name)) << name;
  for (const char* folder : {"Saved Races", "Results", "Circuits"})
    EXPECT_TRUE(fs::is_directory(mine / folder)) << folder;
  EXPECT_EQ(Snapshot(p.share), shipped);
}
