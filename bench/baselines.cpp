#include "bench/baselines.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace {

constexpr std::size_t kBlock = 1 << 20;

Status Errno(const std::string& what) { return Status::Failed(what + ": " + std::strerror(errno)); }

// Reads n bytes at offset, in blocks of at most kBlock, handing each block to use.
template <typename Use>
Status ReadRange(int fd, std::uint64_t offset, std::uint64_t n, std::vector<char>& buffer, Use use) {
  while (n > 0) {
    std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(n, buffer.size()));
    ssize_t got = pread(fd, buffer.data(), want, static_cast<off_t>(offset));
    if (got <= 0) return Errno("read");
    Status status = use(buffer.data(), static_cast<std::size_t>(got));
    if (!status.ok()) return status;
    offset += static_cast<std::uint64_t>(got);
    n -= static_cast<std::uint64_t>(got);
  }
  return Status::Success();
}

Status WriteAll(int fd, const char* data, std::size_t n) {
  while (n > 0) {
    ssize_t put = write(fd, data, n);
    if (put <= 0) return Errno("write");
    data += put;
    n -= static_cast<std::size_t>(put);
  }
  return Status::Success();
}

// Copies n bytes at offset of in to out inside the kernel where it can (as cp does), else
// through the buffer.
Status CopyRange(int in, std::uint64_t offset, std::uint64_t n, int out, std::vector<char>& buffer) {
  while (n > 0) {
    off_t from = static_cast<off_t>(offset);
    ssize_t copied = copy_file_range(in, &from, out, nullptr, static_cast<std::size_t>(std::min<std::uint64_t>(n, 1u << 30)), 0);
    if (copied <= 0) break;
    offset += static_cast<std::uint64_t>(copied);
    n -= static_cast<std::uint64_t>(copied);
  }
  return ReadRange(in, offset, n, buffer, [&](const char* d, std::size_t k) { return WriteAll(out, d, k); });
}

// Copies n bytes at offset of in into a new file at path and flushes it.
Status CopyRangeFlushed(int in, std::uint64_t offset, std::uint64_t n, const std::string& path,
                        std::vector<char>& buffer) {
  int out = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (out < 0) return Errno("create " + path);
  Status status = CopyRange(in, offset, n, out, buffer);
  if (status.ok() && fsync(out) != 0) status = Errno("fsync");
  close(out);
  return status;
}

}  // namespace

// The records are read in file order; every byte of data lands in the buffer once.
Status ReadChunksOnce(const std::string& path, const ChunkTable& table) {
  int fd = open(path.c_str(), O_RDONLY);
  if (fd < 0) return Errno("open " + path);
  std::vector<char> buffer(kBlock);
  Status status;
  for (const ChunkRecord& r : table) {
    status = ReadRange(fd, DataStart(r), r.Length, buffer, [](const char*, std::size_t) { return Status::Success(); });
    if (!status.ok()) break;
  }
  close(fd);
  return status;
}

Status FlushedCopy(const std::string& path, const std::string& copyPath) {
  int in = open(path.c_str(), O_RDONLY);
  if (in < 0) return Errno("open " + path);
  off_t size = lseek(in, 0, SEEK_END);
  std::vector<char> buffer(kBlock);
  Status status = CopyRangeFlushed(in, 0, static_cast<std::uint64_t>(size), copyPath, buffer);
  close(in);
  return status;
}

Status CopyChunksFlushed(const std::string& path, const ChunkTable& table, const std::string& folder) {
  int in = open(path.c_str(), O_RDONLY);
  if (in < 0) return Errno("open " + path);
  std::vector<char> buffer(kBlock);
  Status status;
  for (std::size_t i = 0; i < table.size() && status.ok(); ++i)
    status = CopyRangeFlushed(in, DataStart(table[i]), table[i].Length, folder + "/chunk" + std::to_string(i), buffer);
  close(in);
  return status;
}
