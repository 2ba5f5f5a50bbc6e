#include "cli/new_data.h"

#include <cstdint>

#include "cli/terminal_text.h"
#include "platform/console.h"
#include "store/grouped.h"

namespace {

// Never read whole here: the file is copied when the executable is written.
int CheckData(const std::string& path, SourceFile& data) {
  Status status = StampSource(path, data);
  if (!status.ok()) return FileFailure("cannot read", path, status);
  if (data.stamp.size == 0) return Refused(path + " is empty; a chunk needs at least one byte");
  if (data.stamp.size > UINT32_MAX) {
    return Refused(path + " is too large for a chunk (at most " + Grouped(UINT32_MAX) + " bytes)");
  }
  return kExitOk;
}

// All of standard input, held in memory.
int ReadInput(std::string& bytes) {
  Status status = platform::ReadStandardInput(bytes, UINT32_MAX);
  if (!status.ok()) return FileFailure("cannot read", "standard input", status);
  if (bytes.empty()) return Refused("standard input is empty; a chunk needs at least one byte");
  return kExitOk;
}

}  // namespace

int TakeNewData(const std::string& path, NewChunk& chunk) {
  if (path == kStandardInput) return ReadInput(chunk.bytes);
  chunk.file.emplace();
  return CheckData(path, *chunk.file);
}

int RefuseKind(const std::string& exe, std::string_view typed) {
  return Refused(exe + ": " + TerminalText(typed) + " is not a kind; a kind is 3 characters among A-Z and 0-9");
}
