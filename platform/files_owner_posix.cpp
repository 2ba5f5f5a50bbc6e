// The owner of a replaced file on POSIX. The new file is made by the user who writes it, so it
// belongs to that user and to the user's group (or the folder's, in a set-group-ID folder); only
// root may give it to another user, and a user only to a group of the user's own. A write that
// would leave the file with another owner than it had is refused unless asked for, and then said.
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "platform/files_native.h"
#include "platform/files_posix_internal.h"

namespace platform {

namespace {

std::string UserName(uid_t uid) {
  std::vector<char> buffer(16384);
  struct passwd entry, *found = nullptr;
  if (getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) == 0 && found) return found->pw_name;
  return std::to_string(uid);
}

std::string GroupName(gid_t gid) {
  std::vector<char> buffer(16384);
  struct group entry, *found = nullptr;
  if (getgrgid_r(gid, &entry, buffer.data(), buffer.size(), &found) == 0 && found) return found->gr_name;
  return std::to_string(gid);
}

std::string OwnerText(uid_t uid, gid_t gid) { return UserName(uid) + ":" + GroupName(gid); }

bool InMyGroups(gid_t gid) {
  if (gid == getegid()) return true;
  int count = getgroups(0, nullptr);
  std::vector<gid_t> groups(count > 0 ? static_cast<std::size_t>(count) : 0);
  count = getgroups(static_cast<int>(groups.size()), groups.data());
  for (int i = 0; i < count; ++i)
    if (groups[static_cast<std::size_t>(i)] == gid) return true;
  return false;
}

Status Refusal(uid_t uid, gid_t gid, uid_t newUid, gid_t newGid) {
  return Status::Refused(std::string(kOwnerWouldChange) + OwnerText(uid, gid) +
                         ", and the new file that replaces it would belong to " + OwnerText(newUid, newGid));
}

// Compares info's owner and group with those a new file of this user in folder gets, after giving
// it info's as far as this user may.
Status CompareOwners(const struct stat& info, const struct stat& folder) {
  const bool root = geteuid() == 0;
  const uid_t uid = root ? info.st_uid : geteuid();
  const gid_t made = (folder.st_mode & S_ISGID) ? folder.st_gid : getegid();
  const gid_t gid = root || InMyGroups(info.st_gid) ? info.st_gid : made;
  if (uid == info.st_uid && gid == info.st_gid) return Status::Success();
  return Refusal(info.st_uid, info.st_gid, uid, gid);
}

}  // namespace

namespace posix {

Status OwnerKept(const struct stat& info, int folder) {
  struct stat place;
  if (fstat(folder, &place) != 0) return LastError();
  return CompareOwners(info, place);
}

// Only root may give a file away, and a group only to one of the user's groups; what the system
// let the new file have is read back from it, and that decides.
Status KeepOwner(const struct stat& info, int fd, bool mayChange, mode_t& bits, std::string& warning) {
  if (fchown(fd, info.st_uid, info.st_gid) != 0 && fchown(fd, static_cast<uid_t>(-1), info.st_gid) != 0) {
    // Neither was allowed: the new file has this user's owner and group, which fstat sees.
  }
  struct stat now;
  if (fstat(fd, &now) != 0) return LastError();
  bits = 0777 | S_ISVTX | (now.st_uid == info.st_uid ? S_ISUID : 0) | (now.st_gid == info.st_gid ? S_ISGID : 0);
  if (now.st_uid == info.st_uid && now.st_gid == info.st_gid) return Status::Success();
  if (!mayChange) return Refusal(info.st_uid, info.st_gid, now.st_uid, now.st_gid);
  warning = "The file now belongs to " + OwnerText(now.st_uid, now.st_gid) + " (it belonged to " +
            OwnerText(info.st_uid, info.st_gid) + ")";
  return Status::Success();
}

}  // namespace posix

// A missing file, or one that is not a plain file, has no owner to keep.
Status NativeFileSystem::CheckOwnerKept(const std::string& path) {
  struct stat info, folder;
  if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return Status::Success();
  if (stat(posix::FolderOf(path).c_str(), &folder) != 0) return posix::LastError();
  return CompareOwners(info, folder);
}

}  // namespace platform
