// The store's side of the shared walk: the layout of a file.
#include "store/walk.h"

SourceWalk::SourceWalk(const tp_source& bytes)
    : source(bytes), buffer(bytes.memory != nullptr ? nullptr : new char[TP_BLOCK_SIZE]), blocks() {}

Status SourceWalk::Start() {
  tp_error error;
  if (tp_find_certificate_table(&source, &layout.table, &error) != 0 ||
      tp_blocks_init(&blocks, &source, buffer.get(), buffer ? TP_BLOCK_SIZE : 0, &error) != 0 ||
      tp_find_regions(&blocks, &layout.table, layout.regions, &layout.count, &error) != 0)
    return SourceError(error);
  return Status::Success();
}

Status FindCertificateTable(const tp_source& source, tp_certificate_table& table) {
  tp_error error;
  return tp_find_certificate_table(&source, &table, &error) == 0 ? Status::Success() : SourceError(error);
}
