// Whole-file reads and the atomic whole-file write: the new content goes to a temporary file
// beside the target, is flushed to the disk and then renamed over the target in one step.
#include "store/wholefile.h"

#include <functional>
#include <limits>

#include "platform/files.h"
#include "store/edit.h"

bool FileExists(const std::string& path) { return platform::PathExists(path); }

// A missing file reads as empty with Status::Missing; a file that cannot be opened or read is
// Status::Failed, never an empty file.
Status ReadWholeFile(const std::string& path, std::string& bytes) {
  bytes.clear();
  platform::FileHandle file;
  std::uint64_t size = 0;
  Status status = platform::OpenForRead(path, file, size);
  if (!status.ok()) return status;
  if (size > std::numeric_limits<std::size_t>::max() / 2) {
    platform::CloseFile(file);
    return Status::Error("The file is too large to be read whole");
  }
  std::string data(static_cast<std::size_t>(size), '\0');
  status = platform::ReadAt(file, 0, data.data(), data.size());
  platform::CloseFile(file);
  if (status.ok()) bytes = std::move(data);
  return status;
}

namespace {

// Writes every piece into the open temporary file, copying the source's ranges from `source`, and
// tells progress after each piece.
Status WritePieces(const Content& content, platform::FileHandle source, platform::FileHandle temp,
                   const Progress& progress) {
  const std::uint64_t total = ContentSize(content);
  std::uint64_t done = 0;
  for (const Piece& piece : content.pieces) {
    if (progress && !progress(done, total)) return Status::Stopped();
    Status status;
    if (!piece.fromSource) {
      status = platform::WriteAll(temp, piece.bytes.data(), piece.bytes.size());
    } else if (piece.offset > content.sourceSize || piece.length > content.sourceSize - piece.offset) {
      status = Status::Error("A piece lies beyond the end of the source file");
    } else if (piece.length > 0) {
      status = platform::CopyRange(source, piece.offset, piece.length, temp);
    }
    if (!status.ok()) return status;
    done += piece.fromSource ? piece.length : piece.bytes.size();
  }
  if (progress && !progress(done, total)) return Status::Stopped();
  return Status::Success();
}

bool NeedsSource(const Content& content) {
  for (const Piece& piece : content.pieces)
    if (piece.fromSource && piece.length > 0) return true;
  return false;
}

// Writes a temporary file in the target's folder with fill, flushes it and puts it in place of
// the target. On any failure the temporary file is removed and the target keeps its old content.
Status ReplaceWith(const std::string& path, const std::function<Status(platform::FileHandle)>& fill) {
  platform::FileHandle temp = platform::kNoFile;
  std::string tempPath;
  Status status = platform::CreateTempBeside(path, temp, tempPath);
  if (status.ok()) status = fill(temp);
  if (status.ok()) status = platform::FlushFile(temp);
  platform::CloseFile(temp);
  if (status.ok()) status = platform::ReplaceFile(tempPath, path);
  if (!status.ok() && !tempPath.empty()) platform::RemoveFile(tempPath);
  return status;
}

}  // namespace

// A target that a plain write could not change (read-only, a folder, locked) is refused first.
Status WriteWholeFile(std::string_view content, const std::string& link) {
  const std::string path = platform::ReplaceTarget(link);
  Status status = platform::CheckReplaceable(path);
  if (!status.ok()) return status;
  return ReplaceWith(path, [content](platform::FileHandle temp) {
    return platform::WriteAll(temp, content.data(), content.size());
  });
}

// As above, copying the source's ranges. A source that no longer has the size the pieces were
// computed for has changed since it was scanned: nothing is written.
Status WriteWholeFile(const Content& content, const std::string& link, const Progress& progress) {
  const std::string path = platform::ReplaceTarget(link);
  Status status = platform::CheckReplaceable(path);
  if (!status.ok()) return status;

  platform::FileHandle source = platform::kNoFile;
  if (NeedsSource(content)) {
    std::uint64_t size = 0;
    status = platform::OpenForRead(content.sourcePath, source, size);
    if (!status.ok()) return status.code == Status::Missing ? Status::Error(std::string(kChangedOnDisk)) : status;
    if (size != content.sourceSize) {
      platform::CloseFile(source);
      return Status::Error(std::string(kChangedOnDisk));
    }
  }
  // The source is usually the target itself: it is let go before the replace, which Windows
  // refuses while the file is open.
  status = ReplaceWith(path, [&content, &source, &progress](platform::FileHandle temp) {
    Status written = WritePieces(content, source, temp, progress);
    platform::CloseFile(source);
    source = platform::kNoFile;
    return written;
  });
  platform::CloseFile(source);
  return status;
}
