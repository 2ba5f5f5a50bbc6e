#include "tools/descriptor.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

ChunkRecord Record(const char* kind) {
  ChunkRecord record;
  std::snprintf(record.Kind, sizeof record.Kind, "%s", kind);
  return record;
}

TEST(CheckDescriptor, JudgesTypedText) {
  using namespace std::string_view_literals;
  const ChunkTable table = {Record("ABC"), Record(" AB"), Record("txt"), Record("Z9")};
  struct Case {
    std::string_view typed;
    DescriptorVerdict verdict;
    std::string_view descriptor;
  };
  const Case cases[] = {
      {"abc", DescriptorVerdict::InUse, "ABC"},
      {"  ABC  ", DescriptorVerdict::InUse, "ABC"},
      {"  x1z ", DescriptorVerdict::Accepted, "X1Z"},
      {"007", DescriptorVerdict::Accepted, "007"},
      {"zzz", DescriptorVerdict::Accepted, "ZZZ"},
      {"9a9", DescriptorVerdict::Accepted, "9A9"},
      // Stored Kinds that are short or lower case never match a typed descriptor.
      {"AB", DescriptorVerdict::Invalid, "AB"},
      {" ab", DescriptorVerdict::Invalid, "AB"},
      {"txt", DescriptorVerdict::Accepted, "TXT"},
      {"Z9 ", DescriptorVerdict::Invalid, "Z9"},
      // Wrong length or characters outside A-Z and 0-9.
      {"", DescriptorVerdict::Invalid, ""},
      {"   ", DescriptorVerdict::Invalid, ""},
      {"ABCD", DescriptorVerdict::Invalid, "ABCD"},
      {"A B", DescriptorVerdict::Invalid, "A B"},
      {"A-B", DescriptorVerdict::Invalid, "A-B"},
      {"\tAB", DescriptorVerdict::Invalid, "\tAB"},
      {"AB\n", DescriptorVerdict::Invalid, "AB\n"},
      {"\xE9\xE9\xE9", DescriptorVerdict::Invalid, "\xE9\xE9\xE9"},
      {"A\0B"sv, DescriptorVerdict::Invalid, "A\0B"sv},
  };
  for (const Case& c : cases) {
    DescriptorCheck check = CheckDescriptor(c.typed, table);
    EXPECT_EQ(check.verdict, c.verdict) << '"' << c.typed << '"';
    EXPECT_EQ(check.descriptor, c.descriptor) << '"' << c.typed << '"';
  }
}

}  // namespace
