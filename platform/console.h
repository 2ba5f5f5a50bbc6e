#pragma once
// Standard output and error of the command-line tool: raw bytes, and text in UTF-8.
#include <cstdint>
#include <string>

#include "platform/files.h"

namespace platform {

// Standard output as a file handle: bytes written to it pass unchanged (no line-end translation
// on Windows), and file copies can write to it directly.
FileHandle StandardOutput();

// Reads all of standard input, unchanged (no line-end translation on Windows), into bytes. More
// than limit bytes is an error, and so is a failed read.
Status ReadStandardInput(std::string& bytes, std::uint64_t limit);

// Makes a console show the program's UTF-8 text (paths in any script) until the program ends;
// output to a file or a pipe is left as it is. Nothing to do on POSIX.
void UseUtf8Console();

}  // namespace platform
