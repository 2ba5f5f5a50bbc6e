// Describing a file's new content: its size, and what its source files must still be when it
// is written.
#include "store/content.h"

#include <algorithm>

std::uint64_t ContentSize(const Content& content) {
  std::uint64_t size = 0;
  for (const Piece& piece : content.pieces) size += piece.fromSource ? piece.length : piece.bytes.size();
  return size;
}

Status StampSource(const std::string& path, SourceFile& file) {
  platform::FileHandle handle = platform::kNoFile;
  std::uint64_t size = 0;
  Status status = platform::OpenForRead(path, handle, size);
  if (!status.ok()) return status;
  file.path = path;
  status = platform::StampOf(handle, file.stamp);
  platform::CloseFile(handle);
  return status;
}

Status OpenStampedSource(const std::string& path, SourceFile& file, FileSource& source) {
  Status status = StampSource(path, file);
  if (status.ok()) status = source.Open(path);
  if (status.ok() && source.Source().size != file.stamp.size) status = Status::Failed(std::string(kChangedOnDisk));
  return status;
}

Status OpenSourceFile(const SourceFile& file, FileSource& opened) {
  if (file.open == platform::kNoFile) return opened.Open(file.path);
  opened.Borrow(file.open, file.stamp.size);
  return Status::Success();
}

Status ExpectBytes(const tp_source& source, std::uint64_t offset, std::uint64_t n, SourceFile& file) {
  if (offset >= source.size) return Status::Success();
  std::string bytes(static_cast<std::size_t>(std::min(n, source.size - offset)), '\0');
  Status status = ReadSource(source, offset, bytes.data(), bytes.size());
  if (status.ok()) file.expected.emplace_back(offset, std::move(bytes));
  return status;
}

Status ExpectLastTrailer(const tp_source& source, SourceFile& file) {
  const std::uint64_t n = std::min<std::uint64_t>(source.size, TP_TRAILER_SIZE);
  return ExpectBytes(source, source.size - n, n, file);
}
