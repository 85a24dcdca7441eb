// One-bit Windows BMP files: the 14-byte file header, a 40-byte
// BITMAPINFOHEADER, a palette of two colours and the rows, each padded to a
// multiple of 4 bytes, bottom row first unless stored top-down.
#pragma once

#include <cstdint>
#include <vector>

struct BmpImage {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  // Rows of (width + 7) / 8 bytes, top row first, first pixel in the most
  // significant bit; a bit is the palette index of its pixel.
  std::vector<std::uint8_t> rows;
  bool topDown = false; // stored with a negative height, top row first
  // Palette colours of index 0 and 1 (red, green, blue).
  std::uint32_t colour0 = 0x000000, colour1 = 0xFFFFFF;
  std::uint32_t xPixelsPerMetre = 0, yPixelsPerMetre = 0;
};

std::vector<std::uint8_t> BmpFile(const BmpImage& image);
