// Our decoder against an encoder nobody here wrote: pages encoded by the TIFF
// library in every fax coding must decode to the exact source raster.
#include "DecodeHelpers.h"

#include <gtest/gtest.h>

#include <string>

using testing_support::EncodeWithLibTiff;
using testing_support::Raster;

namespace {

struct Coding {
  const char* name;
  std::uint16_t compression;
  std::uint32_t group3Options;
  std::uint8_t codingCode;
};

const Coding kCodings[] = {
    {"G3 1-D", COMPRESSION_CCITTFAX3, 0, 5},
    {"G3 1-D fill bits", COMPRESSION_CCITTFAX3, GROUP3OPT_FILLBITS, 5},
    {"G3 2-D", COMPRESSION_CCITTFAX3, GROUP3OPT_2DENCODING, 6},
    {"G3 2-D fill bits", COMPRESSION_CCITTFAX3, GROUP3OPT_2DENCODING | GROUP3OPT_FILLBITS, 6},
    {"G4", COMPRESSION_CCITTFAX4, 0, 7},
    {"CCITT RLE", COMPRESSION_CCITTRLE, 0, 3},
    {"CCITT RLE/W", COMPRESSION_CCITTRLEW, 0, 4},
};

} // namespace

TEST(FaxDecoderOracle, EveryCodingOfEveryPageDecodesToTheSourceRaster) {
  for (const Coding& coding : kCodings) {
    for (const Page& page : DecoderFixturePages()) {
      SCOPED_TRACE(std::string(coding.name) + ", " + page.name);
      auto data = EncodeWithLibTiff(page.raster, coding.compression, coding.group3Options);
      OurDecode ours = DecodeWithOurs(data, coding.codingCode, std::int32_t(page.raster.width),
                                      std::int32_t(page.raster.height) + 10);
      EXPECT_GE(ours.result, 0);
      ASSERT_EQ(ours.raster.height, page.raster.height);
      EXPECT_TRUE(ours.Image() == page.raster);
    }
  }
}

TEST(FaxDecoderOracle, ReverseBitOrderDecodesAlike) {
  Raster page = testing_support::TextLikePage(1728, 30, 5);
  for (const Coding& coding : kCodings) {
    SCOPED_TRACE(coding.name);
    auto data =
        EncodeWithLibTiff(page, coding.compression, coding.group3Options, FILLORDER_LSB2MSB);
    OurDecode ours = DecodeWithOurs(data, coding.codingCode, 1728, 40, kLsbFirst);
    ASSERT_EQ(ours.raster.height, page.height);
    EXPECT_TRUE(ours.Image() == page);
    OurDecode wrongOrder = DecodeWithOurs(data, coding.codingCode, 1728, 40, kMsbFirst);
    EXPECT_FALSE(wrongOrder.raster.height == page.height && wrongOrder.Image() == page);
  }
}

TEST(FaxDecoderOracle, TruncatedDataKeepsTheCompleteLinesBeforeTheCut) {
  Raster page = testing_support::TextLikePage(1728, 60, 11);
  for (const Coding& coding : kCodings) {
    SCOPED_TRACE(coding.name);
    auto data = EncodeWithLibTiff(page, coding.compression, coding.group3Options);
    for (std::size_t keep : {data.size() / 3, data.size() / 2, data.size() - 20}) {
      std::vector<std::uint8_t> cut(data.begin(), data.begin() + std::ptrdiff_t(keep));
      OurDecode ours = DecodeWithOurs(cut, coding.codingCode, 1728, 80);
      ASSERT_GT(ours.raster.height, 0u);
      ASSERT_LT(ours.raster.height, page.height);
      // Every counted line is a line of the page, in order.
      Raster image = ours.Image();
      for (std::uint32_t y = 0; y < image.height; ++y)
        for (std::uint32_t x = 0; x < 1728; ++x)
          ASSERT_EQ(image.black(x, y), page.black(x, y)) << "row " << y << " x " << x;
    }
  }
}

TEST(FaxDecoderOracle, CorruptedBytesNeverYieldALineOfTheWrongWidth) {
  Raster page = testing_support::TextLikePage(1728, 60, 12);
  for (const Coding& coding : kCodings) {
    SCOPED_TRACE(coding.name);
    auto data = EncodeWithLibTiff(page, coding.compression, coding.group3Options);
    for (std::size_t at = 17; at < data.size(); at += data.size() / 7) {
      auto damaged = data;
      damaged[at] ^= 0x5A;
      damaged[at / 2] = 0x00;
      OurDecode ours = DecodeWithOurs(damaged, coding.codingCode, 1728, 70);
      EXPECT_LE(ours.raster.height, 70u);
      EXPECT_EQ(ours.raster.width, 1728u);
    }
  }
}

TEST(FaxDecoderOracle, OneDimensionalStreamsResynchroniseAfterADamagedLine) {
  Raster page = testing_support::TextLikePage(1728, 40, 13);
  auto data = EncodeWithLibTiff(page, COMPRESSION_CCITTFAX3, GROUP3OPT_FILLBITS);
  // Zero a run of bytes in the middle: lines there are lost, the rest decode.
  std::size_t middle = data.size() / 2;
  for (std::size_t i = 0; i < 6; ++i)
    data[middle + i] = 0xFF;
  OurDecode ours = DecodeWithOurs(data, 5, 1728, 60);
  EXPECT_GE(ours.raster.height, page.height - 3);
  EXPECT_LT(ours.raster.height, page.height);
  EXPECT_GE(ours.result, 0);
}

TEST(FaxDecoderOracle, MoreLinesThanTheMaximumRowsStopAtTheMaximum) {
  Raster page = testing_support::TextLikePage(1728, 50, 2);
  for (const Coding& coding : kCodings) {
    SCOPED_TRACE(coding.name);
    auto data = EncodeWithLibTiff(page, coding.compression, coding.group3Options);
    OurDecode ours = DecodeWithOurs(data, coding.codingCode, 1728, 20);
    EXPECT_EQ(ours.raster.height, 20u);
    // Rows below the last one keep the first lines of the page.
    Raster image = ours.Image();
    for (std::uint32_t y = 0; y < 19; ++y)
      for (std::uint32_t x = 0; x < 1728; ++x)
        ASSERT_EQ(image.black(x, y), page.black(x, y));
  }
}
