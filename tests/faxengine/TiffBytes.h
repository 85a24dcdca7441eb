// Hand-made TIFF files for the reader's tests: exact control over byte
// order, field types, values packed in entries and broken directory chains,
// which the TIFF library would refuse to write.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace tiff_bytes {

struct Entry {
  std::uint16_t tag = 0;
  std::uint16_t type = 0;
  std::uint32_t count = 0;
  std::vector<std::uint8_t> data; // values in file order; placed in the entry when <= 4 bytes
};

class Builder {
public:
  // mark: "II", "MM" or anything else to write (the byte order follows "MM").
  explicit Builder(const std::string& mark = "II", std::uint16_t magic = 42);

  // Appends bytes at the end of the file; returns their offset.
  std::uint32_t Append(const std::vector<std::uint8_t>& bytes);
  // Appends a directory (its larger values first) and links it from the
  // previous one (or the header); returns its offset.
  std::uint32_t AddDirectory(const std::vector<Entry>& entries);
  // Points the next field of directory number index at offset.
  void SetNext(std::size_t index, std::uint32_t offset);
  std::uint32_t DirectoryOffset(std::size_t index) const { return directories_[index]; }

  Entry Short(std::uint16_t tag, std::initializer_list<std::uint16_t> values) const;
  Entry Long(std::uint16_t tag, std::initializer_list<std::uint32_t> values) const;
  Entry Longs(std::uint16_t tag, const std::vector<std::uint32_t>& values) const;
  Entry Rational(std::uint16_t tag, std::uint32_t numerator, std::uint32_t denominator) const;

  const std::vector<std::uint8_t>& Bytes() const { return bytes_; }
  void Write(const std::string& path) const;

private:
  void Put16(std::vector<std::uint8_t>& out, std::uint16_t value) const;
  void Put32(std::vector<std::uint8_t>& out, std::uint32_t value) const;
  void Patch32(std::size_t at, std::uint32_t value);

  bool big_;
  std::vector<std::uint8_t> bytes_;
  std::vector<std::uint32_t> directories_;
  std::size_t lastLink_ = 4; // where the offset of the next directory goes
  std::vector<std::size_t> nextFields_;
};

// A little-endian TIFF of `count` empty directories back to back, each only
// a count and a link to the next.
std::vector<std::uint8_t> EmptyDirectoryChain(std::uint32_t count);

} // namespace tiff_bytes
