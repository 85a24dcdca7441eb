// The line decoders of ITU-T T.4 and T.6 on the decoder's bit window: runs
// (make-up codes, then a terminating code), one-dimensional lines and
// two-dimensional lines with a0, b1 and b2 as the standards name them. Shared
// by the decoder's single-line calls and the page walker; not a public header.
#pragma once

#include "faxformats/FaxBitWindow.h"
#include "faxformats/FaxCodeTables.h"
#include "faxformats/FaxDecoder.h"
#include "faxformats/FaxPageWalker.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace faxline {
// Internal linkage, as when these lived in one source file: each includer
// gets its own copy, which the compiler inlines into its decoding loops.
namespace {

// A run longer than this cannot belong to any line; clamping keeps the
// pixel arithmetic of hostile data far from overflow.
constexpr std::int64_t kPixelLimit = std::int64_t(1) << 30;
// Internal result of the run decoder: an EOL ended the run.
constexpr int kRunEol = -1000;

// The lookup tables, fetched once: they are walked for every code.
struct Lookups {
  const RunEntry* white = RunLookup(false);
  const RunEntry* black = RunLookup(true);
  const ModeEntry* modes = ModeLookup();
};
inline const Lookups kLineTables;
inline const Lookups& Tables() { return kLineTables; }

inline int ClampCount(std::int64_t pixels) { return int(std::min<std::int64_t>(pixels, INT_MAX)); }

// When the data ended, an invalid-looking code may just be the zero padding.
inline int InvalidOrEnded(const BitWindow& bits) {
  return bits.Remaining() < std::uint64_t(kRunLookupBits) ? kLineDataEnded : kLineInvalidCode;
}

// Eleven or more zeros and a one: an EOL (the reader stands behind it).
inline int DecodeZeros(BitWindow& bits) {
  std::uint64_t zeros = bits.SkipZeros();
  if (bits.AtEnd())
    return kLineDataEnded;
  bits.Skip(1);
  return zeros >= std::uint64_t(kEolZeros) ? kRunEol : kLineInvalidCode;
}

// Make-up codes, then one terminating code: the run length or a status.
// makeUpBeforeEol receives the make-up pixels read when an EOL cut the run.
[[gnu::always_inline]] inline int DecodeRunBits(BitWindow& bits, bool black,
                                                std::int64_t* makeUpBeforeEol = nullptr) {
  const RunEntry* table = black ? Tables().black : Tables().white;
  std::int64_t total = 0;
  for (;;) {
    RunEntry entry = table[bits.Peek(kRunLookupBits)];
    switch (entry.kind) {
    case RunKind::Terminating:
      bits.Skip(entry.bits);
      if (bits.Overran())
        return kLineDataEnded;
      return int(std::min(total + entry.run, kPixelLimit));
    case RunKind::MakeUp:
      bits.Skip(entry.bits);
      if (bits.Overran())
        return kLineDataEnded;
      total = std::min(total + entry.run, kPixelLimit);
      break;
    case RunKind::Zeros:
      if (makeUpBeforeEol)
        *makeUpBeforeEol = total;
      return DecodeZeros(bits);
    case RunKind::Invalid:
      return InvalidOrEnded(bits);
    }
  }
}

inline int EndedResult(std::int64_t pixels, std::int32_t width) {
  return pixels == width ? kLineLastComplete : kLineDataEnded;
}

enum class LineEnd { AtEol, AtWidth };

// T.4 one-dimensional line: runs, alternately white and black, to the EOL
// (or, with LineEnd::AtWidth, also to the moment the width is reached).
inline int Line1D(BitWindow& bits, RowWriter& row, RunList* runs,
                                         std::int32_t width, LineEnd end) {
  bool black = false;
  for (;;) {
    std::int64_t makeUp = 0;
    int run = DecodeRunBits(bits, black, &makeUp);
    if (run == kRunEol) {
      // Some encoders leave out the terminating code of a line's last run
      // when it is a multiple of 64 (T.4 wants a 0 run after the make-up):
      // keep the run, as the TIFF library's decoder does.
      if (makeUp > 0) {
        row.WriteRun(std::uint32_t(makeUp), black);
        if (runs)
          runs->Append(std::uint32_t(makeUp));
      }
      return ClampCount(std::int64_t(row.Position()));
    }
    if (run == kLineDataEnded)
      return EndedResult(std::int64_t(row.Position()), width);
    if (run < 0)
      return run;
    row.WriteRun(std::uint32_t(run), black);
    if (runs)
      runs->Append(std::uint32_t(run));
    black = !black;
    if (end == LineEnd::AtWidth && row.Position() == std::uint64_t(width))
      return width;
  }
}

// A row of one-dimensional runs with no EOL (TIFF's Modified Huffman),
// which ends when the runs reach the width: the width, the pixel count of
// runs that pass it, kLineUnexpectedEol for an EOL, or a run's status.
inline int RowAtWidth(BitWindow& bits, RowWriter& row, RunList* runs, std::int32_t width) {
  bool black = false;
  for (;;) {
    int run = DecodeRunBits(bits, black);
    if (run < 0)
      return run == kRunEol ? kLineUnexpectedEol : run;
    row.WriteRun(std::uint32_t(run), black);
    if (runs)
      runs->Append(std::uint32_t(run));
    black = !black;
    if (row.Position() >= std::uint64_t(width))
      return ClampCount(std::int64_t(row.Position()));
  }
}

enum class Coding2D { T4, T6 };

// Modified READ line (T.4) or Modified Modified READ line (T.6), with a0,
// b1 and b2 as the standards name them.
template <Coding2D kCoding> class Line2D {
public:
  Line2D(BitWindow& bits, RowWriter& row, const RunList& reference, RunList* runs,
         std::int32_t width, PassToLineEnd passToLineEnd = PassToLineEnd::Refused)
      : bits_(bits), ends_(reference.Ends()), count_(reference.Count()), row_(row), runs_(runs),
        width_(width), passToLineEnd_(passToLineEnd) {}

  int Decode() {
    for (;;) {
      FindB1();
      ModeEntry mode = modes_[bits_.Peek(kModeLookupBits)];
      int result = 0;
      switch (mode.mode) {
      case T4Mode::Pass:
        result = Pass(mode.bits);
        break;
      case T4Mode::Horizontal:
        result = Horizontal(mode.bits);
        break;
      case T4Mode::Zeros:
        return Eol();
      case T4Mode::Invalid:
        return Ended(Extension());
      default:
        result = Vertical(mode);
        break;
      }
      if (result != 0)
        return Ended(result);
      if (kCoding == Coding2D::T6 && a0_ >= width_) {
        FlushPending();
        return ClampCount(a0_);
      }
    }
  }

  std::int64_t Pixels() const { return a0_; }

private:
  std::int64_t RefEnd(std::uint32_t index) const {
    return index < count_ ? std::int64_t(ends_[index]) : width_;
  }

  // b1: the first changing element of the reference line right of a0 whose
  // colour is opposite to a0's colour; b2 the next one.
  void FindB1() {
    std::int64_t left = started_ ? a0_ : -1;
    // Only a VL mode leaves a0 left of changing elements already passed.
    if (steppedLeft_) {
      while (index_ > 0 && RefEnd(index_ - 1) > left)
        --index_;
      steppedLeft_ = false;
    }
    // Changing elements alternate in colour: b1 has the parity of a0's colour.
    if ((index_ & 1) != (black_ ? 1u : 0u))
      ++index_;
    while (index_ < count_ && ends_[index_] <= left)
      index_ += 2;
    b1_ = RefEnd(index_);
    b2_ = RefEnd(index_ + 1);
  }

  // Lengths stay below kPixelLimit plus the width: a0, b1 and b2 are bounded.
  void Paint(std::int64_t length, bool black) { row_.WriteRun(std::uint32_t(length), black); }

  void FinishRun(std::int64_t length) {
    if (runs_)
      runs_->Append(std::uint32_t(std::min(pending_ + length, kPixelLimit)));
    pending_ = 0;
  }

  void FlushPending() {
    if (pending_ > 0)
      FinishRun(0);
  }

  int Pass(int codeBits) {
    bits_.Skip(codeBits);
    if (bits_.Overran())
      return kLineDataEnded;
    if (kCoding == Coding2D::T6 && b2_ >= width_ && passToLineEnd_ == PassToLineEnd::Refused)
      return kLineInvalidCode;
    Paint(b2_ - a0_, black_);
    pending_ += b2_ - a0_;
    a0_ = b2_;
    started_ = true;
    return 0;
  }

  int Horizontal(int codeBits) {
    bits_.Skip(codeBits);
    if (bits_.Overran())
      return kLineDataEnded;
    int first = DecodeRunBits(bits_, black_);
    if (first < 0)
      return first == kRunEol ? kLineUnexpectedEol : first;
    Paint(first, black_);
    FinishRun(first);
    a0_ += first;
    int second = DecodeRunBits(bits_, !black_);
    if (second < 0)
      return second == kRunEol ? kLineUnexpectedEol : second;
    Paint(second, !black_);
    FinishRun(second);
    a0_ = std::min(a0_ + second, kPixelLimit);
    started_ = true;
    return 0;
  }

  int Vertical(ModeEntry mode) {
    static constexpr int kOffsets[] = {0, 0, 0, 1, 2, 3, -1, -2, -3};
    bits_.Skip(mode.bits);
    if (bits_.Overran())
      return kLineDataEnded;
    int offset = kOffsets[int(mode.mode)];
    std::int64_t a1 = b1_ + offset;
    if (a1 < a0_)
      return kLineInvalidCode;
    steppedLeft_ = offset < 0;
    Paint(a1 - a0_, black_);
    FinishRun(a1 - a0_);
    a0_ = a1;
    black_ = !black_;
    started_ = true;
    return 0;
  }

  // The extension code 0000001 (T.4 uncompressed mode and the like, which
  // fax encoders do not use) is consumed: a caller that resynchronises then
  // moves on past it instead of stopping where it stands.
  int Extension() {
    int status = InvalidOrEnded(bits_);
    if (status == kLineInvalidCode)
      bits_.Skip(kModeLookupBits);
    return status;
  }

  int Eol() {
    int zeros = DecodeZeros(bits_);
    if (zeros != kRunEol)
      return Ended(zeros);
    if (kCoding == Coding2D::T6)
      return kLineUnexpectedEol;
    FlushPending();
    return ClampCount(a0_);
  }

  int Ended(int status) {
    if (status == kLineDataEnded)
      return EndedResult(a0_, width_);
    return status;
  }

  BitWindow& bits_;
  const ModeEntry* modes_ = Tables().modes;
  const std::uint32_t* ends_; // the reference line's changing elements
  std::uint32_t count_;
  RowWriter& row_;
  RunList* runs_;
  std::int32_t width_;
  std::int64_t a0_ = 0;
  std::int64_t b1_ = 0;
  std::int64_t b2_ = 0;
  std::int64_t pending_ = 0; // pixels passed over, not yet ended by a change
  std::uint32_t index_ = 0;  // reference cursor
  bool black_ = false;
  bool steppedLeft_ = false;
  bool started_ = false; // false while a0 stands before the first pixel (T.4: a0 = -1)
  PassToLineEnd passToLineEnd_;
};

} // namespace
} // namespace faxline
