// stowr-cli verify EXE: whether a signed program passes the strict certificate padding check.
#include <iostream>

#include "cli/commands.h"
#include "store/padding_check.h"

// One line on standard output; a program that fails the check exits with kExitCheckFailed.
int RunVerify(const Args& args) {
  ChunkFile file;
  if (int code = OpenOnlyExe(args, file)) return code;
  const std::string& exe = args[0];
  PaddingCheck check;
  Status status = CheckCertificatePadding(file.Source(), check);
  if (!status.ok()) return FileFailure("cannot read", exe, status);
  switch (check.verdict) {
    case PaddingVerdict::Unsigned:
      std::cout << exe << ": not signed\n";
      return kExitOk;
    case PaddingVerdict::Passes:
      std::cout << exe << ": signed; passes the strict certificate padding check\n";
      return kExitOk;
    case PaddingVerdict::Fails: break;
  }
  std::cout << exe << ": signed; fails the strict certificate padding check\n";
  return kExitCheckFailed;
}
