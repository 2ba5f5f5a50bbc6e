// End-to-end cases of signed programs. scripts/e2e.sh signs the reader example with a throwaway
// certificate (example.exe) and signs a copy that carries a "TXT" chunk already (front.exe), in
// the folder named by STOWR_E2E_SIGNED. A chunk added through the window goes into the
// certificate table: the program still starts and prints it, and the script then verifies the
// signature of the copy left in that folder (added.exe). Chunks added before signing are listed,
// and removing one asks about the signature first.
#include <cstdlib>
#include <vector>

#include "e2e/cases.h"
#include "e2e/fixture_files.h"
#include "e2e/stowr_ui.h"

namespace e2e {
namespace {

// The folder of the signed programs, with a trailing backslash; empty when the script gave none.
std::string SignedFolder() {
  const char* folder = std::getenv("STOWR_E2E_SIGNED");
  return folder && *folder ? std::string(folder) + "\\" : std::string();
}

// Copies a signed program into the case folder.
bool CopySigned(Run& run, const std::string& name, std::string& copy) {
  if (SignedFolder().empty()) return Fail(run, __LINE__, "STOWR_E2E_SIGNED names no folder (run scripts/e2e.sh)");
  copy = run.folder + name;
  if (!CopyFileA((SignedFolder() + name).c_str(), copy.c_str(), FALSE))
    return Fail(run, __LINE__, "cannot copy " + SignedFolder() + name);
  return true;
}

// Runs program in folder and gives its standard output without carriage returns; false when it
// does not end with exit code 0 within 30 seconds.
bool OutputOf(Run& run, const std::string& program, std::string& output) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return Fail(run, __LINE__, "no pipe");
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA start{};
  start.cb = sizeof start;
  start.dwFlags = STARTF_USESTDHANDLES;
  start.hStdOutput = start.hStdError = writeEnd;
  start.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION process{};
  std::string command = "\"" + program + "\"";
  BOOL started = CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                                run.folder.c_str(), &start, &process);
  CloseHandle(writeEnd);
  if (!started) {
    CloseHandle(readEnd);
    return Fail(run, __LINE__, "cannot start " + program);
  }
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got > 0) output.append(buffer, got);
  CloseHandle(readEnd);
  DWORD code = 1;
  bool ended = WaitForSingleObject(process.hProcess, 30000) == WAIT_OBJECT_0 && GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  std::string text;
  for (char c : output)
    if (c != '\r') text += c;
  output = text;
  if (!ended || code != 0) return Fail(run, __LINE__, program + " ended with code " + std::to_string(code) + ": " + output);
  return true;
}

// Add Tailpack on a signed program asks nothing about the signature: the chunk goes into the
// certificate table, and the program reads it from there.
bool SignedAddKeepsRunning(Run& run) {
  std::string exe;
  E2E_TRY(CopySigned(run, "example.exe", exe));
  const std::string text = "Hello from inside the signature\n";
  E2E_CHECK(WriteBytes(run.folder + "res.txt", text));
  App app;
  E2E_TRY(OpenStowr(run, app, exe));
  HWND dialog = OpenAddDialog(run, app, run.folder + "res.txt");
  E2E_CHECK(dialog != nullptr);
  E2E_CHECK(TypeDescriptor(dialog, "TXT"));
  E2E_CHECK(WaitForWindowGone(app, kAddDialogTitle));
  E2E_CHECK(Sync(app.main));
  E2E_CHECK(!WaitForWindow(app, "stowr - signature", "#32770", 500));
  E2E_TRY(ExpectListState(run, app, 1, true));
  E2E_TRY(CloseStowr(run, app));
  std::string output;
  E2E_TRY(OutputOf(run, exe, output));
  E2E_EQ(output, text);
  E2E_CHECK(CopyFileA(exe.c_str(), (SignedFolder() + "added.exe").c_str(), FALSE));
  return true;
}

// The chunk of a program signed after it was added stands in front of the certificate table:
// listed as any other; removing it first asks about the signature, and No keeps the file.
bool SignedFrontChunksListed(Run& run) {
  std::string exe;
  E2E_TRY(CopySigned(run, "front.exe", exe));
  const std::string before = ReadBytes(exe);
  App app;
  E2E_TRY(OpenStowr(run, app, exe));
  E2E_TRY(ExpectListState(run, app, 1, true));
  const auto cells = ListCells(app, GetDlgItem(app.main, kChunkList), kListColumns);
  E2E_CHECK(cells.size() == 1 && cells[0][1] == "TXT" && cells[0][2] == "Text");
  Click(app.main, kRemoveOneButton);
  E2E_TRY(AnswerBox(run, app, "stowr - signature", "", IDNO));
  E2E_CHECK(!WaitForWindow(app, "stowr - remove one", "#32770", 500));
  E2E_FILE_HOLDS(exe, before);
  E2E_TRY(CloseStowr(run, app));
  std::string output;
  E2E_TRY(OutputOf(run, exe, output));
  E2E_EQ(output, "Added before signing\n");
  return true;
}

}  // namespace

std::vector<Case> SignedCases() {
  return {
      {"signed_add_keeps_running", SignedAddKeepsRunning},
      {"signed_front_chunks_listed", SignedFrontChunksListed},
  };
}

}  // namespace e2e
