// Real fax data from the shared corpus: bare streams and the strips of fax
// TIFFs, decoded by us and compared with the TIFF library's own decoding.
#include "DecodeHelpers.h"

#include "support/Scratch.h"

#include <gtest/gtest.h>

#include <string>

using testing_support::CorpusFolder;
using testing_support::Raster;

namespace {

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
  std::string text = testing_support::ReadFile(path);
  return {text.begin(), text.end()};
}

std::string Corpus(const std::string& name) { return CorpusFolder() + "/" + name; }

// The gopher picture as the TIFF library decodes the corpus's G4 TIFF of it.
Raster Gopher() {
  return testing_support::ReadTiffPages(Corpus("golang_image/bw-gopher_ccittGroup4.tiff")).at(0);
}

Raster Inverse(Raster raster) {
  for (auto& pixel : raster.pixels)
    pixel = !pixel;
  return raster;
}

struct TiffCase {
  const char* file;
  std::uint8_t codingCode;
  std::uint8_t bitOrder;
  bool minIsBlack;
};

} // namespace

TEST(CorpusStreams, GopherStreamsDecodeToTheGopher) {
  REQUIRE_CORPUS();
  Raster gopher = Gopher();
  ASSERT_EQ(gopher.width, 153u);
  ASSERT_EQ(gopher.height, 55u);
  struct Case {
    const char* file;
    std::uint8_t codingCode;
    bool inverted;
  };
  for (Case c : {Case{"bw-gopher.ccitt_group3", 5, false}, Case{"bw-gopher.ccitt_group4", 7, false},
                 Case{"bw-gopher-truncated0.ccitt_group4", 7, false},
                 Case{"bw-gopher-inverted.ccitt_group3", 5, true}}) {
    SCOPED_TRACE(c.file);
    OurDecode ours = DecodeWithOurs(ReadBytes(Corpus(std::string("golang_image/") + c.file)),
                                    c.codingCode, 153, 100);
    EXPECT_EQ(ours.result, 0);
    ASSERT_EQ(ours.raster.height, 55u);
    EXPECT_TRUE(ours.Image() == (c.inverted ? Inverse(gopher) : gopher));
  }
}

TEST(CorpusStreams, RowAlignedGopherStreamsAreNotPlainFaxCoding) {
  REQUIRE_CORPUS();
  // Zero padding after each EOL (PDF EncodedByteAlign) is no T.4 fill: the
  // padding bits are read as codes. T.4: the lines whose padding happens to
  // be empty survive, the others are dropped. T.6: after the first invalid
  // code the start search restarts decoding at places that are no line
  // starts, so the lines it counts are not the picture.
  Raster gopher = Gopher();
  OurDecode group3 =
      DecodeWithOurs(ReadBytes(Corpus("golang_image/bw-gopher-aligned.ccitt_group3")), 5, 153, 100);
  EXPECT_LT(group3.raster.height, 55u);
  OurDecode group4 =
      DecodeWithOurs(ReadBytes(Corpus("golang_image/bw-gopher-aligned.ccitt_group4")), 7, 153, 55);
  EXPECT_LE(group4.raster.height, 55u);
  EXPECT_FALSE(group4.Image() == gopher);
}

TEST(CorpusStreams, CorruptStreamDecodesWithoutHarm) {
  REQUIRE_CORPUS();
  // A bug-report stream: 0xFF bytes, then T.6 lines of width 7 that go bad
  // after row 16; whatever it yields stays inside the raster.
  auto bytes = ReadBytes(Corpus("haraldk_TwelveMonkeys/645.ccitt"));
  OurDecode ours = DecodeWithOurs(bytes, 7, 7, 2000);
  EXPECT_LE(ours.raster.height, 2000u);
  EXPECT_GE(ours.raster.height, 16u);
}

TEST(CorpusStreams, SingleStripFaxTiffsDecodeLikeTheTiffLibrary) {
  REQUIRE_CORPUS();
  const TiffCase cases[] = {
      {"golang_image/bw-gopher_ccittGroup3.tiff", 5, kMsbFirst, false},
      {"haraldk_TwelveMonkeys/17-tiff-binary-ccitt-group3.tif", 5, kMsbFirst, false},
      {"haraldk_TwelveMonkeys/58-plexustiff-binary-ccitt-group4.tif", 7, kMsbFirst, false},
      {"haraldk_TwelveMonkeys/min-is-white-with-profile.tif", 7, kLsbFirst, false},
      {"haraldk_TwelveMonkeys/CCITTgetNextChangingElement.tif", 7, kMsbFirst, true},
      {"haraldk_TwelveMonkeys/group3_2d_lsb2msb.tif", 6, kLsbFirst, false},
      {"python-pillow_Pillow/g4-fillorder-test.tif", 7, kLsbFirst, false},
      {"python-pillow_Pillow/hopper_g4_500.tif", 7, kMsbFirst, false},
      {"python-pillow_Pillow/pport_g4.tif", 7, kMsbFirst, false},
      {"SerenityOS_serenity/ccitt3_no_tags.tiff", 5, kMsbFirst, false},
  };
  for (const TiffCase& c : cases) {
    SCOPED_TRACE(c.file);
    Raster expected = testing_support::ReadTiffPages(Corpus(c.file)).at(0);
    auto strips = testing_support::ReadRawStrips(Corpus(c.file));
    ASSERT_EQ(strips.size(), 1u);
    OurDecode ours = DecodeWithOurs(strips[0], c.codingCode, std::int32_t(expected.width),
                                    std::int32_t(expected.height), c.bitOrder);
    ASSERT_EQ(ours.raster.height, expected.height);
    EXPECT_TRUE(ours.Image() == (c.minIsBlack ? Inverse(expected) : expected));
  }
}

TEST(CorpusStreams, DamagedFaxTiffsGiveTheirGoodLines) {
  REQUIRE_CORPUS();
  // g3aoe.tif: its first line has no EOL in front, which the TIFF library
  // skips and we keep; stream line 36 is 1326 pixels long, which the
  // library pads and we leave out; lines 32 to 35 end a black make-up run
  // without its terminating code, which both accept. So our rows are the
  // library's rows shifted by one up to that line and equal after it.
  Raster library = testing_support::ReadTiffPages(Corpus("haraldk_TwelveMonkeys/g3aoe.tif")).at(0);
  auto strip = testing_support::ReadRawStrips(Corpus("haraldk_TwelveMonkeys/g3aoe.tif")).at(0);
  OurDecode ours = DecodeWithOurs(strip, 5, 1728, 2328);
  EXPECT_EQ(ours.result, 0);
  ASSERT_EQ(ours.raster.height, 2327u);
  Raster image = ours.Image();
  auto rowsEqual = [&](std::uint32_t ourRow, std::uint32_t libraryRow) {
    for (std::uint32_t x = 0; x < 1728; ++x)
      if (image.black(x, ourRow) != library.black(x, libraryRow))
        return false;
    return true;
  };
  for (std::uint32_t y = 0; y < 35; ++y)
    ASSERT_TRUE(rowsEqual(y + 1, y)) << y;
  for (std::uint32_t y = 36; y < 2327; ++y)
    ASSERT_TRUE(rowsEqual(y, y)) << y;

  // Tagged with 6 rows, the G4 data holds 4.
  auto fewer =
      testing_support::ReadRawStrips(Corpus("haraldk_TwelveMonkeys/ccitt_tolessrows.tif")).at(0);
  EXPECT_EQ(DecodeWithOurs(fewer, 7, 6, 6).raster.height, 4u);

  // Tagged G3 with EOLs, but holding Modified Huffman rows with neither EOL
  // nor alignment: as tagged, no line decodes.
  auto mislabelled = testing_support::ReadRawStrips(
                         Corpus("haraldk_TwelveMonkeys/incorrect-compression-rle-as-g3.tif"))
                         .at(0);
  EXPECT_EQ(DecodeWithOurs(mislabelled, 5, 1700, 32).raster.height, 0u);
}
