// Every compression selector over bilevel sources of every fax-relevant
// coding: the copy decodes to the source's pixels, in the selector's
// compression with its Group 3 options.
#include "CopyTestHelpers.h"

#include "support/Scratch.h"

namespace copytest {
namespace {

struct SourceCase {
  const char* name;
  std::uint16_t compression;
  std::uint32_t group3Options = 0;
  std::uint16_t fillOrder = FILLORDER_MSB2LSB;
  bool bigEndian = false;
  std::uint32_t rowsPerStrip = 0;
  std::uint16_t photometric = PHOTOMETRIC_MINISWHITE;
};

const SourceCase kSources[] = {
    {"Group3OneDimensional", COMPRESSION_CCITTFAX3, 0},
    {"Group3TwoDimensional", COMPRESSION_CCITTFAX3, GROUP3OPT_2DENCODING},
    {"Group3FillBits", COMPRESSION_CCITTFAX3, GROUP3OPT_FILLBITS},
    {"Group4", COMPRESSION_CCITTFAX4},
    {"ModifiedHuffman", COMPRESSION_CCITTRLE},
    {"PackBits", COMPRESSION_PACKBITS},
    {"Lzw", COMPRESSION_LZW},
    {"Uncompressed", COMPRESSION_NONE},
    {"Group4FillOrder2", COMPRESSION_CCITTFAX4, 0, FILLORDER_LSB2MSB},
    {"Group3BigEndian", COMPRESSION_CCITTFAX3, GROUP3OPT_2DENCODING, FILLORDER_MSB2LSB, true},
    {"Group4SeveralStrips", COMPRESSION_CCITTFAX4, 0, FILLORDER_MSB2LSB, false, 64},
    {"Group4MinIsBlack", COMPRESSION_CCITTFAX4, 0, FILLORDER_MSB2LSB, false, 0,
     PHOTOMETRIC_MINISBLACK},
};

void PrintTo(const SourceCase& source, std::ostream* os) { *os << source.name; }

struct SelectorCase {
  int selector;
  std::uint16_t compression; // 0 = the source's
  std::uint32_t group3Options;
};

const SelectorCase kSelectors[] = {
    {-1, 0, 0},
    {0, COMPRESSION_NONE, 0},
    {1, COMPRESSION_PACKBITS, 0},
    {2, COMPRESSION_CCITTFAX3, GROUP3OPT_FILLBITS},
    {3, COMPRESSION_CCITTFAX3, 0},
    {4, COMPRESSION_CCITTFAX3, GROUP3OPT_FILLBITS | GROUP3OPT_2DENCODING},
    {5, COMPRESSION_CCITTFAX3, GROUP3OPT_2DENCODING},
    {6, COMPRESSION_CCITTFAX4, 0},
    {9, COMPRESSION_LZW, 0},
    {10, COMPRESSION_DEFLATE, 0},
    {42, 0, 0},
};

class EverySelector : public ::testing::TestWithParam<SourceCase> {};

TEST_P(EverySelector, CopyDecodesToTheSourcePixelsInTheSelectedCompression) {
  const SourceCase& source = GetParam();
  ScratchFolder scratch;
  TiffPageSpec spec = BilevelSpec(source.compression, source.group3Options);
  spec.fillOrder = source.fillOrder;
  spec.rowsPerStrip = source.rowsPerStrip;
  spec.photometric = source.photometric;
  WriteTiffFile(scratch / "in.tif", {spec, spec}, source.bigEndian);
  const std::vector<Raster> expected = ReadTiffPages(scratch / "in.tif");

  for (const SelectorCase& selector : kSelectors) {
    SCOPED_TRACE("selector " + std::to_string(selector.selector));
    const std::string out = scratch / ("out" + std::to_string(selector.selector) + ".tif");
    ASSERT_EQ(CopyTiffImages(scratch / "in.tif", out, WithSelector(selector.selector)), 0);
    EXPECT_EQ(ReadTiffPages(out), expected);
    OpenTiff copy(out);
    const std::uint16_t compression =
        selector.compression ? selector.compression : source.compression;
    EXPECT_EQ(copy.u16(TIFFTAG_COMPRESSION), compression);
    EXPECT_EQ(copy.u16(TIFFTAG_FILLORDER), source.fillOrder);
    EXPECT_EQ(copy.u16(TIFFTAG_PHOTOMETRIC), source.photometric);
    if (compression == COMPRESSION_CCITTFAX3) {
      EXPECT_EQ(copy.u32(TIFFTAG_GROUP3OPTIONS), selector.group3Options);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Sources, EverySelector, ::testing::ValuesIn(kSources),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CompressionSelector, AppliesToItsOwnCallOnly) {
  ScratchFolder scratch;
  WriteTiffFile(scratch / "in.tif", {BilevelSpec(COMPRESSION_CCITTFAX3, GROUP3OPT_2DENCODING)});
  ASSERT_EQ(CopyTiffImages(scratch / "in.tif", scratch / "g4.tif", WithSelector(6)), 0);
  ASSERT_EQ(CopyTiffImages(scratch / "in.tif", scratch / "2d.tif", WithSelector(5)), 0);
  ASSERT_EQ(CopyTiffImages(scratch / "in.tif", scratch / "kept.tif", WithSelector(-1)), 0);
  OpenTiff kept(scratch / "kept.tif");
  EXPECT_EQ(kept.u16(TIFFTAG_COMPRESSION), COMPRESSION_CCITTFAX3);
  EXPECT_EQ(kept.u32(TIFFTAG_GROUP3OPTIONS), 0u);
}

TEST(CompressionSelector, FillOrderOptionIsWritten) {
  ScratchFolder scratch;
  WriteTiffFile(scratch / "in.tif", {BilevelSpec(COMPRESSION_CCITTFAX4)});
  CopyOptions options = WithSelector(6);
  options.fillOrder = FILLORDER_LSB2MSB;
  ASSERT_EQ(CopyTiffImages(scratch / "in.tif", scratch / "out.tif", options), 0);
  EXPECT_EQ(OpenTiff(scratch / "out.tif").u16(TIFFTAG_FILLORDER), FILLORDER_LSB2MSB);
  EXPECT_EQ(ReadTiffPages(scratch / "out.tif"), ReadTiffPages(scratch / "in.tif"));
  EXPECT_NE(ReadRawStrips(scratch / "out.tif"), ReadRawStrips(scratch / "in.tif"));
}

// Mean absolute difference of RGBA renderings, for lossy output.
double MeanRgbaDifference(const std::string& a, const std::string& b) {
  auto render = [](const std::string& path) {
    OpenTiff file(path);
    std::uint32_t width = 0, height = 0;
    TIFFGetField(file.get(), TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(file.get(), TIFFTAG_IMAGELENGTH, &height);
    std::vector<std::uint32_t> pixels(std::size_t{width} * height);
    EXPECT_TRUE(TIFFReadRGBAImage(file.get(), width, height, pixels.data(), 0));
    return pixels;
  };
  const auto first = render(a), second = render(b);
  EXPECT_EQ(first.size(), second.size());
  double sum = 0;
  for (std::size_t i = 0; i < first.size() && i < second.size(); ++i)
    for (int shift = 0; shift < 24; shift += 8)
      sum += std::abs(int(first[i] >> shift & 0xFF) - int(second[i] >> shift & 0xFF));
  return sum / (3.0 * first.size());
}

TEST(CompressionSelector, JpegSelectorsCodeColourPagesAsYcbcrOrRgb) {
  ScratchFolder scratch;
  TiffPageSpec spec = SampleSpec(3, PHOTOMETRIC_RGB, COMPRESSION_NONE, 8, 64, 48);
  // Smooth content so that JPEG stays close.
  for (std::size_t i = 0; i < spec.samples.size(); ++i)
    spec.samples[i] = static_cast<std::uint8_t>((i / 3 % 64) * 3 + (i % 3) * 40);
  WriteTiffFile(scratch / "in.tif", {spec});
  for (int selector : {7, 8}) {
    SCOPED_TRACE(selector);
    const std::string out = scratch / ("jpeg" + std::to_string(selector) + ".tif");
    CopyOptions options = WithSelector(selector);
    options.jpegQuality = 95;
    ASSERT_EQ(CopyTiffImages(scratch / "in.tif", out, options), 0);
    OpenTiff copy(out);
    EXPECT_EQ(copy.u16(TIFFTAG_COMPRESSION), COMPRESSION_JPEG);
    EXPECT_EQ(copy.u16(TIFFTAG_PHOTOMETRIC), selector == 7 ? PHOTOMETRIC_YCBCR : PHOTOMETRIC_RGB);
    EXPECT_LT(MeanRgbaDifference(scratch / "in.tif", out), 6.0);
  }
  // A JPEG source kept as JPEG is read back in RGB and coded anew.
  ASSERT_EQ(CopyTiffImages(scratch / "jpeg7.tif", scratch / "again.tif", WithSelector(-1)), 0);
  EXPECT_EQ(OpenTiff(scratch / "again.tif").u16(TIFFTAG_COMPRESSION), COMPRESSION_JPEG);
  EXPECT_LT(MeanRgbaDifference(scratch / "in.tif", scratch / "again.tif"), 8.0);
}

TEST(CompressionSelector, EncoderThatRefusesTheSamplesFailsTheCopy) {
  ScratchFolder scratch;
  WriteTiffFile(scratch / "gray.tif", {SampleSpec(1, PHOTOMETRIC_MINISBLACK, COMPRESSION_LZW)});
  EXPECT_EQ(CopyTiffImages(scratch / "gray.tif", scratch / "g4.tif", WithSelector(6)), 1);
  WriteTiffFile(scratch / "fax.tif", {BilevelSpec(COMPRESSION_CCITTFAX4)});
  EXPECT_EQ(CopyTiffImages(scratch / "fax.tif", scratch / "jpeg.tif", WithSelector(7)), 1);
}

} // namespace
} // namespace copytest

namespace copytest {
namespace {

TEST(CompressionSelector, KeptCompressionTheLibraryCannotWriteBecomesLzw) {
  // NeXT 2-bit data (decoded by the library, never encoded): every row a
  // literal row, code byte 0 and the row's bytes.
  ScratchFolder scratch;
  const std::uint32_t width = 16, height = 8;
  const std::vector<std::uint8_t> rows = PatternBytes(width / 4 * height);
  std::vector<std::uint8_t> coded;
  for (std::uint32_t y = 0; y < height; ++y) {
    coded.push_back(0);
    coded.insert(coded.end(), rows.begin() + y * 4, rows.begin() + y * 4 + 4);
  }
  {
    TIFF* tif = TIFFOpen((scratch / "next.tif").c_str(), "wl");
    ASSERT_NE(tif, nullptr);
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, height);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 2);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, height);
    ASSERT_GE(TIFFWriteRawStrip(tif, 0, coded.data(), static_cast<tmsize_t>(coded.size())), 0);
    TIFFClose(tif);
  }
  std::vector<std::uint8_t> file = ReadBytes(scratch / "next.tif");
  PatchTagValue(file, 0, TIFFTAG_COMPRESSION, COMPRESSION_NEXT);
  WriteFile(scratch / "next.tif", file);
  ASSERT_EQ(ReadDecodedSamples(scratch / "next.tif").bytes, rows);

  ASSERT_EQ(CopyTiffImages(scratch / "next.tif", scratch / "out.tif", WithSelector(-1)), 0);
  EXPECT_EQ(OpenTiff(scratch / "out.tif").u16(TIFFTAG_COMPRESSION), COMPRESSION_LZW);
  EXPECT_EQ(ReadDecodedSamples(scratch / "out.tif").bytes, rows);
}

} // namespace
} // namespace copytest
