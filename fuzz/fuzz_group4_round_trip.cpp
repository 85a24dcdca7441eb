// Round trips through our Group 4 encoder and decoder. Byte 0 chooses:
// even, the rest are rows of a page (pixels, or run lengths), encoded and
// decoded back; odd, the rest is coded data, decoded line by line, each
// line encoded from its pixels and from its runs alike, and decoded again.
// Bytes 1 and 2 give the width, byte 3 the height or the line limit.
#include "faxformats/FaxDecoder.h"
#include "faxformats/Group4Encoder.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

void Check(bool condition) {
  if (!condition)
    __builtin_trap();
}

struct Page {
  std::uint32_t width = 0, height = 0;
  std::size_t rowBytes = 0;
  Bytes rows; // white pixels are 1 bits, as our decoder writes them
};

// Our page decoder over Group 4 data, up to maxRows rows.
Page DecodePage(const Bytes& coded, std::uint32_t width, std::uint32_t maxRows) {
  FaxG4Decoder decoder;
  decoder.Initialise(coded.data(), std::uint32_t(coded.size()), kMsbFirst, 7, 0);
  decoder.SetSize(std::int32_t(width), std::int32_t(maxRows));
  PageRaster raster;
  decoder.DecodePage(raster);
  Page page{width, raster.height, raster.bytesPerRow, raster.rows};
  page.rows.resize(page.rowBytes * page.height);
  return page;
}

bool SamePixels(const Page& a, const Page& b) {
  if (a.width != b.width || a.height != b.height)
    return false;
  const unsigned spare = (8 - a.width % 8) % 8;
  const std::uint8_t lastMask = std::uint8_t(0xFF << spare);
  for (std::size_t i = 0; i < a.rows.size(); ++i) {
    const std::uint8_t mask = (i + 1) % a.rowBytes == 0 ? lastMask : 0xFF;
    if ((a.rows[i] ^ b.rows[i]) & mask)
      return false;
  }
  return true;
}

// Rows from the bytes: packed pixels as they are, or each byte a run length
// (colours alternating from white, a run past the row's end going on in the
// next), which gives the long runs and make-up codes noise lacks.
Page PageFromBytes(const std::uint8_t* data, std::size_t size, std::uint32_t width,
                   std::uint32_t height, bool runs) {
  Page page{width, height, (std::size_t{width} + 7) / 8, {}};
  page.rows.assign(page.rowBytes * height, 0xFF);
  if (!runs) {
    for (std::size_t i = 0; i < page.rows.size() && i < size; ++i)
      page.rows[i] = data[i];
    return page;
  }
  std::uint64_t pixel = 0;
  const std::uint64_t total = std::uint64_t{width} * height;
  bool black = false;
  for (std::size_t i = 0; i < size && pixel < total; ++i, black = !black) {
    const std::uint64_t end = std::min<std::uint64_t>(total, pixel + data[i] * 23u);
    for (; pixel < end; ++pixel) {
      const std::uint64_t y = pixel / width, x = pixel % width;
      if (black)
        page.rows[y * page.rowBytes + x / 8] &= std::uint8_t(~(0x80 >> (x % 8)));
    }
  }
  return page;
}

void RasterRoundTrip(const std::uint8_t* data, std::size_t size, std::uint32_t width,
                     std::uint32_t height, std::uint8_t flags) {
  const Page page = PageFromBytes(data, size, width, height, flags & 1);
  const EndOfBlock end = flags & 2 ? EndOfBlock::Append : EndOfBlock::Omit;
  const Bytes coded = EncodeGroup4Page(page.rows, width, height, WhiteBits::One, end);
  Check(SamePixels(DecodePage(coded, width, height), page));
}

void StreamRoundTrip(const std::uint8_t* data, std::size_t size, std::uint32_t width,
                     std::uint32_t maxLines) {
  FaxG4Decoder decoder;
  decoder.Initialise(data, std::uint32_t(size), kMsbFirst, 7, 0);
  Page page{width, 0, (std::size_t{width} + 7) / 8, {}};
  Bytes row(page.rowBytes);
  RowWriter writer(row.data(), width, 0);
  RunList reference, current;
  reference.SetAllWhite(width);
  Group4Encoder byRows, byRuns;
  byRows.Start(width, WhiteBits::One);
  byRuns.Start(width, WhiteBits::Zero);
  for (; page.height < maxLines; ++page.height) {
    current.Reset(width);
    writer.Restart(row.data());
    std::uint32_t pixels = 0;
    if (decoder.DecodeLineG4(writer, reference, &current, pixels) != int(width))
      break;
    page.rows.insert(page.rows.end(), row.begin(), row.end());
    byRows.EncodeRow(row.data());
    byRuns.EncodeChanges({current.Ends(), current.Count()});
    reference.Swap(current);
  }
  const Bytes coded = byRows.Finish(EndOfBlock::Append);
  Check(coded == byRuns.Finish(EndOfBlock::Append));
  Check(SamePixels(DecodePage(coded, width, page.height), page));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 4)
    return 0;
  const std::uint32_t width = 1 + (data[1] | data[2] << 8) % 5000;
  const std::uint32_t rows = 1 + data[3] % 64;
  if (data[0] & 1)
    StreamRoundTrip(data + 4, size - 4, width, rows);
  else
    RasterRoundTrip(data + 4, size - 4, width, rows, std::uint8_t(data[0] >> 1));
  return 0;
}
