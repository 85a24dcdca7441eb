#include "pdf/StripEncoder.h"

namespace pdf {

std::optional<std::vector<std::uint8_t>>
StripEncoder::Encode(const StripFormat& format, std::span<const std::uint8_t> pixels) {
  const std::uint64_t rowBytes = (std::uint64_t{format.width} + 7) / 8;
  if (format.bitsPerSample != 1 || format.samplesPerPixel != 1 || format.width == 0 ||
      pixels.size() / rowBytes < format.length)
    return std::nullopt;
  encoder_.Start(format.width, WhiteBits::Zero);
  for (std::uint32_t y = 0; y < format.length; ++y)
    encoder_.EncodeRow(pixels.data() + y * rowBytes);
  return encoder_.Finish(EndOfBlock::Append);
}

} // namespace pdf
