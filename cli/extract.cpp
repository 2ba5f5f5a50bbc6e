// stowr-cli extract EXE CHUNK [OUT], stowr-cli extract-all EXE, stowr-cli cat EXE CHUNK
#include <iostream>

#include "cli/commands.h"
#include "cli/select.h"
#include "platform/console.h"
#include "store/chunk_data.h"
#include "tools/extract_name.h"

namespace {

// Writes the chunk to out, streaming from the open executable, and prints out's name; a chunk that
// cannot be read or a file that cannot be written is an error, never an empty or partial file
// passed off as done. An output that is a link or the executable itself is refused (exit 3).
int ExtractTo(const ChunkFile& exe, const ChunkRecord& record, std::size_t index, const std::string& out,
              TempSweep* sweep = nullptr) {
  Status status = ExtractChunk(exe, record, out, {}, OwnerRule(), sweep);
  if (!status.ok()) return FileFailure("cannot extract chunk " + std::to_string(index) + " to", out, status);
  WarnIfUnconfirmed(out, status);
  std::cout << out << '\n';
  return kExitOk;
}

// The chunk's bytes, unchanged, on standard output, copied in blocks from the open executable.
// Standard output sent into the executable itself (1<>app.exe, >>app.exe) is refused (exit 3).
int CopyToOutput(const ChunkFile& exe, const ChunkRecord& record, std::size_t index) {
  std::cout.flush();
  Status status = exe.CopyTo(record, platform::StandardOutput());
  const std::string chunk = "cannot copy chunk " + std::to_string(index);
  if (status.code == Status::Code::Refused) return FileFailure(chunk + " to", "standard output", status);
  if (!status.ok()) return FileFailure(chunk + " of", exe.Path(), status);
  return kExitOk;
}

}  // namespace

// The chunk is found and read through one open of the executable, holding no table; OUT "-" is
// standard output, as with cat.
int RunExtract(const Args& args) {
  ChosenChunk chosen;
  if (int code = ChooseChunk(args, 3, chosen)) return code;
  const FoundChunk& chunk = chosen.chunk;
  if (args.size() == 3 && args[2] == "-") return CopyToOutput(chosen.file, chunk.record, chunk.number);
  std::string out = args.size() == 3 ? args[2] : DefaultExtractName(args[0], chunk.record);
  return ExtractTo(chosen.file, chunk.record, chunk.number, out);
}

// Every chunk, last chunk first: the newest chunk of a Kind gets the default name, an older one of
// the same name its numbered name (ExtractAllNames). A chunk that cannot be written is reported
// and the others are still tried; the status tells at the end whether any failed (3 when every
// failure was a refusal). The chunks are handed over one at a time, never held as a table, and
// the folder is looked through for stale temporary files once, not once per chunk.
int RunExtractAll(const Args& args) {
  ChunkFile file;
  if (int code = OpenOnlyExe(args, file)) return code;
  const std::string& exe = args[0];
  ExtractAllNames names;
  TempSweep sweep;
  int result = kExitOk;
  Status status = WalkChunksNewestFirst(file, [&](const ChunkRecord& record, std::size_t index) {
    int code = ExtractTo(file, record, index, names.Next(exe, record, index), &sweep);
    if (code != kExitOk && result != kExitFile) result = code;
    return true;
  });
  if (!status.ok()) return FileFailure("cannot read", exe, status);
  return result;
}

// The chunk's bytes, unchanged, on standard output.
int RunCat(const Args& args) {
  ChosenChunk chosen;
  if (int code = ChooseChunk(args, 2, chosen)) return code;
  return CopyToOutput(chosen.file, chosen.chunk.record, chosen.chunk.number);
}
