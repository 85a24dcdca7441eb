// DCX documents: the signature 0x3ADE68B1, a table of 1024 page offsets
// (zero after the last page) and the pages, each a PCX image; up to 1023
// pages the first follows at offset 4100. PcxFile
// writes the one-bit PCX images fax pages are archived as (ZSoft PCX
// version 5, run-length coded rows).
#pragma once

#include <cstdint>
#include <span>
#include <vector>

struct PcxImage {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  // Rows of (width + 7) / 8 bytes, top row first, first pixel in the most
  // significant bit, a one bit white.
  std::vector<std::uint8_t> rows;
  // Bytes each stored row holds, at least (width + 7) / 8: zero bytes pad
  // the rest. 0 gives the even length PCX readers expect.
  std::uint16_t bytesPerLine = 0;
  std::uint16_t xMin = 0, yMin = 0;
  std::uint16_t xResolution = 200, yResolution = 200;
  // Header palette colours of index 0 and 1 (red, green, blue).
  std::uint32_t colour0 = 0x000000, colour1 = 0xFFFFFF;
};

std::vector<std::uint8_t> PcxFile(const PcxImage& image);
std::vector<std::uint8_t> DcxFile(const std::vector<std::vector<std::uint8_t>>& pcxPages);
