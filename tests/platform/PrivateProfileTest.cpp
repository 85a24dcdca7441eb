#include "platform/PrivateProfile.h"
#include "support/Scratch.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace testing_support;
using platform::ReadProfileInt;
using platform::ReadProfileString;
using platform::WriteProfileString;

namespace {

std::string WithLineEnds(const std::vector<std::string>& lines, const std::string& end) {
  std::string text;
  for (const auto& line : lines)
    text += line + end;
  return text;
}

std::size_t EntryCount(const std::string& folder) {
  auto entries = std::filesystem::directory_iterator(folder);
  return static_cast<std::size_t>(std::distance(begin(entries), end(entries)));
}

} // namespace

TEST(PrivateProfile, ReadsNamesWithoutCaseAndValuesTrimmedAndUnquotedWhateverTheLineEnds) {
  const std::vector<std::string> lines = {
      "; Plain=comment",
      "[Main]",
      "Plain=value",
      "  Spaced  =  padded value  ",
      "Double=\"quoted \"",
      "Single='x'",
      "Mixed=\"x'",
      "First=1",
      "first=2",
      "Long=" + std::string(300, 'a'),
      ";Hidden=no",
      "[ other ] tail",
      "Key=other",
      "[main]",
      "Late=no",
  };
  struct Case {
    const char* section;
    const char* key;
    std::string expected;
  };
  const Case cases[] = {
      {"main", "PLAIN", "value"},
      {"Main", "spaced", "padded value"},
      {"Main", "Double", "quoted "},
      {"Main", "Single", "x"},
      {"Main", "Mixed", "\"x'"},
      {"Main", "First", "1"},
      {"Main", "Long", std::string(259, 'a')},
      {"Main", "Hidden", "fallback"},
      {"Other", "key", "other"},
      {"Main", "Late", "fallback"},
      {"Missing", "Plain", "fallback"},
      {"Main", "Missing", "fallback"},
  };
  ScratchFolder scratch;
  for (const char* end : {"\r\n", "\n"}) {
    WriteFile(scratch / "a.ini", WithLineEnds(lines, end));
    for (const Case& c : cases)
      EXPECT_EQ(ReadProfileString(scratch / "a.ini", c.section, c.key, "fallback  "), c.expected)
          << c.section << "/" << c.key << (end[0] == '\r' ? " CR LF" : " LF");
  }
  EXPECT_EQ(ReadProfileString(scratch / "missing.ini", "Main", "Plain", "fallback", 5), "fall");
  EXPECT_EQ(ReadProfileString(scratch.path(), "Main", "Plain", "fallback"), "fallback");
}

TEST(PrivateProfile, IntegersReadTheLeadingNumberWrappingBeyondThirtyTwoBits) {
  const std::pair<std::string, int> cases[] = {
      {"42", 42},
      {"  -7", -7},
      {"12abc", 12},
      {"abc", 0},
      {"", 9},
      {"+3", 3},
      {"-", 0},
      {"\"5\"", 5},
      {"4294967297", 1},
      {"-2147483649", 2147483647},
      {"4000000000", -294967296},
  };
  ScratchFolder scratch;
  for (const auto& [text, expected] : cases) {
    WriteFile(scratch / "a.ini", "[S]\r\nK=" + text + "\r\n");
    EXPECT_EQ(ReadProfileInt(scratch / "a.ini", "s", "k", 9), expected) << text;
  }
  EXPECT_EQ(ReadProfileInt(scratch / "a.ini", "S", "Other", 9), 9);
}

TEST(PrivateProfile, WritingReplacesOrAddsKeysAndKeepsEveryOtherLine) {
  ScratchFolder scratch;
  const std::string file = scratch / "a.ini";
  ASSERT_TRUE(WriteProfileString(file, "Main", "A", "1"));
  EXPECT_EQ(ReadFile(file), "[Main]\r\nA=1\r\n");

  WriteFile(file, "; keep  me \n[First]\nA=1\n; note\n\n; heads Second\n[Second]\nx y z\nB=2");
  EXPECT_TRUE(WriteProfileString(file, "first", "a", "one"));
  EXPECT_TRUE(WriteProfileString(file, "First", "C", "3"));
  EXPECT_TRUE(WriteProfileString(file, "Second", "B", " padded"));
  EXPECT_TRUE(WriteProfileString(file, "Third", "D", "'4'"));
  EXPECT_EQ(ReadFile(file), "; keep  me \r\n[First]\r\na=one\r\nC=3\r\n; note\r\n\r\n"
                            "; heads Second\r\n[Second]\r\nx y z\r\nB=\" padded\"\r\n"
                            "\r\n[Third]\r\nD=\"'4'\"\r\n");
  EXPECT_EQ(ReadProfileString(file, "Second", "B", ""), " padded");
  EXPECT_EQ(ReadProfileString(file, "Third", "D", ""), "'4'");

  // Names are compared without their blanks, on either side.
  ASSERT_TRUE(WriteProfileString(file, " Third ", "E  ", "5"));
  EXPECT_EQ(ReadProfileString(file, "third", " e", ""), "5");

  // Text that would read back as other lines is refused, and nothing is left behind.
  const std::string before = ReadFile(file);
  EXPECT_FALSE(WriteProfileString(file, "Main", "K", "a\nb"));
  EXPECT_FALSE(WriteProfileString(file, "Ma]in", "K", "v"));
  EXPECT_FALSE(WriteProfileString(file, "Main", "K=", "v"));
  for (const char* key : {"; K", "[K]", "  "})
    EXPECT_FALSE(WriteProfileString(file, "Main", key, "v")) << key;
  EXPECT_FALSE(WriteProfileString(scratch.path(), "Main", "K", "v"));
  EXPECT_FALSE(WriteProfileString(scratch / "missing/a.ini", "Main", "K", "v"));
  EXPECT_EQ(ReadFile(file), before);
  EXPECT_EQ(EntryCount(scratch.path()), 1u);
}
