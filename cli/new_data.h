#pragma once
// The data of a new chunk on the command line, for add and set: a file, or "-" for standard input.
#include <string>
#include <string_view>
#include <vector>

#include "cli/common.h"
#include "store/edit.h"

inline constexpr std::string_view kStandardInput = "-";

// Refuses a KIND that is not one (the window's Add dialog takes the same ones).
int RefuseKind(const std::string& exe, std::string_view typed);
// Fills chunk's data from path: a plain file that exists, can be read, is not empty and fits a
// length field (stamped, copied when the executable is written), or all of standard input.
int TakeNewData(const std::string& path, NewChunk& chunk);
// The executable with chunks appended in one write (cli/add.cpp).
EditResult AppendNew(const std::string& exe, const std::vector<NewChunk>& chunks);
