// Reading chunks from the file they were found in: one open file, checked before any offset of a
// record is trusted.
#include "store/chunk_file.h"

#include <algorithm>
#include <memory>
#include <string_view>

#include "store/content.h"
#include "store/scan.h"

Status ChangedOnDisk(const std::string& path) { return Status::Failed(std::string(kChangedOnDisk) + ": " + path); }

bool IsChangedOnDisk(const Status& status) {
  return !status.ok() && std::string_view(status.message).substr(0, kChangedOnDisk.size()) == kChangedOnDisk;
}

ChunkFile::~ChunkFile() { Close(); }

void ChunkFile::Close() {
  platform::CloseFile(handle_);
  handle_ = platform::kNoFile;
  source_ = tp_source{};
}

Status ChunkFile::Open(const std::string& path, const platform::FileStamp* scanned) {
  Close();
  path_ = path;
  std::uint64_t size = 0;
  Status status = platform::OpenForRead(path, handle_, size);
  if (status.ok()) status = platform::StampOf(handle_, stamp_);
  if (!status.ok()) return status;
  if (scanned && !scanned->SameData(stamp_)) return ChangedOnDisk(path);
  source_ = PlatformSource(handle_, stamp_.size);
  return Status::Success();
}

namespace {

// True when the 17 bytes hold the trailer of record: its length, its kind as stored, the marker.
bool IsTrailerOf(std::string_view bytes, const ChunkRecord& record) {
  return bytes.size() == TP_TRAILER_SIZE && bytes.substr(kLengthDigits + kKindSize) == TP_MARKER &&
         bytes.substr(kLengthDigits, kKindSize) == std::string_view(record.Kind, kKindSize) &&
         tp_parse_length(bytes.data(), kLengthDigits) == record.Length;
}

bool TrailerAt(const tp_source& source, std::uint64_t at, const ChunkRecord& record) {
  if (at > source.size || source.size - at < TP_TRAILER_SIZE) return false;
  char bytes[TP_TRAILER_SIZE];
  return ReadSource(source, at, bytes, TP_TRAILER_SIZE).ok() &&
         IsTrailerOf(std::string_view(bytes, TP_TRAILER_SIZE), record);
}

// A damaged chunk (its length larger than what stands in front of its trailer) starts right
// behind its length field, which is shorter than 8 digits where its region begins: the kind and
// the marker stand at the data's start, and one of the fields ending there gives the length.
bool DamagedTrailerAt(const tp_source& source, std::uint64_t start, const ChunkRecord& record) {
  constexpr std::size_t kTail = kKindSize + TP_MARKER_SIZE;
  const std::size_t field = static_cast<std::size_t>(std::min<std::uint64_t>(start, kLengthDigits));
  if (start > source.size || source.size - start < kTail) return false;
  char bytes[TP_TRAILER_SIZE];
  if (!ReadSource(source, start - field, bytes, field + kTail).ok()) return false;
  const std::string_view tail(bytes + field, kTail);
  if (tail.substr(0, kKindSize) != std::string_view(record.Kind, kKindSize) || tail.substr(kKindSize) != TP_MARKER)
    return false;
  for (std::size_t n = 1; n <= field; ++n)
    if (tp_parse_length(bytes + field - n, n) == record.Length) return true;
  return false;
}

}  // namespace

// The trailer stands right behind the data; a damaged chunk, whose length is larger than what
// stands in front of its trailer, starts right behind its length field instead.
Status ChunkFile::Check(const ChunkRecord& record) const {
  if (handle_ == platform::kNoFile) return Status::Failed("The file is not open");
  if (record.Offset == 0) return ChangedOnDisk(path_);
  const std::uint64_t start = DataStart(record);
  if (TrailerAt(source_, start + record.Length, record)) return Status::Success();
  if (DamagedTrailerAt(source_, start, record)) return CheckChunkWithin(record, source_.size);
  return ChangedOnDisk(path_);
}

Status ChunkFile::Unchanged() const {
  platform::FileStamp now;
  Status status = platform::StampOf(handle_, now);
  if (!status.ok()) return status;
  return now.SameData(stamp_) ? Status::Success() : ChangedOnDisk(path_);
}

Status ChunkFile::ReadHead(const ChunkRecord& record, std::size_t n, std::string& bytes) const {
  bytes.clear();
  Status status = Check(record);
  if (!status.ok()) return status;
  std::string head(std::min<std::size_t>(n, record.Length), '\0');
  status = ReadSource(source_, DataStart(record), head.data(), head.size());
  if (status.ok()) bytes = std::move(head);
  return status;
}

bool ChunkFile::IsBinary(const ChunkRecord& record) const {
  if (!Check(record).ok()) return false;
  constexpr std::size_t kBlock = std::size_t{1} << 20;
  std::unique_ptr<char[]> buffer;
  for (std::uint64_t done = 0; done < record.Length;) {
    if (!buffer) buffer.reset(new char[kBlock]);
    const std::size_t piece = static_cast<std::size_t>(std::min<std::uint64_t>(kBlock, record.Length - done));
    if (!ReadSource(source_, DataStart(record) + done, buffer.get(), piece).ok()) return false;
    if (IsBinaryChunk(std::string_view(buffer.get(), piece))) return true;
    done += piece;
  }
  return false;
}

// The copy is checked again at its end: a file written in place meanwhile fails it, by its stamp
// or, when the writer kept the size and time, by the trailer.
Status ChunkFile::CopyTo(const ChunkRecord& record, platform::FileHandle to, const Progress& progress) const {
  Status status = Check(record);
  if (!status.ok()) return status;
  if (platform::SameOpenFile(to, handle_)) return Status::Refused(std::string(kTheFileBeingRead));
  const std::uint64_t total = record.Length;
  auto step = [&](std::uint64_t copied) { return !progress || progress(copied, total); };
  if (!step(0)) return Status::Cancelled();
  if (total > 0) status = platform::CopyRange(handle_, DataStart(record), total, to, step);
  if (status.ok()) status = Unchanged();
  if (status.ok()) status = Check(record);
  return status;
}
