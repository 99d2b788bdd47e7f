// The player's race and its saves: "Save Race", whether the race has moved
// on since it was last saved (or loaded, or set up), and the load list's lines.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

// Saves the race under its circuit's name in the saved races folder; a save
// that cannot be written says why in the message box and changes nothing.
void SaveRaceFromScreen();
// The race as it stands now counts as saved: after a load or a set-up.
void RememberRaceAsSaved();
// A race is on (one that ended is not) and differs from what was last saved,
// loaded or set up. The race behind the menu is the caller's to rule out.
bool RaceChangedSinceSaved();

// One saved race of the load list: its name (the file's, without ".json")
// and the line the list shows for it.
struct SavedRaceLine {
  std::string name;
  std::string line;
};
// Every saved race of the folder, sorted by name: "Harbour Loop   lap 2 of 3
// 2026-12-08 21:40"; a race whose lap or time cannot be read by its name alone.
std::vector<SavedRaceLine> SavedRaceLines(const std::filesystem::path& folder);
