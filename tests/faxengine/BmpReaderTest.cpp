// One-bit BMP files through the engine: written by our own writer, by
// ImageMagick and netpbm, and the corpus's files, each compared with the
// picture its palette shows.
#include "EngineDocuments.h"
#include "EngineRun.h"
#include "samples/writers/BmpFile.h"
#include "support/Scratch.h"
#include "support/Tools.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

std::uint32_t Luma(std::uint32_t rgb) {
  return 299 * (rgb >> 16) + 587 * ((rgb >> 8) & 0xFF) + 114 * (rgb & 0xFF);
}

BmpImage ImageOf(const Raster& picture, std::uint32_t colour0, std::uint32_t colour1) {
  BmpImage image;
  image.width = picture.width;
  image.height = picture.height;
  // A bit is the palette index: set where the pixel shows colour 1.
  const bool colour1IsInk = Luma(colour1) < Luma(colour0);
  image.rows = picture.PackedRows(colour1IsInk);
  image.colour0 = colour0;
  image.colour1 = colour1;
  return image;
}

} // namespace

TEST(BmpReader, EveryLayoutAndPaletteShowsItsPicture) {
  ScratchFolder scratch;
  const Raster text = TextLikePage(1728, 60, 7);
  const Raster narrow = NoisePage(100, 9, 0.4, 8);
  BmpImage topDown = ImageOf(text, 0x000000, 0xFFFFFF);
  topDown.topDown = true;
  BmpImage inchless = ImageOf(narrow, 0xFFFFFF, 0x000000);
  BmpImage perMetre = ImageOf(narrow, 0x000000, 0xFFFFFF);
  perMetre.xPixelsPerMetre = 7874; // 200 dots per inch
  perMetre.yPixelsPerMetre = 3937;
  struct Case {
    const char* name;
    std::vector<std::uint8_t> bytes;
    Raster picture;
    std::uint32_t xResolution, yResolution, unit;
  };
  const Case cases[] = {
      {"bottom-up, index 0 black", BmpFile(ImageOf(text, 0x000000, 0xFFFFFF)), text, 200, 200, 2},
      {"top-down", BmpFile(topDown), text, 200, 200, 2},
      {"index 0 white, 100 pixels in rows of 16 bytes", BmpFile(inchless), narrow, 200, 200, 2},
      {"blue ink on green paper", BmpFile(ImageOf(text, 0x40FF40, 0x4040FF)), text, 200, 200, 2},
      {"pixels per metre", BmpFile(perMetre), narrow, 78, 39, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteFile(scratch / "page.bmp", c.bytes);
    engine_run::EngineRun run =
        engine_run::Run(scratch / "page.bmp", FaxFormat::Bmp, scratch / "out.tif");
    ASSERT_TRUE(run.isFax);
    EXPECT_EQ(run.pageCount, 1);
    EXPECT_TRUE(run.firstPage == c.picture);
    ASSERT_EQ(run.written, 0);
    ASSERT_EQ(run.pages.size(), 1u);
    EXPECT_TRUE(run.pages[0] == c.picture);
    EXPECT_EQ(TiffTag(scratch / "out.tif", 0, TIFFTAG_XRESOLUTION), c.xResolution);
    EXPECT_EQ(TiffTag(scratch / "out.tif", 0, TIFFTAG_YRESOLUTION), c.yResolution);
    EXPECT_EQ(TiffTag(scratch / "out.tif", 0, TIFFTAG_RESOLUTIONUNIT), c.unit);
  }
}

TEST(BmpReader, FilesOfOtherWritersShowTheirPictures) {
  ScratchFolder scratch;
  const Raster picture = TextLikePage(333, 41, 9);
  WritePbm(scratch / "page.pbm", picture);
  ASSERT_EQ(RunTool({"/usr/bin/convert", scratch / "page.pbm", "-type", "bilevel",
                     "bmp3:" + scratch / "magick3.bmp"})
                .exitCode,
            0);
  ASSERT_EQ(RunTool({"/usr/bin/convert", scratch / "page.pbm", "-type", "bilevel",
                     "bmp:" + scratch / "magick5.bmp"})
                .exitCode,
            0);
  WriteFile(scratch / "netpbm.bmp", RunTool({"ppmtobmp", scratch / "page.pbm"}).output);
  std::vector<std::pair<std::string, Raster>> cases = {
      {scratch / "magick3.bmp", picture},
      {scratch / "magick5.bmp", picture},
      {scratch / "netpbm.bmp", picture},
  };
  if (!CorpusFolder().empty()) {
    const std::string corpus = CorpusFolder() + "/";
    const Raster pal1 =
        PictureByImageMagick(corpus + "jsummers_bmpsuite/pal1.png", scratch / "truth.ppm");
    for (const char* name : {"pal1.bmp", "pal1wb.bmp", "pal1bg.bmp"})
      cases.push_back({corpus + "python-pillow_Pillow/" + name, pal1});
    cases.push_back(
        {corpus + "golang_image/bmp_1bpp.bmp",
         PictureByImageMagick(corpus + "golang_image/bmp_1bpp.png", scratch / "t.ppm")});
    for (const char* name :
         {"SerenityOS_serenity/bitmap.bmp", "haraldk_TwelveMonkeys/blauesglas_mono.bmp"})
      cases.push_back({corpus + name, PictureByImageMagick(corpus + name, scratch / "t.ppm")});
  }
  for (const auto& [path, expected] : cases) {
    SCOPED_TRACE(path);
    engine_run::EngineRun run = engine_run::Run(path, FaxFormat::Bmp, scratch / "out.tif");
    ASSERT_TRUE(run.isFax);
    ASSERT_EQ(run.written, 0);
    ASSERT_EQ(run.pages.size(), 1u);
    EXPECT_TRUE(run.pages[0] == expected);
    EXPECT_GT(expected.BlackFraction(), 0.0);
  }
}

TEST(BmpReader, AnythingButAWholeOneBitImageIsNotAFax) {
  ScratchFolder scratch;
  const std::vector<std::uint8_t> good = BmpFile(ImageOf(TextLikePage(200, 30, 3), 0, 0xFFFFFF));
  auto patched = [&](std::size_t offset, std::uint32_t value, int width = 4) {
    std::vector<std::uint8_t> bytes = good;
    for (int i = 0; i < width; ++i)
      bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
    return bytes;
  };
  std::vector<std::uint8_t> cut = good;
  cut.resize(cut.size() - 5);
  std::vector<std::uint8_t> headerOnly(good.begin(), good.begin() + 20);
  const std::pair<const char*, std::vector<std::uint8_t>> cases[] = {
      {"8 bits per pixel", patched(28, 8, 2)},
      {"24 bits per pixel", patched(28, 24, 2)},
      {"run-length compressed", patched(30, 1)},
      {"width 0", patched(18, 0)},
      {"height 0", patched(22, 0)},
      {"width beyond any page", patched(18, 0x7FFFFFFF)},
      {"height -2^31", patched(22, 0x80000000)},
      {"rows past the end", patched(10, 0xFFFFFF00)},
      {"last row cut short", cut},
      {"header cut short", headerOnly},
      {"palette past the end", patched(14, 0x00FFFFFF)},
      {"no BM", patched(0, 'X', 1)},
  };
  for (const auto& [name, bytes] : cases) {
    SCOPED_TRACE(name);
    WriteFile(scratch / "page.bmp", bytes);
    engine_run::EngineRun run =
        engine_run::Run(scratch / "page.bmp", FaxFormat::Bmp, scratch / "out.tif");
    EXPECT_EQ(run.identified, 0);
    EXPECT_FALSE(run.isFax);
  }
}
