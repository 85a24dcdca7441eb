#include "tiffcopy/RowsWithoutEol.h"

#include "faxengine/FaxTiffWriter.h"
#include "faxformats/FaxDecoder.h"
#include "tiffcopy/CodedStrip.h"
#include "tiffcopy/CopyLimits.h"

#include <algorithm>
#include <vector>

namespace tiffcopy {
namespace {

std::uint32_t Field32(TIFF* tiff, ttag_t tag) {
  std::uint32_t value = 0;
  TIFFGetFieldDefaulted(tiff, tag, &value);
  return value;
}

std::uint16_t Field16(TIFF* tiff, ttag_t tag) {
  std::uint16_t value = 0;
  TIFFGetFieldDefaulted(tiff, tag, &value);
  return value;
}

bool CodedOneDimensional(TIFF* in) {
  const std::uint16_t compression = Field16(in, TIFFTAG_COMPRESSION);
  if (compression == COMPRESSION_CCITTRLE)
    return true;
  return compression == COMPRESSION_CCITTFAX3 &&
         (Field32(in, TIFFTAG_GROUP3OPTIONS) & GROUP3OPT_2DENCODING) == 0;
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
bool DecodeUnalignedRows(std::span<const std::uint8_t> coded, std::uint8_t bitOrder,
                         std::uint32_t width, std::uint32_t count,
                         std::vector<std::uint8_t>& decoded) {
  const std::size_t rowBytes = (std::size_t{width} + 7) / 8;
  FaxDecoder decoder;
  decoder.Initialise(coded.data(), static_cast<std::uint32_t>(coded.size()), bitOrder);
  decoded.assign(rowBytes * count, 0);
  RowWriter row(nullptr, width, 1); // invert 1: black pixels are set bits
  for (std::uint32_t y = 0; y < count; ++y) {
    row.Restart(decoded.data() + y * rowBytes);
    if (!DecodeRow(decoder, row, width))
      return false;
  }
  return true;
}

// Rows that each start on a byte boundary (the CCITT RLE layout).
bool DecodeByteAlignedRows(std::span<const std::uint8_t> coded, std::uint8_t bitOrder,
                           std::uint32_t width, std::uint32_t count,
                           std::vector<std::uint8_t>& decoded) {
  FaxDecoder decoder;
  decoder.Initialise(coded.data(), static_cast<std::uint32_t>(coded.size()), bitOrder,
                     kCodingMhBytes, 1);
  decoder.SetSize(static_cast<std::int32_t>(width), static_cast<std::int32_t>(count));
  PageRaster raster;
  decoder.DecodePage(raster);
  if (raster.height != count)
    return false;
  const std::size_t size = std::size_t{raster.bytesPerRow} * count;
  decoded.assign(raster.rows.begin(), raster.rows.begin() + static_cast<std::ptrdiff_t>(size));
  return true;
}

} // namespace

bool DecodeRowsWithoutEol(TIFF* in, std::uint32_t strip, std::uint32_t count,
                          std::span<std::uint8_t> rows) {
  const std::uint32_t width = Field32(in, TIFFTAG_IMAGEWIDTH);
  const std::size_t rowBytes = (std::size_t{width} + 7) / 8;
  if (width == 0 || width > kMaxImageSide || rows.size() / rowBytes < count ||
      !CodedOneDimensional(in) || !MinIsWhite(in))
    return false;
  const std::vector<std::uint8_t> coded = ReadCodedStrip(in, strip);
  if (coded.empty())
    return false;
  const std::uint8_t bitOrder =
      Field16(in, TIFFTAG_FILLORDER) == FILLORDER_LSB2MSB ? kLsbFirst : kMsbFirst;
  std::vector<std::uint8_t> decoded;
  if (!DecodeUnalignedRows(coded, bitOrder, width, count, decoded) &&
      !DecodeByteAlignedRows(coded, bitOrder, width, count, decoded))
    return false;
  std::copy(decoded.begin(), decoded.end(), rows.begin());
  return true;
}

} // namespace tiffcopy
