// Every TIFF orientation shows the stored picture turned exactly once, for
// Group 4 pages and for JPEG pages (which the TIFF library decodes through
// its RGBA reader), stripped and tiled, in poppler, MuPDF and ghostscript.
// The pages take the road of an ordinary TIFF: the copier, then the writer.
#include <gtest/gtest.h>

#include "PdfTestHelpers.h"
#include "support/Scratch.h"
#include "support/Tools.h"

using namespace testing_support;
using pdf_tests::CopyAndConvertChecked;
using pdf_tests::Renderer;

namespace {

// TIFF orientation (TIFF 6.0, tag 274): where the first row and column of
// the stored image appear on the shown page.
Raster Displayed(const Raster& stored, int orientation) {
  const std::uint32_t w = stored.width, h = stored.height;
  const bool turned = orientation >= 5;
  Raster shown(turned ? h : w, turned ? w : h);
  for (std::uint32_t y = 0; y < h; ++y)
    for (std::uint32_t x = 0; x < w; ++x) {
      std::uint32_t sx = x, sy = y;
      switch (orientation) {
      case 2:
        sx = w - 1 - x;
        break;
      case 3:
        sx = w - 1 - x;
        sy = h - 1 - y;
        break;
      case 4:
        sy = h - 1 - y;
        break;
      case 5:
        sx = y;
        sy = x;
        break;
      case 6:
        sx = h - 1 - y;
        sy = x;
        break;
      case 7:
        sx = h - 1 - y;
        sy = w - 1 - x;
        break;
      case 8:
        sx = y;
        sy = w - 1 - x;
        break;
      default:
        break;
      }
      shown.set(sx, sy, stored.black(x, y));
    }
  return shown;
}

enum class PageKind { Group4, JpegYcbcr, JpegRgb };

TiffPageSpec MarkedPage(PageKind kind) {
  TiffPageSpec page;
  page.raster = CornerMarkPage(384, 192);
  page.xResolution = page.yResolution = 96;
  if (kind == PageKind::Group4)
    return page;
  page.samples = pdf_tests::RgbSamples(page.raster);
  page.sampleWidth = page.raster.width;
  page.sampleHeight = page.raster.height;
  page.bitsPerSample = 8;
  page.samplesPerPixel = 3;
  page.compression = COMPRESSION_JPEG;
  page.photometric = kind == PageKind::JpegYcbcr ? PHOTOMETRIC_YCBCR : PHOTOMETRIC_RGB;
  if (kind == PageKind::JpegYcbcr)
    page.moreTags = [](TIFF* tiff) {
      TIFFSetField(tiff, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
    };
  return page;
}

class Orientation : public ::testing::TestWithParam<std::tuple<int, bool, PageKind>> {};

TEST_P(Orientation, MarkShowsInTheCornerTheTagNames) {
  const auto [orientation, tiled, kind] = GetParam();
  ASSERT_TRUE(kind == PageKind::Group4 || TIFFIsCODECConfigured(COMPRESSION_JPEG))
      << "Debian's TIFF library decodes JPEG; this one does not";
  ScratchFolder scratch;
  TiffPageSpec page = MarkedPage(kind);
  page.orientation = static_cast<std::uint16_t>(orientation);
  page.tiled = tiled;
  page.tileWidth = 112; // 384 = 3 x 112 + 48: edge tiles on the right
  page.tileLength = 80; // 192 = 2 x 80 + 32: and at the bottom
  const std::string tiff = scratch / "page.tif", pdf = scratch / "page.pdf";
  WriteTiffFile(tiff, {page});
  ASSERT_NO_FATAL_FAILURE(CopyAndConvertChecked(tiff, pdf));

  const Raster shown = Displayed(page.raster, orientation);
  for (Renderer renderer : {Renderer::Poppler, Renderer::MuPdf, Renderer::Ghostscript}) {
    SCOPED_TRACE(pdf_tests::RendererName(renderer));
    const PnmImage rendered = pdf_tests::RenderFirstPage(pdf, renderer, 24);
    ASSERT_EQ(rendered.width > rendered.height, shown.width > shown.height);
    const auto quarters = pdf_tests::QuarterMeans(rendered);
    for (int q = 0; q < 4; ++q) {
      const bool black = shown.black((q % 2) * shown.width / 2 + shown.width / 4,
                                     (q / 2) * shown.height / 2 + shown.height / 4);
      EXPECT_EQ(quarters[q] < 128, black) << "quarter " << q << " mean " << quarters[q];
    }
  }
}

INSTANTIATE_TEST_SUITE_P(AllEight, Orientation,
                         ::testing::Combine(::testing::Range(1, 9), ::testing::Bool(),
                                            ::testing::Values(PageKind::Group4, PageKind::JpegYcbcr,
                                                              PageKind::JpegRgb)));

} // namespace
