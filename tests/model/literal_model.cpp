#include "tests/model/literal_model.h"

#include "tests/model/literal_pe.h"

#include <filesystem>
#include <fstream>
#include <utility>

namespace literal {
namespace {

const std::string kMarkerText = "{TlPk}";

void Emit(Log* log, std::string line) {
  if (log != nullptr) log->push_back(std::move(line));
}

bool EndsWithMarker(const std::string& r) {
  return r.size() >= kMarkerText.size() &&
         r.compare(r.size() - kMarkerText.size(), kMarkerText.size(), kMarkerText) == 0;
}

// The last n bytes of r, or all of r when it is shorter: a trailer cut short by the start of the
// file is read as far as it goes.
std::string Last(const std::string& r, std::size_t n) {
  return n >= r.size() ? r : r.substr(r.size() - n);
}

void Drop(std::string& r, std::uint64_t n) { r.erase(n >= r.size() ? 0 : r.size() - n); }

// Records of one scan were found newest first: swap record i with record N+1-i for i up to N/2,
// counting only the records this scan added.
void Reverse(ChunkTable& table, std::size_t first) {
  std::size_t n = table.size() - first;
  for (std::size_t i = 1; i <= n / 2; ++i) std::swap(table[first + i - 1], table[first + n - i]);
}

}  // namespace

std::string Grouped(std::uint64_t n) {
  std::string digits = std::to_string(n);
  std::string out;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return out;
}

bool FileExists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::exists(path, ec);
}

std::string ReadWholeFile(const std::string& path) {
  if (!FileExists(path)) return {};
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  in.seekg(0, std::ios::end);
  std::streamoff size = in.tellg();
  if (size <= 0) return {};
  std::string bytes(static_cast<std::size_t>(size), '\0');
  in.seekg(0);
  in.read(bytes.data(), size);
  return in ? bytes : std::string();
}

bool IsBinaryChunk(std::string_view bytes) {
  for (char c : bytes) {
    if (c == '\0') return true;
  }
  return false;
}

// Hexadecimal digits of either case from the first character up to the first other one.
std::uint32_t HexValue(std::string_view field) {
  std::uint32_t value = 0;
  for (char c : field) {
    int digit;
    if (c >= '0' && c <= '9') digit = c - '0';
    else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    else break;
    value = value * 16 + static_cast<std::uint32_t>(digit);
  }
  return value;
}

namespace {

// The walk of one region: the remaining text R starts as the bytes from its floor to its end.
// While R ends with the marker, one record is taken from its trailer and the chunk is dropped from
// its end; a length that R cannot hold drops nothing but the marker and the kind, and the walk goes
// on only if the length field itself ends with the marker. Inside a certificate table, up to 7
// zero bytes in front of a whole chunk, as many as make data and trailer a multiple of 8 long, go
// with it, and a chunk whose length R cannot hold is the last one found there. Returns where the
// walk stopped.
std::uint64_t WalkRegion(const std::string& bytes, const Region& region, ChunkTable& table, Log* log) {
  std::string r = bytes.substr(region.floor, region.end - region.floor);
  while (EndsWithMarker(r)) {
    table.push_back({});
    ChunkRecord& record = table.back();
    record.Place = region.place;
    Drop(r, 6);
    std::string kind = Last(r, 3);
    kind.copy(record.Kind, 3);  // as stored: a NUL among them ends KindText
    Drop(r, 3);
    record.Length = HexValue(Last(r, 8));
    const bool whole = r.size() >= std::uint64_t{record.Length} + 8;
    if (whole) Drop(r, std::uint64_t{record.Length} + 8);
    record.Offset = region.floor + r.size() + 1;
    std::size_t padding = (8 - (std::uint64_t{record.Length} + 17) % 8) % 8;
    if (region.place == TP_PLACE_SIGNATURE && whole && padding > 0 && Last(r, padding) == std::string(padding, '\0'))
      Drop(r, padding);
    Emit(log, "- Found a chunk of data, of type '" + std::string(record.Kind) + "', at address " +
                  Grouped(record.Offset) + " (length: " + Grouped(record.Length) + " Bytes)");
    if (region.place == TP_PLACE_SIGNATURE && !whole) break;
  }
  return region.floor + r.size();
}

// Every region in turn, newest chunks first; the records are then put oldest first. Returns where
// the walk of the last region stopped: the end of the executable's own bytes.
std::uint64_t Walk(const std::string& bytes, ChunkTable& table, Log* log) {
  std::size_t first = table.size();
  std::uint64_t body = bytes.size();
  for (const Region& region : Regions(bytes)) body = WalkRegion(bytes, region, table, log);
  Reverse(table, first);
  return body;
}

}  // namespace

void ScanBytes(const std::string& bytes, const std::string& name, ChunkTable& table, Log* log) {
  std::size_t first = table.size();
  Emit(log, "<Parsing Tailpack of file " + name + " (" + Grouped(bytes.size()) + " Bytes)");
  Walk(bytes, table, log);
  Emit(log, std::to_string(table.size() - first) + " chunk(s) of data found>");
}

std::uint64_t BodyEnd(const std::string& bytes) {
  ChunkTable ignored;
  return Walk(bytes, ignored, nullptr);
}

void ScanTailpack(const std::string& path, ChunkTable& table, Log* log) {
  if (!FileExists(path)) return;
  ScanBytes(ReadWholeFile(path), path, table, log);
}

// The Length bytes from 1-based position Offset, when all of them lie inside the file.
std::string ReadChunkBytes(const std::string& bytes, const ChunkRecord& record) {
  if (record.Offset == 0 || record.Offset - 1 + record.Length > bytes.size()) return {};
  return bytes.substr(record.Offset - 1, record.Length);
}

std::string ReadChunk(const std::string& path, const ChunkRecord& record) {
  if (!FileExists(path)) return {};
  return ReadChunkBytes(ReadWholeFile(path), record);
}

namespace {

std::string Hex8(std::uint64_t n) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string out(8, '0');
  for (int i = 7; i >= 0; --i, n >>= 4) out[i] = kDigits[n & 15];
  return out;
}

std::string TrimSpaces(const std::string& s) {
  std::size_t b = s.find_first_not_of(' ');
  if (b == std::string::npos) return {};
  return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

// Everything after the opening log line, shared by both forms. Data whose length does not fit
// the eight digits is refused like empty data.
std::string AppendAfterHeader(const std::string& b, const std::string& kind, const std::string& data,
                              Log* log) {
  Emit(log, "- Trying to add a chunk of data, of type '" + kind + "' and length " +
                Grouped(data.size()) + " Bytes");
  if (data.empty() || kind.size() > 3 || data.size() > 0xFFFFFFFFull) {
    Emit(log, "Failed. Original file unchanged>");
    return b;
  }
  std::string t = TrimSpaces(kind);
  std::string result = b + data + Hex8(data.size()) + std::string(3 - t.size(), ' ') + t + kMarkerText;
  Emit(log, "Done. New file is " + Grouped(result.size()) + " Bytes>");
  return result;
}

}  // namespace

std::string AppendChunkBytes(const std::string& exeBytes, const std::string& kind,
                             const std::string& data, Log* log) {
  Emit(log, "<Adding Tailpack to unnamed executable (" + Grouped(exeBytes.size()) + " Bytes)");
  return AppendAfterHeader(exeBytes, kind, data, log);
}

std::string AppendChunk(const std::string& path, const std::string& kind, const std::string& data,
                        Log* log) {
  if (!FileExists(path)) return {};
  std::string b = ReadWholeFile(path);
  Emit(log, "<Adding Tailpack to file " + path + " (" + Grouped(b.size()) + " Bytes)");
  return AppendAfterHeader(b, kind, data, log);
}

// Drops the marker and kind of every trailer at the end, and the data and length field behind
// them when the file holds that many bytes: the walk of the scan without the records.
std::string StripBytes(const std::string& bytes) {
  std::string r = bytes;
  while (EndsWithMarker(r)) {
    Drop(r, 9);
    std::uint64_t length = HexValue(Last(r, 8));
    if (r.size() >= length + 8) Drop(r, length + 8);
  }
  return r;
}

std::string StripTailpack(const std::string& path, Log* log) {
  if (!FileExists(path)) return {};
  std::string r = ReadWholeFile(path);
  Emit(log, "<Clearing Tailpack from file " + path + " (" + Grouped(r.size()) + " Bytes)");
  r = StripBytes(r);
  Emit(log, "Done. Clean file is " + Grouped(r.size()) + " Bytes>");
  return r;
}

// The cut runs from record index's first data byte to just before the next record's first data
// byte, or to the end of the file for the last record.
std::string CutChunk(const std::string& bytes, const ChunkTable& table, std::size_t index) {
  if (index < 1 || index > table.size()) return bytes;
  std::uint64_t start = table[index - 1].Offset;
  std::uint64_t end = index < table.size() ? table[index].Offset : bytes.size() + 1;
  if (start == 0 || start > end || end > bytes.size() + 1) return bytes;
  return bytes.substr(0, start - 1) + bytes.substr(end - 1);
}

// Built by appending, piece by piece: GCC 12 at -O3 takes a chain of operator+ on temporaries
// for an overlapping copy and warns.
std::string Describe(const ChunkTable& table) {
  std::string out;
  for (const ChunkRecord& r : table) {
    out += '(';
    out += std::to_string(r.Offset);
    out += ',';
    out += std::to_string(r.Length);
    out += ",'";
    out += KindText(r);
    out += '\'';
    if (r.Place == TP_PLACE_SIGNATURE) out += ",S";
    if (r.Place == TP_PLACE_FRONT) out += ",F";
    out += ')';
  }
  return out;
}

}  // namespace literal
