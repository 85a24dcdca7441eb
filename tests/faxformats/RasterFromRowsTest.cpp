// PackBits coding and rasters from stored rows, against the TIFF library:
// its PackBits encoder feeds our row decoder, and its decoder reads what our
// encoder wrote into a TIFF.
#include "faxengine/FaxTiffWriter.h"
#include "faxformats/PackBits.h"
#include "faxformats/RasterFromRows.h"

#include "support/Scratch.h"
#include "support/TiffFixtures.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

// The raster's rows as a Raster (the helpers leave white as 1 bits).
Raster FromPageRaster(const PageRaster& page) {
  return Raster::FromPackedRows(page.rows.data(), page.width, page.height, false);
}

// Our encoding of the raster's rows, written as a PackBits TIFF page and read
// back by the TIFF library.
Raster ThroughOurEncoder(const Raster& raster, const std::string& path) {
  std::vector<std::uint8_t> rows = raster.PackedRows(false);
  std::vector<std::uint8_t> coded(rows.size() * 2 + 16);
  int length = PackBitsEncodeRows(rows, (raster.width + 7) / 8, coded);
  EXPECT_GT(length, 0);
  coded.resize(std::size_t(std::max(length, 0)));
  int written = WriteFaxPages(path, 1, [&](std::uint16_t, FaxTiffPage& page) {
    page.codingCode = kCodingPackBits;
    page.photometric = 1;
    page.width = raster.width;
    page.height = raster.height;
    page.data = coded;
    return true;
  });
  EXPECT_EQ(written, 0);
  auto pages = ReadTiffPages(path);
  return pages.size() == 1 ? pages[0] : Raster();
}

} // namespace

TEST(PackBits, RowsRoundTripThroughTheTiffLibrary) {
  ScratchFolder folder;
  const Raster pages[] = {TextLikePage(1728, 40, 3), NoisePage(1731, 20, 0.5, 4),
                          NoisePage(13, 7, 0.1, 5), Raster(2048, 3)};
  for (const Raster& page : pages) {
    SCOPED_TRACE(std::to_string(page.width) + "x" + std::to_string(page.height));
    EXPECT_EQ(ThroughOurEncoder(page, folder / "ours.tif"), page);

    std::vector<std::uint8_t> theirs = EncodeWithLibTiff(page, COMPRESSION_PACKBITS);
    PageRaster raster;
    for (std::uint8_t fillOrder : {1, 2}) {
      const std::vector<std::uint8_t> stored = fillOrder == 1 ? theirs : ReverseBits(theirs);
      RasterSource source{stored, fillOrder, 0, 1, page.width, page.height};
      EXPECT_EQ(RasterFromPackBitsRows(source, raster), 1);
      EXPECT_EQ(FromPageRaster(raster), page) << "fill order " << int(fillOrder);
    }
  }
}

TEST(PackBits, RunsLiteralsAndTheirLimits) {
  std::vector<std::uint8_t> out(64);
  std::vector<std::uint8_t> equal(300, 0xAA);
  ASSERT_EQ(PackBitsEncodeRows(equal, 300, out), 6);
  EXPECT_EQ(std::vector<std::uint8_t>(out.begin(), out.begin() + 6),
            (std::vector<std::uint8_t>{0x81, 0xAA, 0x81, 0xAA, 0xD5, 0xAA}))
      << "runs of 128, 128 and 44";

  // A two-byte run between a literal and a single byte joins the literal.
  std::vector<std::uint8_t> folded = {1, 2, 7, 7, 3};
  ASSERT_EQ(PackBitsEncodeRows(folded, 5, out), 6);
  EXPECT_EQ(std::vector<std::uint8_t>(out.begin(), out.begin() + 6),
            (std::vector<std::uint8_t>{4, 1, 2, 7, 7, 3}));
  // Each row is coded by itself: a run never crosses rows.
  std::vector<std::uint8_t> twoRows = {5, 5, 5, 5};
  ASSERT_EQ(PackBitsEncodeRows(twoRows, 2, out), 4);
  EXPECT_EQ(std::vector<std::uint8_t>(out.begin(), out.begin() + 4),
            (std::vector<std::uint8_t>{0xFF, 5, 0xFF, 5}));

  std::vector<std::uint8_t> small(5);
  EXPECT_EQ(PackBitsEncodeRows(folded, 5, small), -1) << "six bytes do not fit in five";
}

TEST(RasterFromRows, PolarityFillOrderAndShortSources) {
  const Raster page = NoisePage(100, 9, 0.3, 7);
  const std::vector<std::uint8_t> blackIsOne = page.PackedRows(true);
  struct Case {
    std::vector<std::uint8_t> bytes;
    std::uint8_t fillOrder, photometric;
  } cases[] = {
      {blackIsOne, 1, 0},
      {page.PackedRows(false), 1, 1},
      {ReverseBits(blackIsOne), 2, 0},
  };
  PageRaster raster;
  for (const Case& c : cases) {
    RasterSource source{c.bytes, c.fillOrder, c.photometric, 1, page.width, page.height};
    ASSERT_EQ(RasterFromUncompressedRows(source, raster), 0);
    EXPECT_EQ(FromPageRaster(raster), page)
        << "fill order " << int(c.fillOrder) << ", photometric " << int(c.photometric);
  }

  // Rows the source does not hold stay white; PackBits says it ran short.
  RasterSource shortSource{std::span(blackIsOne).first(13 * 4), 1, 0, 1, page.width, page.height};
  ASSERT_EQ(RasterFromUncompressedRows(shortSource, raster), 0);
  Raster expected = page;
  for (std::uint32_t y = 4; y < page.height; ++y)
    for (std::uint32_t x = 0; x < page.width; ++x)
      expected.set(x, y, false);
  EXPECT_EQ(FromPageRaster(raster), expected);
  std::vector<std::uint8_t> truncated = EncodeWithLibTiff(page, COMPRESSION_PACKBITS);
  truncated.resize(truncated.size() / 2);
  EXPECT_EQ(RasterFromPackBitsRows({truncated, 1, 0, 1, page.width, page.height}, raster), 0);

  EXPECT_EQ(RasterFromUncompressedRows({blackIsOne, 1, 0, 8, page.width, page.height}, raster),
            kRasterNotBilevel);
  EXPECT_EQ(RasterFromPackBitsRows({blackIsOne, 1, 0, 1, 0, page.height}, raster),
            kRasterTooLarge);
  EXPECT_EQ(RasterFromPackBitsRows({blackIsOne, 1, 0, 1, 60000, 60000}, raster), kRasterTooLarge)
      << "a header may not ask for an unbounded raster";
}
