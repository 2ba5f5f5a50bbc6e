#include "tools/extract_name.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

ChunkRecord Record(const char* kind) {
  ChunkRecord record;
  std::memcpy(record.Kind, kind, std::strlen(kind) < 3 ? std::strlen(kind) : 3);
  return record;
}

TEST(DefaultExtractName, ReplacesTheExtensionWithTpakAndTheLowerCaseKind) {
  struct Case {
    const char* exe;
    const char* kind;
    const char* name;
  };
  const Case cases[] = {
      {"C:\\Tools\\app.exe", "TXT", "C:\\Tools\\app.tpak.txt"},
      {"C:\\Tools\\app.EXE", "P9G", "C:\\Tools\\app.tpak.p9g"},
      {"/home/u/app.exe", "ABC", "/home/u/app.tpak.abc"},
      {"C:\\Tools\\app.exe", " AB", "C:\\Tools\\app.tpak. ab"},
      {"C:\\Tools\\app.exe", "", "C:\\Tools\\app.tpak."},
      {"app.exe", "x-y", "app.tpak.x-y"},
      // Kind bytes that cannot stand in a file name, or would lead elsewhere, become '_'.
      {"C:\\Tools\\app.exe", "../", "C:\\Tools\\app.tpak..._"},
      {"C:\\Tools\\app.exe", "\\\\A", "C:\\Tools\\app.tpak.__a"},
      {"C:\\Tools\\app.exe", "A:B", "C:\\Tools\\app.tpak.a_b"},
      {"C:\\Tools\\app.exe", "*?\"", "C:\\Tools\\app.tpak.___"},
      {"C:\\Tools\\app.exe", "<|>", "C:\\Tools\\app.tpak.___"},
      {"C:\\Tools\\app.exe", "\t\n\x1F", "C:\\Tools\\app.tpak.___"},
      {"C:\\Tools\\app.exe", "\xC9\x7F~", "C:\\Tools\\app.tpak.\xC9\x7F~"},
      // A file name shorter than three characters: the cut stops at the folder.
      {"C:\\Tools\\ab", "TXT", "C:\\Tools\\tpak.txt"},
      {"/a/b", "TXT", "/a/tpak.txt"},
      {"ab", "TXT", "tpak.txt"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DefaultExtractName(c.exe, Record(c.kind)), c.name) << c.exe << " + " << c.kind;
  }
}

TEST(PathParts, SplitAtTheLastSeparatorOfEitherKind) {
  struct Case {
    const char* path;
    const char* after;
    const char* before;
  };
  const Case cases[] = {
      {"C:\\Tools\\app.tpak.txt", "app.tpak.txt", "C:\\Tools"},
      {"/home/u/app.tpak.txt", "app.tpak.txt", "/home/u"},
      {"C:\\a/b\\c", "c", "C:\\a/b"},
      {"C:/a\\b/c", "c", "C:/a\\b"},
      {"name", "name", ""},
      {"dir\\", "", "dir"},
      {"\\name", "name", ""},
      {"", "", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(AfterLastSeparator(c.path), c.after) << c.path;
    EXPECT_EQ(BeforeLastSeparator(c.path), c.before) << c.path;
  }
}

}  // namespace
