// A whole race (or a circuit: at least its three tile layers) as one compact
// UTF-8 JSON document.
#pragma once

#include <filesystem>
#include <string>

// Writes the current race to the file, replacing it atomically; a file that
// cannot be written is a fatal error (the tools).
void Save(const std::filesystem::path& file);
// The same for the player's "Save Race": false, with why in words (a full
// disk, a read-only folder ...), when the file could not be written; the
// earlier save is then as it was and the race goes on.
bool TrySave(const std::filesystem::path& file, std::string& why);
// The document of Save, as it would be written.
std::string SaveDocument();
// A circuit file: the three layers and the tile table. A draft's is marked
// so: loading it for a race is refused, since it may not build.
std::string CircuitDocument(bool draft = false);
// {"Node":[...],"Corner":[...]} of the built track, as a save writes them.
std::string TrackDocument();

// Reads a circuit or saved race, rebuilds and analyses the track and loads
// the circuit's labels. A file that cannot be raced is a fatal error that
// says what is wrong and where.
void Load(const std::filesystem::path& file);
// Reads only the three layers and the tile table of a circuit or draft, as
// Load checks them, and builds nothing (the editor opens drafts so). Fatal
// on what Load would refuse them for.
void LoadDrawing(const std::filesystem::path& file);
// Whether the file is a document, as Load would take it, with a member of
// that name at its top (false for anything Load would refuse unread).
bool DocumentHasMember(const std::filesystem::path& file, const char* name);

// What a list of saved races shows of one without loading it: the lap its
// leader is on and the race's laps. False for a file that cannot be read so.
struct SavedRaceSummary {
  int lap = 0;
  int laps = 0;
};
bool ReadSavedRaceSummary(const std::filesystem::path& file, SavedRaceSummary& summary);

// Load calls this when the file has no "Driver" member (the game points it
// at the loading of "Drivers.csv"); unset, the driver table is left alone.
using LoadDriversHandler = void (*)();
void SetLoadDriversHandler(LoadDriversHandler handler);

// Largest circuit accepted, in columns and rows.
constexpr int kMaxGridSize = 256;
