// The fixtures are the oracle of many tests: make sure they round-trip
// through the TIFF library and the PDF tools see what they should.
#include "support/PdfChecks.h"
#include "support/Scratch.h"
#include "support/TiffFixtures.h"

#include <gtest/gtest.h>

using namespace testing_support;

TEST(TiffFixtures, EveryCodingRoundTripsThroughTheTiffLibrary) {
  ScratchFolder scratch;
  const Raster page = TextLikePage(300, 120, 7);
  ASSERT_GT(page.BlackFraction(), 0.01);
  struct Coding {
    std::uint16_t compression;
    std::uint32_t options;
    std::uint16_t fillOrder;
  };
  for (Coding c : {Coding{COMPRESSION_CCITTFAX4, 0, 1}, Coding{COMPRESSION_CCITTFAX3, 0, 1},
                   Coding{COMPRESSION_CCITTFAX3, GROUP3OPT_2DENCODING | GROUP3OPT_FILLBITS, 2},
                   Coding{COMPRESSION_CCITTRLE, 0, 1}, Coding{COMPRESSION_PACKBITS, 0, 1}}) {
    TiffPageSpec spec;
    spec.raster = page;
    spec.compression = c.compression;
    spec.group3Options = c.options;
    spec.fillOrder = c.fillOrder;
    spec.rowsPerStrip = 50;
    WriteTiffFile(scratch / "page.tif", {spec, spec}, /*bigEndian=*/c.fillOrder == 2);
    auto pages = ReadTiffPages(scratch / "page.tif");
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[1], page) << "compression " << c.compression;
  }
}

TEST(TiffFixtures, TilesWithPartialEdgeTilesAndMinIsBlackKeepTheInk) {
  ScratchFolder scratch;
  TiffPageSpec spec;
  spec.raster = CornerMarkPage(37, 51);
  spec.compression = COMPRESSION_NONE;
  spec.photometric = PHOTOMETRIC_MINISBLACK;
  spec.tiled = true;
  WriteTiffFile(scratch / "tiled.tif", {spec});
  EXPECT_EQ(ReadTiffPages(scratch / "tiled.tif").at(0), spec.raster);
}

TEST(TiffFixtures, LibTiffStripsAreBareStreamsInBothBitOrders) {
  const Raster page = RunBoundaryPage(2600);
  auto msbFirst = EncodeWithLibTiff(page, COMPRESSION_CCITTFAX4);
  auto lsbFirst = EncodeWithLibTiff(page, COMPRESSION_CCITTFAX4, 0, FILLORDER_LSB2MSB);
  ASSERT_FALSE(msbFirst.empty());
  EXPECT_EQ(ReverseBits(lsbFirst), msbFirst);
}

TEST(PdfChecks, ReadsBilevelAndGrayPnm) {
  ScratchFolder scratch;
  WriteFile(scratch / "a.pbm", std::string("P4\n# c\n10 2\n") + std::string("\xC0\x40\x00\x00", 4));
  PnmImage bits = ReadPnm(scratch / "a.pbm");
  EXPECT_EQ(bits.width, 10u);
  EXPECT_EQ(bits.ToRaster().BlackFraction(), 3.0 / 20.0);
  WriteFile(scratch / "b.pgm", std::string("P5 2 1 255\n") + std::string("\x00\xff", 2));
  EXPECT_EQ(ReadPnm(scratch / "b.pgm").samples, (std::vector<std::uint8_t>{0, 255}));
}
