#include "samples/writers/Ig4File.h"

#include "samples/writers/ByteWriter.h"

namespace ig4 {

std::vector<std::uint8_t> File(const Image& image) {
  constexpr std::size_t kLeadIn = 16, kImageHeaderSize = 208, kStripTableSize = 272;
  ByteWriter out;
  out.padTo(kLeadIn);
  std::vector<std::uint32_t> offsets;
  for (const auto& strip : image.strips) {
    offsets.push_back(std::uint32_t(out.size()));
    out.append(strip);
  }
  const std::size_t header = out.size();
  out.text(image.byteOrder, 2);
  out.u16le(0);
  out.u16le(image.height);
  out.u16le(image.width);
  out.padTo(header + kImageHeaderSize);
  const std::size_t table = out.size();
  out.u16le(std::uint16_t(image.strips.size()));
  out.u16le(image.rowsPerStrip);
  out.u32le(0);
  for (std::size_t i = 0; i < offsets.size() && i < 66; ++i)
    out.putU32le(table + kStripOffsetsField + 4 * i, offsets[i]);
  out.padTo(table + kStripTableSize);
  const std::size_t trailer = out.size();
  for (std::uint8_t byte : {0x1A, 0x1A, 0x55, 0x64, 0x73})
    out.u8(byte);
  out.putU32le(trailer + kDataLengthField, std::uint32_t(header - kLeadIn + 4));
  out.putU32le(trailer + kImageHeaderField, std::uint32_t(header));
  out.putU32le(trailer + kStripTableField, std::uint32_t(table));
  out.padTo(trailer + kTrailerSize);
  return out.bytes();
}

} // namespace ig4
