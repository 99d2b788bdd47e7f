// velotrax-tool entry point: dispatches to the subcommands.
#include <cstdio>
#include <cstring>

#include "platform/services.h"
#include "tool.h"

namespace {
struct Command {
  const char* name;
  int (*run)(const ToolArgs& args);
  const char* usage;
};

const Command kCommands[] = {
    {"check", RunCheck, "check FILE.json [--game-dir DIR]"},
    {"make-circuit", RunMakeCircuit, "make-circuit SOURCE.txt OUT.json [--game-dir DIR]"},
    {"simulate", RunSimulate,
     "simulate FILE.json --game-dir DIR --laps N [--cars K1,K2,...] [--grid "
     "order|points|random|last]\n"
     "      [--seed S | --rolls FILE] [--races R] [--new-season NAME]"},
    {"balance", RunBalance,
     "balance FILE.json... --laps N --races R [--seed S] [--csv] [--game-dir DIR]"},
};

int Usage() {
  std::fprintf(stderr, "usage:\n");
  for (const Command& c : kCommands) std::fprintf(stderr, "  velotrax-tool %s\n", c.usage);
  return 2;
}
}  // namespace

std::filesystem::path TakeGameDir(ToolArgs& args) {
  for (size_t i = 0; i + 1 < args.size(); ++i)
    if (args[i] == "--game-dir") {
      std::filesystem::path dir = PlatGamePath(args[i + 1]);
      args.erase(args.begin() + i, args.begin() + i + 2);
      return dir;
    }
  return PlatProgramFolder();
}

int main(int argc, char** argv) {
  std::vector<std::string> all = PlatArguments(argc, argv);
  if (all.empty()) return Usage();
  ToolArgs args(all.begin() + 1, all.end());
  for (const Command& c : kCommands)
    if (all[0] == c.name) return c.run(args);
  return Usage();
}
