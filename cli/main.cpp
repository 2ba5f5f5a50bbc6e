// stowr-cli: lists, adds, removes and extracts the chunks of an executable's Tailpack.
#include <string_view>

#include "cli/commands.h"

namespace {

struct Command {
  std::string_view name;
  int (*run)(const Args&);
};

constexpr Command kCommands[] = {
    {"list", RunList},       {"add", RunAdd},   {"remove", RunRemove},
    {"strip", RunStrip},     {"extract", RunExtract},
    {"extract-all", RunExtractAll}, {"cat", RunCat},
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  std::string_view name = argv[1];
  if (name == "help" || name == "--help" || name == "-h") {
    PrintUsage(true);
    return kExitOk;
  }
  Args args(argv + 2, argv + argc);
  for (const Command& command : kCommands) {
    if (command.name == name) return command.run(args);
  }
  return Usage();
}
