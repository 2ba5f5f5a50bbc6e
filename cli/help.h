#pragma once
// stowr-cli's help, written once in cli/help.txt: the command list, one command's usage, options
// and example, and (cli/render_help.cmake) the manual page made from the same text.
#include <ostream>
#include <string_view>

// The command list with one line each, then what the arguments mean and the exit statuses.
void PrintOverview(std::ostream& out);
// The usage, options and example of command; false when there is no such command.
bool PrintCommandHelp(std::ostream& out, std::string_view command);
