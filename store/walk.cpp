// The store's side of the shared walk: a ByteSource read through the core, and the layout of a
// file.
#include "store/walk.h"

CoreSource::CoreSource(const ByteSource& source) : source_(source) {
  core_.size = source.size;
  core_.context = this;
  core_.read_at = &CoreSource::ReadAt;
  core_.memory = source.memory;
}

int CoreSource::ReadAt(void* context, std::uint64_t offset, void* out, std::size_t n, tp_error* error) {
  CoreSource& self = *static_cast<CoreSource*>(context);
  Status status = self.source_.readAt(offset, static_cast<char*>(out), n);
  if (status.ok()) return 0;
  self.failed_ = true;
  self.message_ = status.message.empty() ? "The file could not be read" : status.message;
  std::size_t kept = std::min<std::size_t>(self.message_.size(), TP_ERROR_SIZE - 1);
  self.message_.copy(error->text, kept);
  error->text[kept] = '\0';
  return -1;
}

Status CoreSource::Error(const tp_error& error) const { return Status::Failed(failed_ ? message_ : error.text); }

SourceWalk::SourceWalk(const ByteSource& source)
    : core(source), buffer(source.memory != nullptr ? nullptr : new char[TP_BLOCK_SIZE]), blocks() {}

Status SourceWalk::Start() {
  tp_error error;
  if (tp_find_certificate_table(core.get(), &layout.table, &error) != 0 ||
      tp_blocks_init(&blocks, core.get(), buffer.get(), buffer ? TP_BLOCK_SIZE : 0, &error) != 0 ||
      tp_find_regions(&blocks, &layout.table, layout.regions, &layout.count, &error) != 0)
    return core.Error(error);
  return Status::Success();
}

Status FindCertificateTable(const ByteSource& source, tp_certificate_table& table) {
  CoreSource core(source);
  tp_error error;
  return tp_find_certificate_table(core.get(), &table, &error) == 0 ? Status::Success() : core.Error(error);
}
