// stowr-cli list EXE [--json [--hash]]
#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>

#include "cli/commands.h"
#include "cli/json.h"
#include "cli/options.h"
#include "cli/terminal_text.h"
#include "store/chunk_digest.h"
#include "store/scan.h"
#include "store/wholefile.h"
#include "tools/chunk_row.h"

namespace {

// Standard output through a buffer of our own: a listing of a million chunks costs a few hundred
// writes, and its lines are formatted straight into the buffer. The buffer is small enough to be
// touched once and stay in the cache.
class Output {
 public:
  Output() : buffer_(new char[kSpill + kRoom]) {}
  // Room for a line of up to kRoom characters at the end of what is held.
  char* Room() { return buffer_.get() + used_; }
  // What was written into Room() up to end is held, and written out once the buffer is full.
  void Took(char* end) {
    used_ = static_cast<std::size_t>(end - buffer_.get());
    if (used_ >= kSpill) Flush();
  }
  void Append(std::string_view text) {
    while (!text.empty()) {
      std::size_t n = std::min(text.size(), kRoom);
      Took(std::copy_n(text.data(), n, Room()));
      text.remove_prefix(n);
    }
  }
  bool Finish() {
    Flush();
    return !failed_ && std::fflush(stdout) == 0;
  }

 private:
  void Flush() {
    if (used_ > 0 && std::fwrite(buffer_.get(), 1, used_, stdout) != used_) failed_ = true;
    used_ = 0;
  }
  static constexpr std::size_t kSpill = std::size_t{64} << 10;
  static constexpr std::size_t kRoom = kMaxRowLine;
  std::unique_ptr<char[]> buffer_;
  std::size_t used_ = 0;
  bool failed_ = false;
};

// Where a chunk stands, for scripts: "end", "signature" (inside a signed program's certificate
// table) or "front" (in front of that table).
std::string_view PlaceName(tp_place place) {
  switch (place) {
    case TP_PLACE_SIGNATURE: return "signature";
    case TP_PLACE_FRONT: return "front";
    case TP_PLACE_END: break;
  }
  return "end";
}

// One element of a JSON array, with plain numbers. The offset is 0-based, as the reader's
// Chunk::offset and dd's skip= take it; the plain listing keeps the 1-based position. With
// --hash, sha256 follows (null for a chunk that reaches beyond the end of the file).
void PrintJson(std::size_t number, const ChunkRecord& record, bool binary, const std::string_view* sha256,
               Output& out) {
  std::string text = number == 1 ? "\n" : ",\n";
  text.append("  {\"index\": ").append(std::to_string(number));
  text.append(", \"kind\": ").append(JsonString(KindText(record)));
  text.append(", \"type\": \"").append(ChunkTypeName(binary));
  text.append("\", \"length\": ").append(std::to_string(record.Length));
  text.append(", \"offset\": ").append(std::to_string(DataStart(record)));
  text.append(", \"place\": \"").append(PlaceName(record.Place)).append("\"");
  if (sha256 && sha256->empty()) text.append(", \"sha256\": null");
  else if (sha256) text.append(", \"sha256\": \"").append(*sha256).append("\"");
  out.Append(text.append("}"));
}

// One line of the listing. A kind holding control bytes is written escaped, so that it can
// neither break the line nor drive the terminal.
void PrintLine(std::size_t number, const ChunkRecord& record, bool binary, Output& out) {
  const std::string_view kind(record.Kind);
  if (!NeedsTerminalEscape(kind)) return out.Took(PutChunkRowLine(number, record, binary, out.Room()));
  std::string text;
  AppendChunkRowLine(number, record, binary, text);
  text.replace(text.find('\t') + 1, kind.size(), TerminalText(kind));
  out.Append(text);
}

}  // namespace

// Chunks oldest first, one line each, or a JSON array. The file is opened once and the rows are
// printed as the scan hands them over, so no table of the chunks is held. A file that cannot be
// opened is reported with the system's reason (a path too long for it, say).
// With --hash each chunk is read whole, once, for its hash and its type; without it the scan
// reads only what the type needs.
int RunList(const Args& args) {
  const bool json = GivenOptions().json, hash = GivenOptions().hash;
  if (args.size() != 1 || (hash && !json)) return Usage();
  const std::string& exe = args.back();
  Output out;
  std::size_t number = 0;
  if (json) out.Append("[");
  Status status =
      hash ? ScanTailpackHashedRows(exe, [&](const ChunkRecord& record, bool binary, std::string_view sha256) {
               PrintJson(++number, record, binary, &sha256, out);
             })
           : ScanTailpackRows(exe, [&](const ChunkRecord& record, bool binary) {
               if (json) PrintJson(++number, record, binary, nullptr, out);
               else PrintLine(++number, record, binary, out);
             });
  if (status.code == Status::Code::Missing) return FileFailure("cannot read", exe, Status::Missing());
  if (!status.ok()) return FileFailure("cannot read", exe, status);
  if (json) out.Append(number == 0 ? "]\n" : "\n]\n");
  return out.Finish() ? kExitOk : FileFailure("cannot write", "standard output", Status::Failed("write failed"));
}
