#include "faxformats/PackBits.h"

#include <cstddef>

namespace {

constexpr std::size_t kMaxPiece = 128;
constexpr std::size_t kMaxFoldedLiteral = 127;

class PackBitsOutput {
public:
  explicit PackBitsOutput(std::span<std::uint8_t> destination) : out_(destination) {}
  std::size_t Length() const { return length_; }

  bool Run(std::uint8_t value, std::size_t count) {
    if (!Room(2))
      return false;
    out_[length_++] = static_cast<std::uint8_t>(1 - static_cast<int>(count));
    out_[length_++] = value;
    return true;
  }
  bool Literal(std::span<const std::uint8_t> bytes) {
    if (bytes.empty())
      return true;
    if (!Room(1 + bytes.size()))
      return false;
    out_[length_++] = static_cast<std::uint8_t>(bytes.size() - 1);
    for (std::uint8_t byte : bytes)
      out_[length_++] = byte;
    return true;
  }

private:
  // Every header needs three free bytes, and the piece must fit whole.
  bool Room(std::size_t piece) const {
    std::size_t free = out_.size() - length_;
    return free >= 3 && free >= piece;
  }

  std::span<std::uint8_t> out_;
  std::size_t length_ = 0;
};

std::size_t RunLength(std::span<const std::uint8_t> row, std::size_t at) {
  std::size_t length = 1;
  while (at + length < row.size() && length < kMaxPiece && row[at + length] == row[at])
    ++length;
  return length;
}

bool EncodeRow(std::span<const std::uint8_t> row, PackBitsOutput& out) {
  std::size_t literalStart = 0, literalLength = 0;
  auto flush = [&] {
    bool ok = out.Literal(row.subspan(literalStart, literalLength));
    literalLength = 0;
    return ok;
  };
  std::size_t at = 0;
  while (at < row.size()) {
    const std::size_t run = RunLength(row, at);
    const bool singleFollows = at + 2 < row.size() && RunLength(row, at + 2) == 1;
    const bool fold =
        run == 2 && literalLength > 0 && singleFollows && literalLength + 2 <= kMaxFoldedLiteral;
    if (run >= 2 && !fold) {
      if (!flush() || !out.Run(row[at], run))
        return false;
      at += run;
      continue;
    }
    if (literalLength == 0)
      literalStart = at;
    literalLength += run;
    at += run;
    if (literalLength >= kMaxPiece && !flush())
      return false;
  }
  return flush();
}

} // namespace

int PackBitsEncodeRows(std::span<const std::uint8_t> source, std::uint32_t rowLength,
                       std::span<std::uint8_t> destination) {
  if (rowLength == 0)
    return -1;
  PackBitsOutput out(destination);
  for (std::size_t start = 0; start + rowLength <= source.size(); start += rowLength)
    if (!EncodeRow(source.subspan(start, rowLength), out))
      return -1;
  return static_cast<int>(out.Length());
}
