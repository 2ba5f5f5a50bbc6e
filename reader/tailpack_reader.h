// tailpack_reader.h: lets a C++17 program read the Tailpack appended to an executable, usually its
// own. A header-only layer over tailpack.h (the format in C, which it carries inline: no macro and
// no extra source file needed); the standard library only, nothing throws out of it, and it
// compiles without exceptions or RTTI. It includes no system header of the OS: on Windows,
// <windows.h> stays out of the program's files.
//
// A Tailpack is a sequence of chunks behind the last byte of an executable. Every chunk is its
// data followed by a 17-byte trailer: the data length as 8 hexadecimal digits, a 3-byte kind
// (right-aligned, short kinds padded on the left with spaces) and the marker "{TlPk}". Chunks are
// found by walking the trailers back from the end of the file. The reader reads the file size,
// the trailers and the chunk asked for, never the whole file, and handles files of 4 GiB and more.
//
//   tailpack::SelfPathResult self = tailpack::SelfPath();
//   tailpack::ChunkBytes text = tailpack::ReadChunk(self.path, "TXT");
//   if (text.found) use(text.bytes);           // text.error tells an unreadable file
//
// When several chunks share a kind, reading by kind returns the newest one (nearest the end of
// the file), so a chunk added later overrides an earlier one of the same kind.
//
// Signed executables: chunks inside the certificate table (in the signature blob, or behind it in
// older files), and those in front of the table are found as tailpack.h describes.
// HasCertificateTable tells whether a file carries a table at all: changing chunks outside the
// table invalidates its signature.
//
// The header has two parts: the byte format over a Source (any random-access bytes), then the
// files and the program's own file.

#if !defined(__cplusplus)
#error "tailpack_reader.h is C++17; a C program includes tailpack.h"
#elif (defined(_MSVC_LANG) && _MSVC_LANG < 201703L) || (!defined(_MSVC_LANG) && __cplusplus < 201703L)
#error "tailpack_reader.h needs C++17 or later (-std=c++17, /std:c++17); older C++ can use tailpack.h"
#else

#ifndef TAILPACK_READER_FORMAT_INCLUDED
#define TAILPACK_READER_FORMAT_INCLUDED

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <exception>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#if !defined(TAILPACK_INLINE_IMPLEMENTATION)
#define TAILPACK_INLINE_IMPLEMENTATION
#define TAILPACK_READER_INLINE_DEFINED
#endif
#include "tailpack.h"
#if defined(TAILPACK_READER_INLINE_DEFINED)
#undef TAILPACK_INLINE_IMPLEMENTATION
#undef TAILPACK_READER_INLINE_DEFINED
#endif

#if defined(__cpp_exceptions) || defined(_CPPUNWIND)
#define TAILPACK_READER_EXCEPTIONS 1
#else
#define TAILPACK_READER_EXCEPTIONS 0
#endif

namespace tailpack {

inline constexpr std::string_view kMarker = TP_MARKER;
inline constexpr std::uint64_t kTrailerSize = TP_TRAILER_SIZE;  // 8 length digits, 3 kind bytes, the marker
// Trailers are read from the end of the file in blocks of this size, so many small chunks cost
// one read per block.
inline constexpr std::size_t kBlockSize = TP_BLOCK_SIZE;

// Where a chunk stands in its file.
enum class Place {
  End = TP_PLACE_END,              // behind everything: the end of the file
  Signature = TP_PLACE_SIGNATURE,  // inside the certificate table of a signed executable
  Front = TP_PLACE_FRONT,          // in front of the certificate table of a signed executable
};

struct Chunk {
  std::string kind;          // the kind field as stored (leading spaces kept), cut at a NUL byte
  std::uint32_t length = 0;  // number of data bytes
  std::uint64_t offset = 0;  // 0-based file offset of the first data byte
  Place place = Place::End;
};

struct Listing {
  std::vector<Chunk> chunks;  // oldest first
  std::uint64_t body = 0;     // where the walk of the oldest chunks stopped: the executable's own bytes end there
  std::string error;          // empty when the file was read
  bool ok() const { return error.empty(); }
};

struct ChunkBytes {
  bool found = false;  // a chunk of that index or kind exists
  std::string bytes;   // its data when found and readable
  std::string error;   // not empty: the file or the chunk could not be read
  bool ok() const { return error.empty(); }
};

struct CertificateTable {
  bool present = false;      // the security directory names a table inside the file, behind the headers
  bool atEnd = false;        // the table ends exactly at the end of the file
  bool holdsChunks = false;  // a well-formed signature at the end: chunks go inside the table
  std::uint64_t offset = 0;  // 0-based file offset of the table
  std::uint64_t size = 0;
  std::uint64_t directoryAt = 0;   // file offset of the security directory entry: address, then size
  std::uint64_t headersEnd = 0;    // end of the optional header; no chunk starts in front of it
  std::uint32_t entryLength = 0;   // dwLength of the table's certificate entry, when it holds chunks
  std::uint64_t signatureEnd = 0;  // end of that entry's signature blob, when it holds chunks
};

// Random access to a byte range of known size. readAt reads exactly n bytes at offset, or
// returns false with a reason in error.
struct Source {
  std::uint64_t size = 0;
  const void* context = nullptr;
  bool (*readAt)(const void* context, std::uint64_t offset, char* out, std::size_t n,
                 std::string& error) = nullptr;
  const char* memory = nullptr;  // the bytes themselves, when they are in memory: walked in place
};

// A Source over bytes in memory, which must outlive it.
inline Source MemorySource(std::string_view bytes) {
  Source source;
  source.size = bytes.size();
  source.context = bytes.data();
  source.memory = bytes.data();
  source.readAt = [](const void* data, std::uint64_t offset, char* out, std::size_t n, std::string&) {
    std::copy_n(static_cast<const char*>(data) + offset, n, out);  // the range was checked by the caller
    return true;
  };
  return source;
}

namespace detail {

// A Source, or a file, as the C core reads it. The error of a failed read is the Source's own,
// whole; the core's texts otherwise.
class CoreSource {
 public:
  explicit CoreSource(const Source& source) : user_(&source) {
    core_.size = source.size;
    core_.context = this;
    core_.read_at = &CoreSource::ReadAt;
    core_.memory = source.memory;
  }
  explicit CoreSource(const tp_source& core) : core_(core) {}
  CoreSource(const CoreSource&) = delete;
  CoreSource& operator=(const CoreSource&) = delete;

  const tp_source* get() const { return &core_; }
  std::uint64_t size() const { return core_.size; }
  std::string Error(const tp_error& error) const { return failed_ ? message_ : std::string(error.text); }

 private:
  static int ReadAt(void* context, std::uint64_t offset, void* out, std::size_t n, tp_error* error) {
    CoreSource& self = *static_cast<CoreSource*>(context);
    std::string message;
    if (self.user_->readAt(self.user_->context, offset, static_cast<char*>(out), n, message)) return 0;
    self.failed_ = true;
    self.message_ = message;
    std::size_t kept = (std::min)(message.size(), std::size_t{TP_ERROR_SIZE - 1});
    message.copy(error->text, kept);
    error->text[kept] = '\0';
    return -1;
  }

  const Source* user_ = nullptr;
  tp_source core_{};
  bool failed_ = false;
  std::string message_;
};

// The buffer a walk over source reads its blocks into; none for bytes in memory.
struct WalkBuffer {
  explicit WalkBuffer(const tp_source& source)
      : bytes(source.memory != nullptr ? nullptr : new char[kBlockSize]),
        size(source.memory != nullptr ? 0 : kBlockSize) {}
  std::unique_ptr<char[]> bytes;
  std::size_t size;
};

inline CertificateTable TableOf(const tp_certificate_table& core) {
  CertificateTable table;
  table.present = core.present != 0;
  table.atEnd = core.at_end != 0;
  table.holdsChunks = core.holds_chunks != 0;
  table.offset = core.offset;
  table.size = core.size;
  table.directoryAt = core.directory_at;
  table.headersEnd = core.headers_end;
  table.entryLength = core.entry_length;
  table.signatureEnd = core.signature_end;
  return table;
}

}  // namespace detail

// The PE certificate table of a source; error tells a read that failed (the table is then as far
// as it was read).
inline CertificateTable FindCertificateTable(const Source& source, std::string& error) {
  detail::CoreSource core(source);
  tp_certificate_table table;
  tp_error failure;
  if (tp_find_certificate_table(core.get(), &table, &failure) != 0) error = core.Error(failure);
  return detail::TableOf(table);
}

namespace detail {

inline Chunk ChunkOf(const tp_chunk& core) {
  Chunk chunk;
  chunk.kind = core.kind;
  chunk.length = core.length;
  chunk.offset = core.offset;
  chunk.place = static_cast<Place>(core.place);
  return chunk;
}

// The chunks of source, oldest first.
inline Listing List(CoreSource& source) {
  Listing listing;
  WalkBuffer buffer(*source.get());
  tp_walk walk;
  tp_trailer trailer;
  tp_chunk chunk;
  tp_error failure;
  int got = tp_walk_start(&walk, source.get(), buffer.bytes.get(), buffer.size, &failure);
  if (got == 0) {
    while ((got = tp_walk_next(&walk, &trailer, &failure)) > 0) {
      tp_chunk_of(&trailer, &chunk);
      listing.chunks.push_back(ChunkOf(chunk));
    }
  }
  listing.body = walk.body;
  if (got < 0) {
    listing.error = source.Error(failure);
    listing.chunks.clear();
    return listing;
  }
  std::reverse(listing.chunks.begin(), listing.chunks.end());
  return listing;
}

inline ChunkBytes ReadData(CoreSource& source, const Chunk& chunk) {
  ChunkBytes result;
  result.found = true;
  tp_chunk core{};
  core.length = chunk.length;
  core.offset = chunk.offset;
  tp_error failure;
  if (tp_check_chunk(source.get(), &core, &failure) != 0) {
    result.error = failure.text;
    return result;
  }
  if (std::uint64_t{chunk.length} > std::uint64_t{result.bytes.max_size()}) {
    result.error = "The chunk is too large for this program";
    return result;
  }
  result.bytes.resize(chunk.length);
  if (tp_read(source.get(), chunk.offset, result.bytes.data(), result.bytes.size(), &failure) != 0) {
    result.error = source.Error(failure);
    result.bytes.clear();
  }
  return result;
}

inline ChunkBytes ReadByIndex(CoreSource& source, std::size_t index) {
  Listing listing = List(source);
  if (!listing.ok()) return ChunkBytes{false, {}, listing.error};
  if (index >= listing.chunks.size()) return ChunkBytes{};
  return ReadData(source, listing.chunks[index]);
}

// The walk goes newest first, so it stops at the first chunk of that kind.
inline ChunkBytes ReadByKind(CoreSource& source, std::string_view kind) {
  WalkBuffer buffer(*source.get());
  tp_chunk found;
  tp_error failure;
  int got = tp_find_kind(source.get(), kind.data(), kind.size(), buffer.bytes.get(), buffer.size, &found, &failure);
  if (got < 0) return ChunkBytes{false, {}, source.Error(failure)};
  return got > 0 ? ReadData(source, ChunkOf(found)) : ChunkBytes{};
}

// Runs work, turning an exhausted memory (or any other exception) into an error.
template <typename Result, typename Work>
Result Guarded(Work work) {
#if TAILPACK_READER_EXCEPTIONS
  try {
    return work();
  } catch (const std::exception& e) {
    Result failed;
    failed.error = e.what();
    return failed;
  }
#else
  return work();
#endif
}

// Runs work on a Source seen through the core.
template <typename Result, typename Work>
Result OnSource(const Source& source, Work work) {
  return Guarded<Result>([&] {
    CoreSource core(source);
    return work(core);
  });
}

}  // namespace detail

// The chunks of a source, oldest first.
inline Listing ListChunks(const Source& source) {
  return detail::OnSource<Listing>(source, [](detail::CoreSource& s) { return detail::List(s); });
}
inline Listing ListChunksInMemory(std::string_view bytes) {
  return ListChunks(MemorySource(bytes));
}

// The data of chunk `index` (0-based, oldest first).
inline ChunkBytes ReadChunk(const Source& source, std::size_t index) {
  return detail::OnSource<ChunkBytes>(source, [&](detail::CoreSource& s) { return detail::ReadByIndex(s, index); });
}

// The data of the newest chunk of that kind ("AB" finds the kind field " AB").
inline ChunkBytes ReadChunk(const Source& source, std::string_view kind) {
  return detail::OnSource<ChunkBytes>(source, [&](detail::CoreSource& s) { return detail::ReadByKind(s, kind); });
}

// The data of one chunk of an earlier listing of the same source.
inline ChunkBytes ReadChunk(const Source& source, const Chunk& chunk) {
  return detail::OnSource<ChunkBytes>(source, [&](detail::CoreSource& s) { return detail::ReadData(s, chunk); });
}

// The PE certificate table of a source, if it has one.
inline CertificateTable FindCertificateTable(const Source& source) {
#if TAILPACK_READER_EXCEPTIONS
  try {
#endif
    std::string error;
    return FindCertificateTable(source, error);
#if TAILPACK_READER_EXCEPTIONS
  } catch (const std::exception&) {
    return {};
  }
#endif
}

}  // namespace tailpack

#endif  // TAILPACK_READER_FORMAT_INCLUDED

#if !defined(TAILPACK_READER_FILES_INCLUDED)
#define TAILPACK_READER_FILES_INCLUDED

#include <filesystem>

namespace tailpack {

struct SelfPathResult {
  // The file to read. On Linux this is /proc/self/exe itself, which stays the running program's
  // file even after another file was renamed over its name (as stowr writes); it means this
  // process's file only, so hand it to no other process.
  std::filesystem::path path;
  std::filesystem::path name;  // the program's path, for messages
  std::string error;
  bool ok() const { return error.empty(); }
};

namespace detail {

// An open file (tp_file), closed when it goes out of scope.
class File {
 public:
  File() = default;
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  ~File() {
    if (open_) tp_file_close(&file_);
  }

  bool Open(const std::filesystem::path& path, std::string& error) {
    tp_error failure;
    open_ = tp_file_open(&file_, path.c_str(), &failure) == 0;
    if (!open_) error = failure.text;
    return open_;
  }
  tp_source AsSource() { return tp_file_source(&file_); }

 private:
  tp_file file_{};
  bool open_ = false;
};

// Runs work on the opened file, turning an open failure or an exhausted memory into an error.
template <typename Result, typename Work>
Result OnFile(const std::filesystem::path& path, Work work) {
  return Guarded<Result>([&] {
    File file;
    std::string error;
    if (!file.Open(path, error)) {
      Result failed;
      failed.error = error;
      return failed;
    }
    CoreSource source(file.AsSource());
    return work(source);
  });
}

// A path the core writes into a buffer (tp_self_name, tp_self_path), the buffer growing until it fits.
template <typename Call>
bool SelfPathOf(Call call, std::filesystem::path& path, std::string& error) {
  std::basic_string<tp_path_char> buffer(260, tp_path_char{});
  for (;;) {
    std::size_t length = 0;
    tp_error failure;
    int got = call(buffer.data(), buffer.size(), &length, &failure);
    if (got < 0) {
      error = failure.text;
      return false;
    }
    if (got == 0) {
      buffer.resize(length);
      path = buffer;
      return true;
    }
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace detail

// The chunks of a file, oldest first.
inline Listing ListChunks(const std::filesystem::path& file) {
  return detail::OnFile<Listing>(file, [](detail::CoreSource& s) { return detail::List(s); });
}

// The data of chunk `index` (0-based, oldest first).
inline ChunkBytes ReadChunk(const std::filesystem::path& file, std::size_t index) {
  return detail::OnFile<ChunkBytes>(file, [&](detail::CoreSource& s) { return detail::ReadByIndex(s, index); });
}

// The data of the newest chunk of that kind ("AB" finds the kind field " AB").
inline ChunkBytes ReadChunk(const std::filesystem::path& file, std::string_view kind) {
  return detail::OnFile<ChunkBytes>(file, [&](detail::CoreSource& s) { return detail::ReadByKind(s, kind); });
}

// The data of one chunk of an earlier listing of the same file.
inline ChunkBytes ReadChunk(const std::filesystem::path& file, const Chunk& chunk) {
  return detail::OnFile<ChunkBytes>(file, [&](detail::CoreSource& s) { return detail::ReadData(s, chunk); });
}

// The PE certificate table of a file, if it has one. A file that cannot be read has none.
inline CertificateTable FindCertificateTable(const std::filesystem::path& file) {
  detail::File opened;
  std::string error;
  if (!opened.Open(file, error)) return {};
  tp_source source = opened.AsSource();
  tp_certificate_table table;
  tp_error failure;
  tp_find_certificate_table(&source, &table, &failure);
  return detail::TableOf(table);
}

// True when the file is a signed executable: adding or removing chunks breaks its signature.
inline bool HasCertificateTable(const std::filesystem::path& file) { return FindCertificateTable(file).present; }

// The running program's own file, and its name.
inline SelfPathResult SelfPath() {
  return detail::Guarded<SelfPathResult>([] {
    SelfPathResult result;
    if (detail::SelfPathOf(tp_self_name, result.name, result.error))
      detail::SelfPathOf(tp_self_path, result.path, result.error);
    return result;
  });
}

}  // namespace tailpack

#endif  // TAILPACK_READER_FILES_INCLUDED

#endif  // C++17
