// Sample layouts: gray, RGB, RGBA, palette, separate planes, strips and
// tiles with partial edge tiles, and conversions between strips and tiles.
// The copy's decoded samples equal the source's byte for byte.
#include "CopyTestHelpers.h"

#include "support/Scratch.h"

namespace copytest {
namespace {

struct LayoutCase {
  const char* name;
  TiffPageSpec spec;
};

void PrintTo(const LayoutCase& layout, std::ostream* os) { *os << layout.name; }

TiffPageSpec Tiled(TiffPageSpec spec, std::uint32_t tileWidth = 32, std::uint32_t tileLength = 16) {
  spec.tiled = true;
  spec.tileWidth = tileWidth;
  spec.tileLength = tileLength;
  return spec;
}

TiffPageSpec Separate(TiffPageSpec spec) {
  spec.planarConfig = PLANARCONFIG_SEPARATE;
  return spec;
}

TiffPageSpec Strips(TiffPageSpec spec, std::uint32_t rows) {
  spec.rowsPerStrip = rows;
  return spec;
}

TiffPageSpec Rgba() {
  TiffPageSpec spec = SampleSpec(4, PHOTOMETRIC_RGB, COMPRESSION_LZW);
  spec.extraSamples = 1;
  return spec;
}

TiffPageSpec Palette() {
  TiffPageSpec spec = SampleSpec(1, PHOTOMETRIC_PALETTE, COMPRESSION_PACKBITS);
  for (int i = 0; i < 3 * 256; ++i)
    spec.colorMap.push_back(static_cast<std::uint16_t>(i * 257 % 65536));
  return spec;
}

TiffPageSpec BilevelTiles() {
  TiffPageSpec spec = BilevelSpec(COMPRESSION_CCITTFAX4);
  spec.raster = SamplePage(100, 70);
  return Tiled(spec, 32, 16);
}

std::vector<LayoutCase> Cases() {
  return {
      {"Gray8Lzw", Strips(SampleSpec(1, PHOTOMETRIC_MINISBLACK, COMPRESSION_LZW), 10)},
      {"Gray8Uncompressed", SampleSpec(1, PHOTOMETRIC_MINISBLACK, COMPRESSION_NONE)},
      {"Gray16Deflate", SampleSpec(1, PHOTOMETRIC_MINISBLACK, COMPRESSION_ADOBE_DEFLATE, 16)},
      {"Gray4PackBits", SampleSpec(1, PHOTOMETRIC_MINISWHITE, COMPRESSION_PACKBITS, 4)},
      {"RgbLzw", Strips(SampleSpec(3, PHOTOMETRIC_RGB, COMPRESSION_LZW), 7)},
      {"Rgba", Rgba()},
      {"Palette", Palette()},
      {"RgbSeparatePlanes", Strips(Separate(SampleSpec(3, PHOTOMETRIC_RGB, COMPRESSION_LZW)), 20)},
      {"RgbTiledPartialEdges", Tiled(SampleSpec(3, PHOTOMETRIC_RGB, COMPRESSION_ADOBE_DEFLATE))},
      {"RgbSeparateTiles", Tiled(Separate(SampleSpec(3, PHOTOMETRIC_RGB, COMPRESSION_NONE)))},
      {"BilevelTiles", BilevelTiles()},
      {"BilevelSeparateSingleSample", Separate(BilevelSpec(COMPRESSION_CCITTFAX3))},
  };
}

class EveryLayout : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(EveryLayout, KeptAsTheSourceAndConvertedBetweenStripsAndTiles) {
  const TiffPageSpec& spec = GetParam().spec;
  ScratchFolder scratch;
  WriteTiffFile(scratch / "in.tif", {spec, spec});
  const DecodedSamples expected = ReadDecodedSamples(scratch / "in.tif", 1);
  OpenTiff source(scratch / "in.tif");

  struct Variant {
    const char* name;
    int tiled;
    bool expectTiles;
  };
  for (const Variant& variant : {Variant{"as source", -1, spec.tiled}, Variant{"strips", 0, false},
                                 Variant{"tiles", 1, true}}) {
    SCOPED_TRACE(variant.name);
    const std::string out = scratch / (std::string(variant.name) + ".tif");
    CopyOptions options = WithSelector(-1);
    options.tiled = variant.tiled;
    ASSERT_EQ(CopyTiffImages(scratch / "in.tif", out, options), 0);
    ASSERT_EQ(CountDirectories(out), 2);
    const DecodedSamples copy = ReadDecodedSamples(out, 1);
    EXPECT_EQ(copy.bytes, expected.bytes);
    EXPECT_EQ(copy.planarConfig, expected.planarConfig);
    OpenTiff output(out, 1);
    EXPECT_EQ(TIFFIsTiled(output.get()) != 0, variant.expectTiles);
    EXPECT_EQ(output.u16(TIFFTAG_COMPRESSION), source.u16(TIFFTAG_COMPRESSION));
    EXPECT_EQ(output.u16(TIFFTAG_PHOTOMETRIC), source.u16(TIFFTAG_PHOTOMETRIC));
    if (spec.tiled && variant.tiled != 0) {
      EXPECT_EQ(output.u32(TIFFTAG_TILEWIDTH), spec.tileWidth);
      EXPECT_EQ(output.u32(TIFFTAG_TILELENGTH), spec.tileLength);
    }
    if (!spec.tiled && variant.tiled != 1) {
      EXPECT_EQ(output.u32(TIFFTAG_ROWSPERSTRIP), source.u32(TIFFTAG_ROWSPERSTRIP));
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Layouts, EveryLayout, ::testing::ValuesIn(Cases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CopyLayout, ExtraSamplesAndColourMapAreCopied) {
  ScratchFolder scratch;
  WriteTiffFile(scratch / "rgba.tif", {Rgba()});
  WriteTiffFile(scratch / "palette.tif", {Palette()});
  ASSERT_EQ(CopyTiffImages(scratch / "rgba.tif", scratch / "rgba-out.tif", WithSelector(9)), 0);
  ASSERT_EQ(CopyTiffImages(scratch / "palette.tif", scratch / "pal-out.tif", WithSelector(-1)), 0);

  OpenTiff rgba(scratch / "rgba-out.tif");
  std::uint16_t count = 0;
  std::uint16_t* kinds = nullptr;
  ASSERT_TRUE(TIFFGetField(rgba.get(), TIFFTAG_EXTRASAMPLES, &count, &kinds));
  ASSERT_EQ(count, 1);
  EXPECT_EQ(kinds[0], EXTRASAMPLE_ASSOCALPHA);

  OpenTiff palette(scratch / "pal-out.tif");
  std::uint16_t *red = nullptr, *green = nullptr, *blue = nullptr;
  ASSERT_TRUE(TIFFGetField(palette.get(), TIFFTAG_COLORMAP, &red, &green, &blue));
  const TiffPageSpec spec = Palette();
  EXPECT_EQ(std::vector<std::uint16_t>(red, red + 256),
            std::vector<std::uint16_t>(spec.colorMap.begin(), spec.colorMap.begin() + 256));
  EXPECT_EQ(blue[255], spec.colorMap[767]);
}

TEST(CopyLayout, SourceWithoutRowsPerStripIsCopiedRowByRowIntoDefaultStrips) {
  ScratchFolder scratch;
  TiffPageSpec spec = SampleSpec(1, PHOTOMETRIC_MINISBLACK, COMPRESSION_LZW, 8, 900, 40);
  WriteTiffFile(scratch / "in.tif", {spec});
  std::vector<std::uint8_t> file = ReadBytes(scratch / "in.tif");
  HideTag(file, 0, TIFFTAG_ROWSPERSTRIP);
  WriteFile(scratch / "norows.tif", file);

  ASSERT_EQ(CopyTiffImages(scratch / "norows.tif", scratch / "out.tif", WithSelector(-1)), 0);
  EXPECT_EQ(ReadDecodedSamples(scratch / "out.tif").bytes, spec.samples);
  EXPECT_LT(OpenTiff(scratch / "out.tif").u32(TIFFTAG_ROWSPERSTRIP), 40u);
}

} // namespace
} // namespace copytest
