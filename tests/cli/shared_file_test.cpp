// stowr-cli on a file that other writers share: parallel edits lose nothing, a lock of another
// program is respected, the file's metadata survives an edit, a change of mode during the write
// stops it, and failures name their real cause.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
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

  // Starts stowr-cli in the test folder with its standard error in errFile, once the pipe go has
  // been closed by the test.
  pid_t Start(const std::vector<std::string>& args, const int* go, const fs::path& errFile,
              const std::string& preload = "") {
    pid_t pid = fork();
    if (pid != 0) return pid;
    char byte;
    if (go != nullptr && (close(go[1]) != 0 || read(go[0], &byte, 1) < 0)) _exit(127);
    std::vector<char*> argv{const_cast<char*>(STOWR_CLI)};
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    int err = open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    int null = open("/dev/null", O_WRONLY);
    if (err < 0 || dup2(err, 2) < 0 || dup2(null, 1) < 0 || chdir(dir.c_str()) != 0) _exit(127);
    if (!preload.empty()) setenv("LD_PRELOAD", preload.c_str(), 1);
    alarm(60);
    execv(STOWR_CLI, argv.data());
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

  fs::path dir;
  std::string exe, body;
};

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

}  // namespace
