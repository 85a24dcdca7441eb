// Bilevel pages in every coding and layout reach the PDF with the same
// pixels (as poppler decodes them) and the right polarity (as renderers show).
#include <gtest/gtest.h>

#include "PdfTestHelpers.h"
#include "support/HandCodedFax.h"
#include "support/Scratch.h"
#include "support/TiffCopyChecks.h"
#include "support/Tools.h"

using namespace testing_support;
using pdf_tests::ConvertChecked;
using pdf_tests::ExpectOnePageShowing;
using pdf_tests::Crop;

namespace {

struct BilevelCase {
  const char* name;
  std::uint16_t compression;
  std::uint32_t group3Options = 0;
  std::uint16_t fillOrder = FILLORDER_MSB2LSB;
  std::uint16_t photometric = PHOTOMETRIC_MINISWHITE;
  std::uint32_t rowsPerStrip = 0;
  bool tiled = false;
  bool bigEndian = false;
  bool useMuPdf = false;
};

class BilevelRoundTrip : public ::testing::TestWithParam<BilevelCase> {};

TEST_P(BilevelRoundTrip, PixelsAndPolarityArePreserved) {
  const BilevelCase& c = GetParam();
  ScratchFolder scratch;
  TiffPageSpec page;
  // 300 x 203 gives partial edge tiles of 44 x 11 pixels with 128 x 64 tiles.
  page.raster = TextLikePage(300, 203, 7);
  page.compression = c.compression;
  page.group3Options = c.group3Options;
  page.fillOrder = c.fillOrder;
  page.photometric = c.photometric;
  page.rowsPerStrip = c.rowsPerStrip;
  page.tiled = c.tiled;
  page.tileWidth = 128;
  page.tileLength = 64;
  const std::string tiff = scratch / "page.tif", pdf = scratch / "page.pdf";
  WriteTiffFile(tiff, {page}, c.bigEndian);
  ConvertChecked(tiff, pdf);

  const auto images = ExtractImages(pdf);
  if (!c.tiled) {
    ASSERT_EQ(images.size(), 1u);
    EXPECT_TRUE(images[0].ToRaster() == page.raster);
  } else {
    ASSERT_EQ(images.size(), 12u); // 3 across, 4 down
    for (std::uint32_t k = 0; k < images.size(); ++k) {
      const std::uint32_t x = (k % 3) * 128, y = (k / 3) * 64;
      const auto expected =
          Crop(page.raster, x, y, std::min(128u, 300 - x), std::min(64u, 203 - y));
      EXPECT_TRUE(images[k].ToRaster() == expected) << "tile " << k;
    }
  }
  const auto means = RenderedMeanGrey(pdf, 24, c.useMuPdf);
  ASSERT_EQ(means.size(), 1u);
  EXPECT_NEAR(means[0], ExpectedMeanGrey(page.raster), 12.0);
}

INSTANTIATE_TEST_SUITE_P(
    Codings, BilevelRoundTrip,
    ::testing::Values(BilevelCase{"Group4", COMPRESSION_CCITTFAX4},
                      BilevelCase{"Group4MinIsBlack", COMPRESSION_CCITTFAX4, 0, FILLORDER_MSB2LSB,
                                  PHOTOMETRIC_MINISBLACK, 0, false, false, true},
                      BilevelCase{"Group4FillOrder2", COMPRESSION_CCITTFAX4, 0, FILLORDER_LSB2MSB},
                      BilevelCase{"Group4TwoStrips", COMPRESSION_CCITTFAX4, 0, FILLORDER_MSB2LSB,
                                  PHOTOMETRIC_MINISWHITE, 120},
                      BilevelCase{"Group4BigEndian", COMPRESSION_CCITTFAX4, 0, FILLORDER_MSB2LSB,
                                  PHOTOMETRIC_MINISWHITE, 0, false, true},
                      BilevelCase{"Group4Tiled", COMPRESSION_CCITTFAX4, 0, FILLORDER_MSB2LSB,
                                  PHOTOMETRIC_MINISWHITE, 0, true, false, true},
                      BilevelCase{"Group3OneD", COMPRESSION_CCITTFAX3},
                      BilevelCase{"Group3TwoD", COMPRESSION_CCITTFAX3, GROUP3OPT_2DENCODING},
                      BilevelCase{"Group3FillOrder2BigEndian", COMPRESSION_CCITTFAX3,
                                  GROUP3OPT_FILLBITS, FILLORDER_LSB2MSB, PHOTOMETRIC_MINISWHITE, 50,
                                  false, true},
                      BilevelCase{"PackBits", COMPRESSION_PACKBITS},
                      BilevelCase{"PackBitsMinIsBlackTiled", COMPRESSION_PACKBITS, 0,
                                  FILLORDER_MSB2LSB, PHOTOMETRIC_MINISBLACK, 0, true},
                      BilevelCase{"Lzw", COMPRESSION_LZW, 0, FILLORDER_MSB2LSB,
                                  PHOTOMETRIC_MINISWHITE, 0, false, false, true},
                      BilevelCase{"Uncompressed", COMPRESSION_NONE},
                      BilevelCase{"UncompressedMinIsBlack", COMPRESSION_NONE, 0, FILLORDER_MSB2LSB,
                                  PHOTOMETRIC_MINISBLACK}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BilevelPages, UncompressedFillOrder2PageAfterAnotherPageKeepsItsPixels) {
  ScratchFolder scratch;
  TiffPageSpec first, second;
  first.raster = TextLikePage(300, 203, 1);
  first.compression = COMPRESSION_CCITTFAX3; // decoded, unlike a passed-through page
  second.raster = TextLikePage(1728, 1100, 5);
  second.compression = COMPRESSION_NONE;
  second.fillOrder = FILLORDER_LSB2MSB;
  const std::string tiff = scratch / "two.tif", pdf = scratch / "two.pdf";
  WriteTiffFile(tiff, {first, second});
  ConvertChecked(tiff, pdf);
  const auto images = ExtractImages(pdf);
  ASSERT_EQ(images.size(), 2u);
  EXPECT_TRUE(images[0].ToRaster() == first.raster);
  EXPECT_TRUE(images[1].ToRaster() == second.raster);
  const auto means = RenderedMeanGrey(pdf);
  ASSERT_EQ(means.size(), 2u);
  EXPECT_NEAR(means[1], ExpectedMeanGrey(second.raster), 12.0);
}

// Fax files often omit PhotometricInterpretation; their readers take such
// pages as MinIsWhite.
TEST(BilevelPages, FaxCodedPageWithoutPhotometricIsMinIsWhite) {
  ScratchFolder scratch;
  for (std::uint16_t compression : {COMPRESSION_CCITTFAX3, COMPRESSION_CCITTFAX4}) {
    SCOPED_TRACE(compression);
    TiffPageSpec page;
    page.raster = TextLikePage(300, 203, 4);
    page.compression = compression;
    const std::string tiff = scratch / "page.tif", pdf = scratch / "page.pdf";
    WriteTiffFile(tiff, {page});
    std::vector<std::uint8_t> file = ReadBytes(tiff);
    HideTag(file, 0, TIFFTAG_PHOTOMETRIC);
    WriteFile(tiff, file);
    ConvertChecked(tiff, pdf);
    ExpectOnePageShowing(pdf, page.raster);
  }
}

// A Group 3 strip of which the TIFF library decodes nothing (rows without
// EOL, or data of another coding) is a lost page, not a blank one.
TEST(BilevelPages, PageOfWhichNothingDecodesFailsTheDocument) {
  ScratchFolder scratch;
  TiffPageSpec page;
  page.raster = TextLikePage(300, 203, 2);
  page.compression = COMPRESSION_CCITTFAX3;
  const std::string tiff = scratch / "page.tif", pdf = scratch / "page.pdf";
  WriteTiffFile(tiff, {page});
  const std::vector<std::uint8_t> file = ReadBytes(tiff);
  for (const auto& strip : {HandCodedMhWithoutEol(page.raster),
                            EncodeWithLibTiff(page.raster, COMPRESSION_CCITTFAX4)}) {
    WriteFile(tiff, WithStrip(file, strip));
    EXPECT_NE(pdf::ConvertTiffToPdfReporting(tiff, pdf, 0, {}).result, 0);
    EXPECT_FALSE(Exists(pdf));
  }
}

TEST(BilevelPassThrough, SingleStripGroup4IsCopiedWithBitsReversedForFillOrder2) {
  ScratchFolder scratch;
  TiffPageSpec page;
  page.raster = TextLikePage(256, 100, 3);
  page.fillOrder = FILLORDER_LSB2MSB;
  const std::string tiff = scratch / "page.tif", pdf = scratch / "page.pdf";
  WriteTiffFile(tiff, {page});
  ConvertChecked(tiff, pdf);
  const auto raw = ReadRawStrips(tiff).at(0);
  const auto msbFirst = ReverseBits(raw);
  const std::string file = ReadFile(pdf);
  const std::string stream = "stream\r\n" + std::string(msbFirst.begin(), msbFirst.end()) +
                             "\rendstream\rendobj\r8 0 obj\r" + std::to_string(raw.size()) + "\r";
  EXPECT_NE(file.find(stream), std::string::npos);
}

// Group 4 data is copied only when it codes the rows as T.6's own choice of
// modes does (with or without EOFB). Other legal codings decode in the TIFF
// library but need not in PDF viewers, so the page is coded anew.
TEST(BilevelPassThrough, OnlyTheCanonicalGroup4CodingIsCopied) {
  ScratchFolder scratch;
  TiffPageSpec page;
  page.raster = TextLikePage(1728, 600, 9);
  const std::string tiff = scratch / "page.tif", pdf = scratch / "page.pdf";
  WriteTiffFile(tiff, {page});
  const std::vector<std::uint8_t> file = ReadBytes(tiff);
  const auto canonical = ReadRawStrips(tiff).at(0);
  struct Case {
    const char* name;
    std::vector<std::uint8_t> strip, written;
  };
  for (const Case& c : {Case{"horizontal mode only",
                             HandCodedGroup4(page.raster, Group4Style::HorizontalOnly), canonical},
                        Case{"zero-length runs",
                             HandCodedGroup4(page.raster, Group4Style::ZeroLengthRuns), canonical},
                        Case{"no EOFB", WithoutEofb(canonical), WithoutEofb(canonical)}}) {
    SCOPED_TRACE(c.name);
    WriteFile(tiff, WithStrip(file, c.strip));
    ASSERT_EQ(ReadTiffPages(tiff).at(0), page.raster) << "the TIFF library decodes the fixture";
    ConvertChecked(tiff, pdf);
    ExpectOnePageShowing(pdf, page.raster, true);
    EXPECT_NE(ReadFile(pdf).find("stream\r\n" + std::string(c.written.begin(), c.written.end()) +
                                 "\rendstream"),
              std::string::npos);
  }
}

TEST(BilevelPassThrough, Group3IsWrittenAsGroup4) {
  ScratchFolder scratch;
  TiffPageSpec page;
  page.raster = TextLikePage(1728, 300, 5);
  page.compression = COMPRESSION_CCITTFAX3;
  const std::string tiff = scratch / "page.tif", pdf = scratch / "page.pdf";
  WriteTiffFile(tiff, {page});
  ConvertChecked(tiff, pdf);
  const std::string file = ReadFile(pdf);
  const auto group4 = EncodeWithLibTiff(page.raster, COMPRESSION_CCITTFAX4);
  EXPECT_NE(file.find("/CCITTFaxDecode /DecodeParms << /K -1 /Columns 1728 /Rows 300>>"),
            std::string::npos);
  EXPECT_NE(file.find("8 0 obj\r" + std::to_string(group4.size()) + "\r"), std::string::npos);
}

} // namespace
