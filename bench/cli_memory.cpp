#include "bench/cli_memory.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "bench/child.h"

namespace {

Status Errno(const std::string& what) { return Status::Failed(what + ": " + std::strerror(errno)); }

// A file of n bytes of text, written in blocks.
Status WriteFilled(const std::string& path, std::uint64_t n) {
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) return Errno("create " + path);
  const std::string block(std::size_t{8} << 20, 'x');
  Status status;
  while (n > 0 && status.ok()) {
    std::size_t step = n < block.size() ? static_cast<std::size_t>(n) : block.size();
    if (write(fd, block.data(), step) != static_cast<ssize_t>(step)) status = Errno("write " + path);
    n -= step;
  }
  close(fd);
  return status;
}

// Runs stowr-cli with args in folder, its standard output thrown away, and gives its peak
// resident size. It runs under /usr/bin/time, which reports its child's getrusage: a child forked
// from this process would start from this process's own resident size instead. A command whose
// data is "-" reads `piped` zero bytes from a pipe.
Status RunCli(const std::string& folder, const std::vector<std::string>& args, std::uint64_t piped,
              std::uint64_t& peak) {
  const std::string report = folder + "/peak.txt";
  std::vector<std::string> words = {"/usr/bin/time", "-f", "%M", "-o", report, STOWR_CLI};
  words.insert(words.end(), args.begin(), args.end());
  if (args.back() == "-")
    words.insert(words.begin(), {"/bin/sh", "-c", "head -c \"$0\" /dev/zero | exec \"$@\"", std::to_string(piped)});
  if (!RunQuietly(words, folder)) return Status::Failed("stowr-cli " + args[0] + " failed");
  std::ifstream in(report);
  std::uint64_t kib = 0;
  if (!(in >> kib)) return Status::Failed("no peak from /usr/bin/time (Debian package: time)");
  peak = kib * 1024;
  return Status::Success();
}

}  // namespace

// The data file goes once it is a chunk, so that the piped add and set, which keep their data
// in a scratch file beside the executable meanwhile, need no more disk than the rest.
Status MeasureCommandPeaks(const std::string& folder, std::uint64_t size, std::vector<CommandPeak>& peaks) {
  const std::string dir = folder + "/memory";
  std::filesystem::create_directories(dir);
  Status status = WriteFilled(dir + "/big.bin", size);
  if (status.ok()) status = WriteFilled(dir + "/app.exe", 1 << 20);
  if (status.ok()) status = WriteFilled(dir + "/small.txt", 100);
  const std::vector<std::vector<std::string>> commands = {
      {"add", "app.exe", "BIG", "big.bin"}, {"add", "app.exe", "TXT", "small.txt"}, {"list", "app.exe"},
      {"cat", "app.exe", "1"},              {"extract", "app.exe", "1", "out.bin"}, {"remove", "app.exe", "2"},
      {"strip", "app.exe"},                 {"add", "app.exe", "PIP", "-"},         {"set", "app.exe", "PIP", "-"},
  };
  for (const auto& command : commands) {
    if (!status.ok()) break;
    CommandPeak row;
    for (const std::string& word : command) row.command += (row.command.empty() ? "" : " ") + word;
    if (command.back() == "-") row.command += " (piped)";
    status = RunCli(dir, command, size, row.peak);
    peaks.push_back(row);
    if (command.back() == "big.bin" || command[0] == "extract") std::filesystem::remove(dir + "/" + command.back());
  }
  std::filesystem::remove_all(dir);
  return status;
}
