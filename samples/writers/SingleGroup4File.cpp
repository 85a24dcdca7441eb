#include "samples/writers/SingleGroup4File.h"

#include "samples/writers/ByteWriter.h"

namespace single_group4 {

std::vector<std::uint8_t> File(std::span<const std::uint8_t> data, std::uint32_t width,
                               std::uint32_t lines, std::uint16_t resolution) {
  ByteWriter out;
  for (std::uint8_t byte : {0xFF, 0xFF, 0x00, 0x01})
    out.u8(byte);
  out.putU16be(614, resolution);
  out.putU32be(kLinesField, lines);
  out.putU32be(kWidthField, width);
  out.append(data);
  return out.bytes();
}

} // namespace single_group4
