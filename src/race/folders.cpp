#include "race/folders.h"

#include <algorithm>
#include <cstdlib>
#include <set>

#include "common/common.h"
#include "race/define.h"
#include "platform/services.h"

namespace fs = std::filesystem;

namespace {
const char* kModule = "Folders";
const char* kShareName = "the-velotrax";

#ifndef _WIN32
std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? "" : value;
}
#endif

bool FileExists(const fs::path& file) {
  return PlatFileSize(file) >= 0;
}

// Creates `folder` and whatever is missing above it.
bool CreateFolderPath(const fs::path& folder) {
  fs::path built;
  for (const fs::path& part : folder) {
    built /= part;
    if (part == built.root_path() || part == built.root_name() || part == built.root_directory())
      continue;
    if (!PlatCreateFolder(built)) return false;
  }
  return PlatIsFolder(folder);
}

void CreateOrFail(const fs::path& folder) {
  if (!CreateFolderPath(folder))
    FATAL("could not create directory: " + PlatPathText(folder), kModule, "PreparePlayerFolders");
}

// Copies the shipped `name` into the player's folder unless the player has
// it already; a shipped file that is missing is left to whoever reads it.
void Seed(const fs::path& from, const fs::path& to) {
  if (FileExists(to) || !FileExists(from)) return;
  std::string bytes;
  if (!PlatReadFile(from, bytes) || !PlatWriteFileAtomic(to, bytes))
    FATAL("could not write file: " + PlatPathText(to), kModule, "PreparePlayerFolders");
}

// The circuits of a folder, by name without ".json". A folder that cannot be
// listed is fatal with the words the load list uses.
void AddNames(const fs::path& folder, std::set<std::string>& names) {
  if (!PlatIsFolder(folder)) return;
  std::vector<PlatFolderEntry> entries;
  if (!PlatListFolder(folder, "*.json", entries))
    FATAL("could not examine directory: " + PlatPathText(folder), "Requester mod", "GetFileList");
  for (const PlatFolderEntry& entry : entries)
    if (!entry.isFolder) names.insert(entry.name.substr(0, entry.name.rfind('.')));
}

bool HasCircuit(const fs::path& folder, const std::string& name) {
  return FileExists(folder / (name + ".json"));
}
}  // namespace

// The environment holds disk names: into the game's code page like every
// other path from outside.
FolderEnvironment CurrentEnvironment() {
#ifdef _WIN32
  return {};  // Windows copies are portable: no XDG folders there
#else
  return {PlatPathText(PlatGamePath(Env("XDG_DATA_HOME"))), PlatPathText(PlatGamePath(Env("HOME")))};
#endif
}

GameFolders DecideFolders(const fs::path& programFolder, const FolderEnvironment& env) {
  GameFolders f;
  f.programFolder = programFolder;
  f.shippedFolder = programFolder;
  f.playerFolder = programFolder;
  fs::path share = (programFolder / ".." / "share" / kShareName).lexically_normal();
  // Data beside the executable is a portable copy, whatever else is around.
  if (PlatIsFolder(programFolder / "Data") || !PlatIsFolder(share / "Data")) return f;
  f.installed = true;
  f.shippedFolder = share;
  // A relative XDG_DATA_HOME is invalid and ignored, as the base directory
  // rules say; so is a relative HOME.
  fs::path base;
  if (fs::path(env.xdgDataHome).is_absolute()) {
    base = env.xdgDataHome;
  } else if (fs::path(env.home).is_absolute()) {
    base = fs::path(env.home) / ".local" / "share";
  }
  f.playerFolder = base.empty() ? fs::path() : (base / kShareName).lexically_normal();
  return f;
}

void UseFolders(const GameFolders& f) {
  SetProgramFolder(f.shippedFolder);
  gProg.programFolder = f.programFolder;
  if (!f.installed) return;
  const fs::path& mine = f.playerFolder;
  gProg.playerFolder = mine;
  gProg.settingsFile = mine / "The Velotrax.ini";
  gProg.playerDataFolder = mine / "Data";
  gProg.playerCircuitsFolder = mine / "Circuits";
  gProg.savedRacesFolder = mine / "Saved Races";
  gProg.resultsFolder = mine / "Results";
}

void UseGameFolders(const fs::path& programFolder) {
  UseFolders(DecideFolders(programFolder, CurrentEnvironment()));
}

void PreparePlayerFolders() {
  if (gProg.playerFolder == gProg.programFolder) return;  // portable: all beside the executable
  if (gProg.playerFolder.empty())
    FATAL("could not find a folder for your files: set HOME or XDG_DATA_HOME", kModule,
          "PreparePlayerFolders");
  CreateOrFail(gProg.playerFolder);
  CreateOrFail(gProg.playerDataFolder);
  CreateOrFail(gProg.playerCircuitsFolder);
  // The shipped data folder sits in the shipped game folder.
  Seed(gProg.dataFolder.parent_path() / "The Velotrax.ini", gProg.settingsFile);
  Seed(gProg.dataFolder / "Drivers.csv", gProg.playerDataFolder / "Drivers.csv");
  Seed(gProg.dataFolder / "Last Race.txt", gProg.playerDataFolder / "Last Race.txt");
}

std::string CircuitList() {
  std::set<std::string> names;
  AddNames(gProg.circuitsFolder, names);
  if (gProg.playerCircuitsFolder != gProg.circuitsFolder)
    AddNames(gProg.playerCircuitsFolder, names);
  std::string list;
  for (const std::string& name : names) list += name + "~";
  return list;
}

fs::path CircuitFolderFor(const std::string& name) {
  if (gProg.playerCircuitsFolder != gProg.circuitsFolder &&
      HasCircuit(gProg.playerCircuitsFolder, name))
    return gProg.playerCircuitsFolder;
  return gProg.circuitsFolder;
}

bool CircuitHidesShipped(const std::string& name) {
  return gProg.playerCircuitsFolder != gProg.circuitsFolder &&
         HasCircuit(gProg.playerCircuitsFolder, name) && HasCircuit(gProg.circuitsFolder, name);
}

PlayerSettings ReadSettings() {
  PlayerSettings read;
  PlatSettings settings;
  if (!PlatOpenSettings(settings, gProg.settingsFile)) {
    FATAL("could not read *.ini file", "Init", "");
  }
  // The file is the player's to edit: numbers the game cannot use are read
  // as the nearest it can (a scroll speed of 0 or less, which would scroll
  // the wrong way, as the default).
  int scrollSpeed = PlatReadSettingInt(settings, "ScrollSpeed", kDefaultScrollSpeed);
  read.scrollSpeed = scrollSpeed < 1 ? kDefaultScrollSpeed : Min(scrollSpeed, kFastestScroll);
  read.timeSlice = std::clamp(PlatReadSettingInt(settings, "TimeSlice", kDefaultTimeSlice),
                              kShortestTimeSlice, kLongestTimeSlice);
  read.laps = std::clamp(PlatReadSettingInt(settings, "Laps", 4), kFewestLaps, kMostLaps);
  read.points = PlatReadSettingText(settings, "Points$", "964321");
  read.uiScale = std::clamp(PlatReadSettingInt(settings, "UIScale", 0), 0, kLargestUiScale);
  read.soundVolume = std::clamp(PlatReadSettingInt(settings, "SoundVolume", kDefaultSoundVolume), 0, 100);
  read.menuRaceSound = PlatReadSettingInt(settings, "MenuRaceSound", 0) == 1;
  PlatCloseSettings(settings);
  gProg.laps = read.laps;
  gProg.points = read.points;
  return read;
}

void CreateGameFolders() {
  for (const auto& folder : {gProg.savedRacesFolder, gProg.resultsFolder}) {
    if (!PlatIsFolder(folder) && !PlatCreateFolder(folder)) {
      FATAL("could not create directory: " + PlatPathText(folder) + ": " + PlatLastWriteError(),
            "Init", "");
    }
  }
  // What a write cut short by a kill left behind, wherever the game writes:
  // saved races, season files, the player's data, the settings file and the
  // circuits and drafts the editor saves.
  const fs::path circuits =
      gProg.playerCircuitsFolder.empty() ? gProg.circuitsFolder : gProg.playerCircuitsFolder;
  std::set<fs::path> written = {gProg.savedRacesFolder, gProg.resultsFolder,
                                gProg.playerDataFolder,  gProg.settingsFile.parent_path(),
                                circuits,                circuits / kDraftsFolder};
  for (const fs::path& folder : written)
    if (!folder.empty() && PlatIsFolder(folder)) PlatRemoveStaleTemporaries(folder);
}
