// POSIX stand-ins for the process queries, so the logic builds and runs natively.
#include "platform/process.h"

#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <vector>

namespace platform {

namespace {

// Arguments holding a space are quoted, as a Windows command line would show them.
std::string QuoteIfNeeded(const std::string& argument) {
  if (argument.find(' ') == std::string::npos && !argument.empty()) return argument;
  return "\"" + argument + "\"";
}

}  // namespace

// Rebuilt from /proc/self/cmdline: the arguments joined by single spaces.
std::string CommandLine() {
  std::ifstream in("/proc/self/cmdline", std::ios::binary);
  std::string raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::string line;
  std::size_t start = 0;
  while (start < raw.size()) {
    std::size_t end = raw.find('\0', start);
    if (end == std::string::npos) end = raw.size();
    if (!line.empty()) line += ' ';
    line += QuoteIfNeeded(raw.substr(start, end - start));
    start = end + 1;
  }
  return line;
}

std::string CurrentDirectory() {
  std::vector<char> buffer(4096);
  if (!getcwd(buffer.data(), buffer.size())) return "";
  return buffer.data();
}

// The nearest POSIX reading of "plain": a regular file (not a link, not a folder) whose name
// does not begin with a dot.
void DeletePlainFile(const std::string& path) {
  struct stat info {};
  if (lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return;
  std::size_t slash = path.find_last_of('/');
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (!name.empty() && name[0] == '.') return;
  unlink(path.c_str());
}

}  // namespace platform
