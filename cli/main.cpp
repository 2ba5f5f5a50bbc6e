// stowr-cli: lists, adds, removes and extracts the chunks of an executable's Tailpack.
#include <exception>
#include <iostream>
#include <new>
#include <string_view>

#include "cli/commands.h"
#include "cli/help.h"
#include "cli/options.h"
#include "platform/console.h"

namespace {

struct Command {
  std::string_view name;
  int (*run)(const Args&);
  std::string_view options;  // the options it takes, separated by spaces
};

constexpr Command kCommands[] = {
    {"list", RunList, "--json --hash"},
    {"add", RunAdd, "--break-signature --allow-owner-change"},
    {"set", RunSet, "--break-signature --allow-owner-change"},
    {"remove", RunRemove, "--break-signature --allow-owner-change"},
    {"strip", RunStrip, "--break-signature --allow-owner-change"},
    {"extract", RunExtract, "--allow-owner-change"},
    {"extract-all", RunExtractAll, "--allow-owner-change"},
    {"cat", RunCat, ""},
    {"verify", RunVerify, ""},
};

// True when args ask for help (--help before any --).
bool AsksForHelp(const Args& args) {
  for (const std::string& arg : args) {
    if (arg == "--") return false;
    if (arg == "--help") return true;
  }
  return false;
}

// stowr-cli help [COMMAND]: the command list, or one command's help.
int RunHelp(const Args& args) {
  if (args.empty()) {
    PrintOverview(std::cout);
    return kExitOk;
  }
  if (args.size() != 1 || !PrintCommandHelp(std::cout, args[0])) return Usage();
  return kExitOk;
}

int Run(int argc, char** argv) {
  if (argc < 2) return Usage();
  std::string_view name = argv[1];
  if (name == "help" || name == "--help" || name == "-h") return RunHelp(Args(argv + 2, argv + argc));
  if (name == "--version") {
    std::cout << "stowr-cli " << STOWR_VERSION << '\n';
    return kExitOk;
  }
  Args args(argv + 2, argv + argc);
  for (const Command& command : kCommands) {
    if (command.name != name) continue;
    if (AsksForHelp(args)) return RunHelp({std::string(name)});
    if (!TakeOptions(args, command.options)) return Usage();
    return command.run(args);
  }
  return Usage();
}

// What stopped a command that ended in an exception.
std::string_view Reason(std::exception_ptr error) {
  try {
    std::rethrow_exception(error);
  } catch (const std::bad_alloc&) {
    return "Out of memory";
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return "Unexpected failure";
  }
}

}  // namespace

// The one place where an exception (running out of memory above all) ends a command: it is
// reported like any failure. Every write is atomic, so whatever was under way has changed nothing.
int main(int argc, char** argv) {
  platform::UseUtf8Console();
  try {
    return Run(argc, argv);
  } catch (...) {
    std::string_view reason = Reason(std::current_exception());
    std::cerr << "stowr-cli: " << (argc > 1 ? argv[1] : "") << " stopped: " << reason << '\n';
    return kExitFile;
  }
}
