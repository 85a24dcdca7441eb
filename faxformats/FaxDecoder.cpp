#include "faxformats/FaxDecoder.h"

#include "faxformats/FaxBitWindow.h"
#include "faxformats/FaxCodeTables.h"

#include <algorithm>
#include <climits>
#include <cstring>

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
const Lookups kTables;
const Lookups& Tables() { return kTables; }

int ClampCount(std::int64_t pixels) { return int(std::min<std::int64_t>(pixels, INT_MAX)); }

// When the data ended, an invalid-looking code may just be the zero padding.
int InvalidOrEnded(const BitWindow& bits) {
  return bits.Remaining() < std::uint64_t(kRunLookupBits) ? kLineDataEnded : kLineInvalidCode;
}

// Eleven or more zeros and a one: an EOL (the reader stands behind it).
int DecodeZeros(BitWindow& bits) {
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

int EndedResult(std::int64_t pixels, std::int32_t width) {
  return pixels == width ? kLineLastComplete : kLineDataEnded;
}

enum class LineEnd { AtEol, AtWidth };

// T.4 one-dimensional line: runs, alternately white and black, to the EOL
// (or, with LineEnd::AtWidth, also to the moment the width is reached).
int Line1D(BitWindow& bits, RowWriter& row, RunList* runs, std::int32_t width, LineEnd end) {
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

enum class Coding2D { T4, T6 };

// A T.6 coder passes only a b2 left of a1, and a1 is at most the width, so a
// pass to the line end is data read out of step: in a bare stream, a page
// that follows another without EOFB read against the wrong reference line.
// Pages a container frames keep the lenience other decoders show.
enum class PassToLineEnd { Refused, Accepted };

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

// Sets (or, with clear, clears) the bits [start, end) of a packed row.
void PaintBits(std::uint8_t* row, std::uint32_t start, std::uint32_t end, bool clear) {
  std::uint32_t firstByte = start / 8;
  std::uint32_t lastByte = (end - 1) / 8;
  std::uint8_t headMask = std::uint8_t(0xFF >> (start % 8));
  std::uint8_t tailMask = std::uint8_t(0xFF << (7 - (end - 1) % 8));
  auto paint = [clear](std::uint8_t& byte, std::uint8_t mask) {
    byte = clear ? std::uint8_t(byte & ~mask) : std::uint8_t(byte | mask);
  };
  if (firstByte == lastByte) {
    paint(row[firstByte], headMask & tailMask);
    return;
  }
  paint(row[firstByte], headMask);
  if (lastByte > firstByte + 1)
    std::memset(row + firstByte + 1, clear ? 0x00 : 0xFF, lastByte - firstByte - 1);
  paint(row[lastByte], tailMask);
}

// The row the next line goes into. Lines past the maximum rows are decoded
// into a scratch row, so that the rows already counted stay intact.
class RowCursor {
public:
  RowCursor(PageRaster& raster, std::int32_t width, std::uint8_t invert)
      : raster_(raster), writer_(nullptr, std::uint32_t(width), invert) {
    Restart();
  }
  RowWriter& Writer() { return writer_; }
  // Counts the line just decoded and moves on to the next row.
  void Count() {
    if (raster_.height < raster_.MaxRows())
      ++raster_.height;
    Restart();
  }
  // Clears the line just decoded and decodes the next one into the same row.
  void Restart() {
    if (raster_.height < raster_.MaxRows()) {
      writer_.Restart(raster_.Row(raster_.height));
      return;
    }
    scratch_.resize(raster_.bytesPerRow);
    writer_.Restart(scratch_.data());
  }
  // At the end of the page: the row after the counted ones holds no line.
  void Discard() {
    if (raster_.height < raster_.MaxRows())
      std::memset(raster_.Row(raster_.height), 0, raster_.bytesPerRow);
  }

private:
  PageRaster& raster_;
  RowWriter writer_;
  std::vector<std::uint8_t> scratch_;
};

} // namespace

void RunList::Reset(std::uint32_t width) {
  if (ends_.size() < std::size_t(width) + 2)
    ends_.assign(std::size_t(width) + 2, 0);
  count_ = 0;
}

void RunList::SetAllWhite(std::uint32_t width) {
  Reset(width);
  Append(width);
}

void RowWriter::Restart(std::uint8_t* row) {
  row_ = row;
  position_ = 0;
  if (!row_ || width_ == 0)
    return;
  std::size_t bytes = (std::size_t(width_) + 7) / 8;
  if (invert_) {
    std::memset(row_, 0, bytes);
    return;
  }
  std::memset(row_, 0xFF, bytes);
  row_[bytes - 1] = std::uint8_t(0xFF << (bytes * 8 - width_));
}

void RowWriter::PaintBlack(std::uint64_t start) {
  std::uint64_t end = std::min<std::uint64_t>(position_, width_);
  PaintBits(row_, std::uint32_t(start), std::uint32_t(end), invert_ == 0);
}

void FaxDecoder::Initialise(const std::uint8_t* data, std::uint32_t size, std::uint8_t bitOrder,
                            std::uint8_t codingCode, std::uint8_t invert) {
  FaxBitReader::Initialise(data, size, bitOrder);
  codingCode_ = codingCode;
  invert_ = invert;
  noPageTops_ = {};
}

int FaxDecoder::DecodeRun(bool black) {
  BitWindow bits(Data(), Size(), ByteMap(), std::uint64_t(BitPosition()));
  int run = DecodeRunBits(bits, black);
  StoreBitPosition(std::int64_t(bits.BitPosition()));
  return run == kRunEol ? kLineUnexpectedEol : run;
}

int FaxDecoder::DecodeLine1D(RowWriter& row, RunList* runs) {
  BitWindow bits(Data(), Size(), ByteMap(), std::uint64_t(BitPosition()));
  int result = Line1D(bits, row, runs, width_, LineEnd::AtEol);
  StoreBitPosition(std::int64_t(bits.BitPosition()));
  return result;
}

int FaxDecoder::DecodeLine2D(RowWriter& row, const RunList& reference, RunList* runs) {
  BitWindow bits(Data(), Size(), ByteMap(), std::uint64_t(BitPosition()));
  int result = Line2D<Coding2D::T4>(bits, row, reference, runs, width_).Decode();
  StoreBitPosition(std::int64_t(bits.BitPosition()));
  return result;
}

int FaxDecoder::DecodeLineG4(RowWriter& row, const RunList& reference, RunList* runs,
                             std::uint32_t& pixels) {
  BitWindow bits(Data(), Size(), ByteMap(), std::uint64_t(BitPosition()));
  Line2D<Coding2D::T6> line(bits, row, reference, runs, width_);
  int result = line.Decode();
  pixels = std::uint32_t(std::min<std::int64_t>(line.Pixels(), UINT32_MAX));
  StoreBitPosition(std::int64_t(bits.BitPosition()));
  return result;
}

bool FaxDecoder::PrepareRaster(PageRaster& raster) const {
  raster.height = 0;
  if (width_ < 1 || std::uint32_t(width_) > kMaxFaxWidth || maxRows_ < 0 || !Data())
    return false;
  if (!raster.Allocate(std::uint32_t(width_), std::uint32_t(maxRows_)))
    return false;
  WidthClass widthClass = ClassifyWidth(std::uint32_t(width_));
  raster.reserved = 0;
  raster.samplesPerPixel = 1;
  raster.bitsPerSample = 1;
  raster.dataSize = Size();
  raster.xResolution = widthClass.xResolution;
  raster.yResolution = 100;
  raster.resolutionUnit = 2;
  raster.bitOrder = BitOrder();
  raster.codingCode = codingCode_;
  raster.sizeClass = widthClass.sizeClass;
  raster.invert = invert_;
  return true;
}

int FaxDecoder::DecodePage(PageRaster& raster) {
  pageLostLines_ = false;
  if (codingCode_ < 3 || codingCode_ > 7 || !PrepareRaster(raster))
    return -1;
  int result = 0;
  switch (codingCode_) {
  case 3:
  case 4:
    result = DecodePageMh(raster);
    break;
  case 5:
    result = DecodePage1D(raster, false);
    break;
  case 6:
    result = DecodePage2D(raster);
    break;
  default:
    result = DecodePageG4(raster);
    break;
  }
  pageLostLines_ = pageLostLines_ || result != 0;
  return result;
}

int FaxDecoder::DecodePageLineWords(PageRaster& raster) {
  pageLostLines_ = false;
  if (!PrepareRaster(raster))
    return -1;
  raster.codingCode = 5;
  const int invalidCodes = DecodePage1D(raster, true);
  pageLostLines_ = invalidCodes != 0;
  return invalidCodes;
}

namespace {

// Moves to the next byte boundary, and with words to an even byte index.
void AlignBits(BitWindow& bits, bool toWord) {
  std::uint64_t byte = (bits.BitPosition() + 7) / 8;
  if (toWord && byte % 2 != 0)
    ++byte;
  bits.Seek(byte * 8);
}

bool ReadTag(BitWindow& bits, std::uint32_t& tag) {
  if (bits.AtEnd())
    return false;
  tag = bits.Peek(1);
  bits.Skip(1);
  return true;
}

// Moves on to the next EOL followed by a tag bit of 1 (a one-dimensional line).
bool SyncToOneDimensional(BitWindow& bits, bool atEol) {
  std::uint32_t tag = 0;
  if (atEol && !ReadTag(bits, tag))
    return false;
  while (tag != 1) {
    if (!bits.FindEolFrom(bits.CurrentByteStart()) || !ReadTag(bits, tag))
      return false;
  }
  return true;
}

} // namespace

int FaxDecoder::DecodePageMh(PageRaster& raster) {
  BitWindow bits(Data(), Size(), ByteMap(), std::uint64_t(BitPosition()));
  RowCursor rows(raster, width_, invert_);
  bool toWord = codingCode_ == 4;
  bool black = false;
  int result = 0;
  for (;;) {
    int run = DecodeRunBits(bits, black);
    if (run < 0) {
      result = run == kLineInvalidCode ? 1 : 0;
      rows.Restart();
      break;
    }
    RowWriter& row = rows.Writer();
    row.WriteRun(std::uint32_t(run), black);
    black = !black;
    if (row.Position() > std::uint64_t(width_)) {
      rows.Restart();
      break;
    }
    if (row.Position() == std::uint64_t(width_)) {
      rows.Count();
      AlignBits(bits, toWord);
      black = false;
    }
  }
  rows.Discard();
  StoreBitPosition(std::int64_t(bits.BitPosition()));
  return result;
}

int FaxDecoder::DecodePage1D(PageRaster& raster, bool lineWords) {
  BitWindow bits(Data(), Size(), ByteMap(), std::uint64_t(BitPosition()));
  RowCursor rows(raster, width_, invert_);
  LineEnd end = lineWords ? LineEnd::AtWidth : LineEnd::AtEol;
  auto skipWord = [&] {
    AlignBits(bits, false);
    bits.Skip(16);
  };
  if (lineWords)
    skipWord();
  int invalidCodes = 0;
  while (!bits.Overran()) {
    int result = Line1D(bits, rows.Writer(), nullptr, width_, end);
    if (result == width_) {
      rows.Count();
      if (lineWords && !bits.Overran())
        skipWord();
      continue;
    }
    if (result == kLineLastComplete) {
      rows.Count();
      break;
    }
    rows.Restart();
    if (result == kLineDataEnded)
      break;
    if (result == kLineInvalidCode) {
      ++invalidCodes;
      if (!bits.FindEolFrom(bits.CurrentByteStart()))
        break;
    }
  }
  rows.Discard();
  StoreBitPosition(std::int64_t(std::min(bits.BitPosition(), bits.TotalBits())));
  return invalidCodes;
}

int FaxDecoder::DecodePage2D(PageRaster& raster) {
  BitWindow bits(Data(), Size(), ByteMap(), std::uint64_t(BitPosition()));
  if (!bits.FindEolFrom(bits.CurrentByteStart())) {
    StoreBitPosition(std::int64_t(bits.BitPosition()));
    return -1;
  }
  RowCursor rows(raster, width_, invert_);
  RunList reference, current;
  reference.SetAllWhite(std::uint32_t(width_));
  int badLines = 0;
  bool synced = SyncToOneDimensional(bits, true);
  std::uint32_t tag = 1;
  while (synced) {
    current.Reset(std::uint32_t(width_));
    int result =
        tag == 1 ? Line1D(bits, rows.Writer(), &current, width_, LineEnd::AtEol)
                 : Line2D<Coding2D::T4>(bits, rows.Writer(), reference, &current, width_).Decode();
    if (result == kLineDataEnded) {
      rows.Restart();
      break;
    }
    if (result == kLineLastComplete) {
      rows.Count();
      break;
    }
    if (result == width_) {
      rows.Count();
      reference.Swap(current);
    } else if (result != 0) {
      // A bad line: go on from the next one-dimensional line.
      ++badLines;
      rows.Restart();
      synced = SyncToOneDimensional(bits, result >= 0 || result == kLineUnexpectedEol);
      continue;
    }
    synced = ReadTag(bits, tag);
  }
  rows.Discard();
  StoreBitPosition(std::int64_t(std::min(bits.BitPosition(), bits.TotalBits())));
  return badLines;
}

// True when a byte after the one holding bitPosition is not zero: coded
// data, not the zero fill that may pad a page to the end of its block.
bool FaxDecoder::InkAfter(std::uint64_t bitPosition) const {
  for (std::uint64_t byte = bitPosition / 8 + 1; byte < Size(); ++byte)
    if (Data()[byte] != 0)
      return true;
  return false;
}

int FaxDecoder::DecodePageG4(PageRaster& raster) {
  if (g4Options_ & 1)
    return -1;
  BitWindow bits(Data(), Size(), ByteMap(), std::uint64_t(BitPosition()));
  RowCursor rows(raster, width_, invert_);
  RunList reference, current;
  reference.SetAllWhite(std::uint32_t(width_));
  std::int64_t lastResync = -1;
  int outcome = 0;
  for (;;) {
    current.Reset(std::uint32_t(width_));
    const std::uint64_t lineStart = bits.BitPosition();
    int result = Line2D<Coding2D::T6>(bits, rows.Writer(), reference, &current, width_,
                                      PassToLineEnd::Accepted)
                     .Decode();
    if (result == width_) {
      rows.Count();
      reference.Swap(current);
      continue;
    }
    if (result == kLineLastComplete) {
      rows.Count();
      break;
    }
    // An EOL right at the start of a line is half of the EOFB; one inside
    // a line loses it, and so does data that ends inside a line.
    pageLostLines_ = pageLostLines_ || rows.Writer().Position() > 0 ||
                     (result == kLineDataEnded && InkAfter(lineStart));
    rows.Restart();
    reference.SetAllWhite(std::uint32_t(width_));
    if (result == kLineDataEnded) {
      outcome = raster.height > 0 ? 0 : kLineDataEnded;
      break;
    }
    if (result == kLineUnexpectedEol)
      continue;
    // An invalid code or an overlong line: look for a new start.
    StoreBitPosition(std::int64_t(std::min(bits.BitPosition(), bits.TotalBits())));
    if (FindG4Start(2) < 0 || BitPosition() <= lastResync) {
      outcome = kLineInvalidCode;
      break;
    }
    lastResync = BitPosition();
    pageLostLines_ = true;
    bits.Seek(std::uint64_t(BitPosition()));
  }
  rows.Discard();
  StoreBitPosition(std::int64_t(std::min(bits.BitPosition(), bits.TotalBits())));
  return outcome;
}

namespace {

// Lines with ink that must decode in a row before a position is taken for
// the top of a page, and white lines a trial walks over at most (more than
// the top margin of any page: each costs a bit, so 0xFF runs stay cheap).
constexpr std::uint32_t kPageTopInkLines = 32;
constexpr std::uint32_t kPageTopWhiteLines = 8192;

// Stands behind the EOL at the reader, if one is there.
bool SkipEol(BitWindow& bits) {
  const std::uint64_t at = bits.BitPosition();
  if (bits.SkipZeros() >= std::uint64_t(kEolZeros) && !bits.AtEnd()) {
    bits.Skip(1);
    return true;
  }
  bits.Seek(at);
  return false;
}

// Past the EOLs that follow (the rest of an EOFB) and the zero fill up to
// the next byte boundary: where a page begins when nothing else lies between.
std::uint64_t PastEolsAndFill(BitWindow bits) {
  for (;;) {
    const std::uint64_t at = bits.BitPosition();
    const std::uint64_t zeros = bits.SkipZeros();
    if (bits.AtEnd())
      return at;
    const std::uint64_t boundary = (at + 7) / 8 * 8;
    if (zeros < std::uint64_t(kEolZeros))
      return at + zeros >= boundary ? boundary : at;
    bits.Skip(1);
  }
}

bool IsWhiteLine(const RunList& runs, std::int32_t width) {
  return runs.Count() == 1 && runs.End(0) == std::uint32_t(width);
}

} // namespace

bool FaxDecoder::DecodesAsPageTop(std::uint64_t bitPosition, std::int32_t lineWidth) const {
  BitWindow bits(Data(), Size(), ByteMap(), bitPosition);
  const std::uint32_t width = std::uint32_t(lineWidth);
  // Scratch lines kept by the decoder: a search in noise asks this at every
  // byte, and two fresh width-sized lines each time cost more than decoding.
  RunList& reference = pageTopLines_[0];
  RunList& current = pageTopLines_[1];
  reference.SetAllWhite(width);
  RowWriter row(nullptr, width, 0);
  std::uint32_t inkLines = 0, whiteLines = 0;
  while (inkLines < kPageTopInkLines && whiteLines < kPageTopWhiteLines) {
    row.Restart(nullptr);
    current.Reset(width);
    int result = Line2D<Coding2D::T6>(bits, row, reference, &current, lineWidth).Decode();
    // A short page: its lines end with the data or with an EOFB.
    if (result == kLineUnexpectedEol)
      return inkLines > 0 && SkipEol(bits);
    if (result == kLineLastComplete || result == kLineDataEnded)
      return inkLines > 0 || (result == kLineLastComplete && !IsWhiteLine(current, lineWidth));
    if (result != lineWidth)
      return false;
    ++(IsWhiteLine(current, lineWidth) ? whiteLines : inkLines);
    reference.Swap(current);
  }
  return inkLines == kPageTopInkLines;
}

bool FaxDecoder::KnownNoPageTop(std::uint64_t bitPosition) const {
  const NoPageTops& known = noPageTops_;
  return known.data == Data() && known.byteMap == ByteMap() && known.width == width_ &&
         bitPosition % 8 == 0 && bitPosition >= known.from && bitPosition < known.to;
}

// Keeps one run of consecutive boundaries: searches move forward through the
// data, each going on where the last one stopped or further.
void FaxDecoder::NoteNoPageTop(std::uint64_t bitPosition) {
  if (bitPosition % 8 != 0)
    return;
  NoPageTops& known = noPageTops_;
  if (known.data == Data() && known.byteMap == ByteMap() && known.width == width_ &&
      bitPosition >= known.from && bitPosition <= known.to) {
    known.to = std::max(known.to, bitPosition + 8);
    return;
  }
  known = {Data(), ByteMap(), width_, bitPosition, bitPosition + 8};
}

bool FaxDecoder::FindG4PageStart(std::uint32_t windowBytes) {
  if (width_ < 1 || std::uint32_t(width_) > kMaxFaxWidth || !Data())
    return false;
  const std::uint64_t from = std::uint64_t(std::max<std::int64_t>(BitPosition(), 0));
  const std::uint64_t total = std::uint64_t(Size()) * 8;
  std::uint64_t start = PastEolsAndFill(BitWindow(Data(), Size(), ByteMap(), from));
  // Whatever follows, those EOLs and fill bits hold no line: leaving them
  // behind keeps a stream of EOLs from being searched again at each one.
  StoreBitPosition(std::int64_t(start));
  for (std::uint32_t tried = 0; KnownNoPageTop(start) || !DecodesAsPageTop(start, width_);
       ++tried) {
    NoteNoPageTop(start);
    start = (start / 8 + 1) * 8;
    if (tried == windowBytes || start >= total)
      return false;
  }
  StoreBitPosition(std::int64_t(start));
  // Start searches from the remembered byte must not go back before it.
  SetRemembered(std::max(Remembered(), std::uint32_t(start / 8 + 1)));
  return true;
}

bool FaxDecoder::G4PageFollowsFill(std::int64_t lineEnd, std::int64_t& pageStart) const {
  if (lineEnd < 0 || width_ < 1 || std::uint32_t(width_) > kMaxFaxWidth || !Data())
    return false;
  const std::uint64_t end = std::uint64_t(lineEnd);
  const std::uint64_t boundary = (end + 7) / 8 * 8;
  if (boundary >= std::uint64_t(Size()) * 8)
    return false;
  BitWindow bits(Data(), Size(), ByteMap(), end);
  const int fill = int(boundary - end);
  if (fill > 0 && bits.Peek(fill) != 0)
    return false;
  if (!DecodesAsPageTop(boundary, width_))
    return false;
  pageStart = std::int64_t(boundary);
  return true;
}

bool FaxDecoder::G4PageOfOtherWidthFollows() const {
  if (!Data())
    return false;
  const std::uint64_t from = std::uint64_t(std::max<std::int64_t>(BitPosition(), 0));
  const std::uint64_t start = PastEolsAndFill(BitWindow(Data(), Size(), ByteMap(), from));
  return std::any_of(kStandardWidths.begin(), kStandardWidths.end(), [&](std::uint32_t width) {
    return std::int32_t(width) != width_ && DecodesAsPageTop(start, std::int32_t(width));
  });
}

bool FaxDecoder::EolFollows() const {
  BitWindow bits(Data(), Size(), ByteMap(),
                 std::uint64_t(std::max<std::int64_t>(BitPosition(), 0)));
  return SkipEol(bits);
}

std::int64_t FaxDecoder::NextEofbEnd() const {
  BitWindow bits(Data(), Size(), ByteMap(),
                 std::uint64_t(std::max<std::int64_t>(BitPosition(), 0)));
  while (bits.FindEolFrom(bits.BitPosition())) {
    if (SkipEol(bits))
      return std::int64_t(bits.BitPosition());
  }
  return -1;
}

int FaxDecoder::FindG4Start(int mode) {
  if (SkipStartSearch())
    return Fetch(false) < 0 ? Current() : 0;
  if (mode == 0)
    SetRemembered(0);
  else if (mode == 2 && Position() > std::int32_t(Remembered()))
    SetRemembered(std::uint32_t(Position()));
  MoveTo(std::int32_t(Remembered()));
  while (Current() >= 0) {
    int counter = 0;
    if (startMarkerCount_ != 0) {
      while (Current() >= 0 && Current() != 0xFF)
        Fetch(true);
      counter = 1;
    }
    SetMark(std::uint32_t(std::max(Position(), 0)));
    while (Current() == 0xFF) {
      ++counter;
      Fetch(true);
    }
    if (Current() < 0)
      break;
    if (counter < startMarkerCount_)
      continue;
    std::int32_t candidate = Position();
    int ones = std::countl_one(std::uint8_t(Current()));
    SeekBit(std::int64_t(candidate) * 8 + ones);
    int next = ReadBits(3);
    if (next < 0)
      break;
    if (next <= 1) {
      SetRemembered(std::uint32_t(Position()) + 1);
      UnreadBits(3);
      return 0;
    }
    MoveTo(candidate + 1);
  }
  return Current() < 0 ? Current() : kBitsAtEnd;
}
