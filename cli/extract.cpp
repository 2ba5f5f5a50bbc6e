// stowr-cli extract EXE N [OUT], stowr-cli extract-all EXE, stowr-cli cat EXE N
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>

#include "cli/commands.h"
#include "platform/console.h"
#include "store/wholefile.h"
#include "tools/extract_name.h"

namespace {

// Writes chunk index of exe to out and prints out's name; a chunk that cannot be read or a file
// that cannot be written is an error, never an empty or partial file passed off as done.
int ExtractTo(const std::string& exe, const ChunkTable& table, std::size_t index, const std::string& out) {
  std::string data;
  if (int code = ReadChunkData(exe, table, index, data)) return code;
  Status status = WriteWholeFile(data, out);
  if (!status.ok()) return FileFailure("cannot write", out, status);
  std::cout << out << '\n';
  return kExitOk;
}

}  // namespace

int RunExtract(const Args& args) {
  if (args.size() != 2 && args.size() != 3) return Usage();
  const std::string& exe = args[0];
  ChunkTable table;
  std::size_t index = 0;
  if (int code = LoadTable(exe, table)) return code;
  if (int code = PickChunk(exe, args[1], table, index)) return code;
  std::string out = args.size() == 3 ? args[2] : DefaultExtractName(exe, table[index - 1]);
  return ExtractTo(exe, table, index, out);
}

// Every chunk to its default name, last chunk first, so that of two chunks of one Kind the
// older one ends up in the file. Stops at the first failure.
int RunExtractAll(const Args& args) {
  if (args.size() != 1) return Usage();
  const std::string& exe = args[0];
  ChunkTable table;
  if (int code = LoadTable(exe, table)) return code;
  for (std::size_t index = table.size(); index >= 1; --index) {
    if (int code = ExtractTo(exe, table, index, DefaultExtractName(exe, table[index - 1]))) return code;
  }
  return kExitOk;
}

// The chunk's bytes, unchanged, on standard output.
int RunCat(const Args& args) {
  if (args.size() != 2) return Usage();
  const std::string& exe = args[0];
  ChunkTable table;
  std::size_t index = 0;
  std::string data;
  if (int code = LoadTable(exe, table)) return code;
  if (int code = PickChunk(exe, args[1], table, index)) return code;
  if (int code = ReadChunkData(exe, table, index, data)) return code;
  Status binary = platform::SetBinaryStdout();
  if (!binary.ok()) return FileFailure("cannot write", "standard output", binary);
  bool written = std::fwrite(data.data(), 1, data.size(), stdout) == data.size() && std::fflush(stdout) == 0;
  if (!written) return FileFailure("cannot write", "standard output", Status::Error(std::strerror(errno)));
  return kExitOk;
}
