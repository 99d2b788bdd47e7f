// Where the game's files live. A portable copy keeps everything beside the
// executable; an installed copy reads its shipped data from
// ../share/the-velotrax and keeps what the player owns under
// $XDG_DATA_HOME/the-velotrax. This is the one place that knows which of the
// two the game runs in: everything else only uses the folders in gProg.
#pragma once

#include <filesystem>
#include <string>

// What an installed copy needs from the environment ("" when unset).
struct FolderEnvironment {
  std::string xdgDataHome;
  std::string home;
};

struct GameFolders {
  bool installed = false;
  std::filesystem::path programFolder;  // the executable's folder
  std::filesystem::path shippedFolder;  // Circuits, Data, Images, Theme, the default settings
  std::filesystem::path playerFolder;   // what the player owns; "" when no home is known
};

// The environment of this process.
FolderEnvironment CurrentEnvironment();

// Decides the layout from the executable's folder: installed when there is
// no "Data" beside it but there is ../share/the-velotrax/Data. Reads nothing
// else and creates nothing.
GameFolders DecideFolders(const std::filesystem::path& programFolder, const FolderEnvironment& env);

// Points the program-wide folders at `folders`.
void UseFolders(const GameFolders& folders);
// Both of the above for this process: what the game and its tools call.
void UseGameFolders(const std::filesystem::path& programFolder);

// An installed copy: creates the player's folder with its "Data" and
// "Circuits" and seeds "The Velotrax.ini", "Drivers.csv" and "Last Race.txt"
// from the shipped copies the first time. Fatal when the folder cannot be
// made or a file cannot be seeded. A portable copy has nothing to prepare.
void PreparePlayerFolders();

// The circuit editor keeps drawings that do not build yet in this folder
// under the player's circuits, where no list of circuits looks.
constexpr const char* kDraftsFolder = "Drafts";

// The circuits a new race offers: the shipped ones and the player's own, a
// "~"-list of names without ".json", sorted, each name once.
std::string CircuitList();
// The folder whose circuit `name` (without ".json") the game uses: the
// player's own wins over a shipped one of the same name.
std::filesystem::path CircuitFolderFor(const std::string& name);
// True when the player's circuit `name` hides a shipped one.
bool CircuitHidesShipped(const std::string& name);

// "The Velotrax.ini", read whole in this one place. The laps and points are
// the race's and go to gProg; the rest belongs to the screens, which take
// it from the answer.
constexpr int kDefaultScrollSpeed = 4;
constexpr int kFastestScroll = 64;  // a cell a frame
constexpr int kDefaultTimeSlice = 167;
constexpr int kShortestTimeSlice = 17;
constexpr int kLongestTimeSlice = 1000;
constexpr int kLargestUiScale = 8;
constexpr int kDefaultSoundVolume = 70;
struct PlayerSettings {
  int scrollSpeed = kDefaultScrollSpeed;  // pixels a frame of edge scrolling
  int timeSlice = kDefaultTimeSlice;      // ms between automatic steps
  int laps = 4;
  std::string points = "964321";
  int uiScale = 0;  // 0 automatic, else the screen's whole-number scale
  int soundVolume = kDefaultSoundVolume;  // 0 (silent, no audio device) to 100
  bool menuRaceSound = false;             // the race behind the menu is heard
};
// Fatal when it cannot be read; numbers the game cannot use read as the
// nearest it can.
PlayerSettings ReadSettings();
// "Saved Races" and "Results" made where missing (fatal when one cannot
// be), then what a write cut short by a kill left behind is removed from
// every folder the game writes to (never a running writer's).
void CreateGameFolders();
