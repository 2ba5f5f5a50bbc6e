#pragma once
// What the program needs to know about its own process.
#include <string>

namespace platform {

std::string CommandLine();        // the process command line, as given
std::string ModulePath();         // the full path of the program's own file
std::string CurrentDirectory();
// The user's folder for temporary files, with its trailing separator; empty when unknown.
std::string TempFolder();
// Deletes path when it is a plain file: not a folder, not hidden, not system. Errors are ignored.
void DeletePlainFile(const std::string& path);

}  // namespace platform
