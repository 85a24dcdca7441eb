#include "faxformats/RasterFromRows.h"

#include "faxformats/FaxBitReader.h"

#include <algorithm>
#include <vector>

namespace {

// Sizes the raster for the source and sets its record; the rows are all
// white (1 bits) until filled.
int PrepareRaster(const RasterSource& source, std::uint8_t codingCode, PageRaster& raster) {
  raster = PageRaster();
  if (source.bitsPerSample != 1)
    return kRasterNotBilevel;
  if (!raster.Allocate(source.width, source.height))
    return kRasterTooLarge;
  std::fill(raster.rows.begin(), raster.rows.end(), std::uint8_t{0xFF});
  raster.height = source.height;
  raster.codingCode = codingCode;
  raster.bitOrder = 1;
  raster.invert = 0;
  raster.dataSize = static_cast<std::uint32_t>(source.bytes.size());
  WidthClass widthClass = ClassifyWidth(source.width);
  raster.xResolution = widthClass.xResolution;
  raster.sizeClass = widthClass.sizeClass;
  return 0;
}

std::uint8_t InMsbFirst(std::uint8_t byte, const RasterSource& source) {
  return source.fillOrder != 1 ? BitReversalTable()[byte] : byte;
}

// White as a 1 bit, as in every decoded raster.
std::uint8_t WhiteIsOne(std::uint8_t byte, const RasterSource& source) {
  return source.photometric == 0 ? static_cast<std::uint8_t>(~byte) : byte;
}

} // namespace

int RasterFromUncompressedRows(const RasterSource& source, PageRaster& raster) {
  if (int prepared = PrepareRaster(source, 1, raster); prepared != 0)
    return prepared;
  const std::size_t count = std::min(source.bytes.size(), raster.rows.size());
  for (std::size_t i = 0; i < count; ++i)
    raster.rows[i] = WhiteIsOne(InMsbFirst(source.bytes[i], source), source);
  return 0;
}

int RasterFromPackBitsRows(const RasterSource& source, PageRaster& raster,
                           std::uint32_t* rowsFilled) {
  if (int prepared = PrepareRaster(source, 8, raster); prepared != 0)
    return prepared;
  // Rows stored least significant bit first have their run headers
  // reversed too: the whole stream is turned back before decoding.
  std::vector<std::uint8_t> reversed;
  std::span<const std::uint8_t> in = source.bytes;
  if (source.fillOrder != 1) {
    reversed.reserve(in.size());
    for (std::uint8_t byte : in)
      reversed.push_back(InMsbFirst(byte, source));
    in = reversed;
  }
  std::vector<std::uint8_t>& out = raster.rows;
  std::size_t at = 0, written = 0;
  while (at < in.size() && written < out.size()) {
    const auto header = static_cast<std::int8_t>(in[at++]);
    if (header == -128)
      continue;
    if (header >= 0) {
      const std::size_t count = std::min<std::size_t>(header + 1, in.size() - at);
      for (std::size_t i = 0; i < count && written < out.size(); ++i)
        out[written++] = WhiteIsOne(in[at + i], source);
      at += count;
      continue;
    }
    if (at >= in.size())
      break;
    const std::uint8_t value = WhiteIsOne(in[at++], source);
    for (int i = 0; i < 1 - header && written < out.size(); ++i)
      out[written++] = value;
  }
  if (rowsFilled)
    *rowsFilled = raster.bytesPerRow ? std::uint32_t(written / raster.bytesPerRow) : 0;
  return written == out.size() ? 1 : 0;
}
