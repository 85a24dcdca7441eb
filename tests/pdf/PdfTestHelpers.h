// Helpers shared by the PDF writer's tests: converting with the diagnostics,
// and the checks every produced PDF gets.
#pragma once

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "pdf/PdfConversion.h"
#include "support/PdfChecks.h"
#include "support/Scratch.h"
#include "support/TiffFixtures.h"
#include "support/Tools.h"
#include "tiffcopy/TiffCopier.h"

namespace pdf_tests {

// Converts and requires success and a sound file (qpdf --check).
inline void ConvertChecked(const std::string& tiff, const std::string& pdfPath,
                           const PdfDocInfo& info = {}) {
  const auto report = pdf::ConvertTiffToPdfReporting(tiff, pdfPath, 0, info);
  ASSERT_EQ(report.result, 0) << report.error;
  const auto check = testing_support::QpdfCheck(pdfPath);
  ASSERT_TRUE(check.ok) << check.output;
}

// The road of an ordinary TIFF: the copier keeps each page's compression,
// then the writer converts the copy. Both must succeed; qpdf checks the PDF.
// The PDF holds one image equal to the raster, and its page renders with the
// raster's mean grey (so it is not inverted).
inline void ExpectOnePageShowing(const std::string& pdfPath, const testing_support::Raster& raster,
                                 bool useMuPdf = false) {
  const auto images = testing_support::ExtractImages(pdfPath);
  ASSERT_EQ(images.size(), 1u);
  EXPECT_TRUE(images[0].ToRaster() == raster);
  const auto means = testing_support::RenderedMeanGrey(pdfPath, 24, useMuPdf);
  ASSERT_EQ(means.size(), 1u);
  EXPECT_NEAR(means[0], testing_support::ExpectedMeanGrey(raster), 12.0);
}

inline void CopyAndConvertChecked(const std::string& tiff, const std::string& pdfPath) {
  CopyOptions keep;
  keep.compression = -1;
  const std::string copy = pdfPath + ".copy.tif";
  ASSERT_EQ(CopyTiffImages(tiff, copy, keep), 0);
  ConvertChecked(copy, pdfPath);
}

// A bilevel raster as 8-bit RGB samples, black 0 and white 255.
inline std::vector<std::uint8_t> RgbSamples(const testing_support::Raster& raster) {
  std::vector<std::uint8_t> samples;
  for (auto ink : raster.pixels)
    samples.insert(samples.end(), 3, ink ? 0 : 255);
  return samples;
}

enum class Renderer { Poppler, MuPdf, Ghostscript };

inline const char* RendererName(Renderer renderer) {
  return renderer == Renderer::Poppler ? "poppler"
         : renderer == Renderer::MuPdf ? "MuPDF"
                                       : "ghostscript";
}

// The first page rendered in grey at the given resolution.
inline testing_support::PnmImage RenderFirstPage(const std::string& pdfPath, Renderer renderer,
                                                 int dpi) {
  testing_support::ScratchFolder scratch;
  const std::string out = scratch / "page.pgm", resolution = std::to_string(dpi);
  std::vector<std::string> argv;
  if (renderer == Renderer::Poppler)
    argv = {"pdftoppm", "-gray",       "-r",    resolution,      "-f",
            "1",        "-singlefile", pdfPath, scratch / "page"};
  else if (renderer == Renderer::MuPdf)
    argv = {"mutool", "draw", "-q", "-r", resolution, "-c", "gray", "-o", out, pdfPath, "1"};
  else
    argv = {"gs",
            "-q",
            "-dSAFER",
            "-dBATCH",
            "-dNOPAUSE",
            "-dFirstPage=1",
            "-dLastPage=1",
            "-sDEVICE=pgmraw",
            "-r" + resolution,
            "-sOutputFile=" + out,
            pdfPath};
  const auto run = testing_support::RunTool(argv);
  if (run.exitCode != 0)
    throw std::runtime_error(std::string(RendererName(renderer)) + " failed: " + run.errors);
  return testing_support::ReadPnm(out);
}

// Mean grey of each quarter of a rendered page, row by row (top left, top
// right, bottom left, bottom right).
inline std::vector<double> QuarterMeans(const testing_support::PnmImage& image) {
  std::vector<double> sums(4, 0), counts(4, 0);
  for (std::uint32_t y = 0; y < image.height; ++y)
    for (std::uint32_t x = 0; x < image.width; ++x) {
      const int quarter = (y * 2 / image.height) * 2 + (x * 2 / image.width);
      sums[quarter] += image.samples[std::size_t(y) * image.width + x];
      counts[quarter] += 1;
    }
  for (int q = 0; q < 4; ++q)
    sums[q] /= counts[q];
  return sums;
}

// The part of a raster at (x, y) of the given size.
inline testing_support::Raster Crop(const testing_support::Raster& source, std::uint32_t x,
                                    std::uint32_t y, std::uint32_t width, std::uint32_t height) {
  testing_support::Raster part(width, height);
  for (std::uint32_t row = 0; row < height; ++row)
    for (std::uint32_t column = 0; column < width; ++column)
      part.set(column, row, source.black(x + column, y + row));
  return part;
}

} // namespace pdf_tests
