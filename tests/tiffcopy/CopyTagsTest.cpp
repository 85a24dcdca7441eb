// What the copy carries over besides pixels: descriptive tags, resolution,
// fax tags, page numbers, thumbnails between pages, and every orientation
// exactly as the source has it.
#include "CopyTestHelpers.h"

#include "support/Scratch.h"

namespace copytest {
namespace {

TiffPageSpec TaggedPage(std::uint16_t page) {
  TiffPageSpec spec = BilevelSpec(COMPRESSION_CCITTFAX3);
  spec.software = "Kelvor Studio";
  spec.dateTime = "2009:05:20 12:51:27";
  spec.artist = "Front desk";
  spec.imageDescription = "page " + std::to_string(page);
  spec.pageNumber = page;
  spec.xResolution = 204;
  spec.yResolution = 98;
  return spec;
}

TEST(CopyTags, ThreePageGroup3BecomesGroup4WithItsTags) {
  ScratchFolder scratch;
  WriteTiffFile(scratch / "in.tif", {TaggedPage(0), TaggedPage(1), TaggedPage(2)});
  ASSERT_EQ(CopyTiffImages(scratch / "in.tif", scratch / "out.tif", WithSelector(6)), 0);
  ASSERT_EQ(CountDirectories(scratch / "out.tif"), 3);
  EXPECT_EQ(ReadTiffPages(scratch / "out.tif"), ReadTiffPages(scratch / "in.tif"));
  for (int page = 0; page < 3; ++page) {
    SCOPED_TRACE(page);
    OpenTiff copy(scratch / "out.tif", page);
    EXPECT_EQ(copy.u16(TIFFTAG_COMPRESSION), COMPRESSION_CCITTFAX4);
    EXPECT_EQ(TIFFNumberOfStrips(copy.get()), 1u);
    EXPECT_EQ(copy.text(TIFFTAG_SOFTWARE), "Kelvor Studio");
    EXPECT_EQ(copy.text(TIFFTAG_DATETIME), "2009:05:20 12:51:27");
    EXPECT_EQ(copy.text(TIFFTAG_ARTIST), "Front desk");
    EXPECT_EQ(copy.text(TIFFTAG_IMAGEDESCRIPTION), "page " + std::to_string(page));
    float x = 0, y = 0;
    ASSERT_TRUE(TIFFGetField(copy.get(), TIFFTAG_XRESOLUTION, &x));
    ASSERT_TRUE(TIFFGetField(copy.get(), TIFFTAG_YRESOLUTION, &y));
    EXPECT_EQ(x, 204.0f);
    EXPECT_EQ(y, 98.0f);
    EXPECT_EQ(copy.u16(TIFFTAG_RESOLUTIONUNIT), RESUNIT_INCH);
    std::uint16_t number = 0, total = 0;
    ASSERT_TRUE(TIFFGetField(copy.get(), TIFFTAG_PAGENUMBER, &number, &total));
    EXPECT_EQ(number, page);
  }
}

TEST(CopyTags, CentimetreUnitsAndMissingResolutionStayAsTheyAre) {
  ScratchFolder scratch;
  TiffPageSpec metric = BilevelSpec(COMPRESSION_CCITTFAX4);
  metric.resolutionUnit = RESUNIT_CENTIMETER;
  metric.xResolution = 80.5f;
  metric.yResolution = 77.25f;
  TiffPageSpec bare = BilevelSpec(COMPRESSION_CCITTFAX4);
  bare.writeResolution = false;
  WriteTiffFile(scratch / "in.tif", {metric, bare});
  ASSERT_EQ(CopyTiffImages(scratch / "in.tif", scratch / "out.tif", WithSelector(-1)), 0);
  OpenTiff first(scratch / "out.tif", 0);
  float x = 0;
  ASSERT_TRUE(TIFFGetField(first.get(), TIFFTAG_XRESOLUTION, &x));
  EXPECT_EQ(x, 80.5f);
  EXPECT_EQ(first.u16(TIFFTAG_RESOLUTIONUNIT), RESUNIT_CENTIMETER);
  OpenTiff second(scratch / "out.tif", 1);
  EXPECT_FALSE(TIFFGetField(second.get(), TIFFTAG_XRESOLUTION, &x));
}

TEST(CopyTags, EveryOrientationIsKeptWithThePixelsUnmoved) {
  ScratchFolder scratch;
  std::vector<TiffPageSpec> pages;
  for (std::uint16_t orientation = 1; orientation <= 8; ++orientation) {
    TiffPageSpec spec = BilevelSpec(COMPRESSION_CCITTFAX4);
    spec.raster = CornerMarkPage(64, 48);
    spec.orientation = orientation;
    pages.push_back(spec);
  }
  WriteTiffFile(scratch / "in.tif", pages);
  for (int selector : {-1, 6}) {
    const std::string out = scratch / ("out" + std::to_string(selector) + ".tif");
    ASSERT_EQ(CopyTiffImages(scratch / "in.tif", out, WithSelector(selector)), 0);
    const std::vector<Raster> copied = ReadTiffPages(out);
    ASSERT_EQ(copied.size(), 8u);
    for (int page = 0; page < 8; ++page) {
      EXPECT_EQ(OpenTiff(out, page).u16(TIFFTAG_ORIENTATION), page + 1);
      EXPECT_EQ(copied[page], pages[page].raster);
    }
  }
}

TEST(CopyTags, ThumbnailsBetweenPagesAreCopiedInPlace) {
  ScratchFolder scratch;
  TiffPageSpec thumbnail = BilevelSpec(COMPRESSION_PACKBITS);
  thumbnail.raster = NoisePage(40, 30, 0.3);
  thumbnail.subfileType = FILETYPE_REDUCEDIMAGE;
  WriteTiffFile(scratch / "in.tif", {TaggedPage(0), thumbnail, TaggedPage(1), thumbnail});
  ASSERT_EQ(CopyTiffImages(scratch / "in.tif", scratch / "out.tif", WithSelector(6)), 0);
  ASSERT_EQ(CountDirectories(scratch / "out.tif"), 4);
  EXPECT_EQ(ReadTiffPages(scratch / "out.tif"), ReadTiffPages(scratch / "in.tif"));
  for (int directory : {1, 3})
    EXPECT_EQ(OpenTiff(scratch / "out.tif", directory).u32(TIFFTAG_SUBFILETYPE),
              std::uint32_t{FILETYPE_REDUCEDIMAGE});
  EXPECT_EQ(OpenTiff(scratch / "out.tif", 2).u32(TIFFTAG_SUBFILETYPE), 0u);
}

TEST(CopyTags, Group4OptionsAndFaxTagsFollowIntoFaxOutput) {
  ScratchFolder scratch;
  {
    TIFF* tif = TIFFOpen((scratch / "in.tif").c_str(), "w");
    ASSERT_NE(tif, nullptr);
    const Raster page = SamplePage(120, 40);
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, page.width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, page.height);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
    TIFFSetField(tif, TIFFTAG_GROUP4OPTIONS, GROUP4OPT_UNCOMPRESSED);
    TIFFSetField(tif, TIFFTAG_BADFAXLINES, 3u);
    TIFFSetField(tif, TIFFTAG_CLEANFAXDATA, CLEANFAXDATA_REGENERATED);
    TIFFSetField(tif, TIFFTAG_CONSECUTIVEBADFAXLINES, 2u);
    TIFFSetField(tif, TIFFTAG_FAXSUBADDRESS, "4711");
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, page.height);
    const auto rows = page.PackedRows();
    ASSERT_GE(TIFFWriteEncodedStrip(tif, 0, const_cast<std::uint8_t*>(rows.data()),
                                    static_cast<tmsize_t>(rows.size())), 0);
    TIFFClose(tif);
  }
  for (int selector : {-1, 6, 3}) {
    SCOPED_TRACE(selector);
    const std::string out = scratch / ("out" + std::to_string(selector) + ".tif");
    ASSERT_EQ(CopyTiffImages(scratch / "in.tif", out, WithSelector(selector)), 0);
    OpenTiff copy(out);
    std::uint32_t badLines = 0, consecutive = 0;
    ASSERT_TRUE(TIFFGetField(copy.get(), TIFFTAG_BADFAXLINES, &badLines));
    ASSERT_TRUE(TIFFGetField(copy.get(), TIFFTAG_CONSECUTIVEBADFAXLINES, &consecutive));
    EXPECT_EQ(badLines, 3u);
    EXPECT_EQ(consecutive, 2u);
    EXPECT_EQ(copy.u16(TIFFTAG_CLEANFAXDATA), CLEANFAXDATA_REGENERATED);
    EXPECT_EQ(copy.text(TIFFTAG_FAXSUBADDRESS), "4711");
    if (selector != 3) {
      EXPECT_EQ(copy.u32(TIFFTAG_GROUP4OPTIONS), std::uint32_t{GROUP4OPT_UNCOMPRESSED});
    }
  }
}

TEST(CopyTags, AppendAddsImagesToAnExistingOutput) {
  ScratchFolder scratch;
  WriteTiffFile(scratch / "a.tif", {TaggedPage(0)});
  WriteTiffFile(scratch / "b.tif", {TaggedPage(1), TaggedPage(2)});
  ASSERT_EQ(CopyTiffImages(scratch / "a.tif", scratch / "out.tif", WithSelector(6)), 0);
  CopyOptions append = WithSelector(6);
  append.append = 1;
  ASSERT_EQ(CopyTiffImages(scratch / "b.tif", scratch / "out.tif", append), 0);
  ASSERT_EQ(CountDirectories(scratch / "out.tif"), 3);
  EXPECT_EQ(OpenTiff(scratch / "out.tif", 2).text(TIFFTAG_IMAGEDESCRIPTION), "page 2");
}

} // namespace
} // namespace copytest
