// The game's sounds, synthesised from code like the art: short mono WAV
// files for game/Sounds. Same build, same bytes.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace assetgen {

// Every sound as (file name, bytes of a 16-bit mono PCM WAV file).
std::vector<std::pair<std::string, std::string>> MakeSounds();

}  // namespace assetgen
