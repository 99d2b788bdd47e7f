// The machine's services that need no window: files and folders, settings
// files, the clock and the dice. Plain C++ (no SDL, libpng or PCRE2), so the
// race and the tools build and run without a display.
//
// Every failure is a zero (or empty) result; the services never end the
// program themselves. Callers turn failures into fatal errors. Paths and
// texts are the game's own Windows-1252 byte strings; the layer converts to
// and from the disk's UTF-8 names.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// ---------------------------------------------------------------------------
// Files and folders. Every path the game hands in or gets back names files
// in Windows-1252; the layer converts to and from the disk's UTF-8 names. A
// listed name the code page cannot show ("?" for each such letter) still
// reaches its file.
constexpr int64_t kFileMissing = -1;
// A path from outside the game (the command line, the disk) in the game's
// code page, and the file a game path names on disk.
std::filesystem::path PlatGamePath(const std::filesystem::path& diskPath);
// The same for a UTF-8 name from outside (the command line, the environment).
std::filesystem::path PlatGamePath(const std::string& diskName);
std::filesystem::path PlatDiskPath(const std::filesystem::path& gamePath);
// The Windows-1252 bytes a game path was made of. On Linux this is its
// string(); on Windows string() would answer UTF-8, which the game's texts
// and later paths cannot take.
std::string PlatPathText(const std::filesystem::path& gamePath);
// Removes what atomic writes of processes that no longer run left behind
// (a write cut short by a kill); the number removed.
int PlatRemoveStaleTemporaries(const std::filesystem::path& folder);
constexpr int64_t kFileIsFolder = -2;
int64_t PlatFileSize(const std::filesystem::path& file);  // -1 missing, -2 folder
// When the file was last written, local time, as "2026-12-08 21:40".
bool PlatFileTimeText(const std::filesystem::path& file, std::string& text);
struct PlatFolderEntry {
  std::string name;  // file name, Windows-1252
  bool isFolder = false;
};
// Entries matching a pattern such as "*.png" (case-insensitive), sorted by
// name. False when the folder cannot be examined.
bool PlatListFolder(const std::filesystem::path& folder, const std::string& pattern,
                    std::vector<PlatFolderEntry>& out);
bool PlatCreateFolder(const std::filesystem::path& folder);
// Removes a file, if there; false when it is there still.
bool PlatRemoveFile(const std::filesystem::path& file);
bool PlatIsFolder(const std::filesystem::path& folder);
// Any image the game takes (4096 pixels a side), even stored uncompressed.
constexpr size_t kLargestFileRead = size_t{128} << 20;
// Reads a whole file as bytes; false when it cannot be read or holds more
// than `largest` bytes (then nothing beyond that is read into memory).
bool PlatReadFile(const std::filesystem::path& file, std::string& bytes,
                  size_t largest = kLargestFileRead);
// Replaces a file atomically (temporary file in the same folder, flush,
// rename); false on failure, the old file then stays as it was.
// The program's arguments after its name, in UTF-8 (on Windows, from the
// wide command line: the narrow one holds only what the ANSI code page can).
std::vector<std::string> PlatArguments(int argc, char** argv);
bool PlatWriteFileAtomic(const std::filesystem::path& file, const std::string& bytes);
// Why the last failed PlatWriteFileAtomic or PlatCreateFolder failed, in
// words for the player ("the disk is full", "the folder is read-only or
// access is denied" ...).
std::string PlatLastWriteError();
// Called after every file written; false fails the write with `why` (the
// browser's copy keeps the player's files in IndexedDB this way).
using PlatWriteKeeper = bool (*)(std::string& why);
void PlatSetWriteKeeper(PlatWriteKeeper keeper);
// The folder of the running executable, ending in a separator.
std::filesystem::path PlatProgramFolder();

// ---------------------------------------------------------------------------
// "key = value" settings files. Keys before the first [section] only,
// case-insensitive; ";" comments; UTF-8 with BOM or ANSI.
struct PlatSettings {
  std::filesystem::path file;
  // The file's lines without their ends, as they stand in the file (UTF-8
  // after a byte-order mark, else Windows-1252), and each line's own end.
  std::vector<std::string> lines;
  std::vector<std::string> ends;
  bool bom = false;  // written back with the mark, as UTF-8
  bool changed = false;
  bool open = false;
};
bool PlatOpenSettings(PlatSettings& settings, const std::filesystem::path& file);
// Lenient: leading blanks, optional sign, digits; no digits reads 0; clamps to
// 32 bits.
int PlatReadSettingInt(const PlatSettings& settings, const std::string& key, int fallback);
std::string PlatReadSettingText(const PlatSettings& settings, const std::string& key,
                                const std::string& fallback);
void PlatWriteSettingInt(PlatSettings& settings, const std::string& key, int value);
// Writes the file back (CR LF lines, atomically) when a value changed.
bool PlatCloseSettings(PlatSettings& settings);

// ---------------------------------------------------------------------------
// Clock and dice.
int64_t PlatElapsedMilliseconds();  // monotonic
// Uniform in [minimum, maximum] inclusive.
int PlatRandom(int maximum, int minimum);
// Clock: a driven clock replaces the real one until PlatUseRealClock.
void PlatSetDrivenClock(int64_t milliseconds);
void PlatAdvanceDrivenClock(int64_t milliseconds);
void PlatUseRealClock();
// Dice: seed the generator, or script the rolls. A scripted sequence answers
// every PlatRandom(100, 1) call in order, starting again at its first value
// when it runs out; other ranges keep coming from the seeded generator.
// An empty sequence switches scripting off.
void PlatSeedRandom(uint64_t seed);
void PlatScriptRandom(const std::vector<int>& rolls);
// Number of PlatRandom calls answered so far (for replay checks).
uint64_t PlatRandomCalls();
