#include "TiffBytes.h"

#include "support/Scratch.h"

namespace tiff_bytes {

Builder::Builder(const std::string& mark, std::uint16_t magic) : big_(mark == "MM") {
  bytes_.assign(mark.begin(), mark.begin() + 2);
  Put16(bytes_, magic);
  Put32(bytes_, 0);
}

void Builder::Put16(std::vector<std::uint8_t>& out, std::uint16_t value) const {
  std::uint8_t hi = value >> 8, lo = value & 0xFF;
  out.insert(out.end(), big_ ? std::initializer_list<std::uint8_t>{hi, lo}
                             : std::initializer_list<std::uint8_t>{lo, hi});
}

void Builder::Put32(std::vector<std::uint8_t>& out, std::uint32_t value) const {
  if (big_) {
    Put16(out, value >> 16);
    Put16(out, value & 0xFFFF);
  } else {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
  }
}

void Builder::Patch32(std::size_t at, std::uint32_t value) {
  std::vector<std::uint8_t> field;
  Put32(field, value);
  std::copy(field.begin(), field.end(), bytes_.begin() + at);
}

std::uint32_t Builder::Append(const std::vector<std::uint8_t>& bytes) {
  auto offset = static_cast<std::uint32_t>(bytes_.size());
  bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
  return offset;
}

std::uint32_t Builder::AddDirectory(const std::vector<Entry>& entries) {
  std::vector<std::uint32_t> valueOffsets;
  for (const Entry& entry : entries)
    valueOffsets.push_back(entry.data.size() > 4 ? Append(entry.data) : 0);
  auto offset = static_cast<std::uint32_t>(bytes_.size());
  Put16(bytes_, static_cast<std::uint16_t>(entries.size()));
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const Entry& entry = entries[i];
    Put16(bytes_, entry.tag);
    Put16(bytes_, entry.type);
    Put32(bytes_, entry.count);
    if (entry.data.size() > 4) {
      Put32(bytes_, valueOffsets[i]);
      continue;
    }
    std::vector<std::uint8_t> field = entry.data;
    field.resize(4, 0);
    bytes_.insert(bytes_.end(), field.begin(), field.end());
  }
  Patch32(lastLink_, offset);
  lastLink_ = bytes_.size();
  nextFields_.push_back(lastLink_);
  Put32(bytes_, 0);
  directories_.push_back(offset);
  return offset;
}

void Builder::SetNext(std::size_t index, std::uint32_t offset) {
  Patch32(nextFields_[index], offset);
}

Entry Builder::Short(std::uint16_t tag, std::initializer_list<std::uint16_t> values) const {
  Entry entry{tag, 3, static_cast<std::uint32_t>(values.size()), {}};
  for (auto value : values)
    Put16(entry.data, value);
  return entry;
}

Entry Builder::Long(std::uint16_t tag, std::initializer_list<std::uint32_t> values) const {
  return Longs(tag, std::vector<std::uint32_t>(values));
}

Entry Builder::Longs(std::uint16_t tag, const std::vector<std::uint32_t>& values) const {
  Entry entry{tag, 4, static_cast<std::uint32_t>(values.size()), {}};
  for (auto value : values)
    Put32(entry.data, value);
  return entry;
}

Entry Builder::Rational(std::uint16_t tag, std::uint32_t numerator,
                        std::uint32_t denominator) const {
  Entry entry{tag, 5, 1, {}};
  Put32(entry.data, numerator);
  Put32(entry.data, denominator);
  return entry;
}

void Builder::Write(const std::string& path) const { testing_support::WriteFile(path, bytes_); }

std::vector<std::uint8_t> EmptyDirectoryChain(std::uint32_t count) {
  std::vector<std::uint8_t> bytes = {'I', 'I', 42, 0, 8, 0, 0, 0};
  for (std::uint32_t i = 0; i < count; ++i) {
    std::uint32_t next = i + 1 < count ? 8 + 6 * (i + 1) : 0;
    bytes.insert(bytes.end(),
                 {0, 0, std::uint8_t(next), std::uint8_t(next >> 8), std::uint8_t(next >> 16), 0});
  }
  return bytes;
}

} // namespace tiff_bytes
