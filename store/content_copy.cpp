// Writing a content out: its sources are checked against what the pieces were computed from,
// then the pieces are copied in order, the copies streaming from the sources in blocks.

#include "store/content.h"

namespace {

// The sources of a content, open for reading while the pieces are copied.
struct OpenSources {
  std::vector<platform::FileHandle> files;
  ~OpenSources() {
    for (platform::FileHandle file : files) platform::CloseFile(file);
  }
};

Status Changed(const Content& content, std::size_t index) {
  std::string message(kChangedOnDisk);
  if (index > 0) message += ": " + content.sources[index].path;  // the first is the file being edited
  return Status::Failed(message);
}

// Opens source and tells whether it still has its size and time and holds the expected bytes. A
// source that went away has changed too.
Status OpenSource(const SourceFile& source, platform::FileHandle& file, bool& same) {
  std::uint64_t size = 0;
  Status status = platform::OpenForRead(source.path, file, size);
  same = false;
  if (status.code == Status::Code::Missing) return Status::Success();
  if (!status.ok()) return status;
  platform::FileStamp now;
  status = platform::StampOf(file, now);
  same = status.ok() && now == source.stamp;
  for (auto expected = source.expected.begin(); same && expected != source.expected.end(); ++expected) {
    std::string found(expected->second.size(), '\0');
    status = platform::ReadAt(file, expected->first, found.data(), found.size());
    same = status.ok() && found == expected->second;
  }
  return status;
}

Status OpenAll(const Content& content, OpenSources& open) {
  for (std::size_t i = 0; i < content.sources.size(); ++i) {
    bool same = false;
    open.files.push_back(platform::kNoFile);
    Status status = OpenSource(content.sources[i], open.files.back(), same);
    if (!status.ok()) return status;
    if (!same) return Changed(content, i);
  }
  return Status::Success();
}

bool InsideSource(const Content& content, const Piece& piece) {
  if (piece.source >= content.sources.size()) return false;
  const std::uint64_t size = content.sources[piece.source].stamp.size;
  return piece.offset <= size && piece.length <= size - piece.offset;
}

Status WritePiece(const Content& content, const Piece& piece, const OpenSources& open, platform::FileHandle to,
                  const platform::CopyStep& step) {
  if (!piece.fromSource) return platform::WriteAll(to, piece.bytes.data(), piece.bytes.size());
  if (!InsideSource(content, piece)) return Status::Failed("A piece lies beyond the end of its source file");
  if (piece.length == 0) return Status::Success();
  return platform::CopyRange(open.files[piece.source], piece.offset, piece.length, to, step);
}

}  // namespace

Status CopyContent(const Content& content, platform::FileHandle to, const Progress& progress) {
  OpenSources open;
  Status status = OpenAll(content, open);
  if (!status.ok()) return status;
  const std::uint64_t total = ContentSize(content);
  std::uint64_t done = 0;
  auto tell = [&](std::uint64_t copied) { return !progress || progress(done + copied, total); };
  if (!tell(0)) return Status::Cancelled();
  for (const Piece& piece : content.pieces) {
    status = WritePiece(content, piece, open, to, tell);
    if (!status.ok()) return status;
    done += piece.fromSource ? piece.length : piece.bytes.size();
    if (!tell(0)) return Status::Cancelled();
  }
  return Status::Success();
}

Status CheckSourcesUnchanged(const Content& content) {
  OpenSources open;
  return OpenAll(content, open);
}
