// Fuzzes the fax line and page decoders: every coding code (and the
// line-word variant), both bit orders, any width, the EOL and Group 4 start
// searches. The first 8 bytes choose the set-up, the rest is coded data.
#include "faxformats/FaxDecoder.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

void Check(bool condition) {
  if (!condition)
    __builtin_trap();
}

// Decodes line by line with the public line decoders, as the stream
// detection does, and checks the reader never leaves the data.
void DecodeLines(FaxG4Decoder& decoder, std::int32_t width, std::uint8_t mode) {
  std::vector<std::uint8_t> row((std::size_t(width) + 7) / 8 + 1, 0);
  const std::uint8_t guard = 0xA5;
  row.back() = guard;
  RowWriter writer(row.data(), std::uint32_t(width), mode & 1);
  RunList reference, current;
  reference.SetAllWhite(std::uint32_t(width));
  std::int64_t totalBits = std::int64_t(decoder.Size()) * 8;
  for (int line = 0; line < 64; ++line) {
    current.Reset(std::uint32_t(width));
    writer.Restart(row.data());
    std::uint32_t pixels = 0;
    int result = 0;
    switch ((mode >> 1) % 3) {
    case 0:
      result = decoder.DecodeLine1D(writer, &current);
      break;
    case 1:
      result = decoder.DecodeLine2D(writer, reference, &current);
      break;
    default:
      result = decoder.DecodeLineG4(writer, reference, &current, pixels);
      break;
    }
    Check(row.back() == guard);
    Check(decoder.BitPosition() >= 0 && decoder.BitPosition() <= totalBits);
    Check(current.Count() <= std::uint32_t(width) + 2);
    if (result == width)
      reference.Swap(current);
    if (result == kLineDataEnded || result == kLineLastComplete)
      break;
    if (result == kLineInvalidCode && decoder.FindEol(2) < 0)
      break;
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 8)
    return 0;
  static const std::uint8_t kCodes[] = {3, 4, 5, 6, 7, 5};
  std::uint8_t selector = data[0] % 6;
  std::uint8_t bitOrder = (data[1] & 1) ? kLsbFirst : kMsbFirst;
  std::int32_t width = 1 + ((data[2] | data[3] << 8) % 5000);
  std::int32_t maxRows = data[4] % 64;
  std::uint8_t flags = data[5];
  std::uint8_t mode = data[6];
  const std::uint8_t* coded = data + 8;
  std::uint32_t codedSize = std::uint32_t(size - 8);

  FaxG4Decoder decoder;
  decoder.Initialise(coded, codedSize, bitOrder, kCodes[selector], flags & 1);
  decoder.SetSize(width, maxRows);
  decoder.SetStartMarkerCount(std::uint8_t((flags >> 1) % 5));
  decoder.SetOptions(std::uint8_t((flags >> 4) & 2));
  decoder.SetSkipStartSearch(flags & 0x80);
  if (mode & 0x10)
    decoder.FindG4Start(0);
  if (mode & 0x20)
    decoder.FindEol(0);

  PageRaster raster;
  int result = selector == 5 ? decoder.DecodePageLineWords(raster) : decoder.DecodePage(raster);
  Check(result >= -14);
  Check(raster.height <= std::uint32_t(maxRows));
  Check(raster.rows.size() == std::size_t(raster.bytesPerRow) * std::size_t(maxRows));

  decoder.Initialise(coded, codedSize, bitOrder, kCodes[selector], 0);
  DecodeLines(decoder, width, mode);
  return 0;
}
