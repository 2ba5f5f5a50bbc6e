// Runs the built stowr-cli as a user would and checks its output, exit status and files.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "reader/tailpack_reader.h"
#include "tests/model/literal_model.h"
#include "tests/model/random_files.h"
#include "tests/support/pe_image.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

struct Outcome {
  int code = -1;
  std::string out;
  std::string err;
};

std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void Spit(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// One chunk as it is stored: data, 8 hex digits, the kind right-aligned, the marker.
std::string Chunk(const std::string& data, const std::string& kind) {
  char length[9];
  std::snprintf(length, sizeof length, "%08zX", data.size());
  return data + length + std::string(3 - kind.size(), ' ') + kind + "{TlPk}";
}

class Cli : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/stowr-cli-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir = pattern;
    body = "MZ" + std::string(998, 'x');
    exe = (dir / "app.exe").string();
  }
  void TearDown() override { fs::remove_all(dir); }

  // Runs stowr-cli in the test folder with `input` on standard input and standard output and
  // error captured in files (standard output opened as `output` says when it is set), killed
  // after 30 seconds (a run that hangs fails instead of stopping the tests), with at most
  // memoryLimit bytes of address space when it is given and at most `openFiles` files open.
  Outcome Stowr(const std::vector<std::string>& args, rlim_t memoryLimit = RLIM_INFINITY) {
    fs::path in = dir / ".in", out = dir / ".out", err = dir / ".err";
    Spit(in, input);
    pid_t pid = fork();
    if (pid == 0) {
      std::vector<char*> argv{const_cast<char*>(STOWR_CLI)};
      for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
      argv.push_back(nullptr);
      int outFd = output.path.empty() ? open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600)
                                      : open(output.path.c_str(), output.flags);
      int errFd = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      int inFd = open(in.c_str(), O_RDONLY);
      if (inFd < 0 || dup2(inFd, 0) < 0 || outFd < 0 || errFd < 0 || dup2(outFd, 1) < 0 || dup2(errFd, 2) < 0 || chdir(dir.c_str()) != 0) _exit(127);
      const rlimit memory{memoryLimit, memoryLimit}, files{openFiles, openFiles};
      if (setrlimit(RLIMIT_AS, &memory) != 0) _exit(127);
      if (openFiles != RLIM_INFINITY && setrlimit(RLIMIT_NOFILE, &files) != 0) _exit(127);
      if (!preload.empty()) setenv("LD_PRELOAD", preload.c_str(), 1);
      alarm(30);
      execv(STOWR_CLI, argv.data());
      _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    Outcome run{WIFEXITED(status) ? WEXITSTATUS(status) : -1, Slurp(out), Slurp(err)};
    fs::remove(out);
    fs::remove(err);
    return run;
  }

  fs::path dir;
  std::string body;
  std::string exe;
  std::string preload;  // a library the runs of stowr-cli get through LD_PRELOAD
  std::string input;    // standard input of the runs of stowr-cli
  struct {
    std::string path;  // when set, standard output is this file, opened with flags
    int flags = 0;
  } output;
  rlim_t openFiles = RLIM_INFINITY;  // the limit of open files, when set
};

TEST_F(Cli, ListPrintsTheFiveCellsOfEveryChunkOldestFirst) {
  Spit(exe, body + Chunk("hello", "TXT") + Chunk("a\0b"s, "BIN") + Chunk("", "AB"));
  Outcome run = Stowr({"list", exe});
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out,
            "1\tTXT\tText\t5 B\t@ 1,001\n"
            "2\tBIN\tBinary\t3 B\t@ 1,023\n"
            "3\t AB\tText\t0 B\t@ 1,043\n");
  EXPECT_EQ(run.err, "");

  Spit(exe, body);
  run = Stowr({"list", exe});
  EXPECT_EQ(run.code, 0);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(Stowr({"list", "--json", exe}).out, "[]\n");

  // A kind holding control bytes can neither break the line nor reach the terminal.
  Spit(exe, body + Chunk("x", "\t\n\x1B") + Chunk("y", "a\\\x9B"));
  EXPECT_EQ(Stowr({"list", exe}).out,
            "1\t\\t\\n\\x1b\tText\t1 B\t@ 1,001\n"
            "2\ta\\\\\\x9b\tText\t1 B\t@ 1,019\n");
}

TEST_F(Cli, ListJsonEscapesAnyKindByte) {
  Spit(exe, body + Chunk("hello", "TXT") + Chunk("\0"s, "\"\\\x01") + Chunk("z", "\xE9/\x7F"));
  Outcome run = Stowr({"list", "--json", exe});
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out,
            "[\n"
            "  {\"index\": 1, \"kind\": \"TXT\", \"type\": \"Text\", \"length\": 5, \"offset\": 1000, \"place\": \"end\"},\n"
            "  {\"index\": 2, \"kind\": \"\\\"\\\\\\u0001\", \"type\": \"Binary\", \"length\": 1, \"offset\": 1022, "
            "\"place\": \"end\"},\n"
            "  {\"index\": 3, \"kind\": \"\\u00E9/\\u007F\", \"type\": \"Text\", \"length\": 1, \"offset\": 1040, "
            "\"place\": \"end\"}\n"
            "]\n");
}

TEST_F(Cli, AddAppendsTheFileUnderTheNormalisedDescriptor) {
  Spit(exe, body + Chunk("one", "TXT"));
  Spit(dir / "data.bin", "pay\0load"s);
  Outcome run = Stowr({"add", exe, " pn9 ", "data.bin"});
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(Slurp(exe), body + Chunk("one", "TXT") + Chunk("pay\0load"s, "PN9"));
  EXPECT_EQ(Stowr({"list", exe}).out, "1\tTXT\tText\t3 B\t@ 1,001\n2\tPN9\tBinary\t8 B\t@ 1,021\n");
}

TEST_F(Cli, RemoveAndStripCutChunksOut) {
  std::string first = Chunk("first", "AAA"), second = Chunk("2nd\0"s, "BBB"), third = Chunk("third", "CCC");
  Spit(exe, body + first + second + third);
  EXPECT_EQ(Stowr({"remove", exe, "2"}).code, 0);
  EXPECT_EQ(Slurp(exe), body + first + third);
  EXPECT_EQ(Stowr({"remove", exe, "2"}).code, 0);
  EXPECT_EQ(Slurp(exe), body + first);

  Spit(exe, body + first + second + third);
  EXPECT_EQ(Stowr({"strip", exe}).code, 0);
  EXPECT_EQ(Slurp(exe), body);
  Outcome again = Stowr({"strip", exe});
  EXPECT_EQ(again.code, 0) << again.err;
  EXPECT_EQ(Slurp(exe), body);
}

TEST_F(Cli, ExtractWritesChunkBytesToTheDefaultNameOrTheGivenOne) {
  Spit(exe, body + Chunk("text", "TXT") + Chunk("\x89PNG\0"s, "PNG"));
  Outcome run = Stowr({"extract", exe, "2"});
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out, (dir / "app.tpak.png").string() + "\n");
  EXPECT_EQ(Slurp(dir / "app.tpak.png"), "\x89PNG\0"s);

  Spit(dir / "out.dat", std::string(100, 'o'));  // a longer old file leaves no tail
  EXPECT_EQ(Stowr({"extract", exe, "1", "out.dat"}).code, 0);
  EXPECT_EQ(Slurp(dir / "out.dat"), "text");
}

// Extract All goes last chunk first; the newest chunk of a name keeps the default name (the one
// a reader by kind returns) and an older one gets its number in its name, so no chunk
// overwrites another: two chunks of one kind, kinds that read the same up to a NUL byte.
TEST_F(Cli, ExtractAllGivesEveryChunkAFileOfItsOwn) {
  struct Case {
    std::string chunks;
    std::vector<std::pair<std::string, std::string>> files;  // name and bytes, in the order printed
  };
  const Case cases[] = {
      {Chunk("old", "TXT") + Chunk("bin\0"s, "BIN") + Chunk("new", "TXT"),
       {{"app.tpak.txt", "new"}, {"app.tpak.bin", "bin\0"s}, {"app.tpak1.txt", "old"}}},
      {Chunk("1", "TXT") + Chunk("2", "TXT") + Chunk("3", "TXT"),
       {{"app.tpak.txt", "3"}, {"app.tpak2.txt", "2"}, {"app.tpak1.txt", "1"}}},
      {Chunk("a", "A\0B"s) + Chunk("b", "A\0C"s), {{"app.tpak.a", "b"}, {"app.tpak1.a", "a"}}},
  };
  for (const Case& c : cases) {
    Spit(exe, body + c.chunks);
    Outcome run = Stowr({"extract-all", exe});
    EXPECT_EQ(run.code, 0) << run.err;
    std::string printed;
    for (const auto& [name, bytes] : c.files) {
      printed += (dir / name).string() + "\n";
      EXPECT_EQ(Slurp(dir / name), bytes) << name;
      fs::remove(dir / name);
    }
    EXPECT_EQ(run.out, printed);
  }
}

// An output name that is a symbolic link, or that names the executable itself (by its own name,
// through "..", by a hard link or a link), is refused with status 3: nothing is written, the
// executable and whatever a link points to are unchanged, and the link stays a link.
TEST_F(Cli, ExtractRefusesOutputsThatLeadElsewhere) {
  const std::string original = body + Chunk("payload!", "TXT");
  const std::string victim = (dir / "victim").string(), secret = "secret";
  struct Case {
    const char* what;
    std::function<void()> plant;
    std::vector<std::string> args;
    const char* reason;
    int outputFlags = 0;  // not 0: standard output is the executable, opened so
  };
  const char* kLink = "It is a symbolic link, which is never written through";
  const char* kSelf = "It is the executable being read";
  const Case cases[] = {
      {"default name linked to the executable", [&] { fs::create_symlink(exe, dir / "app.tpak.txt"); },
       {"extract", exe, "1"}, kLink},
      {"extract-all with the name linked elsewhere", [&] { fs::create_symlink(victim, dir / "app.tpak.txt"); },
       {"extract-all", exe}, kLink},
      {"a dangling link", [&] { fs::create_symlink(dir / "nowhere", dir / "out.txt"); },
       {"extract", exe, "1", "out.txt"}, kLink},
      {"the executable by its name", [] {}, {"extract", exe, "1", "app.exe"}, kSelf},
      {"the executable through ..", [&] { fs::create_directory(dir / "sub"); },
       {"extract", exe, "1", "sub/../app.exe"}, kSelf},
      {"a hard link of the executable", [&] { fs::create_hard_link(exe, dir / "hard.exe"); },
       {"extract", exe, "1", "hard.exe"}, kSelf},
      {"standard output on the executable (1<>app.exe)", [] {}, {"extract", exe, "1", "-"}, kSelf, O_RDWR},
      {"standard output appending to the executable (>>app.exe)", [] {}, {"cat", exe, "1"}, kSelf,
       O_WRONLY | O_APPEND},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(dir);
    fs::create_directory(dir);
    Spit(exe, original);
    Spit(victim, secret);
    c.plant();
    output = {c.outputFlags ? exe : "", c.outputFlags};
    Outcome run = Stowr(c.args);
    output = {};
    EXPECT_EQ(run.code, 3) << run.err;
    EXPECT_NE(run.err.find(c.reason), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_TRUE(Slurp(exe) == original);
    EXPECT_EQ(Slurp(victim), secret);
    EXPECT_FALSE(fs::exists(dir / "nowhere"));
    for (const char* link : {"app.tpak.txt", "out.txt"}) {
      if (fs::exists(fs::symlink_status(dir / link))) {
        EXPECT_TRUE(fs::is_symlink(dir / link)) << link;
      }
    }
  }
}

// A chunk that cannot be read (here a damaged trailer, newer than an intact chunk) is reported;
// the others are still written, and the status says that not all were.
TEST_F(Cli, ExtractAllWritesEveryChunkItCan) {
  Spit(exe, "MZ" + std::string(98, 'x') + "abc00000003Z" + "FF{TlPk}" + "BAD{TlPk}");
  Outcome run = Stowr({"extract-all", exe});
  EXPECT_EQ(run.code, 2);
  EXPECT_EQ(run.out, (dir / "app.tpak.zff").string() + "\n");
  EXPECT_NE(run.err.find("cannot extract chunk 2 to " + (dir / "app.tpak.bad").string()), std::string::npos) << run.err;
  EXPECT_EQ(Slurp(dir / "app.tpak.zff"), "abc");
  EXPECT_FALSE(fs::exists(dir / "app.tpak.bad"));
}

TEST_F(Cli, CatWritesTheChunkBytesUnchanged) {
  std::string bytes = "\0\r\n\x1A\xFF{TlPk}end"s;
  Spit(exe, body + Chunk(bytes, "BIN") + Chunk("x", "TXT"));
  Outcome run = Stowr({"cat", exe, "1"});
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out, bytes);
  EXPECT_EQ(Stowr({"cat", exe, "2"}).out, "x");
}

// Every failure exits with its status, says why on standard error and leaves the executable as
// it was.
TEST_F(Cli, FailuresLeaveTheExecutableUnchanged) {
  const std::string original = body + Chunk("hello", "TXT") + Chunk("bin\0"s, "BIN");
  Spit(dir / "data.txt", "data");
  Spit(dir / "empty.txt", "");
  fs::create_directory(dir / "folder");
  ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);  // opening it to read would wait for a writer
  struct Case {
    std::vector<std::string> args;
    int code;
    std::string message;  // part of standard error
  };
  const Case cases[] = {
      {{}, 1, "usage: stowr-cli list"},
      {{"frobnicate", "app.exe"}, 1, "usage:"},
      {{"list"}, 1, "usage:"},
      {{"list", "--json"}, 1, "usage:"},
      {{"list", "app.exe", "extra"}, 1, "usage:"},
      {{"add", "app.exe", "ABC"}, 1, "usage:"},
      {{"remove", "app.exe", "one"}, 1, "usage:"},
      {{"remove", "app.exe", "-1"}, 1, "usage:"},
      {{"remove", "app.exe", "+1"}, 1, "usage:"},
      {{"remove", "app.exe", ""}, 1, "usage:"},
      {{"cat", "app.exe", "1x"}, 1, "usage:"},
      {{"list", "missing.exe"}, 2, "missing.exe"},
      {{"list", "folder"}, 2, "folder"},
      {{"list", "fifo"}, 2, "fifo: Not a regular file"},
      {{"add", "app.exe", "ABC", "fifo"}, 2, "fifo: Not a regular file"},
      {{"add", "missing.exe", "ABC", "data.txt"}, 2, "missing.exe"},
      {{"add", "app.exe", "ABC", "missing.txt"}, 2, "missing.txt"},
      {{"add", "app.exe", "ABC", "folder"}, 2, "folder"},
      {{"extract", "app.exe", "1", "nowhere/out.txt"}, 2, "nowhere/out.txt"},
      {{"add", "app.exe", "AB", "data.txt"}, 3, "is not a kind; a kind is 3 characters among A-Z and 0-9"},
      {{"add", "app.exe", "A B", "data.txt"}, 3, "is not a kind; a kind is 3 characters among A-Z and 0-9"},
      {{"add", "app.exe", "ABCD", "data.txt"}, 3, "is not a kind; a kind is 3 characters among A-Z and 0-9"},
      {{"add", "app.exe", "txt", "data.txt"}, 3, "app.exe: a chunk of kind TXT is there already (chunk 1); `stowr-cli set` replaces it"},
      {{"add", "app.exe", "ABC", "empty.txt"}, 3, "empty.txt"},
      {{"remove", "app.exe", "0"}, 3, "no chunk 0"},
      {{"remove", "app.exe", "3"}, 3, "no chunk 3"},
      {{"remove", "app.exe", "99999999999999999999999"}, 3, "no chunk"},
      {{"extract", "app.exe", "3"}, 3, "no chunk 3"},
      {{"cat", "app.exe", "0"}, 3, "no chunk 0"},
  };
  for (const Case& c : cases) {
    Spit(exe, original);
    Outcome run = Stowr(c.args);
    std::string what = c.args.empty() ? "(no arguments)" : c.args[0] + " " + (c.args.size() > 1 ? c.args.back() : "");
    EXPECT_EQ(run.code, c.code) << what << "\n" << run.err;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << what << "\n" << run.err;
    EXPECT_EQ(run.out, "") << what;
    EXPECT_EQ(Slurp(exe), original) << what;
  }
  EXPECT_FALSE(fs::exists(dir / "missing.exe"));
  EXPECT_FALSE(fs::exists(dir / "app.tpak.txt"));
}

// The disk did not confirm the rename: the chunk is gone, so the status is 0, and a warning says
// that the change may not have reached the disk (a failure would invite removing again).
TEST_F(Cli, UnconfirmedWriteSucceedsWithAWarning) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "AddressSanitizer's runtime must come first in the list of preloaded libraries";
#endif
  Spit(exe, body + Chunk("one", "ONE") + Chunk("two", "TWO"));
  preload = FOLDER_SYNC_FAILS;
  Outcome run = Stowr({"remove", exe, "1"});
  EXPECT_EQ(run.code, 0);
  EXPECT_EQ(run.err, "stowr-cli: warning: " + exe +
                         ": The change was made, but the disk did not confirm it: Input/output error\n");
  EXPECT_EQ(Slurp(exe), body + Chunk("two", "TWO"));
}

TEST_F(Cli, ReadOnlyExecutableIsRefusedAndKeptIntact) {
  const std::string original = body + Chunk("hello", "TXT");
  Spit(exe, original);
  Spit(dir / "data.txt", "data");
  fs::permissions(exe, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  for (std::vector<std::string> args : {std::vector<std::string>{"add", exe, "NEW", "data.txt"},
                                        {"remove", exe, "1"}, {"strip", exe}}) {
    Outcome run = Stowr(args);
    EXPECT_EQ(run.code, 2) << args[0];
    EXPECT_NE(run.err.find("cannot write " + exe), std::string::npos) << run.err;
    EXPECT_EQ(Slurp(exe), original) << args[0];
  }
}

// Runs a shell command in the test folder, its output discarded; true when it exits with 0.
bool Shell(const fs::path& dir, const std::string& command) {
  return std::system(("cd '" + dir.string() + "' && " + command + " >/dev/null 2>&1").c_str()) == 0;
}

// The standard output of a shell command run in the test folder, and in *code its exit status.
std::string ShellOutput(const fs::path& dir, const std::string& command, int* code = nullptr) {
  std::string out;
  FILE* pipe = popen(("cd '" + dir.string() + "' && " + command + " 2>/dev/null").c_str(), "r");
  char block[4096];
  for (std::size_t n; pipe && (n = std::fread(block, 1, sizeof block, pipe)) > 0;) out.append(block, n);
  const int status = pipe ? pclose(pipe) : -1;
  if (code) *code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return out;
}

// The last line of every verify of a signed program.
const std::string kNotChecked = ": certificates and their trust are not checked; osslsigncode verify or Windows check them\n";

// A program signed here with a throwaway certificate. Chunks added, removed and cleared inside its
// certificate table leave its signature valid after every step, and clearing gives back the
// signed bytes; a chunk added before signing is listed in front of the table, and removing it
// is refused until --break-signature allows it; then it breaks the signature, with the warning.
// So does any change to a program whose table cannot hold chunks.
TEST_F(Cli, SignedProgramsKeepTheirSignature) {
  const std::string kWarning = "signature will no longer verify";
  ASSERT_TRUE(Shell(dir, "openssl req -x509 -newkey rsa:2048 -nodes -keyout key.pem -out cert.pem -days 2 "
                         "-subj '/CN=stowr test'"));
  auto sign = [&](const std::string& bytes) {
    Spit(dir / "unsigned.exe", bytes);
    EXPECT_TRUE(Shell(dir, "rm -f app.exe && osslsigncode sign -certs cert.pem -key key.pem -in unsigned.exe -out app.exe"));
    return Slurp(exe);
  };
  auto verifies = [&] { return Shell(dir, "osslsigncode verify -CAfile cert.pem -in app.exe"); };
  Spit(dir / "data.txt", "hello");
  Spit(dir / "data.bin", "pay\0load!"s);
  const std::string program = sign(pe_image::MinimalPe(true));
  ASSERT_TRUE(verifies());
  EXPECT_EQ(Stowr({"verify", exe}).out, exe + ": signature 1: SHA-256, digest matches\n" + exe +
                                           ": signed; passes the strict certificate padding check\n" + exe + kNotChecked);

  const struct {
    std::vector<std::string> args;
    std::string places;  // what list --json says afterwards, one letter per chunk
  } inside[] = {
      {{"add", exe, "TXT", "data.txt"}, "s"},
      {{"add", exe, "BIN", "data.bin"}, "ss"},
      {{"add", exe, "ONE", "data.txt"}, "sss"},
      {{"add", exe, "TWO", "data.bin", "TRE", "data.txt"}, "sssss"},
      {{"set", exe, "ONE", "data.bin"}, "sssss"},
      {{"remove", exe, "2"}, "ssss"},
      {{"remove", exe, ":TWO"}, "sss"},
      {{"strip", exe}, ""},
  };
  for (const auto& step : inside) {
    Outcome run = Stowr(step.args);
    EXPECT_EQ(run.code, 0) << step.args[0] << ": " << run.err;
    EXPECT_EQ(run.err, "") << step.args[0];
    EXPECT_TRUE(verifies()) << step.args[0];
    EXPECT_EQ(Stowr({"verify", exe}).code, 0) << step.args[0];
    std::string json = Stowr({"list", "--json", exe}).out, places;
    for (std::size_t at = 0; (at = json.find("\"place\": \"", at)) != std::string::npos; at += 10) places += json[at + 10];
    EXPECT_EQ(places, step.places) << step.args[0];
  }
  EXPECT_EQ(Slurp(exe), program);
  EXPECT_EQ(Stowr({"list", exe}).out, "");

  // Several chunks in one write give the bytes of adding them one by one.
  Stowr({"add", exe, "TWO", "data.bin"});
  Stowr({"add", exe, "TRE", "data.txt"});
  const std::string oneByOne = Slurp(exe);
  Spit(exe, program);
  EXPECT_EQ(Stowr({"add", exe, "TWO", "data.bin", "TRE", "data.txt"}).code, 0);
  EXPECT_EQ(Slurp(exe), oneByOne);
  EXPECT_TRUE(verifies());

  const std::string front = sign(pe_image::MinimalPe(true) + Chunk("before", "OLD"));
  EXPECT_NE(Stowr({"list", "--json", exe}).out.find("\"place\": \"front\""), std::string::npos);
  EXPECT_EQ(Stowr({"set", exe, "OLD", "data.txt"}).code, 3);
  Outcome refused = Stowr({"remove", exe, "1"});
  EXPECT_EQ(refused.code, 3);
  EXPECT_EQ(refused.err, "stowr-cli: " + exe + " is signed and this change would break its signature, so nothing "
                         "was written; --break-signature allows it\n");
  EXPECT_EQ(Slurp(exe), front);
  EXPECT_TRUE(verifies());
  Outcome removed = Stowr({"remove", exe, "1", "--break-signature"});
  EXPECT_EQ(removed.code, 0) << removed.err;
  EXPECT_NE(removed.err.find(kWarning), std::string::npos) << removed.err;
  EXPECT_FALSE(verifies());

  Spit(exe, pe_image::Signed(pe_image::MinimalPe(true)) + "\x01");  // the table no longer ends the file
  EXPECT_EQ(Stowr({"add", exe, "TXT", "data.txt"}).code, 3);
  Outcome failing = Stowr({"verify", exe});
  EXPECT_EQ(failing.out, exe + ": signature 1: no Authenticode digest found\n" + exe +
                             ": signed; fails the strict certificate padding check\n" + exe + kNotChecked);
  EXPECT_EQ(failing.code, 4);
  EXPECT_EQ(Stowr({"strip", exe, "--break-signature"}).code, 0);  // nothing to strip: nothing to break
  Outcome plain = Stowr({"--break-signature", "add", exe, "TXT", "data.txt"});
  EXPECT_EQ(plain.code, 1);
  plain = Stowr({"add", "--break-signature", exe, "TXT", "data.txt"});
  EXPECT_EQ(plain.code, 0) << plain.err;
  EXPECT_NE(plain.err.find(kWarning), std::string::npos) << plain.err;
  EXPECT_EQ(Slurp(exe), pe_image::Signed(pe_image::MinimalPe(true)) + "\x01" + Chunk("hello", "TXT"));
  Spit(exe, pe_image::MinimalPe(true) + Chunk("hello", "TXT"));
  Outcome unsigned_ = Stowr({"verify", exe});
  EXPECT_EQ(unsigned_.out, exe + ": not signed\n");
  EXPECT_EQ(unsigned_.code, 0);
}

// verify against osslsigncode verify, on programs osslsigncode signs in several ways and stowr
// edits: one line per signature that osslsigncode finds, in its order, with its algorithm and
// whether its digest matches (MD5 is named but not checked), and exit status 0 exactly when
// osslsigncode succeeds on digests stowr checks. Chunks inside the signature are counted for the
// re-signing warning.
TEST_F(Cli, VerifyAgreesWithOsslsigncodeOnEveryDigest) {
  ASSERT_TRUE(Shell(dir, "openssl req -x509 -newkey rsa:2048 -nodes -keyout key.pem -out cert.pem -days 2 "
                         "-subj '/CN=stowr test'"));
  Spit(dir / "unsigned.exe", pe_image::MinimalPe(true));
  Spit(dir / "front.exe", pe_image::MinimalPe(false) + Chunk("before", "OLD"));
  Spit(dir / "data.txt", "hello");
  const std::string sign = "osslsigncode sign -certs cert.pem -key key.pem ", cli = STOWR_CLI " ";
  const struct {
    std::string name, make;
    int inside;  // chunks inside the signature
  } cases[] = {
      {"one signature", sign + "-h sha256 -in unsigned.exe -out app.exe", 0},
      {"nested", sign + "-in unsigned.exe -out one.exe && " + sign + "-h sha1 -nest -in one.exe -out app.exe", 0},
      {"SHA-1", sign + "-h sha1 -in unsigned.exe -out app.exe", 0},
      {"SHA-512", sign + "-h sha512 -in unsigned.exe -out app.exe", 0},
      {"MD5", sign + "-h md5 -in unsigned.exe -out app.exe", 0},
      {"a chunk in front", sign + "-in front.exe -out app.exe", 0},
      {"chunks inside", sign + "-in unsigned.exe -out one.exe && " + sign + "-h sha1 -nest -in one.exe -out app.exe && " +
                            cli + "add app.exe TXT data.txt BIN data.txt", 2},
      {"after --break-signature", sign + "-in front.exe -out app.exe && " + cli + "set app.exe OLD data.txt --break-signature", 0},
      {"a chunk inside, one in front, then --break-signature",
       sign + "-in front.exe -out app.exe && " + cli + "add app.exe TXT data.txt && " + cli + "remove app.exe 1 --break-signature", 1},
  };
  const std::map<std::string, std::string> names = {{"SHA256", "SHA-256"}, {"SHA1", "SHA-1"}, {"SHA512", "SHA-512"},
                                                     {"MD5", "MD5"}};
  for (const auto& c : cases) {
    fs::remove(exe);
    fs::remove(dir / "one.exe");
    ASSERT_TRUE(Shell(dir, "(" + c.make + ")")) << c.name;
    int osslCode = -1;
    std::istringstream report(ShellOutput(dir, "osslsigncode verify -CAfile cert.pem -in app.exe", &osslCode));
    std::string expected, algorithm;
    bool checked = true;
    int number = 0;
    for (std::string line; std::getline(report, line);) {
      if (line.rfind("Message digest algorithm  : ", 0) == 0) algorithm = names.at(line.substr(28));
      if (line.rfind("Calculated message digest : ", 0) != 0) continue;
      const bool unknown = algorithm == "MD5", mismatch = line.find("MISMATCH") != std::string::npos;
      checked = checked && !unknown;
      ++number;
      expected += exe + ": signature " + std::to_string(number) + (number > 1 ? " (nested): " : ": ") + algorithm +
                  (unknown ? ", digest not checked\n" : mismatch ? ", digest differs\n" : ", digest matches\n");
    }
    expected += exe + ": signed; passes the strict certificate padding check\n";
    if (c.inside > 0)
      expected += exe + ": re-signing removes the " + (c.inside == 1 ? "1 chunk"s : std::to_string(c.inside) + " chunks") +
                  " inside the signature; see stowr-cli copy\n";
    Outcome run = Stowr({"verify", exe});
    EXPECT_GT(number, 0) << c.name;
    EXPECT_EQ(run.out, expected + exe + kNotChecked) << c.name;
    EXPECT_EQ(run.code, osslCode == 0 && checked ? 0 : 4) << c.name;
  }
}

// A chunk added to a signed program as earlier versions did: behind the signature blob, zero
// padded to a multiple of 8, the table's sizes following.
std::string AddBehindBlob(std::string exe, const std::string& chunk) {
  const std::size_t entry = pe_image::kOptionalAt + 112 + 4 * 8;
  auto get = [&](std::size_t at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(exe[at + i]);
    return value;
  };
  const std::uint32_t added = static_cast<std::uint32_t>((8 - chunk.size() % 8) % 8 + chunk.size());
  const std::uint32_t table = get(entry);
  pe_image::Put(exe, entry + 4, get(entry + 4) + added, 4);
  pe_image::Put(exe, table, get(table) + added, 4);
  return exe + std::string(added - chunk.size(), '\0') + chunk;
}

// Chunks go inside the signature blob of programs signed in several ways, and of a file whose
// chunks stand behind the blob as earlier versions put them (moved inside by the next edit, in
// order). After every step the signature verifies, the strict padding check holds, the reader
// finds every chunk inside the table with the data the steps left, list --json lists the same
// offsets, and strip gives back the signed program. The chunk sizes make the DER lengths around
// them change their own size (1 to 2 to 3 bytes) and back.
TEST_F(Cli, ChunksGoInsideTheSignatureBlob) {
  ASSERT_TRUE(Shell(dir, "openssl req -x509 -newkey rsa:2048 -nodes -keyout key.pem -out cert.pem -days 2 "
                         "-subj '/CN=stowr test'"));
  Spit(dir / "unsigned.exe", pe_image::MinimalPe(true));
  const std::string sign = "osslsigncode sign -h sha256 -certs cert.pem -key key.pem ";
  ASSERT_TRUE(Shell(dir, sign + "-in unsigned.exe -out plain.exe"));
  ASSERT_TRUE(Shell(dir, sign + "-nest -in plain.exe -out nested.exe"));
  ASSERT_TRUE(Shell(dir, "osslsigncode add -addUnauthenticatedBlob -in plain.exe -out blob.exe"));
  // A timestamp's counter-signature from osslsigncode's own time-stamping authority, offline.
  ASSERT_TRUE(Shell(dir, "openssl req -x509 -newkey rsa:2048 -nodes -keyout tsakey.pem -out tsa.pem -days 2 "
                         "-subj '/CN=stowr tsa' -addext extendedKeyUsage=critical,timeStamping"));
  ASSERT_TRUE(Shell(dir, sign + "-TSA-certs tsa.pem -TSA-key tsakey.pem -TSA-time $(date +%s) -in unsigned.exe -out ts.exe"));
  const std::string plain = Slurp(dir / "plain.exe");
  const std::string mid(120, 'm'), big(70000, '\0');
  Spit(dir / "small", "hello");
  Spit(dir / "mid", mid);
  Spit(dir / "big", big);
  using Model = std::vector<std::pair<std::string, std::string>>;  // kind and data, oldest first
  const struct {
    std::string name, bytes;
    Model chunks;
  } layouts[] = {
      {"plain", plain, {}},
      {"nested", Slurp(dir / "nested.exe"), {}},
      {"another attribute", Slurp(dir / "blob.exe"), {}},
      {"timestamped", Slurp(dir / "ts.exe"), {}},
      {"behind the blob", AddBehindBlob(AddBehindBlob(plain, Chunk("old", "OLD")), Chunk("older\0"s, "BIN")),
       {{"OLD", "old"}, {"BIN", "older\0"s}}},
  };
  const std::vector<std::vector<std::string>> steps = {
      {"add", exe, "TXT", "small"}, {"add", exe, "MID", "mid"}, {"add", exe, "BIG", "big", "TWO", "small"},
      {"set", exe, "TXT", "mid"},   {"remove", exe, ":BIG"},    {"remove", exe, "1"},
      {"strip", exe},
  };
  // What each step does to the chunks, told from its arguments and the files' contents.
  std::map<std::string, std::string> contents = {{"small", "hello"}, {"mid", mid}, {"big", big}};
  auto apply = [&](const std::vector<std::string>& step, Model& model) {
    auto newest = [&](const std::string& kind) {
      return std::find_if(model.rbegin(), model.rend(), [&](const auto& chunk) { return chunk.first == kind; });
    };
    if (step[0] == "add") {
      for (std::size_t i = 2; i < step.size(); i += 2) model.emplace_back(step[i], contents[step[i + 1]]);
    } else if (step[0] == "set") {
      newest(step[2])->second = contents[step[3]];
    } else if (step[0] == "remove") {
      model.erase(step[2][0] == ':' ? std::prev(newest(step[2].substr(1)).base()) : model.begin() + std::stoi(step[2]) - 1);
    } else {
      model.clear();
    }
  };
  for (const auto& layout : layouts) {
    Spit(exe, layout.bytes);
    Model model = layout.chunks;
    const std::string original = layout.chunks.empty() ? layout.bytes : plain;
    for (const auto& step : steps) {
      const std::string at = layout.name + ", " + step[0] + (step.size() > 2 ? " " + step[2] : "");
      Outcome run = Stowr(step);
      ASSERT_EQ(run.code, 0) << at << ": " << run.err;
      apply(step, model);
      EXPECT_TRUE(Shell(dir, "osslsigncode verify -CAfile cert.pem -TSA-CAfile tsa.pem -in app.exe")) << at;
      EXPECT_EQ(Stowr({"verify", exe}).code, 0) << at;
      const std::string bytes = Slurp(exe);
      tailpack::Listing listing = tailpack::ListChunksInMemory(bytes);
      ASSERT_EQ(listing.chunks.size(), model.size()) << at;
      std::string offsets, listed = Stowr({"list", "--json", exe}).out, expected;
      for (std::size_t i = 0; i < model.size(); ++i) {
        const tailpack::Chunk& chunk = listing.chunks[i];
        EXPECT_EQ(chunk.kind, model[i].first) << at;
        EXPECT_EQ(bytes.substr(chunk.offset, chunk.length), model[i].second) << at;
        EXPECT_EQ(chunk.place, tailpack::Place::Signature) << at;
        expected += "\"offset\": " + std::to_string(chunk.offset) + ", \"place\": \"signature\"";
      }
      for (std::smatch m; std::regex_search(listed, m, std::regex("\"offset\": \\d+, \"place\": \"\\w+\"")); listed = m.suffix())
        offsets += m.str();
      EXPECT_EQ(offsets, expected) << at;
    }
    EXPECT_EQ(Slurp(exe), original) << layout.name;
  }
}

// Several chunks in one write, chunks named by kind, standard input and output as "-", and
// options among the arguments. Each case starts from the same file.
TEST_F(Cli, PipelineCases) {
  const std::string original =
      body + Chunk("old", "TXT") + Chunk("bin\0"s, "BIN") + Chunk("digits", "123") + Chunk("new", "TXT");
  Spit(dir / "a.txt", "alpha");
  Spit(dir / "b.bin", "be\0ta"s);
  struct Case {
    std::vector<std::string> args;
    std::string input;  // standard input
    int code;
    std::string out;    // standard output
    std::string after;  // the file afterwards
    std::string err;    // part of standard error
  };
  const Case cases[] = {
      {{"add", "app.exe", "ONE", "a.txt", "TWO", "b.bin"}, "", 0, "", original + Chunk("alpha", "ONE") + Chunk("be\0ta"s, "TWO"), ""},
      {{"add", "app.exe", "one", "-", "TWO", "a.txt"}, "pi\0ped"s, 0, "", original + Chunk("pi\0ped"s, "ONE") + Chunk("alpha", "TWO"), ""},
      {{"add", "app.exe", "ONE", "a.txt", "TXT", "b.bin"}, "", 3, "", original, "a chunk of kind TXT is there already"},
      {{"add", "app.exe", "ONE", "a.txt", "one", "b.bin"}, "", 3, "", original, "the kind ONE is named twice"},
      {{"add", "app.exe", "ONE", "a.txt", "TWO"}, "", 1, "", original, "usage:"},
      {{"add", "app.exe", "ONE", "-"}, "", 3, "", original, "standard input is empty"},
      {{"add", "app.exe", "ONE", "-", "TWO", "-"}, "x", 3, "", original, "one chunk only"},
      {{"cat", "app.exe", ":BIN"}, "", 0, "bin\0"s, original, ""},
      {{"cat", "app.exe", ":TXT"}, "", 0, "new", original, ""},  // the newest of that kind
      {{"cat", "app.exe", ":123"}, "", 0, "digits", original, ""},
      {{"cat", "app.exe", "3"}, "", 0, "digits", original, ""},
      {{"cat", "app.exe", "123"}, "", 3, "", original, "no chunk 123"},
      {{"cat", "app.exe", ":XYZ"}, "", 3, "", original, "no chunk of kind XYZ"},
      {{"cat", "app.exe", ":"}, "", 1, "", original, "usage:"},
      {{"cat", "app.exe", ":ABCD"}, "", 1, "", original, "usage:"},
      {{"extract", "app.exe", ":BIN", "-"}, "", 0, "bin\0"s, original, ""},
      {{"remove", "app.exe", ":TXT"}, "", 0, "", body + Chunk("old", "TXT") + Chunk("bin\0"s, "BIN") + Chunk("digits", "123"), ""},
      {{"remove", ":TXT", "app.exe"}, "", 2, "", original, "cannot read :TXT"},
      {{"list", "app.exe", "--json"}, "", 0, "[\n  {\"index\": 1, \"kind\": \"TXT\", \"type\": \"Text\", \"length\": 3, \"offset\": 1000", original, ""},
      {{"cat", "app.exe", "--json", "1"}, "", 1, "", original, "usage:"},
      {{"list", "--break-signature", "app.exe"}, "", 1, "", original, "usage:"},
      // set: the newest chunk of the kind in place, a missing kind added, equal bytes not written
      {{"set", "app.exe", "txt", "a.txt"}, "", 0, "", body + Chunk("old", "TXT") + Chunk("bin\0"s, "BIN") + Chunk("digits", "123") + Chunk("alpha", "TXT"), ""},
      {{"set", "app.exe", "BIN", "-"}, "longer\0bytes"s, 0, "", body + Chunk("old", "TXT") + Chunk("longer\0bytes"s, "BIN") + Chunk("digits", "123") + Chunk("new", "TXT"), ""},
      {{"set", "app.exe", "ONE", "b.bin"}, "", 0, "", original + Chunk("be\0ta"s, "ONE"), ""},
      {{"set", "app.exe", "123", "-"}, "digits", 0, "", original, "holds these bytes already"},
      {{"set", "app.exe", "B-N", "a.txt"}, "", 3, "", original, "app.exe: B-N is not a kind"},
      {{"set", "app.exe", "BIN", "-"}, "", 3, "", original, "standard input is empty"},
  };
  for (const Case& c : cases) {
    Spit(exe, original);
    input = c.input;
    Outcome run = Stowr(c.args);
    std::string what;
    for (const std::string& arg : c.args) what += arg + " ";
    EXPECT_EQ(run.code, c.code) << what << "\n" << run.err;
    EXPECT_EQ(run.out.substr(0, c.code == 0 && c.args[0] == "list" ? c.out.size() : std::string::npos), c.out) << what;
    EXPECT_NE(run.err.find(c.err), std::string::npos) << what << "\n" << run.err;
    EXPECT_TRUE(Slurp(exe) == c.after) << what;
  }
}

// list --json against the literal model, for generated files, plain and signed: the same chunks,
// numbered from 1, at the 0-based offsets of their first data bytes, in the same places.
TEST_F(Cli, JsonListingAgreesWithTheModel) {
  Spit(dir / "data.txt", "hello");
  std::vector<std::string> files;
  for (std::uint64_t seed = 1; seed <= 60; ++seed)
    files.push_back((seed % 3 == 0 ? randomfiles::MakeRandomSignedFile(seed) : randomfiles::MakeRandomFile(seed)).bytes);
  Spit(exe, pe_image::Signed(pe_image::MinimalPe(true)));
  ASSERT_EQ(Stowr({"add", exe, "ONE", "data.txt", "TWO", "data.txt"}).code, 0);
  files.push_back(Slurp(exe));
  for (const std::string& bytes : files) {
    ChunkTable table;
    literal::ScanBytes(bytes, "", table, nullptr);
    Spit(exe, bytes);
    Outcome run = Stowr({"list", exe, "--json"});
    ASSERT_EQ(run.code, 0) << run.err;
    std::string expected = "[";
    for (std::size_t i = 0; i < table.size(); ++i) {
      const char* place = table[i].Place == TP_PLACE_END ? "end" : table[i].Place == TP_PLACE_SIGNATURE ? "signature" : "front";
      expected += (i ? "," : "") + "\n  {\"index\": "s + std::to_string(i + 1) + ", \"length\": " +
                  std::to_string(table[i].Length) + ", \"offset\": " + std::to_string(table[i].Offset - 1) +
                  ", \"place\": \"" + place + "\"}";
    }
    expected += table.empty() ? "]\n" : "\n]\n";
    // The listing with its kind and type cells taken out.
    EXPECT_EQ(std::regex_replace(run.out, std::regex(", \"kind\": \"([^\"\\\\]|\\\\.)*\", \"type\": \"\\w+\""), ""), expected);
  }
}

// list --json --hash: each entry is the entry list --json gives with the SHA-256 that sha256sum
// computes of the chunk as extract writes it (a chunk of several blocks, an empty one, a Binary
// one whose only zero byte comes last), and null for a damaged chunk that extract cannot write.
// --hash belongs to --json.
TEST_F(Cli, ListHashesWhatExtractWrites) {
  std::string big(3 << 20, 'b');
  big.back() = '\0';
  Spit(exe, body + "FFFFFFFFDMG{TlPk}" + Chunk(big, "BIG") + Chunk("", "NIL") + Chunk("hello", "TXT"));
  Outcome hashed = Stowr({"list", "--json", "--hash", exe});
  ASSERT_EQ(hashed.code, 0) << hashed.err;
  std::string listed = hashed.out, expected;
  for (int index = 1; index <= 4; ++index) {
    const std::string out = "chunk" + std::to_string(index);
    const bool extracted = Stowr({"extract", exe, std::to_string(index), out}).code == 0;
    expected += extracted ? "\"" + ShellOutput(dir, "sha256sum " + out).substr(0, 64) + "\"" : "null";
    EXPECT_EQ(extracted, index > 1) << index;
  }
  std::string sums;
  for (std::smatch m; std::regex_search(listed, m, std::regex(", \"sha256\": (\"[0-9a-f]{64}\"|null)")); listed = m.suffix())
    sums += m[1];
  EXPECT_EQ(sums, expected);
  EXPECT_EQ(std::regex_replace(hashed.out, std::regex(", \"sha256\": [^}]*"), ""), Stowr({"list", "--json", exe}).out);
  EXPECT_EQ(Stowr({"list", "--hash", exe}).code, 1);
}

TEST_F(Cli, HelpAndVersionGoToStandardOutput) {
  Outcome run = Stowr({"--help"});
  EXPECT_EQ(run.code, 0);
  EXPECT_NE(run.out.find("stowr-cli extract-all EXE"), std::string::npos);
  // Every command has its usage, options and an example, asked for either way.
  for (const char* command : {"list", "add", "set", "remove", "strip", "extract", "extract-all", "cat", "verify"}) {
    for (const std::vector<std::string>& args : {std::vector<std::string>{"help", command},
                                                 std::vector<std::string>{command, "app.exe", "--help"}}) {
      run = Stowr(args);
      EXPECT_EQ(run.code, 0) << command;
      EXPECT_EQ(run.out.rfind("usage: stowr-cli "s + command + " ", 0), 0u) << run.out;
      EXPECT_NE(run.out.find("\nExample:\n  stowr-cli "s + command + " "), std::string::npos) << run.out;
    }
  }
  run = Stowr({"help", "frobnicate"});
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(run.err.rfind("usage: stowr-cli list", 0), 0u) << run.err;
  run = Stowr({"--version"});
  EXPECT_EQ(run.code, 0);
  EXPECT_EQ(run.out, "stowr-cli " STOWR_VERSION "\n");
}

// An add of more files than the process may hold open opens them one at a time.
TEST_F(Cli, AddOfManyFilesOpensOneAtATime) {
  Spit(exe, body);
  std::vector<std::string> args = {"add", exe};
  std::string expected = body;
  for (int i = 0; i < 1100; ++i) {
    const std::string kind = std::string(1, static_cast<char>('A' + i / 100)) + std::to_string(100 + i % 100).substr(1);
    const std::string name = "f" + std::to_string(i), data = "data " + std::to_string(i);
    Spit(dir / name, data);
    args.insert(args.end(), {kind, name});
    expected += Chunk(data, kind);
  }
  openFiles = 256;
  Outcome run = Stowr(args);
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_TRUE(Slurp(exe) == expected);
}

// Large chunks and files, and files of many chunks, go through a small, fixed amount of memory.
TEST_F(Cli, WorksInBoundedMemoryOnLargeAndManyChunks) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "AddressSanitizer reserves more address space than the limit allows";
#endif
  const rlim_t kLimit = 24 << 20;
  std::string big(32 << 20, 'b');
  big[1000] = '\0';
  Spit(dir / "big.bin", big);
  Spit(exe, body);
  Outcome add = Stowr({"add", exe, "BIG", "big.bin"}, kLimit);
  EXPECT_EQ(add.code, 0) << add.err;
  EXPECT_TRUE(Slurp(exe) == body + Chunk(big, "BIG"));
  Outcome cat = Stowr({"cat", exe, "1"}, kLimit);
  EXPECT_EQ(cat.code, 0) << cat.err;
  EXPECT_TRUE(cat.out == big);
  EXPECT_EQ(Stowr({"extract", exe, "1", "out.bin"}, kLimit).code, 0);
  EXPECT_TRUE(Slurp(dir / "out.bin") == big);
  // Standard input waits in a file, not in memory: added, and set in place of the chunk it became.
  input = big;
  Outcome piped = Stowr({"add", exe, "PIP", "-"}, kLimit);
  EXPECT_EQ(piped.code, 0) << piped.err;
  input[0] = 'p';
  piped = Stowr({"set", exe, "BIG", "-"}, kLimit);
  EXPECT_EQ(piped.code, 0) << piped.err;
  EXPECT_TRUE(Slurp(exe) == body + Chunk(input, "BIG") + Chunk(big, "PIP"));
  input.clear();

  // A million chunks: the commands that need one chunk find it without holding the table.
  std::string many;
  for (int i = 0; i < 1000000; ++i) many += Chunk("x", "ABC");
  Spit(exe, body + Chunk("first", "TXT") + many);
  Outcome first = Stowr({"cat", exe, "1"}, kLimit);
  EXPECT_EQ(first.code, 0) << first.err;
  EXPECT_EQ(first.out, "first");
  Outcome remove = Stowr({"remove", exe, "1"}, kLimit);
  EXPECT_EQ(remove.code, 0) << remove.err;
  EXPECT_TRUE(Slurp(exe) == body + many);
}

}  // namespace
