// stowr-cli list [--json] EXE
#include <iostream>

#include "cli/commands.h"
#include "cli/json.h"
#include "store/scan.h"
#include "tools/chunk_row.h"

namespace {

// One line per chunk, oldest first: the five cells of the window's chunk list, tab-separated.
void PrintRows(const std::string& exe, const ChunkTable& table) {
  for (std::size_t i = 0; i < table.size(); ++i) {
    ChunkRow row = MakeChunkRow(i + 1, table[i], ChunkIsBinary(exe, table[i]));
    std::cout << row.number << '\t' << row.kind << '\t' << row.type << '\t' << row.size << '\t'
              << row.offset << '\n';
  }
}

// The same chunks as a JSON array, with plain numbers.
void PrintJson(const std::string& exe, const ChunkTable& table) {
  std::cout << '[';
  for (std::size_t i = 0; i < table.size(); ++i) {
    const ChunkRecord& record = table[i];
    std::cout << (i == 0 ? "\n" : ",\n") << "  {\"index\": " << i + 1
              << ", \"kind\": " << JsonString(KindText(record))
              << ", \"type\": \"" << ChunkTypeName(ChunkIsBinary(exe, record))
              << "\", \"length\": " << record.Length << ", \"offset\": " << record.Offset << '}';
  }
  std::cout << (table.empty() ? "]\n" : "\n]\n");
}

}  // namespace

int RunList(const Args& args) {
  bool json = !args.empty() && args[0] == "--json";
  if (args.size() != (json ? 2u : 1u)) return Usage();
  const std::string& exe = args.back();
  ChunkTable table;
  if (int code = LoadTable(exe, table)) return code;
  if (json) {
    PrintJson(exe, table);
  } else {
    PrintRows(exe, table);
  }
  return std::cout.flush() ? kExitOk : FileFailure("cannot write", "standard output", Status::Error("write failed"));
}
