#include "batch/FileSelection.h"

#include <gtest/gtest.h>

namespace {

struct Parsed {
  const char* text;
  FileSelection expected;
};

} // namespace

TEST(FileSelectionTest, ReadsTheFolderAndNamesWithOrWithoutQuotes) {
  const Parsed cases[] = {
      {"/faxes/in/a.g3", {"/faxes/in", {"a.g3"}}},
      {"/faxes/in a.g3 b.tif", {"/faxes/in", {"a.g3", "b.tif"}}},
      {"/faxes/in  a.g3   b.tif ", {"/faxes/in", {"a.g3", "b.tif"}}},
      {"\"/my faxes\" \"a b.g3\" c.g3", {"/my faxes", {"a b.g3", "c.g3"}}},
      {"\"/my faxes/one fax.g3\"", {"/my faxes", {"one fax.g3"}}},
      {"/faxes \"sub dir/a.g3\" \"open", {"/faxes", {"sub dir/a.g3", "open"}}},
      {"a.g3", {"", {"a.g3"}}},
      {"   ", {"", {}}},
  };
  for (const auto& [text, expected] : cases) {
    SCOPED_TRACE(text);
    const FileSelection parsed = ParseFileSelection(text);
    EXPECT_EQ(parsed.folder, expected.folder);
    EXPECT_EQ(parsed.names, expected.names);
  }
}

TEST(FileSelectionTest, ChosenFilesReadBackAsTheSamePaths) {
  const std::vector<std::vector<std::string>> choices = {
      {"/faxes/a.g3"},
      {"/my faxes/a b.g3"},
      {"/faxes/in/a.g3", "/faxes/in/b c.tif"},
      {"/faxes/in/a.g3", "/faxes/in/sub/b.g3", "/faxes/in2/c.g3"},
      {"/a/x.g3", "/b/y.g3"},
  };
  for (const auto& paths : choices) {
    const std::string text = FileSelectionText(paths);
    SCOPED_TRACE(text);
    const FileSelection parsed = ParseFileSelection(text);
    ASSERT_EQ(parsed.names.size(), paths.size());
    for (std::size_t i = 0; i < paths.size(); ++i)
      EXPECT_EQ(parsed.folder + (parsed.folder.ends_with('/') ? "" : "/") + parsed.names[i],
                paths[i]);
  }
  EXPECT_EQ(FileSelectionText({"/faxes/in/a.g3", "/faxes/in/b c.tif"}),
            "/faxes/in a.g3 \"b c.tif\"");
}
