#include "samples/writers/DcxFile.h"

#include "samples/writers/ByteWriter.h"

#include <algorithm>

namespace {

constexpr std::size_t kPcxHeaderSize = 128;
constexpr std::size_t kMaxRun = 63;

void PaletteEntry(ByteWriter& pcx, std::uint32_t rgb) {
  pcx.u8(static_cast<std::uint8_t>(rgb >> 16));
  pcx.u8(static_cast<std::uint8_t>(rgb >> 8));
  pcx.u8(static_cast<std::uint8_t>(rgb));
}

// Runs of equal bytes as a count byte (0xC0 + n) and the byte; single bytes
// below 0xC0 stand for themselves. Runs stay within their row.
void EncodeRow(std::span<const std::uint8_t> row, ByteWriter& pcx) {
  for (std::size_t at = 0; at < row.size();) {
    std::size_t run = 1;
    while (at + run < row.size() && run < kMaxRun && row[at + run] == row[at])
      ++run;
    if (run > 1 || row[at] >= 0xC0)
      pcx.u8(static_cast<std::uint8_t>(0xC0 + run));
    pcx.u8(row[at]);
    at += run;
  }
}

} // namespace

std::vector<std::uint8_t> PcxFile(const PcxImage& image) {
  const std::size_t rowBytes = (image.width + 7) / 8;
  const std::uint16_t bytesPerLine =
      image.bytesPerLine ? image.bytesPerLine : static_cast<std::uint16_t>((rowBytes + 1) & ~1u);
  ByteWriter pcx;
  pcx.u8(0x0A); // ZSoft
  pcx.u8(5);    // version 3.0 and later
  pcx.u8(1);    // run-length coding
  pcx.u8(1);    // bits per pixel
  pcx.u16le(image.xMin);
  pcx.u16le(image.yMin);
  pcx.u16le(static_cast<std::uint16_t>(image.xMin + image.width - 1));
  pcx.u16le(static_cast<std::uint16_t>(image.yMin + image.height - 1));
  pcx.u16le(image.xResolution);
  pcx.u16le(image.yResolution);
  PaletteEntry(pcx, image.colour0);
  PaletteEntry(pcx, image.colour1);
  pcx.padTo(65);
  pcx.u8(1); // planes
  pcx.u16le(bytesPerLine);
  pcx.u16le(1); // palette of colours
  pcx.padTo(kPcxHeaderSize);
  std::vector<std::uint8_t> line(bytesPerLine, 0);
  for (std::uint32_t y = 0; y < image.height; ++y) {
    std::copy_n(image.rows.begin() + std::ptrdiff_t(rowBytes * y), rowBytes, line.begin());
    EncodeRow(line, pcx);
  }
  return pcx.bytes();
}

std::vector<std::uint8_t> DcxFile(const std::vector<std::vector<std::uint8_t>>& pcxPages) {
  // 1024 slots, with room for the zero after the last page; more pages than
  // that (which readers refuse) lengthen the table.
  const std::size_t tableSlots = std::max<std::size_t>(1024, pcxPages.size() + 1);
  ByteWriter dcx;
  dcx.u32le(0x3ADE68B1);
  auto offset = static_cast<std::uint32_t>(4 + 4 * tableSlots);
  for (const std::vector<std::uint8_t>& page : pcxPages) {
    dcx.u32le(offset);
    offset += static_cast<std::uint32_t>(page.size());
  }
  dcx.padTo(4 + 4 * tableSlots);
  for (const std::vector<std::uint8_t>& page : pcxPages)
    dcx.append(page);
  return dcx.bytes();
}
