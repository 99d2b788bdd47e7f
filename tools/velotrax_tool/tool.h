// velotrax-tool: the game's engine on the command line. Each subcommand gets
// the arguments after its own name and returns the exit status.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

using ToolArgs = std::vector<std::string>;

int RunCheck(const ToolArgs& args);
int RunMakeCircuit(const ToolArgs& args);
int RunSimulate(const ToolArgs& args);

// Takes "--game-dir DIR" out of the arguments; the folder holding the tool
// when it is not given. Either is taken as the game takes its own folder: a
// portable game folder, or the program folder of an installed copy.
std::filesystem::path TakeGameDir(ToolArgs& args);
