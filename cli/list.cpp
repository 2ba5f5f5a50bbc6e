// stowr-cli list [--json] EXE
#include <cstdio>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/json.h"
#include "cli/terminal_text.h"
#include "store/scan.h"
#include "store/wholefile.h"
#include "tools/chunk_row.h"

namespace {

// Standard output through a large buffer of our own, so a listing of a million chunks costs a
// few dozen writes rather than one per cell.
class Output {
 public:
  Output() { text_.reserve(kSpill + 4096); }
  std::string& Text() { return text_; }
  void Spill() {
    if (text_.size() >= kSpill) Flush();
  }
  void Flush() {
    if (!text_.empty() && std::fwrite(text_.data(), 1, text_.size(), stdout) != text_.size()) failed_ = true;
    text_.clear();
  }
  bool Finish() {
    Flush();
    return !failed_ && std::fflush(stdout) == 0;
  }

 private:
  static constexpr std::size_t kSpill = std::size_t{1} << 20;
  std::string text_;
  bool failed_ = false;
};

// Where a chunk stands, for scripts: "end", "signature" (inside a signed program's certificate
// table) or "front" (in front of that table).
std::string_view PlaceName(ChunkPlace place) {
  switch (place) {
    case ChunkPlace::Signature: return "signature";
    case ChunkPlace::Front: return "front";
    case ChunkPlace::End: break;
  }
  return "end";
}

// One element of a JSON array, with plain numbers.
void PrintJson(std::size_t number, const ChunkRecord& record, bool binary, std::string& text) {
  text.append(number == 1 ? "\n" : ",\n").append("  {\"index\": ").append(std::to_string(number));
  text.append(", \"kind\": ").append(JsonString(KindText(record)));
  text.append(", \"type\": \"").append(ChunkTypeName(binary));
  text.append("\", \"length\": ").append(std::to_string(record.Length));
  text.append(", \"offset\": ").append(std::to_string(record.Offset));
  text.append(", \"place\": \"").append(PlaceName(record.Place)).append("\"}");
}

// One line of the listing. A kind holding control bytes is written escaped, so that it can
// neither break the line nor drive the terminal.
void AppendLine(std::size_t number, const ChunkRecord& record, bool binary, std::string& text) {
  const std::size_t start = text.size();
  AppendChunkRowLine(number, record, binary, text);
  const std::string_view kind(record.Kind);
  if (NeedsTerminalEscape(kind)) text.replace(text.find('\t', start) + 1, kind.size(), TerminalText(kind));
}

}  // namespace

// Chunks oldest first, one line each, or a JSON array. The file is opened once and the rows are
// printed as the scan hands them over, so no table of the chunks is held.
int RunList(const Args& args) {
  bool json = !args.empty() && args[0] == "--json";
  if (args.size() != (json ? 2u : 1u)) return Usage();
  const std::string& exe = args.back();
  if (!FileExists(exe)) return FileFailure("cannot read", exe, Status::NotFound());
  Output out;
  std::size_t number = 0;
  if (json) out.Text() += '[';
  Status status = ScanTailpackRows(exe, [&](const ChunkRecord& record, bool binary) {
    (json ? PrintJson : AppendLine)(++number, record, binary, out.Text());
    out.Spill();
  });
  if (!status.ok()) return FileFailure("cannot read", exe, status);
  if (json) out.Text() += number == 0 ? "]\n" : "\n]\n";
  return out.Finish() ? kExitOk : FileFailure("cannot write", "standard output", Status::Error("write failed"));
}
