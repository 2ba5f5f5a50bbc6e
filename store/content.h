#pragma once
// The new content of a file, described as pieces copied from files as they are now and literal
// bytes, so that an edit of a large executable, or a large file added to it, streams instead of
// being held in memory.
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/files.h"
#include "platform/progress.h"
#include "platform/status.h"
#include "store/source.h"
#include "store/tailpack.h"

struct Piece {
  bool fromSource = false;     // copy `length` bytes of source file `source` at 0-based `offset`...
  std::uint64_t offset = 0;
  std::uint64_t length = 0;
  std::string bytes;           // ...or write these bytes
  std::size_t source = 0;      // index in Content::sources
};

// A file that pieces are copied from, as it was when they were computed. Nothing is written
// unless it still has that size and modification time and holds the expected bytes. A file
// without a name (the scratch file that standard input waits in) is read through `open`, which
// its owner keeps open; its path only names it in messages.
struct SourceFile {
  std::string path;
  platform::FileStamp stamp;
  std::vector<std::pair<std::uint64_t, std::string>> expected;  // bytes at 0-based offsets
  platform::FileHandle open = platform::kNoFile;
};

struct Content {
  std::vector<SourceFile> sources;  // the executable first, when there is one
  std::vector<Piece> pieces;
};

std::uint64_t ContentSize(const Content& content);

// Why nothing is written when a source is no longer what the pieces were computed from.
inline constexpr std::string_view kChangedOnDisk = "The file has changed since it was last read";
// Why an output is refused that is the file being read from.
inline constexpr std::string_view kTheFileBeingRead = "It is the executable being read";

// The size and modification time of the plain file at path, taken before it is read: a change
// after this moment shows when the content is written.
Status StampSource(const std::string& path, SourceFile& file);
// Stamps the file at path and then opens it for an edit to read. A file that changed in between
// gives kChangedOnDisk.
Status OpenStampedSource(const std::string& path, SourceFile& file, FileSource& source);
// Opens file for reading: by its path, or borrowing its open handle.
Status OpenSourceFile(const SourceFile& file, FileSource& opened);
// Adds the n bytes of source at offset (as far as they lie inside it) to the bytes that file must
// still hold when the content is written.
Status ExpectBytes(const tp_source& source, std::uint64_t offset, std::uint64_t n, SourceFile& file);
// The same for the file's last trailer.
Status ExpectLastTrailer(const tp_source& source, SourceFile& file);

// Writes the pieces in order to `to`: checks that every source is as it was (a changed one gives
// kChangedOnDisk and writes nothing), then copies, opening one source at a time (and checking it
// again) as the pieces need it, and closes it again. progress hears the bytes written every few
// MiB; answering false stops with Status::Code::Cancelled.
Status CopyContent(const Content& content, platform::FileHandle to, const Progress& progress = {});
// Checks that every source still has its size and modification time and the expected bytes,
// opening one at a time: before a copy, and again after it, before its result replaces anything.
Status CheckSourcesUnchanged(const Content& content);
