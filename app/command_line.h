#pragma once
// Reading the executable path from the process command line.
#include <string>
#include <string_view>

// The command line without the program's own name and the spaces after it.
std::string ArgumentText(std::string_view commandLine);
// The executable named on the command line: the argument text without its outer double quotes
// when it contains ".exe" in any case, else empty.
std::string ExePathFromCommandLine(std::string_view commandLine);
