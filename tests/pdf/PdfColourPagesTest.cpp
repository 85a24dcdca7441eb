// Pages that are not bilevel: gray, RGB, RGBA, palette and separate planes
// are written Flate-coded with the samples the PDF colour space expects.
#include <gtest/gtest.h>

#include "PdfTestHelpers.h"
#include "support/Scratch.h"

#include <random>
#include <regex>

using namespace testing_support;
using pdf_tests::ConvertChecked;

namespace {

constexpr std::uint32_t kWidth = 40, kHeight = 30;

std::vector<std::uint8_t> Gradient(std::uint32_t samples) {
  std::vector<std::uint8_t> bytes;
  for (std::uint32_t y = 0; y < kHeight; ++y)
    for (std::uint32_t x = 0; x < kWidth; ++x)
      for (std::uint32_t s = 0; s < samples; ++s)
        bytes.push_back(static_cast<std::uint8_t>((x * 6 + y * 2 + s * 70) & 0xFF));
  return bytes;
}

TiffPageSpec SamplePage(std::vector<std::uint8_t> samples, std::uint16_t photometric,
                        std::uint16_t samplesPerPixel, std::uint16_t bits = 8) {
  TiffPageSpec page;
  page.samples = std::move(samples);
  page.sampleWidth = kWidth;
  page.sampleHeight = kHeight;
  page.photometric = photometric;
  page.samplesPerPixel = samplesPerPixel;
  page.bitsPerSample = bits;
  page.compression = COMPRESSION_LZW;
  return page;
}

double Mean(const std::vector<std::uint8_t>& bytes) {
  double sum = 0;
  for (auto b : bytes)
    sum += b;
  return sum / double(bytes.size());
}

// The page converted by the writer alone, or on an ordinary TIFF's road
// through the copier first.
PnmImage ConvertAndExtract(const TiffPageSpec& page, const std::string& folder,
                           bool throughCopier = false) {
  const std::string tiff = folder + "/page.tif", pdf = folder + "/page.pdf";
  WriteTiffFile(tiff, {page});
  if (throughCopier)
    pdf_tests::CopyAndConvertChecked(tiff, pdf);
  else
    ConvertChecked(tiff, pdf);
  const auto images = ExtractImages(pdf);
  EXPECT_EQ(images.size(), 1u);
  return images.empty() ? PnmImage{} : images[0];
}

// poppler hands gray images out as PGM or as PPM with three equal samples.
std::vector<std::uint8_t> GraySamples(const PnmImage& image) {
  if (image.kind != '6')
    return image.samples;
  std::vector<std::uint8_t> gray;
  for (std::size_t i = 0; i + 2 < image.samples.size(); i += 3) {
    EXPECT_TRUE(image.samples[i] == image.samples[i + 1] &&
                image.samples[i] == image.samples[i + 2]);
    gray.push_back(image.samples[i]);
  }
  return gray;
}

TEST(ColourPages, GrayMinIsBlackKeepsItsSamples) {
  ScratchFolder scratch;
  const auto samples = Gradient(1);
  const auto image =
      ConvertAndExtract(SamplePage(samples, PHOTOMETRIC_MINISBLACK, 1), scratch.path());
  EXPECT_EQ(GraySamples(image), samples);
  const std::string file = ReadFile(scratch / "page.pdf");
  EXPECT_NEAR(RenderedMeanGrey(scratch / "page.pdf").at(0), Mean(samples), 10.0);
}

TEST(ColourPages, GrayMinIsWhiteIsInvertedByADecodeArray) {
  ScratchFolder scratch;
  const auto samples = Gradient(1);
  ConvertAndExtract(SamplePage(samples, PHOTOMETRIC_MINISWHITE, 1), scratch.path());
  const std::string file = ReadFile(scratch / "page.pdf");
  EXPECT_NE(file.find("/ColorSpace /DeviceGray \r/Decode [ 1 0 ]\r/Filter /FlateDecode\r >>"),
            std::string::npos);
  EXPECT_NEAR(RenderedMeanGrey(scratch / "page.pdf", 24, true).at(0), 255 - Mean(samples), 10.0);
}

TEST(ColourPages, RgbKeepsItsSamples) {
  ScratchFolder scratch;
  const auto samples = Gradient(3);
  const auto image = ConvertAndExtract(SamplePage(samples, PHOTOMETRIC_RGB, 3), scratch.path());
  EXPECT_EQ(image.kind, '6');
  EXPECT_EQ(image.samples, samples);
  EXPECT_NE(ReadFile(scratch / "page.pdf").find("/ProcSet [ /ImageC ]"), std::string::npos);
}

std::size_t Occurrences(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
    ++count;
  return count;
}

// Every kind of page that is not bilevel is Flate-coded: each image names
// the filter, the file says PDF 1.2 (where the filter came in), and the PDF
// is smaller than the page's samples alone.
TEST(ColourPages, NonBilevelPagesAreFlateCoded) {
  constexpr std::uint32_t kBigWidth = 320, kBigHeight = 200;
  auto page = [](std::uint16_t photometric, std::uint16_t samplesPerPixel, std::uint16_t bits) {
    const std::size_t rowBytes = (std::size_t(kBigWidth) * samplesPerPixel * bits + 7) / 8;
    std::vector<std::uint8_t> samples;
    for (std::uint32_t y = 0; y < kBigHeight; ++y)
      for (std::size_t x = 0; x < rowBytes; ++x)
        samples.push_back(static_cast<std::uint8_t>((x * 6 + y * 2) & 0xFF));
    auto spec = SamplePage(std::move(samples), photometric, samplesPerPixel, bits);
    spec.sampleWidth = kBigWidth;
    spec.sampleHeight = kBigHeight;
    return spec;
  };
  auto palette = page(PHOTOMETRIC_PALETTE, 1, 8);
  for (int i = 0; i < 3 * 256; ++i)
    palette.colorMap.push_back(static_cast<std::uint16_t>((i * 37 % 256) << 8));
  auto tiled = page(PHOTOMETRIC_RGB, 3, 8);
  tiled.tiled = true;
  tiled.tileWidth = tiled.tileLength = 64;
  const struct {
    const char* name;
    TiffPageSpec page;
  } cases[] = {
      {"gray", page(PHOTOMETRIC_MINISBLACK, 1, 8)},
      {"4-bit gray", page(PHOTOMETRIC_MINISWHITE, 1, 4)},
      {"RGB", page(PHOTOMETRIC_RGB, 3, 8)},
      {"CMYK", page(PHOTOMETRIC_SEPARATED, 4, 8)},
      {"palette", palette},
      {"tiled RGB", tiled},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchFolder scratch;
    const std::string tiff = scratch / "page.tif", pdf = scratch / "page.pdf";
    WriteTiffFile(tiff, {c.page});
    ConvertChecked(tiff, pdf);
    const std::string file = ReadFile(pdf);
    EXPECT_EQ(file.rfind("%PDF-1.2 ", 0), 0u);
    const std::size_t images = Occurrences(file, "/Subtype /Image");
    EXPECT_GE(images, 1u);
    EXPECT_EQ(Occurrences(file, "/Filter /FlateDecode\r"), images);
    EXPECT_LT(file.size(), c.page.samples.size());
  }
}

// Pages whose coded data spans many of the coder's slices, in and out
// (noise does not compress), come back sample for sample.
TEST(ColourPages, LargeNoisePagesKeepEverySample) {
  constexpr std::uint32_t kBigWidth = 400, kBigHeight = 300;
  std::mt19937 random(7);
  for (const std::uint16_t samplesPerPixel : {1, 3}) {
    SCOPED_TRACE(samplesPerPixel);
    ScratchFolder scratch;
    std::vector<std::uint8_t> samples(std::size_t(kBigWidth) * kBigHeight * samplesPerPixel);
    for (auto& s : samples)
      s = static_cast<std::uint8_t>(random());
    auto page = SamplePage(samples, samplesPerPixel == 1 ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_RGB,
                           samplesPerPixel);
    page.sampleWidth = kBigWidth;
    page.sampleHeight = kBigHeight;
    const auto image = ConvertAndExtract(page, scratch.path());
    EXPECT_EQ(samplesPerPixel == 1 ? GraySamples(image) : image.samples, samples);
  }
}

TEST(ColourPages, SeparatePlanesAreInterleaved) {
  ScratchFolder scratch;
  const auto contiguous = Gradient(3);
  std::vector<std::uint8_t> planar;
  for (std::uint32_t s = 0; s < 3; ++s)
    for (std::size_t i = s; i < contiguous.size(); i += 3)
      planar.push_back(contiguous[i]);
  auto page = SamplePage(planar, PHOTOMETRIC_RGB, 3);
  page.planarConfig = PLANARCONFIG_SEPARATE;
  page.rowsPerStrip = 7;
  const auto image = ConvertAndExtract(page, scratch.path());
  EXPECT_EQ(image.samples, contiguous);
}

TEST(ColourPages, AssociatedAlphaIsComposedOverWhite) {
  ScratchFolder scratch;
  const auto rgba = Gradient(4);
  auto page = SamplePage(rgba, PHOTOMETRIC_RGB, 4);
  page.extraSamples = 1;
  const auto image = ConvertAndExtract(page, scratch.path());
  std::vector<std::uint8_t> expected;
  for (std::size_t i = 0; i < rgba.size(); i += 4)
    for (int c = 0; c < 3; ++c)
      expected.push_back(static_cast<std::uint8_t>(rgba[i + c] + 255 - rgba[i + 3]));
  EXPECT_EQ(image.samples, expected);
}

// Extra samples (alpha or unspecified) are not part of the colour space:
// they are dropped, associated alpha composed over white first.
struct ExtraSampleCase {
  const char* name;
  std::uint16_t photometric;
  std::uint16_t samplesPerPixel;
  std::uint16_t extraKind; // TIFF 6.0 ExtraSamples: 0 unspecified, 1 associated, 2 unassociated
};

TEST(ColourPages, ExtraSamplesLeaveOnlyTheColourSamples) {
  const ExtraSampleCase cases[] = {
      {"gray, associated alpha", PHOTOMETRIC_MINISBLACK, 2, EXTRASAMPLE_ASSOCALPHA},
      {"gray, unassociated alpha", PHOTOMETRIC_MINISBLACK, 2, EXTRASAMPLE_UNASSALPHA},
      {"gray, unspecified", PHOTOMETRIC_MINISBLACK, 2, EXTRASAMPLE_UNSPECIFIED},
      {"RGB, unspecified", PHOTOMETRIC_RGB, 4, EXTRASAMPLE_UNSPECIFIED},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchFolder scratch;
    const auto samples = Gradient(c.samplesPerPixel);
    auto page = SamplePage(samples, c.photometric, c.samplesPerPixel);
    page.moreTags = [&c](TIFF* tiff) { TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, 1, &c.extraKind); };
    const std::uint16_t colours = c.samplesPerPixel - 1;
    std::vector<std::uint8_t> expected;
    for (std::size_t i = 0; i < samples.size(); i += c.samplesPerPixel) {
      const std::uint8_t alpha = samples[i + colours];
      const std::uint8_t lift = c.extraKind == EXTRASAMPLE_ASSOCALPHA ? 255 - alpha : 0;
      for (std::uint16_t s = 0; s < colours; ++s)
        expected.push_back(static_cast<std::uint8_t>(samples[i + s] + lift));
    }
    for (const bool throughCopier : {false, true}) {
      SCOPED_TRACE(throughCopier ? "through the copier" : "writer alone");
      const auto image = ConvertAndExtract(page, scratch.path(), throughCopier);
      EXPECT_EQ(colours == 1 ? GraySamples(image) : image.samples, expected);
    }
  }
}

// A profile installed with ghostscript (a test input, never shipped).
std::string InstalledProfile(const std::string& name) {
  const std::string path = "/usr/share/color/icc/ghostscript/" + name;
  return Exists(path) ? ReadFile(path) : std::string();
}

// An ICC profile describes the colour samples the image carries: /N counts
// them (a palette's base colours, not its indices, and no alpha), and every
// renderer shows the colours rather than a blank or garbled page.
TEST(ColourPages, IccProfileMatchesTheSamplesWritten) {
  const std::string rgbProfile = InstalledProfile("srgb.icc");
  const std::string grayProfile = InstalledProfile("sgray.icc");
  ASSERT_FALSE(rgbProfile.empty() || grayProfile.empty())
      << "ghostscript's ICC profiles are missing: tools/install-deps.sh installs ghostscript";
  std::vector<std::uint8_t> indices;
  for (std::uint32_t i = 0; i < kWidth * kHeight; ++i)
    indices.push_back(static_cast<std::uint8_t>(i % 256));
  auto palette = SamplePage(indices, PHOTOMETRIC_PALETTE, 1);
  for (int table = 0; table < 3; ++table)
    for (int i = 0; i < 256; ++i)
      palette.colorMap.push_back(static_cast<std::uint16_t>((i * (table + 1) % 160) << 8));
  auto rgba = SamplePage(Gradient(4), PHOTOMETRIC_RGB, 4);
  rgba.extraSamples = 1;
  auto grayAlpha = SamplePage(Gradient(2), PHOTOMETRIC_MINISBLACK, 2);
  grayAlpha.extraSamples = 1;
  struct Case {
    const char* name;
    TiffPageSpec page;
    const std::string& profile;
    const char* colourSpace;
    int components;
  } cases[] = {
      {"palette", palette, rgbProfile, "[ /Indexed [/ICCBased ", 3},
      {"RGB with alpha", rgba, rgbProfile, "/ColorSpace [/ICCBased ", 3},
      {"gray with alpha", grayAlpha, grayProfile, "/ColorSpace [/ICCBased ", 1},
      // A profile for other colours is kept out of the image's colour space.
      {"gray with an RGB profile", grayAlpha, rgbProfile, "/ColorSpace /DeviceGray ", 3},
  };
  const pdf_tests::Renderer renderers[] = {pdf_tests::Renderer::Poppler, pdf_tests::Renderer::MuPdf,
                                           pdf_tests::Renderer::Ghostscript};
  for (auto& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchFolder scratch;
    // The same page without a profile, as each renderer shows it.
    ConvertAndExtract(c.page, scratch.path());
    std::vector<double> plain;
    for (auto renderer : renderers)
      plain.push_back(Mean(pdf_tests::RenderFirstPage(scratch / "page.pdf", renderer, 72).samples));

    c.page.moreTags = [&c](TIFF* tiff) {
      TIFFSetField(tiff, TIFFTAG_ICCPROFILE, static_cast<std::uint32_t>(c.profile.size()),
                   c.profile.data());
    };
    ConvertAndExtract(c.page, scratch.path());
    const std::string file = ReadFile(scratch / "page.pdf");
    EXPECT_NE(file.find(c.colourSpace), std::string::npos);
    EXPECT_TRUE(std::regex_search(
        file, std::regex("/N " + std::to_string(c.components) + " \\r/Alternate /Device")));
    for (std::size_t r = 0; r < std::size(renderers); ++r) {
      const auto shown = pdf_tests::RenderFirstPage(scratch / "page.pdf", renderers[r], 72);
      EXPECT_NEAR(Mean(shown.samples), plain[r], 25.0) << pdf_tests::RendererName(renderers[r]);
    }
  }
}

TEST(ColourPages, TiledSeparatePlanesWithAlphaAreInterleavedComposedAndCut) {
  ScratchFolder scratch;
  const auto rgba = Gradient(4);
  std::vector<std::uint8_t> planar;
  for (std::uint32_t s = 0; s < 4; ++s)
    for (std::size_t i = s; i < rgba.size(); i += 4)
      planar.push_back(rgba[i]);
  auto page = SamplePage(planar, PHOTOMETRIC_RGB, 4);
  page.extraSamples = 1;
  page.planarConfig = PLANARCONFIG_SEPARATE;
  page.tiled = true; // 40 x 30 in 16 x 16 tiles: 3 x 2, edge tiles 8 wide, 14 high
  const std::string tiff = scratch / "page.tif", pdf = scratch / "page.pdf";
  WriteTiffFile(tiff, {page});
  ConvertChecked(tiff, pdf);
  const auto images = ExtractImages(pdf);
  ASSERT_EQ(images.size(), 6u);
  for (std::uint32_t t = 0; t < 6; ++t) {
    const std::uint32_t x0 = (t % 3) * 16, y0 = (t / 3) * 16;
    const std::uint32_t w = std::min(16u, kWidth - x0), h = std::min(16u, kHeight - y0);
    ASSERT_EQ(images[t].width, w);
    ASSERT_EQ(images[t].height, h);
    std::vector<std::uint8_t> expected;
    for (std::uint32_t y = y0; y < y0 + h; ++y)
      for (std::uint32_t x = x0; x < x0 + w; ++x) {
        const std::uint8_t* p = &rgba[(std::size_t(y) * kWidth + x) * 4];
        for (int c = 0; c < 3; ++c)
          expected.push_back(static_cast<std::uint8_t>(p[c] + 255 - p[3]));
      }
    EXPECT_EQ(images[t].samples, expected) << "tile " << t;
  }
}

TEST(ColourPages, FourBitPaletteIsIndexedRgb) {
  ScratchFolder scratch;
  std::vector<std::uint8_t> indices;
  for (std::uint32_t y = 0; y < kHeight; ++y)
    for (std::uint32_t x = 0; x < kWidth; x += 2)
      indices.push_back(static_cast<std::uint8_t>(((x / 2 % 16) << 4) | (y % 16)));
  auto page = SamplePage(indices, PHOTOMETRIC_PALETTE, 1, 4);
  for (int table = 0; table < 3; ++table)
    for (int i = 0; i < 16; ++i)
      page.colorMap.push_back(static_cast<std::uint16_t>(((i * 17 + table * 60) & 0xFF) << 8));
  const auto image = ConvertAndExtract(page, scratch.path());
  const std::string file = ReadFile(scratch / "page.pdf");
  EXPECT_NE(file.find("/ColorSpace [ /Indexed /DeviceRGB \r15 7 0 R ]\r"), std::string::npos);
  EXPECT_NE(file.find("/ProcSet [ /ImageC /ImageI ]"), std::string::npos);
  ASSERT_EQ(image.kind, '6');
  ASSERT_EQ(image.samples.size(), std::size_t(kWidth) * kHeight * 3);
  for (std::uint32_t y = 0; y < kHeight; ++y)
    for (std::uint32_t x = 0; x < kWidth; ++x) {
      const std::uint8_t packed = indices[y * (kWidth / 2) + x / 2];
      const int index = x % 2 == 0 ? packed >> 4 : packed & 15;
      for (int c = 0; c < 3; ++c)
        ASSERT_EQ(image.samples[(std::size_t(y) * kWidth + x) * 3 + c],
                  (index * 17 + c * 60) & 0xFF);
    }
}

} // namespace
