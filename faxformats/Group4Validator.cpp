#include "faxformats/Group4Validator.h"

#include "faxformats/FaxBitReader.h"
#include "faxformats/FaxBitWindow.h"
#include "faxformats/FaxCodeTables.h"

#include <algorithm>
#include <limits>
#include <utility>
#include <vector>

namespace {

// EOFB: two EOLs, 000000000001 000000000001 (ITU-T T.6, 2.4).
constexpr std::uint32_t kEofb = 0x001001;
constexpr int kEofbBits = 24;
// The longest make-up code: longer runs repeat it before their last make-up.
constexpr std::uint16_t kLongestMakeUp = 2560;
// Changing elements are kept in 16 bits: stores to them cannot alias the
// bit window, which keeps the window in registers. Wider rows are refused
// (they are decoded and coded anew instead).
using Position = std::uint16_t;
constexpr std::uint32_t kWidestRow = 0xFFFF;
// Changing elements stand for themselves and for the imaginary ones at the
// end of a row: b1 and b2 may be looked up past the last real one.
constexpr std::size_t kSentinels = 3;

int VerticalOffset(T4Mode mode) {
  switch (mode) {
  case T4Mode::VR1:
    return 1;
  case T4Mode::VR2:
    return 2;
  case T4Mode::VR3:
    return 3;
  case T4Mode::VL1:
    return -1;
  case T4Mode::VL2:
    return -2;
  case T4Mode::VL3:
    return -3;
  default:
    return 0;
  }
}

// Reads rows as changing elements (the positions where the colour changes,
// the first one to black), checking that each code is the one T.6's mode
// choice gives: pass when b2 < a1, vertical when |a1 - b1| <= 3, horizontal
// otherwise, with runs coded as 2560 make-ups, one make-up and a terminating
// code.
class PlainRowReader {
public:
  // Changing elements strictly increase within a row: at most `width` of them.
  // The window is the reader's own: its fields and the reader's cannot alias.
  PlainRowReader(const BitWindow& bits, std::int32_t width)
      : bits_(bits), width_(width), reference_(std::size_t(width) + kSentinels, Position(width)),
        coding_(std::size_t(width) + kSentinels, Position(width)) {}

  bool Row() {
    count_ = 0;
    const Position* reference = reference_.data();
    // b indexes b1, the first reference element right of a0 of the colour
    // a0 is not. Even elements change to black, so b's parity is a0's colour.
    std::size_t b = 0;
    std::int32_t a0 = -1; // the imaginary white element before the row
    while (a0 < width_) {
      const std::int32_t b1 = reference[b], b2 = reference[b + 1];
      const ModeEntry mode = modes_[bits_.Peek(kModeLookupBits)];
      bits_.Skip(mode.bits);
      switch (mode.mode) {
      case T4Mode::V0:
        // The commonest code, plain wherever it decodes: b1 lies right of a0.
        Push(b1);
        a0 = b1;
        ++b;
        break;
      case T4Mode::Pass:
        // Only when b2 lies before a1, which the next code must place beyond it.
        if (b2 >= width_)
          return false;
        a0 = b2;
        b += 2;
        break;
      case T4Mode::Horizontal:
        a0 = Horizontal(a0, b & 1, b1, b2);
        if (a0 < 0)
          return false;
        b = FirstRightOf(reference, b, a0);
        break;
      case T4Mode::Zeros:
      case T4Mode::Invalid:
        return false; // an EOL, the uncompressed mode or no code at all
      default: {
        const std::int32_t a1 = b1 + VerticalOffset(mode.mode);
        if (a1 <= a0 || a1 > b2 || a1 > width_)
          return false;
        Push(a1);
        // The colour changes; only after a left shift can the element just
        // before b1 lie right of a1.
        b = b > 0 && reference[b - 1] > a1 ? b - 1 : FirstRightOf(reference, b + 1, a1);
        a0 = a1;
      }
      }
    }
    std::fill_n(coding_.begin() + static_cast<std::ptrdiff_t>(count_), kSentinels,
                Position(width_));
    std::swap(reference_, coding_);
    return true;
  }

  BitWindow& Bits() { return bits_; }

private:
  // Horizontal mode: a0a1 in a0's colour, then a1a2; gives a2, or -1. Plain
  // only where neither pass nor vertical mode would do, and with no run of
  // length 0 but a first one at the row start or a last one at the row end.
  std::int32_t Horizontal(std::int32_t a0, std::size_t colour, std::int32_t b1, std::int32_t b2) {
    const std::int32_t start = std::max(a0, 0);
    const std::int32_t first = Run(colour != 0, width_ - start);
    if (first < 0)
      return -1;
    const std::int32_t a1 = start + first;
    const std::int32_t second = Run(colour == 0, width_ - a1);
    if (second < 0)
      return -1;
    const std::int32_t a2 = a1 + second;
    const bool plain =
        a1 > a0 && a1 <= b2 && (a1 - b1 > 3 || b1 - a1 > 3) && (a2 > a1 || a1 == width_);
    if (!plain)
      return -1;
    Push(a1);
    Push(a2);
    return a2;
  }

  // One run of at most `limit` pixels, or -1.
  std::int32_t Run(bool black, std::int32_t limit) {
    const RunEntry* table = black ? black_ : white_;
    std::int32_t total = 0;
    bool lastMakeUp = false; // a make-up shorter than 2560 ends the make-ups
    for (;;) {
      const RunEntry entry = table[bits_.Peek(kRunLookupBits)];
      if (entry.kind != RunKind::Terminating && (entry.kind != RunKind::MakeUp || lastMakeUp))
        return -1;
      bits_.Skip(entry.bits);
      total += entry.run;
      if (total > limit)
        return -1;
      if (entry.kind == RunKind::Terminating)
        return total;
      lastMakeUp = entry.run != kLongestMakeUp;
    }
  }

  // The first element from `from` on, in steps of two (one colour), that
  // lies right of x; at the row end, where the row is done, `from` itself.
  std::size_t FirstRightOf(const Position* reference, std::size_t from, std::int32_t x) const {
    if (x >= width_)
      return from;
    while (reference[from] <= x)
      from += 2;
    return from;
  }

  // Appends a changing element; one at the row end is imaginary and only
  // ends the row.
  void Push(std::int32_t position) {
    if (position < width_)
      coding_[count_++] = Position(position);
  }

  BitWindow bits_;
  std::int32_t width_;
  std::vector<Position> reference_; // the row above; all white at first
  std::vector<Position> coding_;
  const ModeEntry* modes_ = ModeLookup();
  const RunEntry* white_ = RunLookup(false);
  const RunEntry* black_ = RunLookup(true);
  std::size_t count_ = 0;
};

} // namespace

Group4Verdict CheckGroup4Form(std::span<const std::uint8_t> coded, std::uint32_t width,
                              std::uint32_t rows, std::uint8_t bitOrder) {
  if (width == 0 || width > kWidestRow || coded.size() > std::numeric_limits<std::uint32_t>::max())
    return {};
  PlainRowReader reader(
      BitWindow(coded.data(), static_cast<std::uint32_t>(coded.size()), ByteMapFor(bitOrder), 0),
      static_cast<std::int32_t>(width));
  for (std::uint32_t row = 0; row < rows; ++row)
    if (!reader.Row())
      return {};
  BitWindow& bits = reader.Bits();
  if (bits.Overran())
    return {};
  Group4Verdict verdict{Group4Form::PlainUnended, 0};
  if (bits.Peek(kEofbBits) == kEofb) {
    bits.Skip(kEofbBits);
    verdict.form = Group4Form::PlainWithEofb;
  }
  verdict.usedBytes = (bits.BitPosition() + 7) / 8;
  bits.SkipZeros();
  return bits.AtEnd() ? verdict : Group4Verdict{};
}
