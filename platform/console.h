#pragma once
// Standard output and error of the command-line tool: raw bytes, and text in UTF-8.
#include <cstddef>
#include <string>

#include "platform/files.h"

namespace platform {

// Standard output as a file handle: bytes written to it pass unchanged (no line-end translation
// on Windows), and file copies can write to it directly.
FileHandle StandardOutput();

// Reads the next bytes of standard input, unchanged (no line-end translation on Windows), at most
// size of them; got is 0 at its end.
Status ReadStandardInput(char* buffer, std::size_t size, std::size_t& got);

// Makes a console show the program's UTF-8 text (paths in any script) until the program ends;
// output to a file or a pipe is left as it is. Nothing to do on POSIX.
void UseUtf8Console();

}  // namespace platform
