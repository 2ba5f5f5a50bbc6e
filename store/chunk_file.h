#pragma once
// An executable open for reading its chunks. Every read first checks that the file is the one the
// chunks were found in: the stamp of the open file (identity, size, modification time) against
// the scan's, and the chunk's own trailer behind its data. Otherwise it fails with kChangedOnDisk
// and reads nothing; the data then comes from the same open file that was checked. A new name of
// that file, or its path given to another file meanwhile, changes none of the bytes read.
#include <cstddef>
#include <string>

#include "platform/files.h"
#include "platform/progress.h"
#include "platform/status.h"
#include "store/source.h"
#include "store/tailpack.h"

class ChunkFile {
 public:
  ChunkFile() = default;
  ChunkFile(const ChunkFile&) = delete;
  ChunkFile& operator=(const ChunkFile&) = delete;
  ~ChunkFile();

  // Opens path. With scanned (the stamp the scan took), a file that is no longer that file, or
  // was written since, gives kChangedOnDisk.
  Status Open(const std::string& path, const platform::FileStamp* scanned = nullptr);

  // Lets the file go, before a write replaces it (Windows refuses to replace an open file).
  void Close();

  const std::string& Path() const { return path_; }
  const platform::FileStamp& Stamp() const { return stamp_; }
  // The open file's bytes, for walks over it.
  const tp_source& Source() const { return source_; }

  // Success when the record's data lies inside the file and its trailer stands behind it.
  Status Check(const ChunkRecord& record) const;
  // Success when the open file still has the identity, size and modification time it had when it
  // was opened.
  Status Unchanged() const;

  // The first n bytes of the record's data, or all of them when it is shorter.
  Status ReadHead(const ChunkRecord& record, std::size_t n, std::string& bytes) const;
  // True when the record's data holds a zero byte (read in blocks, stopping at the first one);
  // false when it cannot be read.
  bool IsBinary(const ChunkRecord& record) const;
  // Appends the record's data to `to`, checked first and streamed from this file. A `to` that is
  // this file (standard output sent into it) is refused before anything is written.
  Status CopyTo(const ChunkRecord& record, platform::FileHandle to, const Progress& progress = {}) const;

 private:
  std::string path_;
  platform::FileHandle handle_ = platform::kNoFile;
  platform::FileStamp stamp_;
  tp_source source_{};
};

// True when status says the file changed since its chunks were found (kChangedOnDisk).
bool IsChangedOnDisk(const Status& status);
// kChangedOnDisk naming the file: "The file has changed since it was last read: PATH".
Status ChangedOnDisk(const std::string& path);
