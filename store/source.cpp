// The store's sources: the core's reads, and files read through the platform layer.
#include "store/source.h"

#include <algorithm>

Status ReadSource(const tp_source& source, std::uint64_t offset, char* out, std::size_t n) {
  tp_error error;
  return tp_read(&source, offset, out, n, &error) == 0 ? Status::Success() : SourceError(error);
}

namespace {

// The read_at of a PlatformSource: its context is the file's handle. A failure's text goes to the
// core's error as it is (the platform's texts are short).
int ReadFile(void* context, std::uint64_t offset, void* out, std::size_t n, tp_error* error) {
  const auto handle = reinterpret_cast<platform::FileHandle>(context);
  Status status = platform::ReadAt(handle, offset, static_cast<char*>(out), n);
  if (status.ok()) return 0;
  const std::string& text = status.message.empty() ? std::string("The file could not be read") : status.message;
  const std::size_t kept = std::min<std::size_t>(text.size(), TP_ERROR_SIZE - 1);
  text.copy(error->text, kept);
  error->text[kept] = '\0';
  return -1;
}

}  // namespace

tp_source PlatformSource(platform::FileHandle file, std::uint64_t size) {
  tp_source source{};
  source.size = size;
  source.context = reinterpret_cast<void*>(file);
  source.read_at = ReadFile;
  return source;
}

Status FileSource::Open(const std::string& path) {
  Close();
  std::uint64_t size = 0;
  Status status = platform::OpenForRead(path, handle_, size);
  owned_ = status.ok();
  if (status.ok()) source_ = PlatformSource(handle_, size);
  return status;
}

void FileSource::Borrow(platform::FileHandle file, std::uint64_t size) {
  Close();
  handle_ = file;
  source_ = PlatformSource(handle_, size);
}

void FileSource::Close() {
  if (owned_) platform::CloseFile(handle_);
  owned_ = false;
  handle_ = platform::kNoFile;
  source_ = tp_source{};
}
