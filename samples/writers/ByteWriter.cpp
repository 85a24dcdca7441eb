#include "samples/writers/ByteWriter.h"

void ByteWriter::text(std::string_view value, std::size_t width) {
  for (std::size_t i = 0; i < width; ++i)
    u8(i < value.size() ? static_cast<std::uint8_t>(value[i]) : 0);
}

void ByteWriter::padTo(std::size_t size) {
  if (bytes_.size() < size)
    bytes_.resize(size, 0);
}

void ByteWriter::putText(std::size_t offset, std::string_view value) {
  padTo(offset + value.size());
  for (std::size_t i = 0; i < value.size(); ++i)
    bytes_[offset + i] = static_cast<std::uint8_t>(value[i]);
}

void ByteWriter::Put(std::size_t offset, std::uint32_t value, int width, bool bigEndian) {
  padTo(offset + width);
  for (int i = 0; i < width; ++i) {
    int shift = 8 * (bigEndian ? width - 1 - i : i);
    bytes_[offset + i] = static_cast<std::uint8_t>(value >> shift);
  }
}
