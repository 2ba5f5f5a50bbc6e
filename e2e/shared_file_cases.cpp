// End-to-end case of stowr-cli.exe writers of one file at once: each round starts four, three
// adding a chunk each and one removing the oldest. Those that wait for another never find the file
// missing while it is replaced: every change ends with code 0 and is in the file afterwards.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "e2e/cases.h"
#include "e2e/fixture_files.h"

namespace e2e {
namespace {

// stowr-cli.exe beside the program (a release folder) or in the build's cli folder.
std::string CliBeside(const std::string& program) {
  const std::string folder = program.substr(0, program.find_last_of("\\/") + 1);
  const std::string beside = folder + "stowr-cli.exe";
  if (GetFileAttributesA(beside.c_str()) != INVALID_FILE_ATTRIBUTES) return beside;
  return folder + "..\\cli\\stowr-cli.exe";
}

HANDLE StartCli(Run& run, const std::string& cli, const std::string& args) {
  STARTUPINFOA start{};
  start.cb = sizeof start;
  PROCESS_INFORMATION process{};
  std::string command = "\"" + cli + "\" " + args;
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, run.folder.c_str(),
                      &start, &process))
    return nullptr;
  CloseHandle(process.hThread);
  return process.hProcess;
}

DWORD ExitCodeOf(HANDLE process) {
  DWORD code = 99;
  if (WaitForSingleObject(process, 60000) != WAIT_OBJECT_0 || !GetExitCodeProcess(process, &code)) code = 99;
  CloseHandle(process);
  return code;
}

// The file after a round: the second initial chunk, then the added ones in any order.
bool HoldsEveryChange(const std::string& bytes, std::vector<std::string> added) {
  std::sort(added.begin(), added.end());
  do {
    std::vector<TestChunk> chunks = {{"TWO", "two"}};
    for (const std::string& kind : added) chunks.push_back({kind, "new"});
    if (bytes == FileBytes(ExeBody(4096), chunks)) return true;
  } while (std::next_permutation(added.begin(), added.end()));
  return false;
}

bool TwoCliWritersLoseNothing(Run& run) {
  const std::string cli = CliBeside(run.program);
  E2E_CHECK(GetFileAttributesA(cli.c_str()) != INVALID_FILE_ATTRIBUTES);
  const std::string exe = run.folder + "shared.exe";
  const std::vector<std::string> added = {"NEW", "SEC", "THR"};
  for (int round = 0; round < 40; ++round) {
    E2E_CHECK(WriteBytes(exe, FileBytes(ExeBody(4096), {{"ONE", "one"}, {"TWO", "two"}})));
    E2E_CHECK(WriteBytes(run.folder + "new.txt", "new"));
    std::vector<HANDLE> writers = {StartCli(run, cli, "remove shared.exe 1")};
    for (const std::string& kind : added) writers.push_back(StartCli(run, cli, "add shared.exe " + kind + " new.txt"));
    bool allDone = true;
    for (HANDLE writer : writers) allDone = (writer != nullptr && ExitCodeOf(writer) == 0) && allDone;
    E2E_CHECK(allDone);
    E2E_CHECK(HoldsEveryChange(ReadBytes(exe), added));
  }
  return true;
}

}  // namespace

std::vector<Case> SharedFileCases() { return {{"TwoCliWritersLoseNothing", TwoCliWritersLoseNothing}}; }

}  // namespace e2e
