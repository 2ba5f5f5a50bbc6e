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
  const ChunkTable table = {Record("ABC"), Record(" AB"), Record("txt"), Record("Z9")};
  struct Case {
    const char* typed;
    DescriptorVerdict verdict;
    const char* descriptor;
  };
  const Case cases[] = {
      {"abc", DescriptorVerdict::InUse, "ABC"},
      {"  ABC  ", DescriptorVerdict::InUse, "ABC"},
      {"  x1z ", DescriptorVerdict::Accepted, "X1Z"},
      {"007", DescriptorVerdict::Accepted, "007"},
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
  };
  for (const Case& c : cases) {
    DescriptorCheck check = CheckDescriptor(c.typed, table);
    EXPECT_EQ(check.verdict, c.verdict) << '"' << c.typed << '"';
    EXPECT_EQ(check.descriptor, c.descriptor) << '"' << c.typed << '"';
  }
}

TEST(CheckDescriptor, NulInsideTypedTextIsInvalid) {
  using namespace std::string_view_literals;
  EXPECT_EQ(CheckDescriptor("A\0B"sv, {}).verdict, DescriptorVerdict::Invalid);
}

TEST(CheckDescriptor, EmptyTableAcceptsEveryValidDescriptor) {
  for (const char* typed : {"AAA", "zzz", "000", "9a9"}) {
    EXPECT_EQ(CheckDescriptor(typed, {}).verdict, DescriptorVerdict::Accepted) << typed;
  }
}

}  // namespace
