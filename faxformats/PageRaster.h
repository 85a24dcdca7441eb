// A decoded fax page: its size, resolution, coding and rows. Rows are packed
// leftmost pixel in the most significant bit; with invert 0 a white pixel is
// a 1 bit and a black pixel a 0 bit.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

// Upper bounds of what the decoder allocates for one page: generous for any
// real fax (the widest T.4 line is 4864 pixels), small enough that a hostile
// header cannot ask for an unbounded buffer.
inline constexpr std::uint32_t kMaxFaxWidth = 65535;
inline constexpr std::uint64_t kMaxRasterBytes = 256u * 1024 * 1024;

struct PageRaster {
  std::uint32_t reserved = 0;
  std::uint32_t width = 0;
  std::uint32_t height = 0;      // good lines decoded
  std::uint32_t bytesPerRow = 0; // (width + 7) / 8
  std::uint16_t samplesPerPixel = 1;
  std::uint16_t bitsPerSample = 1;
  std::uint32_t dataSize = 0;    // size of the coded buffer decoded
  std::uint16_t xResolution = 0; // dots per inch, from the width
  std::uint16_t yResolution = 0;
  std::uint8_t resolutionUnit = 2; // inch
  std::uint8_t bitOrder = 1;
  std::uint8_t codingCode = 0;
  std::uint8_t sizeClass = 0; // 1 A4, 2 B4, 3 A3
  std::uint8_t invert = 0;
  std::vector<std::uint8_t> rows; // room for the maximum rows

  // Frees the rows and allocates rows × bytes-per-row zero bytes for the
  // given width; false (nothing allocated) when it is too large.
  bool Allocate(std::uint32_t width, std::uint32_t maxRows);
  std::uint32_t MaxRows() const {
    return bytesPerRow ? std::uint32_t(rows.size() / bytesPerRow) : 0;
  }
  std::uint8_t* Row(std::uint32_t index) { return rows.data() + std::size_t(index) * bytesPerRow; }
  const std::uint8_t* Row(std::uint32_t index) const {
    return rows.data() + std::size_t(index) * bytesPerRow;
  }

  // The 37-byte stored form (little-endian, fields in order, the rows pointer
  // as 4 bytes of zero) and its reading back (rows left empty).
  static constexpr std::size_t kStoredSize = 37;
  std::array<std::uint8_t, kStoredSize> Stored() const;
  static PageRaster FromStored(const std::array<std::uint8_t, kStoredSize>& bytes);
};

// Horizontal resolution (dots per inch) and paper size class of a line width.
struct WidthClass {
  std::uint16_t xResolution;
  std::uint8_t sizeClass;
};
WidthClass ClassifyWidth(std::uint32_t width);

// The standard T.4 line widths, in increasing order.
inline constexpr std::array<std::uint32_t, 9> kStandardWidths = {1728, 2048, 2432, 2592, 3072,
                                                                 3456, 3648, 4096, 4864};
