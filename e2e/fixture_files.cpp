// Fixture files for the end-to-end cases.
#include "e2e/fixture_files.h"

#include <windows.h>

#include <algorithm>
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

std::string DriverFolder() {
  char temp[MAX_PATH] = {};
  GetTempPathA(sizeof temp, temp);
  return std::string(temp) + "stowr-e2e-" + std::to_string(GetCurrentProcessId()) + "\\";
}

// The folder is named after the case, inside the driver's folder, and starts empty even when a
// failed case of an earlier round left files in it.
bool MakeCaseFolder(const std::string& caseName, std::string& folder) {
  CreateDirectoryA(DriverFolder().c_str(), nullptr);
  folder = DriverFolder() + caseName + "\\";
  RemoveFolder(folder);
  return CreateDirectoryA(folder.c_str(), nullptr) != 0;
}

void RemoveFolder(const std::string& folder) {
  std::string base = folder;
  if (!base.empty() && base.back() != '\\') base += '\\';
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((base + "*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      const std::string path = base + name;
      SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveFolder(path);
      else DeleteFileA(path.c_str());
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  RemoveDirectoryA(base.c_str());
}

bool WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out.flush());
}

bool WriteLargeExe(const std::string& path, std::uint64_t body, const std::string& tail, bool hollow) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const std::string block = ExeBody(std::size_t{8} << 20);
  bool written = true;
  DWORD put = 0;
  for (std::uint64_t done = 0; !hollow && written && done < body; done += block.size()) {
    const DWORD n = static_cast<DWORD>(std::min<std::uint64_t>(block.size(), body - done));
    written = WriteFile(file, block.data(), n, &put, nullptr) && put == n;
  }
  LARGE_INTEGER at;
  at.QuadPart = static_cast<LONGLONG>(body);
  written = written && SetFilePointerEx(file, at, nullptr, FILE_BEGIN) &&
            WriteFile(file, tail.data(), static_cast<DWORD>(tail.size()), &put, nullptr) && put == tail.size();
  CloseHandle(file);
  return written;
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string LegacyText(const std::string& bytes) {
  DWORD codePage = 0;
  GetLocaleInfoW(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                 reinterpret_cast<LPWSTR>(&codePage), sizeof codePage / sizeof(WCHAR));
  if (bytes.empty() || codePage == 0) return bytes;
  const int size = static_cast<int>(bytes.size());
  std::wstring wide(static_cast<std::size_t>(MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0)), L'\0');
  MultiByteToWideChar(codePage, 0, bytes.data(), size, wide.data(), static_cast<int>(wide.size()));
  const int wideSize = static_cast<int>(wide.size());
  const int size8 = WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideSize, nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<std::size_t>(size8), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideSize, text.data(), static_cast<int>(text.size()), nullptr, nullptr);
  return text;
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
