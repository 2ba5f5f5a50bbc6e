// stowr-cli extract EXE CHUNK [OUT], stowr-cli extract-all EXE, stowr-cli cat EXE CHUNK
#include <iostream>

#include "cli/commands.h"
#include "cli/select.h"
#include "platform/console.h"
#include "store/chunk_data.h"
#include "tools/extract_name.h"

namespace {

// Writes chunk index of exe to out, streaming, and prints out's name; a chunk that cannot be
// read or a file that cannot be written is an error, never an empty or partial file passed off
// as done.
int ExtractTo(const std::string& exe, const ChunkTable& table, std::size_t index, const std::string& out) {
  Status status = ExtractChunk(exe, table[index - 1], out);
  if (!status.ok()) return FileFailure("cannot extract chunk " + std::to_string(index) + " to", out, status);
  WarnIfUnconfirmed(out, status);
  std::cout << out << '\n';
  return kExitOk;
}

// The chunk's bytes, unchanged, on standard output, copied in blocks.
int CopyToOutput(const std::string& exe, const ChunkTable& table, std::size_t index) {
  std::cout.flush();
  Status status = CopyChunk(exe, table[index - 1], platform::StandardOutput());
  if (!status.ok()) return FileFailure("cannot copy chunk " + std::to_string(index) + " of", exe, status);
  return kExitOk;
}

}  // namespace

// OUT "-" is standard output, as with cat.
int RunExtract(const Args& args) {
  if (args.size() != 2 && args.size() != 3) return Usage();
  const std::string& exe = args[0];
  ChunkTable table;
  std::size_t index = 0;
  if (int code = LoadTable(exe, table)) return code;
  if (int code = SelectChunk(exe, args[1], table, index)) return code;
  if (args.size() == 3 && args[2] == "-") return CopyToOutput(exe, table, index);
  std::string out = args.size() == 3 ? args[2] : DefaultExtractName(exe, table[index - 1]);
  return ExtractTo(exe, table, index, out);
}

// Every chunk to its default name, last chunk first, so that of two chunks of one Kind the
// older one ends up in the file. A chunk that cannot be written is reported and the others are
// still tried; the status tells at the end whether any failed.
int RunExtractAll(const Args& args) {
  if (args.size() != 1) return Usage();
  const std::string& exe = args[0];
  ChunkTable table;
  if (int code = LoadTable(exe, table)) return code;
  int result = kExitOk;
  for (std::size_t index = table.size(); index >= 1; --index) {
    if (ExtractTo(exe, table, index, DefaultExtractName(exe, table[index - 1])) != kExitOk) result = kExitFile;
  }
  return result;
}

int RunCat(const Args& args) {
  if (args.size() != 2) return Usage();
  const std::string& exe = args[0];
  ChunkTable table;
  std::size_t index = 0;
  if (int code = LoadTable(exe, table)) return code;
  if (int code = SelectChunk(exe, args[1], table, index)) return code;
  return CopyToOutput(exe, table, index);
}
