// Our Group 4 encoder against the TIFF library: the same bytes as its
// encoder for every page, and the exact page back from its decoder and ours.
#include "faxformats/Group4Encoder.h"
#include "DecodeHelpers.h"
#include "support/Scratch.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

using testing_support::EncodeWithLibTiff;
using testing_support::Raster;

namespace {

Raster Pattern(std::uint32_t width, std::uint32_t height,
               const std::function<bool(std::uint32_t, std::uint32_t)>& ink) {
  Raster raster(width, height);
  for (std::uint32_t y = 0; y < height; ++y)
    for (std::uint32_t x = 0; x < width; ++x)
      raster.set(x, y, ink(x, y));
  return raster;
}

struct EncodedPage {
  std::string name;
  Raster raster;
};

std::vector<EncodedPage> Pages() {
  std::vector<EncodedPage> pages;
  for (std::uint32_t w :
       {1u, 7u, 8u, 9u, 63u, 64u, 65u, 1727u, 1728u, 1729u, 2048u, 2432u, 4864u}) {
    const std::string at = " " + std::to_string(w);
    pages.push_back({"white" + at, Pattern(w, 6, [](auto, auto) { return false; })});
    pages.push_back({"black" + at, Pattern(w, 6, [](auto, auto) { return true; })});
    pages.push_back(
        {"checkerboard" + at, Pattern(w, 12, [](auto x, auto y) { return (x + y) % 2 == 0; })});
    pages.push_back({"narrow stripes" + at, Pattern(w, 8, [](auto x, auto) { return x / 3 % 2; })});
    // Stripes that shift by one to three pixels a row (vertical modes),
    // then jump by more (horizontal and pass modes).
    pages.push_back({"leaning stripes" + at, Pattern(w, 24, [](auto x, auto y) {
                       return (x + y * (y % 8 < 4 ? 1 + y % 3 : 70)) / 70 % 2;
                     })});
    pages.push_back({"noise" + at, testing_support::NoisePage(w, 20, 0.5, w)});
    pages.push_back({"sparse noise" + at, testing_support::NoisePage(w, 20, 0.03, w + 1)});
    pages.push_back({"text" + at, testing_support::TextLikePage(w, 64, w)});
  }
  pages.push_back({"run boundaries 4864", testing_support::RunBoundaryPage(4864)});
  pages.push_back({"long runs 9000", Pattern(9000, 6, [](auto x, auto y) {
                     return x > 2560 * (y % 3) + y && x < 8000 - y;
                   })});
  return pages;
}

// The changing elements of a row counted pixel by pixel, as a check on the
// encoder's word-at-a-time search.
std::vector<std::uint32_t> ChangesOf(const Raster& raster, std::uint32_t y) {
  std::vector<std::uint32_t> changes;
  bool previous = false;
  for (std::uint32_t x = 0; x < raster.width; ++x)
    if (raster.black(x, y) != previous) {
      changes.push_back(x);
      previous = !previous;
    }
  return changes;
}

// Decodes one Group 4 strip in the TIFF library, through a file holding it.
Raster DecodeWithLibTiff(const std::vector<std::uint8_t>& coded, const Raster& shape) {
  testing_support::ScratchFolder scratch;
  const std::string path = scratch / "g4.tif";
  TIFF* tif = TIFFOpen(path.c_str(), "w");
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, shape.width);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, shape.height);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 1);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
  TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
  TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, shape.height);
  TIFFWriteRawStrip(tif, 0, const_cast<std::uint8_t*>(coded.data()), tmsize_t(coded.size()));
  TIFFClose(tif);
  return testing_support::ReadTiffPages(path).at(0);
}

} // namespace

// One encoder codes every page in turn, so each page also shows that Start
// leaves nothing of the page before.
TEST(Group4Encoder, EveryPageCodesAsTheTiffLibraryCodesItAndDecodesBackExactly) {
  Group4Encoder encoder;
  for (const EncodedPage& page : Pages()) {
    SCOPED_TRACE(page.name);
    const Raster& raster = page.raster;
    const std::vector<std::uint8_t> inkAsOne = raster.PackedRows(true);
    const std::vector<std::uint8_t> coded = EncodeGroup4Page(inkAsOne, raster.width, raster.height,
                                                             WhiteBits::Zero, EndOfBlock::Append);
    EXPECT_EQ(coded, EncodeWithLibTiff(raster, COMPRESSION_CCITTFAX4));
    EXPECT_TRUE(DecodeWithLibTiff(coded, raster) == raster);

    const std::vector<std::uint8_t> inkAsZero = raster.PackedRows(false);
    const std::size_t rowBytes = (raster.width + 7) / 8;
    encoder.Start(raster.width, WhiteBits::One);
    for (std::uint32_t y = 0; y < raster.height; ++y)
      encoder.EncodeRow(inkAsZero.data() + y * rowBytes);
    EXPECT_EQ(encoder.Finish(EndOfBlock::Append), coded);

    encoder.Start(raster.width, WhiteBits::Zero);
    for (std::uint32_t y = 0; y < raster.height; ++y)
      encoder.EncodeChanges(ChangesOf(raster, y));
    const std::vector<std::uint8_t> bare = encoder.Finish(EndOfBlock::Omit);
    EXPECT_TRUE(DecodeWithLibTiff(bare, raster) == raster);
    OurDecode ours =
        DecodeWithOurs(bare, 7, std::int32_t(raster.width), std::int32_t(raster.height) + 4);
    EXPECT_GE(ours.result, 0);
    EXPECT_TRUE(ours.Image() == raster);
  }
}

TEST(Group4Encoder, ChangesThatRepeatOrGoBackOrLieOutsideTheRowAreDropped) {
  const std::uint32_t width = 40;
  Raster raster = Pattern(width, 1, [](auto x, auto) { return x >= 5 && x < 20; });
  Group4Encoder encoder;
  encoder.Start(width, WhiteBits::Zero);
  encoder.EncodeChanges(std::vector<std::uint32_t>{5, 9, 9, 20, 12, 40, 41});
  EXPECT_EQ(encoder.Finish(EndOfBlock::Append), EncodeWithLibTiff(raster, COMPRESSION_CCITTFAX4));
}
