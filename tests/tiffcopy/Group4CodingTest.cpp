// Group 4 data already in the form T.6's own choice of modes gives, ended as
// the TIFF library ends it, comes out byte for byte; anything else (damaged,
// coded in other legal ways that PDF viewers need not read, or ended
// otherwise) is decoded and coded anew in that form.
#include "CopyTestHelpers.h"

#include "support/HandCodedFax.h"
#include "support/Scratch.h"

namespace copytest {
namespace {

TEST(Group4Coding, CanonicalSingleStripComesOutByteForByte) {
  for (std::uint16_t fillOrder : {FILLORDER_MSB2LSB, FILLORDER_LSB2MSB}) {
    SCOPED_TRACE(fillOrder);
    ScratchFolder scratch;
    TiffPageSpec spec = BilevelSpec(COMPRESSION_CCITTFAX4);
    spec.raster = TextLikePage(1728, 300);
    spec.fillOrder = fillOrder;
    WriteTiffFile(scratch / "in.tif", {spec, spec});
    for (int selector : {-1, 6}) {
      const std::string out = scratch / ("out" + std::to_string(selector) + ".tif");
      ASSERT_EQ(CopyTiffImages(scratch / "in.tif", out, WithSelector(selector)), 0);
      for (int page = 0; page < 2; ++page)
        EXPECT_EQ(ReadRawStrips(out, page), ReadRawStrips(scratch / "in.tif", page));
      EXPECT_EQ(OpenTiff(out).u16(TIFFTAG_FILLORDER), fillOrder);
      EXPECT_EQ(ReadTiffPages(out), ReadTiffPages(scratch / "in.tif"));
    }
  }
}

TEST(Group4Coding, UnusualCodingOrEndComesOutInTheCanonicalForm) {
  ScratchFolder scratch;
  TiffPageSpec spec = BilevelSpec(COMPRESSION_CCITTFAX4);
  spec.raster = TextLikePage(1728, 300, 6);
  WriteTiffFile(scratch / "in.tif", {spec});
  const std::vector<std::uint8_t> file = ReadBytes(scratch / "in.tif");
  const auto canonical = ReadRawStrips(scratch / "in.tif").at(0);
  std::vector<std::uint8_t> zeroFilled = canonical;
  zeroFilled.resize(canonical.size() + 3, 0);
  for (const auto& [name, strip] :
       {std::pair{"horizontal mode only",
                  HandCodedGroup4(spec.raster, Group4Style::HorizontalOnly)},
        std::pair{"zero-length runs", HandCodedGroup4(spec.raster, Group4Style::ZeroLengthRuns)},
        std::pair{"no EOFB", WithoutEofb(canonical)},
        std::pair{"zero fill after EOFB", zeroFilled}}) {
    SCOPED_TRACE(name);
    WriteFile(scratch / "unusual.tif", WithStrip(file, strip));
    for (int selector : {-1, 6}) {
      ASSERT_EQ(
          CopyTiffImages(scratch / "unusual.tif", scratch / "out.tif", WithSelector(selector)), 0);
      EXPECT_EQ(ReadRawStrips(scratch / "out.tif").at(0), canonical);
    }
  }
}

TEST(Group4Coding, DamagedDataIsDecodedAndCodedAnew) {
  ScratchFolder scratch;
  TiffPageSpec spec = BilevelSpec(COMPRESSION_CCITTFAX4);
  spec.raster = TextLikePage(400, 120);
  WriteTiffFile(scratch / "in.tif", {spec});
  const std::vector<std::uint8_t> file = ReadBytes(scratch / "in.tif");
  std::vector<std::uint8_t> strip = ReadRawStrips(scratch / "in.tif").at(0);

  std::vector<std::uint8_t> truncated(strip.begin(), strip.begin() + strip.size() / 2);
  std::vector<std::uint8_t> flipped = strip;
  flipped[strip.size() / 3] ^= 0x5A;
  const std::vector<std::uint8_t> shorter =
      EncodeWithLibTiff(TextLikePage(400, 60), COMPRESSION_CCITTFAX4);

  for (const auto& [name, damaged] :
       {std::pair{"truncated", truncated}, std::pair{"flipped", flipped},
        std::pair{"fewer rows", shorter}}) {
    SCOPED_TRACE(name);
    WriteFile(scratch / "damaged.tif", WithStrip(file, damaged));
    ASSERT_EQ(CopyTiffImages(scratch / "damaged.tif", scratch / "out.tif", WithSelector(6)), 0);
    EXPECT_NE(ReadRawStrips(scratch / "out.tif").at(0), damaged);
    // The new coding decodes cleanly to the full page.
    const std::vector<Raster> pages = ReadTiffPages(scratch / "out.tif");
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0].width, 400u);
    EXPECT_EQ(pages[0].height, 120u);
  }
}

TEST(Group4Coding, SeveralStripsOrOtherOutputAreCodedAnew) {
  ScratchFolder scratch;
  TiffPageSpec spec = BilevelSpec(COMPRESSION_CCITTFAX4);
  spec.rowsPerStrip = 50;
  WriteTiffFile(scratch / "strips.tif", {spec});
  ASSERT_EQ(CopyTiffImages(scratch / "strips.tif", scratch / "out.tif", WithSelector(6)), 0);
  EXPECT_EQ(ReadTiffPages(scratch / "out.tif"), ReadTiffPages(scratch / "strips.tif"));
  EXPECT_EQ(TIFFNumberOfStrips(OpenTiff(scratch / "out.tif").get()), 5u);

  // An output fill order other than the source's needs new coded bytes.
  WriteTiffFile(scratch / "one.tif", {BilevelSpec(COMPRESSION_CCITTFAX4)});
  CopyOptions reversed = WithSelector(6);
  reversed.fillOrder = FILLORDER_LSB2MSB;
  ASSERT_EQ(CopyTiffImages(scratch / "one.tif", scratch / "reversed.tif", reversed), 0);
  EXPECT_EQ(ReadRawStrips(scratch / "reversed.tif").at(0),
            ReverseBits(ReadRawStrips(scratch / "one.tif").at(0)));
}

// Rows from/to of a raster, as a raster of their own.
Raster RowsOf(const Raster& page, std::uint32_t from, std::uint32_t to) {
  Raster part(page.width, to - from);
  std::copy(page.pixels.begin() + std::ptrdiff_t{from} * page.width,
            page.pixels.begin() + std::ptrdiff_t{to} * page.width, part.pixels.begin());
  return part;
}

// Whatever path the copy takes (strip by strip, row by row into new strips,
// from tiles), each strip it codes is the library's own Group 4 coding of
// those rows.
TEST(Group4Coding, EveryBilevelSourceBecomesTheLibrarysCodingOfItsRows) {
  struct Source {
    const char* name;
    std::uint16_t compression;
    std::uint32_t group3Options = 0;
    std::uint32_t rowsPerStrip = 0;
    bool tiled = false;
    bool hideRowsPerStrip = false;
  };
  const Source sources[] = {
      {"Group 3 1-D", COMPRESSION_CCITTFAX3},
      {"Group 3 2-D", COMPRESSION_CCITTFAX3, GROUP3OPT_2DENCODING, 40},
      {"CCITT RLE", COMPRESSION_CCITTRLE},
      {"PackBits", COMPRESSION_PACKBITS, 0, 64},
      {"uncompressed", COMPRESSION_NONE},
      {"Group 4 tiles", COMPRESSION_CCITTFAX4, 0, 0, true},
      {"LZW without RowsPerStrip", COMPRESSION_LZW, 0, 0, false, true},
  };
  for (const Source& source : sources) {
    SCOPED_TRACE(source.name);
    ScratchFolder scratch;
    TiffPageSpec spec = BilevelSpec(source.compression, source.group3Options);
    spec.rowsPerStrip = source.rowsPerStrip;
    spec.tiled = source.tiled;
    WriteTiffFile(scratch / "in.tif", {spec});
    if (source.hideRowsPerStrip) {
      std::vector<std::uint8_t> file = ReadBytes(scratch / "in.tif");
      HideTag(file, 0, TIFFTAG_ROWSPERSTRIP);
      WriteFile(scratch / "in.tif", file);
    }
    CopyOptions options = WithSelector(6);
    options.tiled = 0;
    ASSERT_EQ(CopyTiffImages(scratch / "in.tif", scratch / "out.tif", options), 0);
    const std::uint32_t rows = OpenTiff(scratch / "out.tif").u32(TIFFTAG_ROWSPERSTRIP);
    const std::vector<std::vector<std::uint8_t>> strips = ReadRawStrips(scratch / "out.tif");
    ASSERT_EQ(strips.size(), (spec.raster.height + rows - 1) / rows);
    for (std::uint32_t k = 0; k < strips.size(); ++k) {
      const std::uint32_t from = k * rows, to = std::min(spec.raster.height, from + rows);
      EXPECT_EQ(strips[k], EncodeWithLibTiff(RowsOf(spec.raster, from, to), COMPRESSION_CCITTFAX4))
          << "strip " << k;
    }
  }
}

} // namespace
} // namespace copytest
