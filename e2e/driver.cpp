// stowr-e2e: runs the end-to-end cases against stowr.exe and prints one line per case and a
// closing count. Usage: stowr-e2e <path of stowr.exe> [--repeat N] [name-part ...]
// With name parts, only the cases whose names contain one of them run; the timed cases run only
// then.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "e2e/cases.h"
#include "e2e/fixture_files.h"

namespace e2e {

bool Fail(Run& run, int line, const std::string& what) {
  if (run.failure.empty()) run.failure = "line " + std::to_string(line) + ": " + what;
  return false;
}

}  // namespace e2e

namespace {

struct Options {
  std::string program;
  int repeat = 1;
  std::vector<std::string> filters;
};

bool ParseOptions(int argc, char** argv, Options& options) {
  if (argc < 2) return false;
  options.program = argv[1];
  for (int i = 2; i < argc; ++i) {
    if (std::strcmp(argv[i], "--repeat") == 0 && i + 1 < argc) {
      options.repeat = std::atoi(argv[++i]);
      if (options.repeat < 1) return false;
    } else {
      options.filters.push_back(argv[i]);
    }
  }
  return true;
}

bool Selected(const Options& options, const std::string& name) {
  if (options.filters.empty()) return true;
  for (const std::string& part : options.filters)
    if (name.find(part) != std::string::npos) return true;
  return false;
}

// One run of one case in a folder of its own; the case's App ends its process on every path.
bool RunCase(const Options& options, const e2e::Case& testCase) {
  e2e::Run run;
  run.program = options.program;
  const ULONGLONG start = GetTickCount64();
  bool passed = e2e::MakeCaseFolder(testCase.name, run.folder);
  if (!passed) run.failure = "cannot make the case folder";
  else passed = testCase.run(run) && run.failure.empty();
  const unsigned long long ms = GetTickCount64() - start;
  if (passed) {
    std::printf("PASS %s (%llu ms)\n", testCase.name, ms);
    e2e::RemoveFolder(run.folder);
  } else {
    std::printf("FAIL %s (%llu ms): %s\n  files kept in %s\n", testCase.name, ms, run.failure.c_str(), run.folder.c_str());
  }
  std::fflush(stdout);
  return passed;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, options)) {
    std::fprintf(stderr, "usage: stowr-e2e <path of stowr.exe> [--repeat N] [name-part ...]\n");
    return 2;
  }
  if (GetFileAttributesA(options.program.c_str()) == INVALID_FILE_ATTRIBUTES) {
    std::fprintf(stderr, "stowr-e2e: no program at %s\n", options.program.c_str());
    return 2;
  }
  int passed = 0, failed = 0;
  for (int round = 0; round < options.repeat; ++round) {
    std::vector<e2e::Case> cases = e2e::MainWindowCases();
    for (const e2e::Case& more : e2e::ChunkToolCases()) cases.push_back(more);
    for (const e2e::Case& more : e2e::ViewerCases()) cases.push_back(more);
    for (const e2e::Case& more : e2e::DesktopCases()) cases.push_back(more);
    for (const e2e::Case& more : e2e::ProgressCases()) cases.push_back(more);
    for (const e2e::Case& more : e2e::SignedCases()) cases.push_back(more);
    for (const e2e::Case& more : e2e::SharedFileCases()) cases.push_back(more);
    for (const e2e::Case& more : e2e::HabitCases()) cases.push_back(more);
    if (!options.filters.empty())
      for (const e2e::Case& more : e2e::WindowBenchCases()) cases.push_back(more);
    for (const e2e::Case& testCase : cases) {
      if (!Selected(options, testCase.name)) continue;
      (RunCase(options, testCase) ? passed : failed)++;
    }
  }
  if (failed == 0) e2e::RemoveFolder(e2e::DriverFolder());
  std::printf("e2e: %d passed, %d failed\n", passed, failed);
  return failed == 0 ? 0 : 1;
}
