#include "cli/new_data.h"

#include <cstdint>
#include <vector>

#include "cli/terminal_text.h"
#include "platform/console.h"
#include "store/grouped.h"

namespace {

constexpr std::uint64_t kMaxChunk = UINT32_MAX;

int TooLarge(const std::string& what) {
  return Refused(what + " is too large for a chunk (at most " + Grouped(kMaxChunk) + " bytes)");
}

// Never read whole here: the file is copied when the executable is written.
int CheckData(const std::string& path, SourceFile& data) {
  Status status = StampSource(path, data);
  if (!status.ok()) return FileFailure("cannot read", path, status);
  if (data.stamp.size == 0) return Refused(path + " is empty; a chunk needs at least one byte");
  if (data.stamp.size > kMaxChunk) return TooLarge(path);
  return kExitOk;
}

// Copies standard input to `to` block by block, stopping at its end or as soon as it holds more
// than a chunk can; size tells how much was read.
Status CopyInput(platform::FileHandle to, std::uint64_t& size) {
  std::vector<char> block(std::size_t{1} << 20);
  size = 0;
  for (;;) {
    std::size_t got = 0;
    Status status = platform::ReadStandardInput(block.data(), block.size(), got);
    if (!status.ok() || got == 0) return status;
    size += got;
    if (size > kMaxChunk) return Status::Success();
    status = platform::WriteAll(to, block.data(), got);
    if (!status.ok()) return status;
  }
}

// Standard input waits in a scratch file beside the executable (on its disk, not in memory) and
// is then copied from it as from any file. The scratch file has no name, so nothing can change it.
int ReadInput(const std::string& exe, SourceFile& data, InputScratch& scratch) {
  const std::string name = "standard input";
  std::uint64_t size = 0;
  Status status = platform::CreateScratchFile(exe, scratch.file);
  if (status.ok()) status = CopyInput(scratch.file, size);
  if (status.ok()) status = platform::StampOf(scratch.file, data.stamp);
  if (!status.ok()) return FileFailure("cannot read", name, status);
  if (size > kMaxChunk) return TooLarge(name);
  if (size == 0) return Refused(name + " is empty; a chunk needs at least one byte");
  data.path = name;
  data.open = scratch.file;
  return kExitOk;
}

}  // namespace

int TakeNewData(const std::string& exe, const std::string& path, NewChunk& chunk, InputScratch& scratch) {
  if (path == kStandardInput) return ReadInput(exe, chunk.file, scratch);
  return CheckData(path, chunk.file);
}

int RefuseKind(const std::string& exe, std::string_view typed) {
  return Refused(exe + ": " + TerminalText(typed) + " is not a kind; a kind is 3 characters among A-Z and 0-9");
}
