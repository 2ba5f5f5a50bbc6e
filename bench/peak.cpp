#include "bench/peak.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "store/scan.h"
#include "tests/model/literal_model.h"

namespace {

// The high-water mark of this process's resident memory, in KiB (VmHWM: this process image only,
// whatever its parent held).
std::uint64_t PeakKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmHWM:", 0) == 0) return std::stoull(line.substr(6));
  return 0;
}

}  // namespace

// argv: program --peak store <file>, or program --peak literal <file> <chunks>.
int RunPeakChild(int argc, char** argv) {
  if (argc < 4) return 2;
  std::string mode = argv[2], path = argv[3];
  std::uint64_t before = PeakKiB();
  std::size_t binary = 0;
  ChunkTable table;
  if (mode == "store") {
    if (!ScanTailpack(path, table).ok()) return 1;
    for (const ChunkRecord& record : table) binary += ChunkIsBinary(path, record);
  } else {
    literal::ScanTailpack(path, table, nullptr);
    std::size_t chunks = argc > 4 ? std::stoul(argv[4]) : table.size();
    for (std::size_t i = 0; i < chunks && i < table.size(); ++i)
      binary += literal::IsBinaryChunk(literal::ReadChunk(path, table[i]));
  }
  std::printf("%llu %llu %zu\n", static_cast<unsigned long long>(before),
              static_cast<unsigned long long>(PeakKiB()), binary);
  return 0;
}

std::uint64_t MeasurePeak(const std::string& args, std::uint64_t& childPeak, std::string& error) {
  // popen runs a shell, so the program's own path is spelled out rather than /proc/self/exe.
  std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
  std::FILE* child = popen(("'" + self + "' --peak " + args).c_str(), "r");
  if (child == nullptr) {
    error = "cannot start the child";
    return 0;
  }
  unsigned long long before = 0, after = 0;
  std::size_t binary = 0;
  int got = std::fscanf(child, "%llu %llu %zu", &before, &after, &binary);
  int rc = pclose(child);
  if (got != 3 || rc != 0) {
    error = "the child failed";
    return 0;
  }
  childPeak = after * 1024;
  return (after - before) * 1024;
}
