#include "faxformats/FaxStreamDetector.h"

#include "faxformats/FaxPageWalker.h"

#include <algorithm>

namespace {

bool IsStandardWidth(int pixels) {
  return std::find(kStandardWidths.begin(), kStandardWidths.end(),
                   static_cast<std::uint32_t>(std::max(pixels, 0))) != kStandardWidths.end();
}

// Leaves the decoder at the first byte of its buffer in the given bit order,
// with the Group 4 start search's memory cleared.
void Rewind(FaxDecoder& decoder) {
  decoder.SetRemembered(0);
  decoder.SetMark(0);
  decoder.SeekBit(0);
}

void Prepare(FaxDecoder& decoder, std::uint8_t bitOrder, std::int32_t width) {
  decoder.SetBitOrder(bitOrder);
  decoder.SetSize(width, 0);
  Rewind(decoder);
}

bool SameLine(const RunList& a, const RunList& b) {
  if (a.Count() != b.Count())
    return false;
  for (std::uint32_t i = 0; i < a.Count(); ++i) {
    if (a.End(i) != b.End(i))
      return false;
  }
  return true;
}

bool IsAllWhite(const RunList& line) { return line.Count() == 1; }

// Under a white line every 1 bit is one more white line (V0), in either bit
// order: a byte-aligned run of 0xFF bytes is passed at once.
std::uint64_t PastWhiteLines(const FaxDecoder& decoder, std::uint64_t bitPosition) {
  if (bitPosition % 8 != 0)
    return bitPosition;
  std::uint64_t byte = bitPosition / 8;
  while (byte < decoder.Size() && decoder.Data()[byte] == 0xFF)
    ++byte;
  return byte * 8;
}

// More repeated lines in a row than a long stream of pages holds: no fax
// has them, runs of 0xFF do.
constexpr std::uint32_t kMaxRepeatedLines = 65536;

int Finish(FaxDecoder& decoder, int result) {
  Rewind(decoder);
  return result;
}

// Consecutive lines of one width: a different width starts a new run.
class LineRun {
public:
  // True when the required count is reached.
  bool Count(int pixels, std::uint32_t required) {
    if (pixels == width_) {
      ++count_;
    } else {
      width_ = pixels;
      count_ = 1;
    }
    return count_ >= required;
  }
  void Forget() {
    width_ = -1;
    count_ = 0;
  }
  int width() const { return width_; }
  bool started() const { return width_ != -1; }

private:
  int width_ = -1;
  std::uint32_t count_ = 0;
};

// Which widths a one- or two-dimensional trial takes for a line width.
struct WidthRule {
  bool lenient = false;
  std::int32_t minWidth = 0;
  bool Accepts(int pixels) const {
    if (!lenient)
      return IsStandardWidth(pixels);
    return pixels > std::max(minWidth, 0) && pixels <= kMaxStreamWidth;
  }
};

enum class T4Coding { OneDimensional, TwoDimensional };

// A T.4 trial fed by the page walker: counts consecutive lines of one
// accepted width and stops when there are enough of them.
class T4Trial : public T4LineSink {
public:
  T4Trial(T4Coding coding, WidthRule rule, std::uint32_t requiredLines)
      : coding_(coding), rule_(rule), requiredLines_(requiredLines) {}

  RowWriter& StartLine() override {
    row_.Restart(nullptr);
    return row_;
  }
  bool TakesRuns() const override { return false; }

  NextLine OnLine(const CodedLine& line) override {
    const int pixels = line.result;
    if (pixels == kLineDataEnded)
      return NextLine::Stop;
    // A lenient trial resynchronises when the width changes.
    const bool changesWidth = rule_.lenient && run_.started() && pixels != run_.width();
    if (rule_.Accepts(pixels) && (coding_ == T4Coding::OneDimensional || !changesWidth)) {
      if (run_.Count(pixels, requiredLines_)) {
        width_ = pixels;
        return NextLine::Stop;
      }
      return changesWidth ? NextLine::ResyncAtNextEol : NextLine::Follow;
    }
    // Strict: anything else abandons the run. Lenient one-dimensional: only
    // an invalid code does; short and empty lines are passed over.
    if (coding_ == T4Coding::OneDimensional && rule_.lenient && pixels != kLineInvalidCode)
      return NextLine::Follow;
    run_.Forget();
    // After a change of width the new width's first line is the one found.
    if (changesWidth && rule_.Accepts(pixels))
      run_.Count(pixels, requiredLines_);
    return NextLine::ResyncAtNextEol;
  }

  // The width found, -1 while the trial has not succeeded.
  int Width() const { return width_; }

private:
  T4Coding coding_;
  WidthRule rule_;
  std::uint32_t requiredLines_;
  RowWriter row_;
  LineRun run_;
  int width_ = -1;
};

// One-dimensional trials decode without a width; two-dimensional ones
// against the widest standard width.
int DetectT4(FaxDecoder& decoder, std::uint8_t bitOrder, std::uint32_t requiredLines,
             WidthRule rule, T4Coding coding) {
  Prepare(decoder, bitOrder, coding == T4Coding::OneDimensional ? -1 : 4864);
  if (coding == T4Coding::OneDimensional && rule.lenient && requiredLines == 0)
    return Finish(decoder, 0);
  FaxPageWalker walker(decoder, 0, decoder.Width(), kMaxStreamWidth);
  T4Trial trial(coding, rule, requiredLines);
  if (walker.FindEolFromByte(0)) {
    if (coding == T4Coding::OneDimensional)
      walker.WalkOneDimensional(trial);
    else if (walker.SyncToOneDimensional())
      walker.WalkTwoDimensional(trial);
  }
  if (trial.Width() < 0)
    return Finish(decoder, -1);
  decoder.SetSize(trial.Width(), 0);
  return Finish(decoder, 0);
}

} // namespace

int DetectStrict1D(FaxDecoder& decoder, std::uint8_t bitOrder, std::uint32_t requiredLines) {
  return DetectT4(decoder, bitOrder, requiredLines, WidthRule{}, T4Coding::OneDimensional);
}

int DetectLenient1D(FaxDecoder& decoder, std::uint8_t bitOrder, std::uint32_t requiredLines,
                    std::int32_t minWidth) {
  return DetectT4(decoder, bitOrder, requiredLines, WidthRule{true, minWidth},
                  T4Coding::OneDimensional);
}

int DetectStrict2D(FaxDecoder& decoder, std::uint8_t bitOrder, std::uint32_t requiredLines) {
  return DetectT4(decoder, bitOrder, requiredLines, WidthRule{}, T4Coding::TwoDimensional);
}

int DetectLenient2D(FaxDecoder& decoder, std::uint8_t bitOrder, std::uint32_t requiredLines,
                    std::int32_t minWidth) {
  return DetectT4(decoder, bitOrder, requiredLines, WidthRule{true, minWidth},
                  T4Coding::TwoDimensional);
}

namespace {

// Where the run of required lines may lie: anywhere behind a start marker,
// or from the first line of a stream read from its first byte.
enum class Group4Run { Anywhere, FromFirstLine };

// The line as it would be referred to by a line one pixel wider: its last
// run, which ends at the edge, reaches the new edge.
void Widen(const RunList& line, std::uint32_t width, RunList& wider) {
  wider.Reset(width + 1);
  for (std::uint32_t i = 0; i < line.Count(); ++i)
    wider.Append(line.Run(i) + (i + 1 == line.Count() && line.End(i) == width ? 1 : 0));
}

// True when the line just decoded from `start` to `end` ends where it does
// only because the page is `width` wide: read one pixel wider, the same
// bits do not make the same line. Lines that end by reaching the right edge
// with a run do so; lines closed by a V0 on the edge fit any wider page.
bool ProvesWidth(FaxDecoder& decoder, const RunList& reference, std::int64_t start,
                 std::int64_t end, std::int32_t width, RunList& scratchReference,
                 RunList& scratchLine) {
  Widen(reference, static_cast<std::uint32_t>(width), scratchReference);
  scratchLine.Reset(static_cast<std::uint32_t>(width) + 1);
  RowWriter row;
  std::uint32_t pixels = 0;
  decoder.SetSize(width + 1, 0);
  decoder.SeekBit(start);
  int wider = decoder.DecodeLineG4(row, scratchReference, &scratchLine, pixels);
  bool proves = wider != width + 1 || decoder.BitPosition() != end;
  decoder.SetSize(width, 0);
  decoder.SeekBit(end);
  return proves;
}

// A T.6 trial fed by the page walker: counts lines of exactly the width
// that differ from the line above, and resynchronises after any other line.
class Group4Trial : public G4LineSink {
public:
  Group4Trial(FaxG4Decoder& decoder, std::int32_t width, std::uint32_t requiredLines,
              Group4Run where)
      : decoder_(decoder), width_(width), requiredLines_(requiredLines), where_(where),
        widthProven_(where == Group4Run::Anywhere) {}

  RowWriter& StartLine() override {
    row_.Restart(nullptr);
    return row_;
  }

  G4Step OnLine(const CodedLine& line) override {
    // At the end of the data nothing moves the reader any more (and the
    // start search with /raw does not either).
    const int result = line.end == line.start ? kLineDataEnded : line.result;
    if (result == width_) {
      // A line that repeats its reference is a string of V0 bits (a white
      // line under a white one a single 1 bit), which runs of 0xFF bytes
      // give in either bit order and at any width: it neither counts nor
      // breaks the run, unless there are more of them than pages hold.
      if (SameLine(line.runs, line.reference) && ++repeats_ < kMaxRepeatedLines)
        return Next(G4Step::Kind::Repeat, line.end, &line.reference);
      if (repeats_ < kMaxRepeatedLines) {
        repeats_ = 0;
        widthProven_ = widthProven_ ||
                       ProvesWidth(decoder_, line.reference, std::int64_t(line.start),
                                   std::int64_t(line.end), width_, widerReference_, widerLine_);
        if (++count_ >= requiredLines_ && widthProven_) {
          found_ = true;
          return {G4Step::Kind::Stop, line.end};
        }
        return Next(G4Step::Kind::Follow, line.end, &line.runs);
      }
    }
    // A page may begin behind the fill after a code that cannot be decoded;
    // otherwise the next start is searched from where the line failed (when
    // that is further than the last start): searching again from just behind
    // the last start re-decodes the same lines, quadratic in the stream.
    // Without a start search (/raw) the run must hold from the first byte:
    // going on line by line would crawl through a whole file of noise.
    decoder_.StoreBitPosition(std::int64_t(line.end));
    if (result == kLineDataEnded || where_ == Group4Run::FromFirstLine ||
        decoder_.SkipStartSearch() || (!decoder_.FindG4PageStart(0) && decoder_.FindG4Start(2) < 0))
      return {G4Step::Kind::Stop, line.end};
    count_ = 0;
    repeats_ = 0;
    return Next(G4Step::Kind::NewPage, std::uint64_t(decoder_.BitPosition()), nullptr);
  }

  bool Found() const { return found_; }

private:
  // Goes on at `at` with the next line coded against `reference` (null: an
  // all-white line) — unless read from the first byte too many lines went
  // by without one proving the width.
  G4Step Next(G4Step::Kind kind, std::uint64_t at, const RunList* reference) {
    if (!widthProven_ && ++lines_ >= kGroup4LinesToProveWidth)
      return {G4Step::Kind::Stop, at};
    if (!reference || IsAllWhite(*reference))
      at = PastWhiteLines(decoder_, at);
    return {kind, at};
  }

  FaxG4Decoder& decoder_;
  std::int32_t width_;
  std::uint32_t requiredLines_;
  Group4Run where_;
  RowWriter row_;
  std::uint32_t lines_ = 0;
  std::uint32_t count_ = 0;
  std::uint32_t repeats_ = 0;
  // Read from the first byte nothing but the lines vouches for the width:
  // one of them must prove it.
  bool widthProven_;
  bool found_ = false;
  RunList widerReference_, widerLine_;
};

int ScanGroup4(FaxG4Decoder& decoder, std::uint8_t bitOrder, std::int32_t width,
               std::uint32_t requiredLines, Group4Run where) {
  if (width < 1 || width > kMaxStreamWidth)
    return -1;
  Prepare(decoder, bitOrder, width);
  if (decoder.FindG4Start(0) < 0)
    return Finish(decoder, -1);
  FaxPageWalker walker(decoder, PastWhiteLines(decoder, std::uint64_t(decoder.BitPosition())),
                       width, std::uint32_t(width));
  Group4Trial trial(decoder, width, requiredLines, where);
  walker.WalkGroup4(trial, PassToLineEnd::Refused);
  return Finish(decoder, trial.Found() ? 0 : -1);
}

} // namespace

int DetectGroup4(FaxG4Decoder& decoder, std::uint8_t bitOrder, std::int32_t width,
                 std::uint32_t requiredLines) {
  return ScanGroup4(decoder, bitOrder, width, requiredLines, Group4Run::Anywhere);
}

int DetectGroup4AtFirstByte(FaxG4Decoder& decoder, std::uint8_t bitOrder, std::int32_t width,
                            std::uint32_t requiredLines) {
  decoder.SetSkipStartSearch(true);
  return ScanGroup4(decoder, bitOrder, width, requiredLines, Group4Run::FromFirstLine);
}

namespace {

// Collects the ends of the runs of a T.6 stream's first lines decoded at the
// widest width, up to the first line that does not decode to it.
class WidthCandidates : public G4LineSink {
public:
  RowWriter& StartLine() override {
    row_.Restart(nullptr);
    return row_;
  }

  G4Step OnLine(const CodedLine& line) override {
    for (std::uint32_t i = 0; i < line.runs.Count(); ++i) {
      if (line.runs.End(i) >= 1 && line.runs.End(i) < std::uint32_t(kMaxStreamWidth))
        candidates_.push_back(static_cast<std::int32_t>(line.runs.End(i)));
    }
    if (line.result != kMaxStreamWidth || ++lines_ == kGroup4LinesToProveWidth)
      return {G4Step::Kind::Stop, line.end};
    return {G4Step::Kind::Follow, line.end};
  }

  std::vector<std::int32_t> Sorted() {
    std::sort(candidates_.begin(), candidates_.end());
    candidates_.erase(std::unique(candidates_.begin(), candidates_.end()), candidates_.end());
    return candidates_;
  }

private:
  RowWriter row_;
  std::uint32_t lines_ = 0;
  std::vector<std::int32_t> candidates_;
};

} // namespace

std::vector<std::int32_t> Group4WidthCandidates(FaxG4Decoder& decoder, std::uint8_t bitOrder) {
  // Decoded as wide as any stream may be, a line that ends by its last run
  // reaching the page edge does not end there: one of its runs ends at the
  // width. Lines closed by a V0 on the edge end at the wide edge instead.
  decoder.SetSkipStartSearch(true);
  Prepare(decoder, bitOrder, kMaxStreamWidth);
  FaxPageWalker walker(decoder, 0, kMaxStreamWidth, kMaxStreamWidth);
  WidthCandidates candidates;
  walker.WalkGroup4(candidates, PassToLineEnd::Refused);
  Finish(decoder, 0);
  return candidates.Sorted();
}

int ProbeCoding(FaxDecoder& decoder, std::uint32_t requiredLines, StreamCoding& found) {
  struct Trial {
    std::uint8_t codingCode;
    bool lenient;
  };
  static constexpr Trial kTrials[] = {{5, false}, {5, true}, {6, false}, {6, true}};
  for (const Trial& trial : kTrials) {
    for (std::uint8_t bitOrder : {kMsbFirst, kLsbFirst}) {
      WidthRule rule{trial.lenient, 1728};
      int result =
          DetectT4(decoder, bitOrder, requiredLines, rule,
                   trial.codingCode == 5 ? T4Coding::OneDimensional : T4Coding::TwoDimensional);
      if (result == 0) {
        found = StreamCoding{trial.codingCode, bitOrder, decoder.Width(), 0};
        return 0;
      }
    }
  }
  return -1;
}

int ProbeGroup4(FaxG4Decoder& decoder, std::uint32_t requiredLines, StreamCoding& found) {
  for (std::int32_t width : kGroup4TrialWidths) {
    for (std::uint8_t bitOrder : {kMsbFirst, kLsbFirst}) {
      if (DetectGroup4(decoder, bitOrder, width, requiredLines) != 0)
        continue;
      // The detector rewound the reader; the start search finds the start
      // again for the caller.
      decoder.FindG4Start(0);
      found = StreamCoding{7, bitOrder, width, decoder.Mark()};
      Rewind(decoder);
      return 0;
    }
  }
  return -1;
}
