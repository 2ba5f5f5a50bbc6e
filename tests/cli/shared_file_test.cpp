// stowr-cli on a file that other writers share: parallel edits lose nothing, a lock of another
// program is respected, whenever it comes, the file's metadata survives an edit and its owner is
// kept or the change refused, a change of mode during the write stops it, a folder swapped during
// a write gets nothing written anywhere, and failures name their real cause.
#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void Spit(const fs::path& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

std::string Chunk(const std::string& data, const std::string& kind) {
  char length[9];
  std::snprintf(length, sizeof length, "%08zX", data.size());
  return data + length + kind + "{TlPk}";
}

// The kinds of the chunks in bytes, oldest first, walking the trailers back from the end: the
// oracle the stowr-cli runs are judged by. Every chunk's data is its kind in lower case.
std::vector<std::string> Kinds(const std::string& bytes) {
  std::vector<std::string> kinds;
  std::size_t end = bytes.size();
  while (end >= 17 && bytes.compare(end - 6, 6, "{TlPk}") == 0) {
    const std::size_t length = std::stoul(bytes.substr(end - 17, 8), nullptr, 16);
    const std::string kind = bytes.substr(end - 9, 3);
    std::string data = kind;
    std::transform(data.begin(), data.end(), data.begin(), ::tolower);
    EXPECT_EQ(bytes.substr(end - 17 - length, length), data) << "chunk " << kind;
    kinds.insert(kinds.begin(), kind);
    end -= 17 + length;
  }
  return kinds;
}

#if defined(__SANITIZE_ADDRESS__)
const std::string kFastDisk;  // AddressSanitizer's runtime must come first among preloaded libraries
#else
const std::string kFastDisk = FAST_DISK;
#endif

class SharedFile : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/stowr-shared-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir = pattern;
    exe = (dir / "app.exe").string();
    body = "MZ" + std::string(4000, 'x');
  }
  void TearDown() override { fs::remove_all(dir); }

  // Starts stowr-cli in the test folder with its standard error in errFile (and its standard
  // output in `output` when that is set), once the pipe go has been closed by the test.
  pid_t Start(const std::vector<std::string>& args, const int* go, const fs::path& errFile,
              const std::string& preload = "") {
    pid_t pid = fork();
    if (pid != 0) return pid;
    char byte;
    if (go != nullptr && (close(go[1]) != 0 || read(go[0], &byte, 1) < 0)) _exit(127);
    std::vector<char*> argv;
    for (const std::string& arg : trace) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(const_cast<char*>(cli.c_str()));
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    int err = open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    int out = output >= 0 ? output : open("/dev/null", O_WRONLY);
    if (err < 0 || dup2(err, 2) < 0 || dup2(out, 1) < 0 || chdir(dir.c_str()) != 0) _exit(127);
    if (!preload.empty()) setenv("LD_PRELOAD", preload.c_str(), 1);
    if (!trace.empty()) {  // LeakSanitizer cannot run in a traced program
      const char* options = getenv("ASAN_OPTIONS");
      setenv("ASAN_OPTIONS", (std::string(options ? options : "") + ":detect_leaks=0").c_str(), 1);
    }
    if (runAs != 0 && (setgroups(0, nullptr) != 0 || setgid(runAs) != 0 || setuid(runAs) != 0)) _exit(127);
    alarm(60);
    execv(argv[0], argv.data());
    _exit(127);
  }

  static int Wait(pid_t pid) {
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  // Runs one stowr-cli and returns its exit status; its standard error goes to err.
  int Stowr(const std::vector<std::string>& args, std::string& err, const std::string& preload = "") {
    const fs::path errFile = dir / ".err";
    int code = Wait(Start(args, nullptr, errFile, preload));
    err = Slurp(errFile);
    fs::remove(errFile);
    return code;
  }

  // Lets `nobody` run stowr-cli in the test folder: a copy of it there, in a folder that user may
  // enter (the build's own may be in a folder that user may not).
  void RunAsNobody() {
    runAs = 65534;
    fs::create_directory(dir / "bin");
    fs::copy_file(STOWR_CLI, dir / "bin" / "stowr-cli");
    chmod(dir.c_str(), 0755);
    chmod((dir / "bin").c_str(), 0755);
    cli = (dir / "bin" / "stowr-cli").string();
  }

  // Runs stowr-cli under strace, held for two seconds at the entry of the first `syscall` (numbered
  // `number`), which has not run yet; act runs while it waits there. The exit status, or -2 when
  // stowr-cli never got there.
  int StowrHeldAt(const std::string& syscall, long number, const std::vector<std::string>& args,
                  const std::function<void()>& act, std::string& err) {
    trace = {"/usr/bin/strace", "-qq", "-o", "/dev/null", "-e", "trace=" + syscall,
             "-e", "inject=" + syscall + ":delay_enter=2000000:when=1", "--"};
    const fs::path errFile = dir / ".err";
    const pid_t tracer = Start(args, nullptr, errFile);
    trace.clear();
    bool acted = false;
    for (int poll = 0; poll < 4000 && !acted; ++poll) {
      const pid_t held = std::atoi(Slurp("/proc/" + std::to_string(tracer) + "/task/" + std::to_string(tracer) +
                                         "/children").c_str());
      if (held > 0 && std::atol(Slurp("/proc/" + std::to_string(held) + "/syscall").c_str()) == number) {
        act();
        acted = true;
      }
      if (!acted) usleep(5000);
    }
    int code = Wait(tracer);
    err = Slurp(errFile);
    fs::remove(errFile);
    return acted ? code : -2;
  }

  fs::path dir;
  std::string exe, body;
  std::string cli = STOWR_CLI;
  std::vector<std::string> trace;  // a program that runs stowr-cli (strace and its arguments)
  uid_t runAs = 0;  // when not 0, stowr-cli runs as this user (and group)
  int output = -1;  // when set, the standard output of the stowr-cli started
};

mode_t ModeOf(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

std::string Attribute(const std::string& path, const char* name) {
  char value[256];
  ssize_t n = getxattr(path.c_str(), name, value, sizeof value);
  return n < 0 ? "(none)" : std::string(value, static_cast<std::size_t>(n));
}

// An access ACL as the kernel stores it: the owner rwx, user 4321 r--, group r-x, mask r-x,
// others r-x.
std::string AccessAcl() {
  const struct { std::uint16_t tag, perm; std::uint32_t id; } entries[] = {
      {0x01, 7, ~0u}, {0x02, 4, 4321}, {0x04, 5, ~0u}, {0x10, 5, ~0u}, {0x20, 5, ~0u}};
  std::string acl("\x02\0\0\0", 4);
  acl.append(reinterpret_cast<const char*>(entries), sizeof entries);
  return acl;
}

// Writers started together on one file, each adding its own kind or removing chunk 1: every
// change that exited 0 is in the final file, every other is not. The file starts with enough
// chunks for every remove of a round.
TEST_F(SharedFile, ParallelEditsLoseNoChange) {
  struct Case {
    const char* what;
    int adds, removes, rounds;
  };
  const Case cases[] = {{"adds", 4, 0, 40}, {"removes", 0, 4, 40}, {"mixed", 2, 2, 40}, {"pair", 1, 1, 60}};
  const std::vector<std::string> initial = {"I01", "I02", "I03", "I04", "I05"};
  for (const Case& c : cases) {
    for (int round = 0; round < c.rounds; ++round) {
      std::string start = body;
      for (const std::string& kind : initial) start += Chunk("i" + kind.substr(1), kind);
      Spit(exe, start);
      for (int k = 0; k < c.adds; ++k) Spit(dir / ("d" + std::to_string(k)), "a0" + std::to_string(k));
      int go[2];
      ASSERT_EQ(pipe(go), 0);
      std::vector<pid_t> writers;
      for (int k = 0; k < c.adds + c.removes; ++k) {
        std::vector<std::string> args = k < c.adds ? std::vector<std::string>{"add", exe, "A0" + std::to_string(k),
                                                                             "d" + std::to_string(k)}
                                                   : std::vector<std::string>{"remove", exe, "1"};
        writers.push_back(Start(args, go, dir / (".err" + std::to_string(k)), kFastDisk));
      }
      close(go[0]);
      close(go[1]);  // all start at once
      std::vector<std::string> expected(initial.begin(), initial.end());
      std::vector<std::string> added;
      for (int k = 0; k < c.adds + c.removes; ++k) {
        const int code = Wait(writers[k]);
        EXPECT_EQ(code, 0) << c.what << " round " << round << ": " << Slurp(dir / (".err" + std::to_string(k)));
        if (code != 0) continue;
        if (k < c.adds) added.push_back("A0" + std::to_string(k));
        else expected.erase(expected.begin());
      }
      std::vector<std::string> found = Kinds(Slurp(exe));
      // Removes take the oldest chunk; adds come behind the initial chunks in the order they ran.
      ASSERT_GE(found.size(), expected.size()) << c.what << " round " << round;
      std::vector<std::string> tail(found.begin() + static_cast<long>(expected.size()), found.end());
      found.resize(expected.size());
      std::sort(tail.begin(), tail.end());
      EXPECT_EQ(found, expected) << c.what << " round " << round;
      EXPECT_EQ(tail, added) << c.what << " round " << round;
    }
  }
}

constexpr off_t kTopByte = std::numeric_limits<off_t>::max();

// A lock of this process on the byte at offset (F_RDLCK or F_WRLCK), without waiting.
int LockByte(int fd, short type, off_t offset) {
  struct flock range = {};
  range.l_type = type;
  range.l_whence = SEEK_SET;
  range.l_start = offset;
  range.l_len = 1;
  return fcntl(fd, F_SETLK, &range);
}

// Another program's lock, of either kind and at any offset, makes an edit refuse the file as in use and write
// nothing; once the lock is gone the same edit goes through.
TEST_F(SharedFile, LockOfAnotherProgramIsRespected) {
  struct Case {
    const char* what;
    int (*lock)(int fd);
  };
  const Case cases[] = {{"flock", [](int fd) { return flock(fd, LOCK_EX); }},
                        {"shared flock", [](int fd) { return flock(fd, LOCK_SH); }},
                        {"lockf", [](int fd) { return lockf(fd, F_LOCK, 0); }},
                        {"fcntl read lock of one byte", [](int fd) { return LockByte(fd, F_RDLCK, 10); }},
                        {"fcntl write lock of byte 2^63-2", [](int fd) { return LockByte(fd, F_WRLCK, kTopByte - 1); }},
                        {"fcntl read lock of byte 2^63-1", [](int fd) { return LockByte(fd, F_RDLCK, kTopByte); }}};
  Spit(dir / "data", "new");
  for (const Case& c : cases) {
    const std::string before = body + Chunk("one", "ONE");
    Spit(exe, before);
    // The holder is a process of its own: a lockf() lock goes when its process closes any
    // descriptor of the file, as this test does when it reads the file.
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    pid_t holder = fork();
    if (holder == 0) {
      int fd = open(exe.c_str(), O_RDWR);
      if (fd < 0 || c.lock(fd) != 0 || write(ready[1], "x", 1) != 1) _exit(1);
      pause();
      _exit(0);
    }
    char byte;
    ASSERT_EQ(read(ready[0], &byte, 1), 1) << c.what;
    close(ready[0]);
    close(ready[1]);
    for (const std::vector<std::string>& args : {std::vector<std::string>{"add", exe, "NEW", "data"},
                                                 std::vector<std::string>{"remove", exe, "1"},
                                                 std::vector<std::string>{"strip", exe}}) {
      std::string err;
      EXPECT_EQ(Stowr(args, err), 2) << c.what << ' ' << args[0];
      EXPECT_EQ(err, "stowr-cli: cannot write " + exe + ": The file is in use by another program\n") << c.what;
      EXPECT_TRUE(Slurp(exe) == before) << c.what << ' ' << args[0] << ": the file was written";
    }
    kill(holder, SIGKILL);
    Wait(holder);
    std::string err;
    EXPECT_EQ(Stowr({"add", exe, "NEW", "data"}, err), 0) << c.what << ": " << err;
  }
}

// An add keeps what a write in place would: owner and group, the set-user-ID and set-group-ID
// bits, an ACL and the user's extended attributes. Each is checked where the file system has it.
TEST_F(SharedFile, AddKeepsOwnerModeAclAndAttributes) {
  Spit(exe, body);
  Spit(dir / "data", "new");
  const bool root = geteuid() == 0;
  if (root) {
    ASSERT_EQ(chown(exe.c_str(), 4321, 4321), 0);
  }
  ASSERT_EQ(chmod(exe.c_str(), 06755), 0);
  const bool attributes = setxattr(exe.c_str(), "user.origin", "built here", 10, 0) == 0;
  const std::string acl = AccessAcl();
  const bool acls = setxattr(exe.c_str(), "system.posix_acl_access", acl.data(), acl.size(), 0) == 0;
  const mode_t mode = ModeOf(exe);
  std::string err;
  ASSERT_EQ(Stowr({"add", exe, "NEW", "data"}, err), 0) << err;
  EXPECT_EQ(Kinds(Slurp(exe)), std::vector<std::string>{"NEW"});
  EXPECT_EQ(ModeOf(exe), mode);
  EXPECT_EQ(mode & 06000, 06000);
  if (root) {
    struct stat info;
    ASSERT_EQ(stat(exe.c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, 4321u);
    EXPECT_EQ(info.st_gid, 4321u);
  }
  if (attributes) {
    EXPECT_EQ(Attribute(exe, "user.origin"), "built here");
  }
  if (acls) {
    EXPECT_EQ(Attribute(exe, "system.posix_acl_access"), acl);
  }
  if (!root || !attributes || !acls)
    GTEST_SKIP() << "not checked here:" << (root ? "" : " owner (needs root)")
                 << (attributes ? "" : " user. attributes") << (acls ? "" : " ACLs");
}

// A file with another name (a hard link) is replaced under the name given; the other name keeps
// the old content, and a warning says so.
TEST_F(SharedFile, HardLinkIsSplitWithAWarning) {
  Spit(exe, body);
  Spit(dir / "data", "new");
  ASSERT_EQ(link(exe.c_str(), (dir / "other.exe").c_str()), 0);
  std::string err;
  EXPECT_EQ(Stowr({"add", exe, "NEW", "data"}, err), 0);
  EXPECT_EQ(err, "stowr-cli: warning: " + exe + ": The file has 1 other name(s) (hard links), which keep the old content\n");
  EXPECT_EQ(Kinds(Slurp(exe)), std::vector<std::string>{"NEW"});
  EXPECT_TRUE(Slurp(dir / "other.exe") == body);
}

// A chmod by someone else while the new content is written is a change since the file was read:
// nothing is written and the mode set stays.
TEST_F(SharedFile, ModeChangedDuringTheWriteStopsIt) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "AddressSanitizer's runtime must come first in the list of preloaded libraries";
#endif
  const std::string before = body + Chunk("one", "ONE");
  Spit(exe, before);
  chmod(exe.c_str(), 0755);
  Spit(dir / "data", "new");
  setenv("STOWR_TEST_CHMOD", exe.c_str(), 1);
  std::string err;
  EXPECT_EQ(Stowr({"add", exe, "NEW", "data"}, err, CHMOD_DURING_WRITE), 2);
  unsetenv("STOWR_TEST_CHMOD");
  EXPECT_EQ(err, "stowr-cli: cannot write " + exe + ": The file has changed since it was last read\n");
  EXPECT_TRUE(Slurp(exe) == before);
  EXPECT_EQ(ModeOf(exe), 0444u);
}

// A read whose bytes all come from the one file it opened succeeds whatever happens to that file's
// name meanwhile (an add renames a new file over it, another name is linked to it); bytes written
// into the file itself fail it. The moment is fixed by a pipe: cat's output is not read beyond its
// first byte until the change is made, so cat holds the file open, part of the chunk written.
TEST_F(SharedFile, ReadFailsOnlyWhenItsFileIsWrittenMeanwhile) {
  struct Case {
    const char* what;
    std::function<void()> change;
    int code;
  };
  const Case cases[] = {
      {"an add replaces the file", [&] { std::string err; EXPECT_EQ(Stowr({"add", exe, "NEW", "data"}, err), 0) << err; }, 0},
      {"another name is linked to it", [&] { EXPECT_EQ(link(exe.c_str(), (dir / "other.exe").c_str()), 0); }, 0},
      {"a byte of the chunk is written in place", [&] {
         int fd = open(exe.c_str(), O_WRONLY);
         EXPECT_EQ(pwrite(fd, "Z", 1, static_cast<off_t>(body.size()) + 1000), 1);
         close(fd);
       }, 2},
  };
  std::string big(3 << 20, '\0');
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7 % 251);
  Spit(dir / "data", "new");
  for (const Case& c : cases) {
    fs::remove(dir / "other.exe");
    Spit(exe, body + Chunk(big, "BIG"));
    // An hour old, so that a write now moves the modification time whatever the clock's step.
    fs::last_write_time(exe, fs::last_write_time(exe) - std::chrono::hours(1));
    int out[2];
    ASSERT_EQ(pipe(out), 0);
    output = out[1];
    pid_t cat = Start({"cat", exe, ":BIG"}, nullptr, dir / ".cat-err");
    output = -1;
    close(out[1]);
    std::string got(1, '\0');
    ASSERT_EQ(read(out[0], got.data(), 1), 1) << c.what;
    c.change();
    char block[65536];
    for (ssize_t n; (n = read(out[0], block, sizeof block)) > 0;) got.append(block, static_cast<std::size_t>(n));
    close(out[0]);
    EXPECT_EQ(Wait(cat), c.code) << c.what << ": " << Slurp(dir / ".cat-err");
    EXPECT_EQ(got.size(), big.size()) << c.what;
    if (c.code == 0) EXPECT_TRUE(got == big) << c.what;
    else EXPECT_NE(Slurp(dir / ".cat-err").find("The file has changed since it was last read"), std::string::npos);
  }
}

// Makes the folders of a relative path of about `length` bytes below dir (each name 200 bytes at
// most) and the file app.exe at its end; returns the path.
std::string DeepFile(const fs::path& dir, std::size_t length) {
  fs::create_directory(dir);
  int folder = open(dir.c_str(), O_RDONLY | O_DIRECTORY);
  std::string path;
  while (path.size() + 8 < length) {
    const std::string name(std::min<std::size_t>(200, length - path.size() - 9), 'd');
    mkdirat(folder, name.c_str(), 0755);
    int next = openat(folder, name.c_str(), O_RDONLY | O_DIRECTORY);
    close(folder);
    folder = next;
    path += name + "/";
  }
  int file = openat(folder, "app.exe", O_WRONLY | O_CREAT, 0755);
  const char bytes[] = "MZ0123456789";
  EXPECT_EQ(write(file, bytes, sizeof bytes), static_cast<ssize_t>(sizeof bytes));
  close(file);
  close(folder);
  return path + "app.exe";
}

// Failures name their real cause: a path too long for the system, a temporary name that would
// not fit (found before any work), a folder that does not take the new file while the file itself
// is writable. Nothing is written.
TEST_F(SharedFile, FailuresNameTheirCause) {
  Spit(dir / "data", "new");
  const std::string tooLong = DeepFile(dir / "a", 4200);
  ASSERT_GT(tooLong.size(), 4096u);
  const std::string noRoomForTemp = DeepFile(dir / "b", 4090);
  ASSERT_LT(noRoomForTemp.size(), 4096u);
  std::string err;
  for (const char* command : {"list", "add"}) {
    std::vector<std::string> args = {command, "a/" + tooLong};
    if (args[0] == "add") args.insert(args.end(), {"NEW", "data"});
    EXPECT_EQ(Stowr(args, err), 2);
    EXPECT_EQ(err, "stowr-cli: cannot " + std::string(args[0] == "add" ? "write " : "read ") + args[1] +
                       ": File name too long\n");
  }
  EXPECT_EQ(Stowr({"add", "b/" + noRoomForTemp, "NEW", "data"}, err), 2);
  EXPECT_EQ(err, "stowr-cli: cannot write b/" + noRoomForTemp +
                     ": The name of the temporary file beside it would be too long for the system\n");

  // A folder the user may not add to, holding a file the user may write.
  fs::create_directory(dir / "shut");
  const std::string shut = (dir / "shut" / "app.exe").string();
  Spit(shut, body);
  chmod(shut.c_str(), 0666);
  chmod((dir / "shut").c_str(), 0555);
  chmod(dir.c_str(), 0755);
  chmod((dir / "data").c_str(), 0644);
  if (geteuid() == 0) RunAsNobody();
  if (runAs != 0) {
    ASSERT_EQ(chown(shut.c_str(), runAs, runAs), 0);  // the user's own file: its owner stays
  }
  EXPECT_EQ(Stowr({"add", shut, "NEW", "data"}, err), 2);
  EXPECT_EQ(err, "stowr-cli: cannot write " + shut + ": The folder " + (dir / "shut").string() +
                     " does not accept new files: Permission denied\n");
  EXPECT_TRUE(Slurp(shut) == body);
  chmod((dir / "shut").c_str(), 0755);
}

// What a snapshot holds of a file's bytes: their size and hash.
std::string Digest(const std::string& bytes) {
  return std::to_string(bytes.size()) + " bytes #" + std::to_string(std::hash<std::string>{}(bytes));
}

// The plain files and links below dir (not the test's own), by path, with their bytes' digest or
// the link's target.
std::map<std::string, std::string> Snapshot(const fs::path& dir) {
  std::map<std::string, std::string> files;
  for (auto it = fs::recursive_directory_iterator(dir); it != fs::recursive_directory_iterator(); ++it) {
    const std::string name = it->path().lexically_relative(dir).string();
    if (name == "bin" || name.rfind(".err", 0) == 0) it.disable_recursion_pending();
    else if (it->is_symlink()) files[name] = "-> " + fs::read_symlink(it->path()).string();
    else if (it->is_regular_file()) files[name] = Digest(Slurp(it->path()));
  }
  return files;
}

// Attacks at the moment that counts, held there by strace: `nobody`, who owns the folders under
// att/, swaps the folder of the file root writes for a link to a root-only folder (at the link of
// the new file, or at the rename); nothing is written anywhere and the write says why. Or another
// program tries to lock the file while root edits it: every lock fails, and the edit goes through.
// Or a second edit starts while the first has renamed but not yet let its new file go: it waits,
// never taking stowr for another program, and both arrive.
TEST_F(SharedFile, AttacksDuringTheWriteGetNothing) {
  if (geteuid() != 0 || access("/usr/bin/strace", X_OK) != 0)
    GTEST_SKIP() << "needs root (for a folder of nobody's) and strace (scripts/deps.sh installs it)";
  const std::string folderChanged = ": The folder changed while the file was written\n";
  const auto swap = [&](const char* folder) {
    return [this, folder] {
      fs::rename(dir / "att" / folder, dir / "att" / (std::string(folder) + ".old"));
      fs::create_directory_symlink(dir / "root-only", dir / "att" / folder);
    };
  };
  const auto lockLate = [this] {
    int fd = open((dir / "att/dir/app").c_str(), O_RDWR);
    for (off_t offset : {off_t{10}, kTopByte - 1, kTopByte}) {
      EXPECT_NE(LockByte(fd, F_WRLCK, offset), 0) << "a write lock at " << offset << " was taken";
    }
    EXPECT_NE(lockf(fd, F_TLOCK, 0), 0) << "a lockf() lock was taken";
    close(fd);
  };
  pid_t second = -1;
  const auto editToo = [&] { second = Start({"add", "att/dir/app", "SEC", "data"}, nullptr, dir / ".err2"); };
  const std::vector<std::string> add = {"add", "att/dir/app", "NEW", "data"};
  const std::vector<std::string> extract = {"extract", "att/dir/app", "1", "att/out/x.bin"};
  struct Case {
    const char* what;
    const std::vector<std::string>& args;
    const char* syscall;
    long number;
    std::function<void()> act;
    const char* moved;  // the folder under att/ that the attack moves away
    int code;
    std::string err;
  };
  const Case cases[] = {
      {"add, folder swapped at the link", add, "linkat", SYS_linkat, swap("dir"), "dir", 2,
       "stowr-cli: cannot write att/dir/app" + folderChanged},
      {"add, folder swapped at the rename", add, "renameat2", SYS_renameat2, swap("dir"), "dir", 2,
       "stowr-cli: cannot write att/dir/app" + folderChanged},
      {"extract, folder swapped at the link", extract, "linkat", SYS_linkat, swap("out"), "out", 2,
       "stowr-cli: cannot extract chunk 1 to att/out/x.bin" + folderChanged},
      {"extract, folder swapped at the rename", extract, "renameat2", SYS_renameat2, swap("out"), "out", 2,
       "stowr-cli: cannot extract chunk 1 to att/out/x.bin" + folderChanged},
      {"add, locks tried at the link", add, "linkat", SYS_linkat, lockLate, nullptr, 0, ""},
      {"add, another add after the rename", add, "unlinkat", SYS_unlinkat, editToo, nullptr, 0, ""},
  };
  chmod(dir.c_str(), 0755);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    for (const char* folder : {"att/dir", "att/out", "root-only"}) fs::create_directories(dir / folder);
    for (const char* folder : {"att", "att/dir", "att/out"}) ASSERT_EQ(chown((dir / folder).c_str(), 65534, 65534), 0);
    chmod((dir / "root-only").c_str(), 0700);
    Spit(dir / "att/dir/app", body + Chunk("one", "ONE"));
    Spit(dir / "root-only/app", "root's own");
    Spit(dir / "data", "new");
    std::map<std::string, std::string> expected;
    for (const auto& [name, bytes] : Snapshot(dir)) {
      const std::string from = std::string("att/") + (c.moved ? c.moved : "") + "/";
      expected[c.moved && name.rfind(from, 0) == 0 ? "att/" + std::string(c.moved) + ".old/" + name.substr(from.size())
                                                   : name] = bytes;
    }
    if (c.moved) expected["att/" + std::string(c.moved)] = "-> " + (dir / "root-only").string();
    if (!c.moved) expected["att/dir/app"] = Digest(body + Chunk("one", "ONE") + Chunk("new", "NEW"));
    std::string err;
    EXPECT_EQ(StowrHeldAt(c.syscall, c.number, c.args, c.act, err), c.code);
    EXPECT_EQ(err, c.err);
    if (second > 0) {
      EXPECT_EQ(Wait(second), 0);
      EXPECT_EQ(Slurp(dir / ".err2"), "stowr-cli: waiting for another change of att/dir/app to end\n");
      fs::remove(dir / ".err2");
      expected["att/dir/app"] = Digest(body + Chunk("one", "ONE") + Chunk("new", "NEW") + Chunk("new", "SEC"));
      second = -1;
    }
    EXPECT_EQ(Snapshot(dir), expected);
    for (const char* name : {"att", "root-only"}) fs::remove_all(dir / name);
  }
}

// An edit by a user who may not give the new file the old one's owner and group is refused
// before any work, naming the option that allows it; with the option the file is the user's, a
// warning says so, and set-ID bits that belonged to the old owner or group go. A file of the
// user's own keeps its owner as ever. An extraction over another user's file is refused alike.
TEST_F(SharedFile, OwnerKeptOrTheChangeRefused) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root, to run stowr-cli as nobody on files of others";
  RunAsNobody();
  const std::string optionHint = "; --allow-owner-change allows it\n";
  struct Case {
    const char* what;
    std::vector<std::string> args;
    uid_t uid;
    gid_t gid;
    mode_t mode, modeAfter;
    int code;
    std::string err;
    bool changed;
  };
  const std::string file = (dir / "share" / "app").string();
  const Case cases[] = {
      {"root's program", {"add", file, "NEW", "data"}, 0, 65534, 0664, 0664, 3,
       "stowr-cli: cannot write " + file + ": The file belongs to root:nogroup, and the new file that replaces it "
       "would belong to nobody:nogroup" + optionHint, false},
      {"root's program, allowed", {"add", file, "NEW", "data", "--allow-owner-change"}, 0, 65534, 0664, 0664, 0,
       "stowr-cli: warning: " + file + ": The file now belongs to nobody:nogroup (it belonged to root:nogroup)\n", true},
      {"root's set-ID program, allowed", {"strip", "--allow-owner-change", file}, 0, 0, 06777, 0777, 0,
       "stowr-cli: warning: " + file + ": The file now belongs to nobody:nogroup (it belonged to root:root)\n", true},
      {"nobody's own program", {"remove", file, "1"}, 65534, 65534, 06775, 06775, 0, "", true},
      {"extracted over root's file", {"extract", exe, "1", file}, 0, 0, 0666, 0666, 3,
       "stowr-cli: cannot extract chunk 1 to " + file + ": The file belongs to root:root, and the new file that "
       "replaces it would belong to nobody:nogroup" + optionHint, false},
  };
  fs::create_directory(dir / "share");
  ASSERT_EQ(chown((dir / "share").c_str(), 65534, 65534), 0);
  Spit(dir / "data", "new");
  Spit(exe, body + Chunk("one", "ONE"));
  chmod(exe.c_str(), 0644);
  chmod((dir / "data").c_str(), 0644);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string before = body + Chunk("old", "OLD");
    Spit(file, before);
    ASSERT_EQ(chown(file.c_str(), c.uid, c.gid), 0);
    ASSERT_EQ(chmod(file.c_str(), c.mode), 0);
    std::string err;
    EXPECT_EQ(Stowr(c.args, err), c.code);
    EXPECT_EQ(err, c.err);
    EXPECT_EQ(Slurp(file) != before, c.changed);
    struct stat info;
    ASSERT_EQ(stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, c.changed ? 65534u : c.uid);
    EXPECT_EQ(info.st_gid, c.changed ? 65534u : c.gid);
    EXPECT_EQ(info.st_mode & 07777, c.modeAfter);
    fs::remove(file);
  }
}

}  // namespace
