// Writing a content out: its sources are checked against what the pieces were computed from,
// then the pieces are copied in order, the copies streaming from the sources in blocks. One source
// is open at a time, so that a content of any number of sources (an add of a thousand files) needs
// no more open files than one.

#include "store/content.h"

namespace {

Status Changed(const Content& content, std::size_t index) {
  std::string message(kChangedOnDisk);
  if (index > 0) message += ": " + content.sources[index].path;  // the first is the file being edited
  return Status::Failed(message);
}

// True when the open file holds the bytes source expects.
Status HoldsExpected(const SourceFile& source, platform::FileHandle file, bool& same) {
  same = true;
  for (auto expected = source.expected.begin(); same && expected != source.expected.end(); ++expected) {
    std::string found(expected->second.size(), '\0');
    Status status = platform::ReadAt(file, expected->first, found.data(), found.size());
    if (!status.ok()) return status;
    same = found == expected->second;
  }
  return Status::Success();
}

// Opens source `index` into opened, which it must still be: its size and time, and the expected
// bytes. A source that went away has changed too.
Status OpenChecked(const Content& content, std::size_t index, FileSource& opened) {
  const SourceFile& source = content.sources[index];
  Status status = OpenSourceFile(source, opened);
  if (status.code == Status::Code::Missing) return Changed(content, index);
  platform::FileStamp now;
  if (status.ok()) status = platform::StampOf(opened.Handle(), now);
  if (!status.ok()) return status;
  bool same = now == source.stamp;
  if (same) status = HoldsExpected(source, opened.Handle(), same);
  if (!status.ok()) return status;
  return same ? Status::Success() : Changed(content, index);
}

// The source that pieces are being copied from.
struct CurrentSource {
  std::size_t index = 0;
  FileSource file;
};

bool InsideSource(const Content& content, const Piece& piece) {
  if (piece.source >= content.sources.size()) return false;
  const std::uint64_t size = content.sources[piece.source].stamp.size;
  return piece.offset <= size && piece.length <= size - piece.offset;
}

// A piece from another source than the last one opens that source, checked again: it may have
// changed since the check before the copy.
Status WritePiece(const Content& content, const Piece& piece, CurrentSource& current, platform::FileHandle to,
                  const platform::CopyStep& step) {
  if (!piece.fromSource) return platform::WriteAll(to, piece.bytes.data(), piece.bytes.size());
  if (!InsideSource(content, piece)) return Status::Failed("A piece lies beyond the end of its source file");
  if (piece.length == 0) return Status::Success();
  if (current.file.Handle() == platform::kNoFile || current.index != piece.source) {
    current.index = piece.source;
    Status status = OpenChecked(content, piece.source, current.file);
    if (!status.ok()) return status;
  }
  return platform::CopyRange(current.file.Handle(), piece.offset, piece.length, to, step);
}

}  // namespace

Status CopyContent(const Content& content, platform::FileHandle to, const Progress& progress) {
  Status status = CheckSourcesUnchanged(content);
  if (!status.ok()) return status;
  const std::uint64_t total = ContentSize(content);
  std::uint64_t done = 0;
  auto tell = [&](std::uint64_t copied) { return !progress || progress(done + copied, total); };
  if (!tell(0)) return Status::Cancelled();
  CurrentSource current;
  for (const Piece& piece : content.pieces) {
    status = WritePiece(content, piece, current, to, tell);
    if (!status.ok()) return status;
    done += piece.fromSource ? piece.length : piece.bytes.size();
    if (!tell(0)) return Status::Cancelled();
  }
  return Status::Success();
}

Status CheckSourcesUnchanged(const Content& content) {
  for (std::size_t i = 0; i < content.sources.size(); ++i) {
    FileSource opened;
    Status status = OpenChecked(content, i, opened);
    if (!status.ok()) return status;
  }
  return Status::Success();
}
