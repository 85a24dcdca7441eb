#include "faxformats/Group4Encoder.h"

#include "faxformats/FaxCodeTables.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

namespace {

// A code word, first bit sent most significant.
struct Code {
  std::uint16_t code = 0;
  std::uint8_t bits = 0;
};

// A line's changing elements are followed by this many sentinels at the
// width: b2 lies at most two elements past the first element after a0.
constexpr std::uint32_t kSentinels = 3;
constexpr std::uint32_t kLargestMakeUp = 2560;

// The code words of T.4 Tables 1 to 4 by run and by mode, built from the
// rows as the standard prints them.
struct EncodeTables {
  std::array<Code, 64> terminating[2];
  std::array<Code, kLargestMakeUp / 64 + 1> makeUp[2]; // by run / 64
  std::array<Code, 7> vertical;                        // by a1 - b1 + 3
  Code pass, horizontal;

  EncodeTables() {
    for (int black = 0; black < 2; ++black) {
      for (const T4Code& c : T4Rows(black ? T4Table::BlackTerminating : T4Table::WhiteTerminating))
        terminating[black][c.run] = {c.code, c.bits};
      for (T4Table table :
           {black ? T4Table::BlackMakeUp : T4Table::WhiteMakeUp, T4Table::ExtendedMakeUp})
        for (const T4Code& c : T4Rows(table))
          makeUp[black][c.run / 64] = {c.code, c.bits};
    }
    for (const T4Code& c : T4Rows(T4Table::Modes))
      PlaceMode(T4Mode(c.run), {c.code, c.bits});
  }

  void PlaceMode(T4Mode mode, Code code) {
    switch (mode) {
    case T4Mode::Pass:
      pass = code;
      return;
    case T4Mode::Horizontal:
      horizontal = code;
      return;
    case T4Mode::VL3:
    case T4Mode::VL2:
    case T4Mode::VL1: // a1 left of b1 by 1 to 3
      vertical[2 - (int(mode) - int(T4Mode::VL1))] = code;
      return;
    case T4Mode::V0:
    case T4Mode::VR1:
    case T4Mode::VR2:
    case T4Mode::VR3: // a1 on or right of b1 by 0 to 3
      vertical[3 + (int(mode) - int(T4Mode::V0))] = code;
      return;
    default:
      return;
    }
  }
};

const EncodeTables& Tables() {
  static const EncodeTables tables;
  return tables;
}

// Up to eight bytes of a row as one word, the first byte highest; missing
// bytes read as zero.
std::uint64_t LoadWord(const std::uint8_t* bytes, std::size_t count) {
  std::uint64_t word = 0;
  if (count >= 8) {
    std::memcpy(&word, bytes, 8);
  } else {
    std::uint8_t buffer[8] = {};
    std::memcpy(buffer, bytes, count);
    std::memcpy(&word, buffer, 8);
  }
  if constexpr (std::endian::native == std::endian::little)
    word = __builtin_bswap64(word);
  return word;
}

} // namespace

void Group4Encoder::Start(std::uint32_t width, WhiteBits white) {
  width_ = width;
  flip_ = white == WhiteBits::One ? ~std::uint64_t{0} : 0;
  reference_.assign(std::size_t{width} + kSentinels, width);
  current_.assign(std::size_t{width} + kSentinels, width);
  currentCount_ = 0;
  bits_ = 0;
  used_ = 0;
  out_.clear();
}

// Every set bit of word ^ (word >> 1 | carry) is a pixel whose colour differs
// from its left neighbour's; a white word after a white pixel has none.
void Group4Encoder::FindChanges(const std::uint8_t* row) {
  const std::size_t rowBytes = (std::size_t{width_} + 7) / 8;
  constexpr std::uint64_t kTopBit = std::uint64_t{1} << 63;
  std::uint32_t* changesOut = current_.data();
  std::uint32_t count = 0;
  std::uint64_t carry = 0; // the last pixel of the previous word, in the top bit
  for (std::size_t byte = 0; byte < rowBytes; byte += 8) {
    const std::uint64_t word = LoadWord(row + byte, rowBytes - byte) ^ flip_;
    std::uint64_t changes = word ^ ((word >> 1) | carry);
    carry = word << 63;
    const std::uint64_t pixelsLeft = std::uint64_t{width_} - byte * 8;
    if (pixelsLeft < 64)
      changes &= ~std::uint64_t{0} << (64 - pixelsLeft);
    const auto base = static_cast<std::uint32_t>(byte * 8);
    while (changes != 0) {
      const int bit = std::countl_zero(changes);
      changesOut[count++] = base + static_cast<std::uint32_t>(bit);
      changes ^= kTopBit >> bit;
    }
  }
  currentCount_ = count;
}

void Group4Encoder::AddChange(std::uint32_t position) {
  if (position >= width_)
    return;
  if (currentCount_ != 0 && current_[currentCount_ - 1] == position) {
    --currentCount_;
    return;
  }
  if (currentCount_ != 0 && current_[currentCount_ - 1] > position)
    return;
  current_[currentCount_++] = position;
}

void Group4Encoder::EncodeRow(const std::uint8_t* row) {
  FindChanges(row);
  CodeCurrentLine();
}

void Group4Encoder::EncodeChanges(std::span<const std::uint32_t> changes) {
  currentCount_ = 0;
  for (std::uint32_t position : changes)
    AddChange(position);
  CodeCurrentLine();
}

// The coding procedure of T.4 4.2.1.3 for one line. a0 starts on the
// imaginary white element before the line (-1); the element at index i of
// the line is a1, and its pixel is black when i is even, so a0's colour is
// white exactly when i is. b1 is the first reference element right of a0 of
// the colour opposite to a0's: the first one right of a0 (index j) or the
// next.
void Group4Encoder::CodeCurrentLine() {
  const EncodeTables& tables = Tables();
  std::fill_n(current_.begin() + currentCount_, kSentinels, width_);
  const std::uint32_t* a = current_.data();
  const std::uint32_t* b = reference_.data();
  std::int64_t a0 = -1;
  std::size_t i = 0, j = 0;
  while (a0 < std::int64_t{width_}) {
    while (std::int64_t{b[j]} <= a0)
      ++j;
    const std::size_t k = j + ((j ^ i) & 1);
    const std::uint32_t a1 = a[i], b1 = b[k], b2 = b[k + 1];
    if (b2 < a1) {
      Put(tables.pass.code, tables.pass.bits);
      a0 = b2;
      continue;
    }
    const std::int64_t offset = std::int64_t{a1} - b1;
    if (offset >= -3 && offset <= 3) {
      const Code& code = tables.vertical[static_cast<std::size_t>(offset + 3)];
      Put(code.code, code.bits);
      a0 = a1;
      ++i;
      continue;
    }
    const std::uint32_t a2 = a[i + 1];
    const bool black = (i & 1) != 0;
    Put(tables.horizontal.code, tables.horizontal.bits);
    PutRun(a1 - static_cast<std::uint32_t>(std::max<std::int64_t>(a0, 0)), black);
    PutRun(a2 - a1, !black);
    a0 = a2;
    i += 2;
  }
  current_.swap(reference_);
}

// Extended make-up codes of 2560 while the run needs them, then one make-up
// code when the rest is 64 or more, then the terminating code (T.4 4.1.1).
void Group4Encoder::PutRun(std::uint32_t run, bool black) {
  const EncodeTables& tables = Tables();
  const int colour = black ? 1 : 0;
  for (; run >= kLargestMakeUp; run -= kLargestMakeUp) {
    const Code& code = tables.makeUp[colour][kLargestMakeUp / 64];
    Put(code.code, code.bits);
  }
  if (run >= 64) {
    const Code& code = tables.makeUp[colour][run / 64];
    Put(code.code, code.bits);
  }
  const Code& code = tables.terminating[colour][run % 64];
  Put(code.code, code.bits);
}

void Group4Encoder::Flush32() {
  used_ -= 32;
  const auto word = static_cast<std::uint32_t>(bits_ >> used_);
  const std::uint8_t bytes[4] = {std::uint8_t(word >> 24), std::uint8_t(word >> 16),
                                 std::uint8_t(word >> 8), std::uint8_t(word)};
  out_.insert(out_.end(), bytes, bytes + 4);
}

std::vector<std::uint8_t> Group4Encoder::Finish(EndOfBlock end) {
  if (end == EndOfBlock::Append) {
    Put(1, kEolZeros + 1);
    Put(1, kEolZeros + 1);
  }
  for (; used_ >= 8; used_ -= 8)
    out_.push_back(static_cast<std::uint8_t>(bits_ >> (used_ - 8)));
  if (used_ != 0)
    out_.push_back(static_cast<std::uint8_t>(bits_ << (8 - used_)));
  used_ = 0;
  bits_ = 0;
  std::vector<std::uint8_t> coded;
  coded.swap(out_);
  return coded;
}

std::vector<std::uint8_t> EncodeGroup4Page(std::span<const std::uint8_t> rows, std::uint32_t width,
                                           std::uint32_t height, WhiteBits white, EndOfBlock end) {
  Group4Encoder encoder;
  encoder.Start(width, white);
  const std::size_t rowBytes = (std::size_t{width} + 7) / 8;
  for (std::uint32_t y = 0; y < height && (y + 1) * rowBytes <= rows.size(); ++y)
    encoder.EncodeRow(rows.data() + y * rowBytes);
  return encoder.Finish(end);
}
