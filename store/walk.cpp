// The store's side of the shared walk: a ByteSource read through the reader's Source, and the
// layout of a file.
#include "store/walk.h"

tailpack::Source ReaderSource(const ByteSource& source) {
  tailpack::Source reader;
  reader.size = source.size;
  reader.context = &source;
  reader.memory = source.memory;
  reader.readAt = [](const void* context, std::uint64_t offset, char* out, std::size_t n, std::string& error) {
    Status status = static_cast<const ByteSource*>(context)->readAt(offset, out, n);
    if (!status.ok()) error = status.message.empty() ? "The file could not be read" : status.message;
    return status.ok();
  };
  return reader;
}

Status ReadLayout(tailpack::Blocks& blocks, FileLayout& layout) {
  std::string error;
  layout.table = tailpack::FindCertificateTable(blocks.Bytes(), error);
  if (error.empty()) layout.regions = tailpack::FindRegions(blocks, layout.table, error);
  return error.empty() ? Status::Success() : Status::Error(error);
}
