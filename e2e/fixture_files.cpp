// Fixture files for the end-to-end cases.
#include "e2e/fixture_files.h"

#include <windows.h>

#include <cstdio>
#include <fstream>
#include <iterator>

namespace e2e {

std::string ExeBody(std::size_t n) {
  std::string body = "MZ";
  for (std::size_t i = body.size(); i < n; ++i) body += static_cast<char>('a' + i % 26);
  return body.substr(0, n);
}

std::string ChunkBytes(const TestChunk& chunk) {
  char length[9];
  std::snprintf(length, sizeof length, "%08X", static_cast<unsigned>(chunk.data.size()));
  return chunk.data + length + chunk.kind + "{TlPk}";
}

std::string FileBytes(const std::string& body, const std::vector<TestChunk>& chunks) {
  std::string bytes = body;
  for (const TestChunk& chunk : chunks) bytes += ChunkBytes(chunk);
  return bytes;
}

// The folder is named after the case and the driver's process id, and emptied of files a
// crashed earlier run may have left.
bool MakeCaseFolder(const std::string& caseName, std::string& folder) {
  char temp[MAX_PATH];
  if (!GetTempPathA(sizeof temp, temp)) return false;
  folder = std::string(temp) + "stowr-e2e-" + std::to_string(GetCurrentProcessId()) + "\\";
  CreateDirectoryA(folder.c_str(), nullptr);
  folder += caseName + "\\";
  if (!CreateDirectoryA(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        const std::string path = folder + found.cFileName;
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
      }
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  return true;
}

bool WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out.flush());
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool FileHolds(Run& run, int line, const std::string& path, const std::string& expected) {
  const std::string actual = ReadBytes(path);
  if (actual == expected) return true;
  std::size_t at = 0;
  while (at < actual.size() && at < expected.size() && actual[at] == expected[at]) ++at;
  return Fail(run, line,
              path + " holds " + std::to_string(actual.size()) + " bytes, want " + std::to_string(expected.size()) +
                  ", first difference at byte " + std::to_string(at + 1));
}

}  // namespace e2e
