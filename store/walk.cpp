// The store's side of the shared walk: the layout of a file.
#include "store/walk.h"

Status SourceWalk::Start(const tp_source& source) {
  if (source.memory == nullptr) buffer.reset(new char[TP_BLOCK_SIZE]);
  tp_error error;
  if (tp_walk_start(&core, &source, buffer.get(), buffer ? TP_BLOCK_SIZE : 0, &error) != 0) return SourceError(error);
  return Status::Success();
}

Status FindCertificateTable(const tp_source& source, tp_certificate_table& table) {
  tp_error error;
  return tp_find_certificate_table(&source, &table, &error) == 0 ? Status::Success() : SourceError(error);
}
