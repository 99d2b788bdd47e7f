// What every fuzzer shares: a game folder of its own to write the player's
// files into, fatal errors that throw, and a headless screen when the reader
// needs one (the race's readers run with no video at all). The same fuzz entry points run under libFuzzer (make fuzz) and
// under the replay driver that make test runs on every corpus file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

// A copy of the shipped game folder in a fresh temp folder, made once per
// process and set as the program folder; fatal errors throw FatalError.
const std::filesystem::path& FuzzGameFolder();
// The game's whole start-up on that folder with a headless screen (once;
// in fuzz_screen_support.cpp, for the fuzzers of what the screens read).
void FuzzStartGameHeadless();
// Removes everything in the folder (what an input left there), errors ignored.
void FuzzEmptyFolder(const std::filesystem::path& folder);
// Writes the bytes to the file, replacing it.
void FuzzWrite(const std::filesystem::path& file, const uint8_t* data, size_t size);

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
