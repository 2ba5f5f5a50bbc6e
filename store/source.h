#pragma once
// The bytes the store walks, plans and reads are the format core's source (tp_source): bytes in
// memory (tp_memory_source), or a file opened through the platform layer (FileSource).
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/files.h"
#include "platform/status.h"
#include "store/tailpack.h"

// A failed call of the core as a Status: its text, which for a read of a FileSource is the
// platform layer's own.
inline Status SourceError(const tp_error& error) { return Status::Failed(error.text); }

// Reads exactly n bytes of source at the 0-based offset.
Status ReadSource(const tp_source& source, std::uint64_t offset, char* out, std::size_t n);

// A source over a file the platform layer opened, read through that layer: valid while the file
// stays open.
tp_source PlatformSource(platform::FileHandle file, std::uint64_t size);

// A file open for reading, closed when this goes (unless it was only borrowed), and its
// PlatformSource.
class FileSource {
 public:
  FileSource() = default;
  FileSource(const FileSource&) = delete;
  FileSource& operator=(const FileSource&) = delete;
  ~FileSource() { Close(); }

  Status Open(const std::string& path);
  // Reads through a file someone else keeps open, and leaves it open.
  void Borrow(platform::FileHandle file, std::uint64_t size);
  void Close();
  platform::FileHandle Handle() const { return handle_; }
  const tp_source& Source() const { return source_; }

 private:
  platform::FileHandle handle_ = platform::kNoFile;
  bool owned_ = false;
  tp_source source_{};
};
