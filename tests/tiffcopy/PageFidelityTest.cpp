// Pages that once lost their content or their layout in the copy: each one
// must come out with the source's pixels and strips, or fail the copy.
#include "CopyTestHelpers.h"

#include "support/HandCodedFax.h"
#include "support/Scratch.h"

namespace copytest {
namespace {

TEST(PageFidelity, UncompressedFillOrder2PageAfterAnotherPageKeepsItsPixels) {
  ScratchFolder scratch;
  const TiffPageSpec first = BilevelSpec(COMPRESSION_CCITTFAX4);
  TiffPageSpec second = BilevelSpec(COMPRESSION_NONE);
  second.raster = TextLikePage(1728, 1100, 5);
  second.fillOrder = FILLORDER_LSB2MSB;
  WriteTiffFile(scratch / "in.tif", {first, second});
  for (int selector : {-1, 6}) {
    SCOPED_TRACE(selector);
    ASSERT_EQ(CopyTiffImages(scratch / "in.tif", scratch / "out.tif", WithSelector(selector)), 0);
    const std::vector<Raster> pages = ReadTiffPages(scratch / "out.tif");
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_TRUE(pages[0] == first.raster);
    EXPECT_TRUE(pages[1] == second.raster);
  }
}

TEST(PageFidelity, OneStripPageStaysOneStrip) {
  ScratchFolder scratch;
  for (std::uint16_t compression : {COMPRESSION_NONE, COMPRESSION_CCITTFAX3}) {
    SCOPED_TRACE(compression);
    TiffPageSpec spec = BilevelSpec(compression);
    spec.raster = TextLikePage(1000, 300, 2); // the library would cut it into 65-row strips
    WriteTiffFile(scratch / "in.tif", {spec});
    ASSERT_EQ(CopyTiffImages(scratch / "in.tif", scratch / "out.tif", WithSelector(6)), 0);
    OpenTiff copy(scratch / "out.tif");
    EXPECT_EQ(TIFFNumberOfStrips(copy.get()), 1u);
    EXPECT_EQ(copy.u32(TIFFTAG_ROWSPERSTRIP), 300u);
    EXPECT_EQ(ReadTiffPages(scratch / "out.tif").at(0), spec.raster);
  }
}

// Fax files often omit PhotometricInterpretation; their readers take such
// pages as MinIsWhite, and the copy says so.
TEST(PageFidelity, FaxCodedPageWithoutPhotometricIsMinIsWhite) {
  ScratchFolder scratch;
  for (std::uint16_t compression :
       {COMPRESSION_CCITTFAX3, COMPRESSION_CCITTFAX4, COMPRESSION_CCITTRLE}) {
    SCOPED_TRACE(compression);
    const TiffPageSpec spec = BilevelSpec(compression);
    WriteTiffFile(scratch / "in.tif", {spec});
    std::vector<std::uint8_t> file = ReadBytes(scratch / "in.tif");
    HideTag(file, 0, TIFFTAG_PHOTOMETRIC);
    WriteFile(scratch / "in.tif", file);
    for (int selector : {-1, 6}) {
      ASSERT_EQ(CopyTiffImages(scratch / "in.tif", scratch / "out.tif", WithSelector(selector)), 0);
      std::uint16_t photometric = 0xFFFF;
      EXPECT_TRUE(
          TIFFGetField(OpenTiff(scratch / "out.tif").get(), TIFFTAG_PHOTOMETRIC, &photometric));
      EXPECT_EQ(photometric, PHOTOMETRIC_MINISWHITE);
      EXPECT_EQ(ReadTiffPages(scratch / "out.tif").at(0), spec.raster);
    }
  }
}

// Group 3 strips the TIFF library cannot decode: rows with no EOL (as some
// fax software writes them) are read by our own decoder; anything else of
// which nothing decodes is a lost page, not a blank one, and fails the copy.
TEST(PageFidelity, StripTheLibraryCannotDecodeIsReadOrFailsTheCopy) {
  ScratchFolder scratch;
  TiffPageSpec spec = BilevelSpec(COMPRESSION_CCITTFAX3, GROUP3OPT_FILLBITS);
  spec.fillOrder = FILLORDER_LSB2MSB;
  WriteTiffFile(scratch / "in.tif", {spec});
  const std::vector<std::uint8_t> file = ReadBytes(scratch / "in.tif");
  const auto coded = [&](std::uint16_t compression) {
    return EncodeWithLibTiff(spec.raster, compression, 0, FILLORDER_LSB2MSB);
  };
  struct Case {
    const char* name;
    std::vector<std::uint8_t> strip;
    bool readable;
  };
  for (const Case& c :
       {Case{"rows without EOL", ReverseBits(HandCodedMhWithoutEol(spec.raster)), true},
        Case{"byte-aligned rows without EOL", coded(COMPRESSION_CCITTRLE), true},
        Case{"Group 4 data", coded(COMPRESSION_CCITTFAX4), false}}) {
    SCOPED_TRACE(c.name);
    WriteFile(scratch / "odd.tif", WithStrip(file, c.strip));
    for (int selector : {-1, 6}) {
      const int result =
          CopyTiffImages(scratch / "odd.tif", scratch / "out.tif", WithSelector(selector));
      EXPECT_EQ(result, c.readable ? 0 : 1);
      if (c.readable && result == 0) {
        EXPECT_EQ(ReadTiffPages(scratch / "out.tif").at(0), spec.raster);
      }
    }
  }
}

} // namespace
} // namespace copytest
