#include "tools/extract_name.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <set>
#include <string>
#include <vector>

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
      // Other Kinds: other bytes as '_' and two hexadecimal digits, so that no byte leads
      // elsewhere, Windows drops nothing at the end, and no two Kinds meet in one name.
      {"C:\\Tools\\app.exe", "", "C:\\Tools\\app.tpak._"},
      {"C:\\Tools\\app.exe", "AB.", "C:\\Tools\\app.tpak.ab_2e"},
      {"C:\\Tools\\app.exe", "AB ", "C:\\Tools\\app.tpak.ab_20"},
      {"C:\\Tools\\app.exe", "A. ", "C:\\Tools\\app.tpak.a_2e_20"},
      {"C:\\Tools\\app.exe", "A.B", "C:\\Tools\\app.tpak.a.b"},
      {"C:\\Tools\\app.exe", "   ", "C:\\Tools\\app.tpak._20_20_20"},
      {"C:\\Tools\\app.exe", "abc", "C:\\Tools\\app.tpak._61_62_63"},
      {"C:\\Tools\\app.exe", "A_B", "C:\\Tools\\app.tpak.a_5fb"},
      {"app.exe", "X-Y", "app.tpak.x-y"},
      {"C:\\Tools\\app.exe", "../", "C:\\Tools\\app.tpak..._2f"},
      {"C:\\Tools\\app.exe", "\\\\A", "C:\\Tools\\app.tpak._5c_5ca"},
      {"C:\\Tools\\app.exe", "A:B", "C:\\Tools\\app.tpak.a_3ab"},
      {"C:\\Tools\\app.exe", "*?\"", "C:\\Tools\\app.tpak._2a_3f_22"},
      {"C:\\Tools\\app.exe", "<|>", "C:\\Tools\\app.tpak._3c_7c_3e"},
      {"C:\\Tools\\app.exe", "\t\n\x1F", "C:\\Tools\\app.tpak._09_0a_1f"},
      {"C:\\Tools\\app.exe", "\xC9\x7F~", "C:\\Tools\\app.tpak._c9_7f~"},
      // A name that Windows takes for a device, whatever its extension, gets a '_' in front.
      {"C:\\Tools\\nul.exe", "TXT", "C:\\Tools\\_nul.tpak.txt"},
      {"C:\\Tools\\Com1.exe", "TXT", "C:\\Tools\\_Com1.tpak.txt"},
      {"C:\\Tools\\console.exe", "TXT", "C:\\Tools\\console.tpak.txt"},
      // A file name without an extension of three characters is kept whole.
      {"C:\\Tools\\ab", "TXT", "C:\\Tools\\ab.tpak.txt"},
      {"/a/b", "TXT", "/a/b.tpak.txt"},
      {"/usr/bin/gizmo", "LIC", "/usr/bin/gizmo.tpak.lic"},
      {"abcdefgh", "LIC", "abcdefgh.tpak.lic"},
      {"x.y", "LIC", "x.y.tpak.lic"},
      {"app.tar.gz", "LIC", "app.tar.gz.tpak.lic"},
      {"/a.b/c.d.e", "LIC", "/a.b/c.d.e.tpak.lic"},
      {"C:\\Tools\\nul", "TXT", "C:\\Tools\\_nul.tpak.txt"},
      {".exe", "TXT", ".tpak.txt"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DefaultExtractName(c.exe, Record(c.kind)), c.name) << c.exe << " + " << c.kind;
  }
}

// Over Kinds made of letters of both cases, dots, spaces and characters that need escaping, every
// Kind has a name of its own, even where case is ignored, and none ends in a dot or a space.
TEST(DefaultExtractName, EveryKindHasANameOfItsOwnOnWindows) {
  const std::string alphabet = "Aa. _:\xC9\xE9";
  std::set<std::string> names;
  for (char a : alphabet)
    for (char b : alphabet)
      for (char c : alphabet) {
        const char kind[4] = {a, b, c, '\0'};
        std::string name = DefaultExtractName("C:\\app.exe", Record(kind));
        EXPECT_TRUE(name.back() != '.' && name.back() != ' ') << name;
        for (char& ch : name) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        names.insert(name);
      }
  EXPECT_EQ(names.size(), alphabet.size() * alphabet.size() * alphabet.size());
}

// Extract All: over Kinds with NUL bytes, digits and escapes, the newest chunk of each name gets
// the default name and every other chunk a name that no other chunk gets, default or numbered,
// even where case is ignored.
TEST(ExtractAllNames, NoTwoChunksShareAFile) {
  const std::string alphabet("A1.\0_\xE9 ", 7);
  std::vector<ChunkRecord> records;
  for (char a : alphabet)
    for (char b : alphabet)
      for (char c : alphabet) {
        ChunkRecord record;
        const char kind[3] = {a, b, c};
        std::memcpy(record.Kind, kind, 3);
        for (int copy = 0; copy < 2; ++copy) records.push_back(record);  // every Kind twice
      }
  ExtractAllNames names;
  std::set<std::string> taken;
  std::set<std::string> defaults;
  for (std::size_t number = records.size(); number >= 1; --number) {
    const ChunkRecord& record = records[number - 1];
    std::string name = names.Next("C:\\app.exe", record, number);
    const std::string standard = DefaultExtractName("C:\\app.exe", record);
    EXPECT_EQ(name == standard, defaults.insert(standard).second) << name;  // the newest takes the default
    for (char& ch : name) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    EXPECT_TRUE(taken.insert(name).second) << name;
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
