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

// The scratch file that standard input waits in until the executable is written; closing it when
// the command ends deletes it.
struct InputScratch {
  platform::FileHandle file = platform::kNoFile;
  InputScratch() = default;
  InputScratch(const InputScratch&) = delete;
  InputScratch& operator=(const InputScratch&) = delete;
  ~InputScratch() { platform::CloseFile(file); }
};

// Fills chunk's data from path: a plain file that exists, can be read, is not empty and fits a
// length field (stamped, copied when the executable is written), or all of standard input, copied
// into scratch beside exe.
int TakeNewData(const std::string& exe, const std::string& path, NewChunk& chunk, InputScratch& scratch);
// The executable with chunks appended in one write (cli/add.cpp).
EditResult AppendNew(const std::string& exe, const std::vector<NewChunk>& chunks);
