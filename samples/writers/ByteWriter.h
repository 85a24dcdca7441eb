// Builds the bytes of a file field by field: integers of either byte order
// appended or patched at an offset, texts in fields of a fixed width.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

class ByteWriter {
public:
  std::size_t size() const { return bytes_.size(); }
  const std::vector<std::uint8_t>& bytes() const { return bytes_; }

  void u8(std::uint8_t value) { bytes_.push_back(value); }
  void u16le(std::uint16_t value) { Append(value, 2, false); }
  void u32le(std::uint32_t value) { Append(value, 4, false); }
  void u16be(std::uint16_t value) { Append(value, 2, true); }
  void u32be(std::uint32_t value) { Append(value, 4, true); }
  void append(std::span<const std::uint8_t> data) {
    bytes_.insert(bytes_.end(), data.begin(), data.end());
  }
  // The text cut or padded with zero bytes to exactly width bytes.
  void text(std::string_view value, std::size_t width);
  // Zero bytes up to the given size (nothing when already as long).
  void padTo(std::size_t size);

  // Patch fields already written (the writer grows when they lie beyond).
  void putU8(std::size_t offset, std::uint8_t value) { Put(offset, value, 1, false); }
  void putU16le(std::size_t offset, std::uint16_t value) { Put(offset, value, 2, false); }
  void putU32le(std::size_t offset, std::uint32_t value) { Put(offset, value, 4, false); }
  void putU16be(std::size_t offset, std::uint16_t value) { Put(offset, value, 2, true); }
  void putU32be(std::size_t offset, std::uint32_t value) { Put(offset, value, 4, true); }
  void putText(std::size_t offset, std::string_view value);

private:
  void Append(std::uint32_t value, int width, bool bigEndian) { Put(size(), value, width, bigEndian); }
  void Put(std::size_t offset, std::uint32_t value, int width, bool bigEndian);

  std::vector<std::uint8_t> bytes_;
};
