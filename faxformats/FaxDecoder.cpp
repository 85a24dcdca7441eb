#include "faxformats/FaxDecoder.h"

#include "faxformats/FaxBitWindow.h"
#include "faxformats/FaxCodeTables.h"
#include "faxformats/FaxLineDecoders.h"
#include "faxformats/FaxPageWalker.h"

#include <algorithm>
#include <climits>
#include <cstring>

using namespace faxline;

namespace {

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
    result = DecodePage1D(raster);
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
  const int invalidCodes = DecodePageWords(raster);
  pageLostLines_ = pageLostLines_ || invalidCodes != 0;
  return invalidCodes;
}

namespace {

// The raster of a page fed by the T.4 walker: lines of the width fill its
// rows, others are painted over by the next line.
class RasterLines : public T4LineSink {
public:
  // What the page's result counts: the invalid codes met (one-dimensional
  // pages) or every line that is not good (two-dimensional pages).
  enum class Tally { InvalidCodes, BadLines };

  RasterLines(PageRaster& raster, std::int32_t width, std::uint8_t invert, Tally tally)
      : rows_(raster, width, invert), width_(width), tally_(tally) {}
  RowWriter& StartLine() override { return rows_.Writer(); }
  bool TakesRuns() const override { return false; }

  NextLine OnLine(const CodedLine& line) override {
    if (line.result == width_ || line.result == kLineLastComplete) {
      rows_.Count();
      return line.result == width_ ? NextLine::Follow : NextLine::Stop;
    }
    rows_.Restart();
    if (line.result == kLineDataEnded)
      return NextLine::Stop;
    if (line.result == 0)
      return NextLine::FollowSameReference;
    // A bad line: go on from the next (one-dimensional) line. Whatever the
    // tally counts, the page has lost a line.
    lostLines_ = true;
    const bool atEol = line.result >= 0 || line.result == kLineUnexpectedEol;
    if (tally_ == Tally::BadLines || !atEol)
      ++failures_;
    return atEol ? NextLine::ResyncAtEol : NextLine::ResyncAtNextEol;
  }

  // At the end of the page: the row after the counted ones holds no line.
  int EndPage() {
    rows_.Discard();
    return failures_;
  }
  bool LostLines() const { return lostLines_; }

private:
  RowCursor rows_;
  std::int32_t width_;
  Tally tally_;
  int failures_ = 0;
  bool lostLines_ = false;
};

// Walks a T.4 page from the decoder's reader into the raster and leaves the
// reader where the walk stopped. walk(walker, lines) is false when the page
// has no start: -1; otherwise the result is the sink's tally. lostLines
// tells whether any line was dropped, counted by the tally or not.
template <typename Walk>
int WalkT4Page(FaxDecoder& decoder, PageRaster& raster, std::uint8_t invert,
               RasterLines::Tally tally, bool& lostLines, Walk walk) {
  const std::int32_t width = decoder.Width();
  FaxPageWalker walker(decoder, std::uint64_t(decoder.BitPosition()), width, std::uint32_t(width));
  RasterLines lines(raster, width, invert, tally);
  const bool started = walk(walker, lines);
  const int tallied = lines.EndPage();
  lostLines = lines.LostLines();
  decoder.StoreBitPosition(std::int64_t(walker.BitPosition()));
  return started ? tallied : -1;
}

} // namespace

int FaxDecoder::DecodePageMh(PageRaster& raster) {
  const RowAlignment alignment = codingCode_ == 4 ? RowAlignment::Word : RowAlignment::Byte;
  return WalkT4Page(*this, raster, invert_, RasterLines::Tally::InvalidCodes, pageLostLines_,
                    [alignment](FaxPageWalker& walker, RasterLines& lines) {
                      walker.WalkAlignedRows(lines, alignment);
                      return true;
                    });
}

int FaxDecoder::DecodePageWords(PageRaster& raster) {
  return WalkT4Page(*this, raster, invert_, RasterLines::Tally::InvalidCodes, pageLostLines_,
                    [](FaxPageWalker& walker, RasterLines& lines) {
                      walker.WalkOneDimensional(lines, OneDimensionalFraming::LineWords);
                      return true;
                    });
}

int FaxDecoder::DecodePage1D(PageRaster& raster) {
  return WalkT4Page(*this, raster, invert_, RasterLines::Tally::InvalidCodes, pageLostLines_,
                    [](FaxPageWalker& walker, RasterLines& lines) {
                      walker.WalkOneDimensional(lines);
                      return true;
                    });
}

int FaxDecoder::DecodePage2D(PageRaster& raster) {
  return WalkT4Page(*this, raster, invert_, RasterLines::Tally::BadLines, pageLostLines_,
                    [](FaxPageWalker& walker, RasterLines& lines) {
                      if (!walker.FindEol())
                        return false;
                      if (walker.SyncToOneDimensional())
                        walker.WalkTwoDimensional(lines);
                      return true;
                    });
}

namespace {

// True when a byte after the one holding bitPosition is not zero: coded
// data, not the zero fill that may pad a page to the end of its block.
bool InkAfter(const FaxDecoder& decoder, std::uint64_t bitPosition) {
  for (std::uint64_t byte = bitPosition / 8 + 1; byte < decoder.Size(); ++byte)
    if (decoder.Data()[byte] != 0)
      return true;
  return false;
}

// The raster of a T.6 page fed by the walker. A bad line loses the page's
// rest up to a new start: the decoder's start search finds it, once per
// position, so that noise cannot send the walk round in a circle.
class RasterG4Lines : public G4LineSink {
public:
  RasterG4Lines(FaxDecoder& decoder, PageRaster& raster, std::uint8_t invert)
      : decoder_(decoder), raster_(raster), rows_(raster, decoder.Width(), invert) {}

  RowWriter& StartLine() override { return rows_.Writer(); }

  G4Step OnLine(const CodedLine& line) override {
    if (line.result == decoder_.Width() || line.result == kLineLastComplete) {
      rows_.Count();
      return {line.result == kLineLastComplete ? G4Step::Kind::Stop : G4Step::Kind::Follow,
              line.end};
    }
    // An EOL right at the start of a line is half of the EOFB; one inside
    // a line loses it, and so does data that ends inside a line.
    lostLines_ = lostLines_ || rows_.Writer().Position() > 0 ||
                 (line.result == kLineDataEnded && InkAfter(decoder_, line.start));
    rows_.Restart();
    if (line.result == kLineDataEnded) {
      outcome_ = raster_.height > 0 ? 0 : kLineDataEnded;
      return {G4Step::Kind::Stop, line.end};
    }
    if (line.result == kLineUnexpectedEol)
      return {G4Step::Kind::NewPage, line.end};
    // An invalid code or an overlong line: look for a new start.
    decoder_.StoreBitPosition(std::int64_t(line.end));
    if (decoder_.FindG4Start(2) < 0 || decoder_.BitPosition() <= lastResync_) {
      outcome_ = kLineInvalidCode;
      return {G4Step::Kind::Stop, line.end};
    }
    lastResync_ = decoder_.BitPosition();
    lostLines_ = true;
    return {G4Step::Kind::NewPage, std::uint64_t(decoder_.BitPosition())};
  }

  // At the end of the page: the row after the counted ones holds no line.
  int EndPage() {
    rows_.Discard();
    return outcome_;
  }
  bool LostLines() const { return lostLines_; }

private:
  FaxDecoder& decoder_;
  PageRaster& raster_;
  RowCursor rows_;
  std::int64_t lastResync_ = -1;
  int outcome_ = 0;
  bool lostLines_ = false;
};

} // namespace

int FaxDecoder::DecodePageG4(PageRaster& raster) {
  if (g4Options_ & 1)
    return -1;
  FaxPageWalker walker(*this, std::uint64_t(BitPosition()), width_, std::uint32_t(width_));
  RasterG4Lines lines(*this, raster, invert_);
  walker.WalkGroup4(lines, PassToLineEnd::Accepted);
  const int outcome = lines.EndPage();
  pageLostLines_ = pageLostLines_ || lines.LostLines();
  StoreBitPosition(std::int64_t(walker.BitPosition()));
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
      // On to the next 0xFF byte (the same in either bit order) at once: in
      // noise most bytes are passed here.
      const std::uint32_t from = std::uint32_t(Position());
      const void* marker = std::memchr(Data() + from, 0xFF, Size() - from);
      MoveTo(marker ? std::int32_t(static_cast<const std::uint8_t*>(marker) - Data())
                    : std::int32_t(Size()));
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
