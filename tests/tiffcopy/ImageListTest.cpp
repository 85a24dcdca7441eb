// The source argument (a path with an optional image list): image lists, commas in paths, and the
// result codes for sources and outputs that cannot be opened.
#include "CopyTestHelpers.h"

#include "support/Scratch.h"
#include "tiffcopy/SourceSpec.h"

#include <filesystem>

namespace copytest {
namespace {

// A three-page file whose pages differ in their description.
std::string ThreePages(const ScratchFolder& scratch, const std::string& name = "fax.tif") {
  std::vector<TiffPageSpec> pages;
  for (int page = 0; page < 3; ++page) {
    TiffPageSpec spec = BilevelSpec(COMPRESSION_CCITTFAX4);
    spec.raster = SamplePage(90, 30, page + 1);
    spec.imageDescription = "page " + std::to_string(page);
    pages.push_back(spec);
  }
  const std::string path = scratch / name;
  WriteTiffFile(path, pages);
  return path;
}

std::vector<std::string> Descriptions(const std::string& path) {
  std::vector<std::string> texts;
  for (int directory = 0; directory < CountDirectories(path); ++directory)
    texts.push_back(OpenTiff(path, directory).text(TIFFTAG_IMAGEDESCRIPTION));
  return texts;
}

TEST(ImageList, SelectsTheListedDirectoriesInOrder) {
  ScratchFolder scratch;
  const std::string fax = ThreePages(scratch);
  const std::string out = scratch / "out.tif";
  struct Case {
    const char* list;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {",1", {"page 1"}},
      {",0,2", {"page 0", "page 2"}},
      {",2,0,", {"page 2", "page 0"}},
      {",0x2", {"page 2"}},
      {",01", {"page 1"}},
      {",", {"page 0", "page 1", "page 2"}},
      {",,1", {"page 0", "page 1"}},
      {",1,7", {"page 1"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.list);
    ASSERT_EQ(CopyTiffImages(fax + c.list, out, WithSelector(-1)), 0);
    EXPECT_EQ(Descriptions(out), c.expected);
  }
}

TEST(ImageList, MissingFirstImageOrUnreadableListReturnsMinusThree) {
  ScratchFolder scratch;
  const std::string fax = ThreePages(scratch);
  for (const char* list : {",5", ",-1", ",x", ",1;2", ",1,2x", ",99999999999999999999"}) {
    SCOPED_TRACE(list);
    EXPECT_EQ(CopyTiffImages(fax + list, scratch / "out.tif", WithSelector(6)), -3);
  }
}

TEST(ImageList, PathWithCommasIsOpenedWholeWhenItNamesAFile) {
  ScratchFolder scratch;
  std::filesystem::create_directories(scratch / "in,box");
  const std::string fax = ThreePages(scratch, "in,box/fax,1.tif");
  ASSERT_EQ(CopyTiffImages(fax, scratch / "out.tif", WithSelector(6)), 0);
  EXPECT_EQ(Descriptions(scratch / "out.tif").size(), 3u);
  // A list may still follow such a path.
  ASSERT_EQ(CopyTiffImages(fax + ",2", scratch / "out.tif", WithSelector(6)), 0);
  EXPECT_EQ(Descriptions(scratch / "out.tif"), std::vector<std::string>{"page 2"});
}

TEST(ImageList, SpecificationIsSplitAtTheFirstCommaAfterAnExistingFile) {
  ScratchFolder scratch;
  const std::string fax = ThreePages(scratch, "a,b.tif");
  const tiffcopy::SourceSpec whole = tiffcopy::ParseSourceSpec(fax);
  EXPECT_EQ(whole.path, fax);
  EXPECT_TRUE(whole.images.empty());
  const tiffcopy::SourceSpec listed = tiffcopy::ParseSourceSpec(fax + ",,3");
  EXPECT_EQ(listed.path, fax);
  ASSERT_EQ(listed.images.size(), 2u);
  EXPECT_FALSE(listed.images[0].has_value());
  EXPECT_EQ(listed.images[1], 3);
  const tiffcopy::SourceSpec missing = tiffcopy::ParseSourceSpec(scratch / "none,x.tif,1");
  EXPECT_EQ(missing.path, scratch / "none");
  EXPECT_TRUE(missing.malformed);
}

TEST(ResultCodes, UnopenableSourceOrOutput) {
  ScratchFolder scratch;
  const std::string fax = ThreePages(scratch);
  WriteFile(scratch / "text.tif", std::string("this is not a TIFF file at all"));
  WriteFile(scratch / "empty.tif", std::string());
  EXPECT_EQ(CopyTiffImages(scratch / "missing.tif", scratch / "out.tif", WithSelector(6)), -3);
  EXPECT_EQ(CopyTiffImages(scratch / "text.tif", scratch / "out.tif", WithSelector(6)), -3);
  EXPECT_EQ(CopyTiffImages(scratch / "empty.tif", scratch / "out.tif", WithSelector(6)), -3);
  EXPECT_EQ(CopyTiffImages(scratch.path(), scratch / "out.tif", WithSelector(6)), -3);
  EXPECT_EQ(CopyTiffImages(fax, scratch / "no/such/folder/out.tif", WithSelector(6)), -2);
}

} // namespace
} // namespace copytest
