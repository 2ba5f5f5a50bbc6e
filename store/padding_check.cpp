// The certificate padding check, on the certificate table the walk finds.
#include "store/padding_check.h"

#include <algorithm>

#include "store/walk.h"

Status CheckCertificatePadding(const tp_source& source, PaddingCheck& check) {
  check = {};
  tp_certificate_table table;
  Status status = FindCertificateTable(source, table);
  if (!status.ok()) return status;
  if (!table.present) return Status::Success();
  check.verdict = PaddingVerdict::Fails;
  if (!table.holds_chunks) return Status::Success();
  check.behind = source.size - table.signature_end;
  if (check.behind > 7) return Status::Success();
  char tail[7];
  status = ReadSource(source, table.signature_end, tail, static_cast<std::size_t>(check.behind));
  if (!status.ok()) return status;
  bool zeros = std::all_of(tail, tail + check.behind, [](char c) { return c == 0; });
  check.verdict = zeros ? PaddingVerdict::Passes : PaddingVerdict::Fails;
  return Status::Success();
}
