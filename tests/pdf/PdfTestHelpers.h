// Helpers shared by the PDF writer's tests: converting with the diagnostics,
// and the checks every produced PDF gets.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "pdf/PdfConversion.h"
#include "support/PdfChecks.h"
#include "support/TiffFixtures.h"

namespace pdf_tests {

// Converts and requires success and a sound file (qpdf --check).
inline void ConvertChecked(const std::string& tiff, const std::string& pdfPath,
                           const PdfDocInfo& info = {}) {
  const auto report = pdf::ConvertTiffToPdfReporting(tiff, pdfPath, 0, info);
  ASSERT_EQ(report.result, 0) << report.error;
  const auto check = testing_support::QpdfCheck(pdfPath);
  ASSERT_TRUE(check.ok) << check.output;
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
