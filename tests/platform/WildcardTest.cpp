#include "platform/DirWalk.h"

#include <gtest/gtest.h>

using platform::WildcardMatch;

TEST(WildcardMatch, FollowsWindowsFileSearchRules) {
  struct Case {
    const char* pattern;
    const char* name;
    bool matches;
  } cases[] = {
      {"*.*", "received", true}, // every name, dot-less ones included
      {"*.*", "a.b.c", true},
      {"*", ".hidden", true},
      {"*.g3", "FAX.G3", true}, // case-insensitive
      {"*.g3", "fax.g32d", false},
      {"*.g3*", "fax.g32d", true},
      {"fax?.tif", "fax1.tif", true},
      {"fax?.tif", "fax.tif", false},
      {"fax?.tif", "fax12.tif", false},
      {"a*b*c", "aXXbYYc", true},
      {"a*b*c", "aXXbYY", false},
      {"fax.*", "fax", true}, // "name.*" also finds the bare name
      {"*.", "noext", true},  // "*." finds dot-less names
      {"*.", "has.ext", false},
      {"*.tif", "folder.tif", true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(WildcardMatch(c.pattern, c.name), c.matches) << c.pattern << " vs " << c.name;
}

TEST(WildcardMatch, ManyStarsStayFast) {
  std::string pattern(200, '*');
  pattern += "x";
  std::string name(5000, 'a');
  EXPECT_FALSE(WildcardMatch(pattern, name));
}
