// End-to-end case of two stowr-cli.exe writing one file at once: each round starts both, one
// adding a chunk and the other removing the oldest; every change that ended with code 0 is in the
// file afterwards, and no other.
#include <windows.h>

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

bool TwoCliWritersLoseNothing(Run& run) {
  const std::string cli = CliBeside(run.program);
  E2E_CHECK(GetFileAttributesA(cli.c_str()) != INVALID_FILE_ATTRIBUTES);
  const std::string exe = run.folder + "shared.exe";
  const std::vector<TestChunk> initial = {{"ONE", "one"}, {"TWO", "two"}};
  for (int round = 0; round < 10; ++round) {
    E2E_CHECK(WriteBytes(exe, FileBytes(ExeBody(4096), initial)));
    E2E_CHECK(WriteBytes(run.folder + "new.txt", "new"));
    HANDLE adder = StartCli(run, cli, "add shared.exe NEW new.txt");
    HANDLE remover = StartCli(run, cli, "remove shared.exe 1");
    E2E_CHECK(adder != nullptr && remover != nullptr);
    const DWORD added = ExitCodeOf(adder), removed = ExitCodeOf(remover);
    E2E_CHECK(added == 0 && removed == 0);
    E2E_FILE_HOLDS(exe, FileBytes(ExeBody(4096), {{"TWO", "two"}, {"NEW", "new"}}));
  }
  return true;
}

}  // namespace

std::vector<Case> SharedFileCases() { return {{"TwoCliWritersLoseNothing", TwoCliWritersLoseNothing}}; }

}  // namespace e2e
