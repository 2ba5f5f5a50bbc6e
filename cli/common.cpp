#include "cli/common.h"

#include <charconv>
#include <iostream>

#include "cli/help.h"
#include "cli/options.h"
#include "platform/files.h"


int Usage() {
  PrintOverview(std::cerr);
  return kExitUsage;
}

// Messages name the file and the reason the system gave; a refusal to change a file's owner also
// names the option that allows it.
int FileFailure(std::string_view action, const std::string& path, const Status& status) {
  std::cerr << "stowr-cli: " << action << ' ' << path << ": " << status.message;
  if (platform::IsOwnerChange(status)) std::cerr << "; " << kAllowOwnerChangeOption << " allows it";
  std::cerr << '\n';
  return status.code == Status::Code::Refused ? kExitRefused : kExitFile;
}

Owner OwnerRule() { return GivenOptions().allowOwnerChange ? Owner::MayChange : Owner::Keep; }

void WarnIfUnconfirmed(const std::string& path, const Status& status) {
  if (!status.warning.empty()) std::cerr << "stowr-cli: warning: " << path << ": " << status.warning << '\n';
}

int Refused(std::string_view message) {
  std::cerr << "stowr-cli: " << message << '\n';
  return kExitRefused;
}

// Waits up to a minute for another edit; its writes are streamed, so that covers large files. An
// owner that the new file could not keep is refused then, before any work.
int LockForEdit(const std::string& exe, platform::FileLock& lock) {
  constexpr std::uint64_t kMaxWaitMs = 60000;
  bool told = false;
  Status status = lock.Take(exe, kMaxWaitMs, [&](std::uint64_t waitedMs) {
    if (waitedMs >= 500 && !told) std::cerr << "stowr-cli: waiting for another change of " << exe << " to end\n";
    told = told || waitedMs >= 500;
    return true;
  });
  if (status.code == Status::Code::Missing) return FileFailure("cannot read", exe, Status::Missing());
  if (status.ok() && !GivenOptions().allowOwnerChange) status = platform::CheckOwnerKept(platform::ReplaceTarget(exe));
  if (!status.ok()) return FileFailure("cannot write", exe, status);
  return kExitOk;
}

// Every command works on an executable that exists; one the system cannot reach (a path too
// long for it, a folder that may not be searched) is reported with the system's reason.
int OpenExe(const std::string& exe, ChunkFile& file) {
  Status status = file.Open(exe);
  if (status.code == Status::Code::Missing) return FileFailure("cannot read", exe, Status::Missing());
  if (!status.ok()) return FileFailure("cannot read", exe, status);
  return kExitOk;
}

int OpenForEdit(const std::string& exe, platform::FileLock& lock, ChunkFile& file) {
  if (int code = LockForEdit(exe, lock)) return code;
  return OpenExe(exe, file);
}

int OpenOnlyExe(const Args& args, ChunkFile& file) {
  if (args.size() != 1) return Usage();
  return OpenExe(args[0], file);
}

// Anything but plain decimal digits is wrong usage; a number with no chunk behind it is a
// refused request.
int PickChunk(const std::string& text, const ChunkFile& file, FoundChunk& chunk) {
  std::size_t number = 0;
  const char* end = text.data() + text.size();
  auto [stop, error] = std::from_chars(text.data(), end, number);
  bool digitsOnly = !text.empty() && text.front() != '-' && stop == end;
  if (!digitsOnly) return Usage();
  if (error != std::errc()) number = 0;
  Status status = FindChunk(file, number, chunk);
  if (!status.ok()) return FileFailure("cannot read", file.Path(), status);
  if (!chunk.found) {
    return Refused(file.Path() + " has no chunk " + text + " (it has " + std::to_string(chunk.count) + ")");
  }
  return kExitOk;
}

// A write whose rename the disk did not confirm has still changed the file: it is a success, and
// the user hears that it may not have reached the disk.
int WriteBack(const Content& content, const std::string& exe, bool breaksSignature) {
  if (breaksSignature && !GivenOptions().breakSignature) return RefuseBreakingSignature(exe);
  if (breaksSignature) WarnSignatureBroken(exe);
  Status status = WriteWholeFile(content, exe, {}, OwnerRule());
  if (!status.ok()) return FileFailure("cannot write", exe, status);
  WarnIfUnconfirmed(exe, status);
  return kExitOk;
}
