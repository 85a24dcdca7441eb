// Rasters from image rows that are not fax coded: uncompressed bilevel rows
// and PackBits rows, as image files and some fax programs store them.
#pragma once

#include "faxformats/PageRaster.h"

#include <cstdint>
#include <span>

struct RasterSource {
  std::span<const std::uint8_t> bytes;
  std::uint8_t fillOrder = 1;   // 2: the first pixel in the least significant bit
  std::uint8_t photometric = 0; // as TIFF: 0 a zero bit is white, 1 a zero bit is black
  std::uint16_t bitsPerSample = 1;
  std::uint32_t width = 0;
  std::uint32_t height = 0;
};

// Results besides those below.
inline constexpr int kRasterTooLarge = -1;
inline constexpr int kRasterNotBilevel = -2;

// Fills raster with the rows of (width + 7) / 8 bytes; rows the source does
// not hold stay white. The raster's rows end up as every decoded raster:
// first pixel in the most significant bit, white a 1 bit (invert 0). 0.
int RasterFromUncompressedRows(const RasterSource& source, PageRaster& raster);
// The same from PackBits rows: 1 when the raster was filled, 0 when the
// source ended first (the rest stays white). rowsFilled, when given,
// receives the rows the source filled completely.
int RasterFromPackBitsRows(const RasterSource& source, PageRaster& raster,
                           std::uint32_t* rowsFilled = nullptr);
