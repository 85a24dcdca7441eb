#include "tiffcopy/RowsWithoutEol.h"

#include "faxengine/FaxTiffWriter.h"
#include "faxformats/FaxDecoder.h"
#include "tiffcopy/FaxStrip.h"

#include <algorithm>
#include <vector>

namespace tiffcopy {
namespace {

bool CodedOneDimensional(const FaxStrip& strip) {
  return strip.codingCode == kCodingMhBytes || strip.codingCode == kCodingT4OneD;
}

bool MinIsWhite(TIFF* in) {
  std::uint16_t photometric = PHOTOMETRIC_MINISWHITE;
  TIFFGetField(in, TIFFTAG_PHOTOMETRIC, &photometric);
  return photometric == PHOTOMETRIC_MINISWHITE;
}

// One row: runs alternately white and black from white, up to the width.
bool DecodeRow(FaxDecoder& decoder, RowWriter& row, std::uint32_t width) {
  bool black = false;
  while (row.Position() < width) {
    const int run = decoder.DecodeRun(black);
    if (run < 0)
      return false;
    row.WriteRun(static_cast<std::uint32_t>(run), black);
    black = !black;
  }
  return row.Position() == width;
}

// Rows one after the other, with no fill between them.
bool DecodeUnalignedRows(const FaxStrip& strip, std::uint32_t count,
                         std::vector<std::uint8_t>& decoded) {
  const std::size_t rowBytes = (std::size_t{strip.width} + 7) / 8;
  FaxDecoder decoder;
  decoder.Initialise(strip.coded.data(), static_cast<std::uint32_t>(strip.coded.size()),
                     strip.bitOrder);
  decoded.assign(rowBytes * count, 0);
  RowWriter row(nullptr, strip.width, 1); // invert 1: black pixels are set bits
  for (std::uint32_t y = 0; y < count; ++y) {
    row.Restart(decoded.data() + y * rowBytes);
    if (!DecodeRow(decoder, row, strip.width))
      return false;
  }
  return true;
}

} // namespace

bool DecodeRowsWithoutEol(TIFF* in, std::uint32_t strip, std::uint32_t count,
                          std::span<std::uint8_t> rows) {
  const std::optional<FaxStrip> fax = ReadFaxStrip(in, strip);
  if (!fax || !CodedOneDimensional(*fax) || !MinIsWhite(in) ||
      rows.size() / ((std::size_t{fax->width} + 7) / 8) < count)
    return false;
  std::vector<std::uint8_t> decoded;
  if (DecodeUnalignedRows(*fax, count, decoded)) {
    std::copy(decoded.begin(), decoded.end(), rows.begin());
    return true;
  }
  return DecodeModifiedHuffmanRows(*fax, count, rows);
}

} // namespace tiffcopy
