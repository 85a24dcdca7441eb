// Shared helpers of the page copier's tests.
#pragma once

#include "support/TiffCopyChecks.h"
#include "support/TiffFixtures.h"
#include "tiffcopy/TiffCopier.h"

#include <gtest/gtest.h>

namespace copytest {

using namespace testing_support;

inline CopyOptions WithSelector(int selector) {
  CopyOptions options;
  options.compression = selector;
  return options;
}

// A bilevel page with text-like strokes and a black block at the top left.
inline Raster SamplePage(std::uint32_t width = 301, std::uint32_t height = 203, unsigned seed = 3) {
  Raster page = TextLikePage(width, height, seed);
  for (std::uint32_t y = 0; y < height / 5; ++y)
    for (std::uint32_t x = 0; x < width / 7; ++x)
      page.set(x, y);
  return page;
}

inline TiffPageSpec BilevelSpec(std::uint16_t compression, std::uint32_t group3Options = 0) {
  TiffPageSpec spec;
  spec.raster = SamplePage();
  spec.compression = compression;
  spec.group3Options = group3Options;
  return spec;
}

// A page of samples (gray, RGB, palette...) with pattern bytes.
inline TiffPageSpec SampleSpec(std::uint16_t samplesPerPixel, std::uint16_t photometric,
                               std::uint16_t compression, std::uint16_t bitsPerSample = 8,
                               std::uint32_t width = 75, std::uint32_t height = 53) {
  TiffPageSpec spec;
  spec.sampleWidth = width;
  spec.sampleHeight = height;
  spec.bitsPerSample = bitsPerSample;
  spec.samplesPerPixel = samplesPerPixel;
  spec.photometric = photometric;
  spec.compression = compression;
  const std::size_t rowBytes = (std::size_t{width} * samplesPerPixel * bitsPerSample + 7) / 8;
  spec.samples = PatternBytes(rowBytes * height);
  return spec;
}

} // namespace copytest
