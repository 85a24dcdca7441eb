// The one way parsers read untrusted bytes: a cursor over a span whose every
// read is checked against what is really there. A failed read returns
// nothing and leaves the cursor where it was.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

enum class ByteOrder { LittleEndian, BigEndian };

class ByteReader {
public:
  explicit ByteReader(std::span<const std::uint8_t> bytes,
                      ByteOrder order = ByteOrder::LittleEndian)
      : bytes_(bytes), order_(order) {}

  std::size_t size() const { return bytes_.size(); }
  std::size_t position() const { return position_; }
  std::size_t remaining() const { return bytes_.size() - position_; }
  ByteOrder order() const { return order_; }
  void setOrder(ByteOrder order) { order_ = order; }

  // Moves the cursor; false (cursor unchanged) when beyond the end.
  bool seek(std::size_t offset) {
    if (offset > bytes_.size())
      return false;
    position_ = offset;
    return true;
  }
  bool skip(std::size_t count) {
    if (count > remaining())
      return false;
    position_ += count;
    return true;
  }

  // True when len bytes starting at offset lie inside the data.
  bool contains(std::size_t offset, std::size_t len) const {
    return offset <= bytes_.size() && len <= bytes_.size() - offset;
  }

  // The bytes [offset, offset + len), or nothing when they are not all there.
  std::optional<std::span<const std::uint8_t>> slice(std::size_t offset, std::size_t len) const {
    if (!contains(offset, len))
      return std::nullopt;
    return bytes_.subspan(offset, len);
  }
  // The next len bytes, advancing past them.
  std::optional<std::span<const std::uint8_t>> take(std::size_t len) {
    auto part = slice(position_, len);
    if (part)
      position_ += len;
    return part;
  }

  std::optional<std::uint8_t> u8() { return readUnsigned<std::uint8_t>(1, order_); }
  std::optional<std::uint16_t> u16() { return readUnsigned<std::uint16_t>(2, order_); }
  std::optional<std::uint32_t> u32() { return readUnsigned<std::uint32_t>(4, order_); }
  std::optional<std::uint16_t> u16le() {
    return readUnsigned<std::uint16_t>(2, ByteOrder::LittleEndian);
  }
  std::optional<std::uint32_t> u32le() {
    return readUnsigned<std::uint32_t>(4, ByteOrder::LittleEndian);
  }
  std::optional<std::uint16_t> u16be() {
    return readUnsigned<std::uint16_t>(2, ByteOrder::BigEndian);
  }
  std::optional<std::uint32_t> u32be() {
    return readUnsigned<std::uint32_t>(4, ByteOrder::BigEndian);
  }

  // Reads at an absolute offset without moving the cursor.
  std::optional<std::uint8_t> u8At(std::size_t offset) const {
    return at<std::uint8_t>(offset, 1, order_);
  }
  std::optional<std::uint16_t> u16At(std::size_t offset) const {
    return at<std::uint16_t>(offset, 2, order_);
  }
  std::optional<std::uint32_t> u32At(std::size_t offset) const {
    return at<std::uint32_t>(offset, 4, order_);
  }

private:
  template <typename T>
  std::optional<T> at(std::size_t offset, std::size_t width, ByteOrder order) const {
    if (!contains(offset, width))
      return std::nullopt;
    T value = 0;
    for (std::size_t i = 0; i < width; ++i) {
      std::size_t index = order == ByteOrder::LittleEndian ? width - 1 - i : i;
      value = static_cast<T>((value << 8) | bytes_[offset + index]);
    }
    return value;
  }
  template <typename T> std::optional<T> readUnsigned(std::size_t width, ByteOrder order) {
    auto value = at<T>(position_, width, order);
    if (value)
      position_ += width;
    return value;
  }

  std::span<const std::uint8_t> bytes_;
  std::size_t position_ = 0;
  ByteOrder order_;
};
