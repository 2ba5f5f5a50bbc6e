#pragma once
// Files the cases hand to stowr.exe: an executable body with chunks appended, built here byte by
// byte so that the expected bytes never come from the code under test.
#include <string>
#include <vector>

#include "e2e/check.h"

namespace e2e {

struct TestChunk {
  std::string kind;  // three characters
  std::string data;
};

// A body of n bytes that starts like an executable and holds no marker.
std::string ExeBody(std::size_t n);
// data, its length as 8 upper-case hex digits, the kind, "{TlPk}".
std::string ChunkBytes(const TestChunk& chunk);
std::string FileBytes(const std::string& body, const std::vector<TestChunk>& chunks);

// The folder under the system's temporary folder that holds this driver run's case folders.
std::string DriverFolder();
// Makes a fresh, empty folder for one case under the system's temporary folder.
bool MakeCaseFolder(const std::string& caseName, std::string& folder);
// Deletes a folder with everything in it, read-only files included.
void RemoveFolder(const std::string& folder);
bool WriteBytes(const std::string& path, const std::string& bytes);
// A body of `body` bytes followed by tail: zeros left as a hole where the file system allows it
// (hollow, nothing written for them), or else the ExeBody pattern written in full.
bool WriteLargeExe(const std::string& path, std::uint64_t body, const std::string& tail, bool hollow);
std::string ReadBytes(const std::string& path);
// A file's bytes as stowr shows them: characters of the system's legacy ANSI code page, here
// in UTF-8 (the driver's code page, as stowr's).
std::string LegacyText(const std::string& bytes);
// Fails the run unless path holds exactly expected, saying where they first differ.
bool FileHolds(Run& run, int line, const std::string& path, const std::string& expected);

}  // namespace e2e

#define E2E_FILE_HOLDS(path, expected) E2E_TRY(::e2e::FileHolds(run, __LINE__, (path), (expected)))
