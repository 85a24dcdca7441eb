#include "faxformats/FaxStreamFiles.h"

#include "faxformats/FaxPageWalker.h"
#include "faxformats/FaxStreamDetector.h"
#include "faxformats/SegmentIndex.h"
#include "faxformats/StdioFile.h"

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <vector>

namespace {

// Bits of an EOL, and of an EOL with the tag bit that follows it in T.4
// two-dimensional coding: how far a segment boundary lies behind the reader.
constexpr std::int64_t kEolBits = 12;
constexpr std::int64_t kEolTagBits = 13;
// The line status of a line passed over without decoding it.
constexpr int kLineNotDecoded = -1;

// Writes the two files as lines arrive: rows appended to the raster file,
// one record per finished segment appended to the index.
class StreamFileWriter {
public:
  StreamFileWriter(const StreamFileTargets& targets, const FaxDecoder& decoder)
      : targets_(targets) {
    std::uint32_t width = static_cast<std::uint32_t>(decoder.Width());
    WidthClass widthClass = ClassifyWidth(width);
    raster_.width = width;
    raster_.bytesPerRow = (width + 7) / 8;
    raster_.dataSize = decoder.Size();
    raster_.xResolution = widthClass.xResolution;
    raster_.yResolution = 100;
    raster_.bitOrder = decoder.BitOrder();
    raster_.codingCode = decoder.CodingCode();
    raster_.sizeClass = widthClass.sizeClass;
    index_.width = width;
    index_.bitOrder = raster_.bitOrder;
    index_.coding = raster_.codingCode;
    index_.sizeClass = raster_.sizeClass;
  }

  // Creates both files with provisional headers.
  bool Create() {
    rasterFile_ = OpenStdioFile(targets_.rasterPath, "w+b");
    segmentFile_ = OpenStdioFile(targets_.segmentPath, "w+b");
    return rasterFile_ && segmentFile_ && WriteHeaders();
  }

  std::uint32_t bytesPerRow() const { return raster_.bytesPerRow; }
  std::uint32_t goodLines() const { return index_.goodLines; }
  bool rowsTruncated() const { return rowsTruncated_; }
  // True while the raster file has room for one more row.
  bool RowFits() const {
    return !rowsTruncated_ && raster_.bytesPerRow <= targets_.maxRasterBytes - rasterBytes_;
  }
  void MarkTruncated() { rowsTruncated_ = true; }
  void MarkLinesLost() { linesLost_ = true; }
  // True while a segment is open for the lines that follow.
  bool SegmentOpen() const { return segmentOpen_; }
  bool linesLost() const { return linesLost_; }

  // Appends a good line. A line that opens a segment starts it at
  // segmentStart, or at the damaged lines held in front of it; every line
  // moves the segment's end to end (bit indexes).
  void AddLine(const std::uint8_t* row, std::int64_t segmentStart, std::int64_t end) {
    if (!segmentOpen_) {
      segment_ = SegmentRecord{};
      SetPosition(damaged_.empty() ? segmentStart : damageStart_, segment_.startByte,
                  segment_.startBit);
      segmentOpen_ = true;
    }
    KeepDamagedLines();
    linesLost_ |= damageDropped_;
    damageDropped_ = false;
    AppendRow(row);
    SetEndPosition(end, segment_.endByte, segment_.endBit);
    ++segment_.lines;
    ++index_.goodLines;
  }

  // A T.4 line received in error, beginning at start: its pixel count or
  // line status, and its row as far as it decoded (white after). The line
  // keeps its place: a page that holds such lines is written from these rows,
  // which is what a fax machine prints. Held until a good line or a page end
  // follows; the end of the data drops it. In front of a segment only lines
  // near the width are held (noise before a page decodes to anything). A long
  // run of such lines is not kept: it ends the segment, and a good line after
  // it with no page end between tells that lines of the page were lost.
  void AddDamagedLine(int pixels, std::int64_t start, const std::vector<std::uint8_t>& row) {
    if (segmentOpen_) {
      if (damaged_.size() == kLongestDamage) {
        CloseSegment();
        damageDropped_ = true;
        return;
      }
      damaged_.push_back(row);
      trailingEmpty_ = pixels == 0 ? trailingEmpty_ + 1 : 0;
      return;
    }
    const int width = static_cast<int>(raster_.width);
    if (std::abs(pixels - width) > width / 4 || damaged_.size() == kLongestDamage) {
      damaged_.clear();
      return;
    }
    if (damaged_.empty())
      damageStart_ = start;
    damaged_.push_back(row);
  }

  void CloseSegment() {
    damaged_.clear();
    trailingEmpty_ = 0;
    if (!segmentOpen_)
      return;
    WriteRecord(index_.recordCount);
    ++index_.recordCount;
    index_.longestSegment = std::max(index_.longestSegment, segment_.lines);
    segmentOpen_ = false;
  }

  // An RTC or EOFB: the page ends with the last segment, whatever follows.
  // Damaged lines held in front of it belong to the page; the empty lines
  // that begin an RTC do not.
  void EndPage() {
    damageDropped_ = false;
    if (segmentOpen_) {
      damaged_.resize(damaged_.size() - trailingEmpty_);
      KeepDamagedLines();
      segment_.endsPage = true;
      CloseSegment();
      return;
    }
    if (index_.recordCount == 0 || segment_.endsPage)
      return;
    segment_.endsPage = true;
    WriteRecord(index_.recordCount - 1);
  }

  // Closes the last segment, completes both headers and estimates the
  // vertical resolution from the longest segment.
  bool Finish() {
    CloseSegment();
    failed_ |= !WriteHeaders() || std::fflush(segmentFile_.get()) != 0;
    segmentFile_.reset();
    if (index_.recordCount > 0)
      EstimateResolution(targets_.segmentPath, raster_.sizeClass, raster_.yResolution);
    raster_.height = index_.goodLines;
    auto record = raster_.Stored();
    failed_ |= !WriteAt(rasterFile_.get(), 0, record) || std::fflush(rasterFile_.get()) != 0;
    rasterFile_.reset();
    return !failed_;
  }

private:
  static constexpr std::size_t kLongestDamage = 64;

  void AppendRow(const std::uint8_t* row) {
    if (RowFits()) {
      failed_ |= std::fwrite(row, 1, raster_.bytesPerRow, rasterFile_.get()) != raster_.bytesPerRow;
      rasterBytes_ += raster_.bytesPerRow;
    } else {
      rowsTruncated_ = true;
    }
  }

  void KeepDamagedLines() {
    segment_.holdsDamage |= !damaged_.empty();
    for (const std::vector<std::uint8_t>& row : damaged_) {
      AppendRow(row.data());
      ++segment_.lines;
      ++index_.goodLines;
    }
    damaged_.clear();
    trailingEmpty_ = 0;
  }

  bool WriteHeaders() {
    auto record = raster_.Stored();
    auto header = EncodeSegmentHeader(index_);
    bool ok = WriteAt(rasterFile_.get(), 0, record) && WriteAt(segmentFile_.get(), 0, header);
    // Rows follow the record: leave the raster file positioned at its end.
    return ok && std::fseek(rasterFile_.get(), 0, SEEK_END) == 0;
  }

  // segment_ is the record last closed until the next line opens a new one.
  void WriteRecord(std::uint32_t index) {
    auto bytes = EncodeSegmentRecord(segment_);
    failed_ |= !WriteAt(segmentFile_.get(),
                        kSegmentHeaderSize + std::uint64_t{kSegmentRecordSize} * index, bytes);
  }

  static void SetPosition(std::int64_t bit, std::uint32_t& byte, std::uint8_t& offset) {
    bit = std::max<std::int64_t>(bit, 0);
    byte = static_cast<std::uint32_t>(bit / 8);
    offset = static_cast<std::uint8_t>(bit % 8);
  }
  // An end on a byte boundary is the whole previous byte (offset 8), so that
  // the end of the data never points past the buffer.
  static void SetEndPosition(std::int64_t bit, std::uint32_t& byte, std::uint8_t& offset) {
    SetPosition(bit, byte, offset);
    if (offset == 0 && byte > 0) {
      --byte;
      offset = 8;
    }
  }

  StreamFileTargets targets_;
  PageRaster raster_;
  SegmentHeader index_;
  SegmentRecord segment_;
  bool segmentOpen_ = false;
  std::vector<std::vector<std::uint8_t>> damaged_;
  std::int64_t damageStart_ = 0;
  std::size_t trailingEmpty_ = 0; // empty lines last held
  bool damageDropped_ = false;
  StdioFile rasterFile_;
  StdioFile segmentFile_;
  std::uint64_t rasterBytes_ = 0;
  bool rowsTruncated_ = false;
  bool linesLost_ = false;
  bool failed_ = false;
};

// Two empty lines in a row (three EOLs) are taken for the RTC that ends a
// page: T.4 asks for six EOLs, but a single stray EOL must not cut a page.
class ReturnToControl {
public:
  // Called with every line result; ends the page at the second empty line.
  void Track(int pixels, StreamFileWriter& files) {
    emptyLines_ = pixels == 0 ? emptyLines_ + 1 : 0;
    if (emptyLines_ == 2)
      files.EndPage();
  }

private:
  int emptyLines_ = 0;
};

// Lines of one standard width other than the stream's, with no good line
// between them: pages of another width, which cannot be written at the
// stream's width. Losing them is reported rather than passed over.
class OtherWidthPages {
public:
  explicit OtherWidthPages(int width) : width_(width) {}
  // Called with every line result.
  void Track(int pixels, StreamFileWriter& files) {
    if (pixels == width_) {
      count_ = 0;
      return;
    }
    if (std::find(kStandardWidths.begin(), kStandardWidths.end(),
                  std::uint32_t(std::max(pixels, 0))) == kStandardWidths.end())
      return;
    count_ = pixels == other_ ? count_ + 1 : 1;
    other_ = pixels;
    if (count_ == kLinesToTell)
      files.MarkLinesLost();
  }

private:
  // Damage gives a line of a standard width now and then, never this many.
  static constexpr int kLinesToTell = 8;
  int width_;
  int other_ = 0;
  int count_ = 0;
};

// The work files fed by the T.4 walker. Every line lies between two EOLs
// (in two-dimensional coding an EOL and a tag bit): a good line extends the
// segment from the EOL before it to the EOL behind it; an empty line ends the
// segment, and an RTC also ends the page. In 2-D a segment always begins with
// a one-dimensional line, so it never depends on a reference line outside it.
class T4Files : public T4LineSink {
public:
  enum class Coding { OneDimensional, TwoDimensional };

  T4Files(StreamFileWriter& files, int width, Coding coding)
      : files_(files), width_(width), coding_(coding), row_(files.bytesPerRow()),
        white_(files.bytesPerRow(), 0xFF),
        writer_(row_.data(), static_cast<std::uint32_t>(width), 0), otherWidth_(width) {}

  RowWriter& StartLine() override {
    writer_.Restart(row_.data());
    return writer_;
  }
  bool TakesRuns() const override { return false; }

  NextLine OnLine(const CodedLine& line) override {
    const int pixels = line.result;
    const std::int64_t eolBefore = static_cast<std::int64_t>(line.start) - HeadBits();
    rtc_.Track(pixels, files_);
    otherWidth_.Track(pixels, files_);
    if (pixels == width_) {
      files_.AddLine(row_.data(), eolBefore, static_cast<std::int64_t>(line.end) - kEolBits);
      return NextLine::Follow;
    }
    if (pixels == kLineLastComplete) {
      files_.AddLine(row_.data(), eolBefore, static_cast<std::int64_t>(line.end));
      return NextLine::Stop;
    }
    if (pixels == kLineDataEnded) {
      files_.CloseSegment();
      return NextLine::Stop;
    }
    files_.AddDamagedLine(pixels, eolBefore, row_);
    if (pixels != 0)
      ++bad_;
    // A damaged line that ended at its EOL leaves the next line (in 2-D its
    // tag bit) to read; otherwise resynchronise on the next EOL.
    if (coding_ == Coding::OneDimensional)
      return pixels == kLineInvalidCode ? NextLine::ResyncAtNextEol : NextLine::Follow;
    return pixels < 0 ? NextLine::ResyncAtNextEol : NextLine::ResyncAtEol;
  }

  // Two-dimensional lines that follow a damaged line are coded against lines
  // not decoded: they keep their place as white rows until a one-dimensional
  // line comes.
  void OnSkippedLine(std::uint64_t start) override {
    files_.AddDamagedLine(kLineNotDecoded, static_cast<std::int64_t>(start) - kEolTagBits, white_);
  }

  int BadLines() const { return bad_; }

private:
  // Bits in front of a line's code that belong to it: its EOL, and its tag bit.
  std::int64_t HeadBits() const {
    return coding_ == Coding::OneDimensional ? kEolBits : kEolTagBits;
  }

  StreamFileWriter& files_;
  int width_;
  Coding coding_;
  std::vector<std::uint8_t> row_;
  const std::vector<std::uint8_t> white_;
  RowWriter writer_;
  ReturnToControl rtc_;
  OtherWidthPages otherWidth_;
  int bad_ = 0;
};

// Walks a T.4 stream from the first EOL at or after the decoder's byte; a
// two-dimensional one from the first one-dimensional line.
int DecodeT4(FaxDecoder& decoder, StreamFileWriter& files, T4Files::Coding coding) {
  const int width = decoder.Width();
  FaxPageWalker walker(decoder, static_cast<std::uint64_t>(decoder.BitPosition()), width,
                       static_cast<std::uint32_t>(width));
  T4Files sink(files, width, coding);
  if (walker.FindEolFromByte(static_cast<std::uint64_t>(std::max(decoder.Position(), 0)))) {
    if (coding == T4Files::Coding::OneDimensional)
      walker.WalkOneDimensional(sink);
    else if (walker.SyncToOneDimensional())
      walker.WalkTwoDimensional(sink);
  }
  decoder.StoreBitPosition(static_cast<std::int64_t>(walker.BitPosition()));
  return sink.BadLines();
}

// The last T.6 lines, held back from the files: a page that ends without
// EOFB (as some encoders write page after page) is only noticed when the
// next page's data, decoded against the last line, fails a little later;
// the lines decoded in between are garbage and must not reach the files.
class HeldLines {
public:
  static constexpr std::size_t kLimit = 64;

  // Holds a line; the oldest line goes to the files when more are held.
  // False when the raster bound stops the rows.
  bool Add(const std::vector<std::uint8_t>& row, std::int64_t start, std::int64_t end,
           StreamFileWriter& files) {
    lines_.push_back(Line{row, start, end});
    return lines_.size() <= kLimit || Release(lines_.size() - kLimit, files);
  }
  bool Empty() const { return lines_.empty(); }
  bool Full() const { return lines_.size() == kLimit; }
  // Sends every held line to the files.
  bool ReleaseAll(StreamFileWriter& files) { return Release(lines_.size(), files); }
  // The latest held line behind which a page without EOFB ended, its next
  // page starting before the error at errorBit (the start of a later page is
  // no boundary, and lines above the true one may pass for one by chance).
  // The lines after it are dropped; pageStart is where the next page begins.
  bool CutAtPageEnd(const FaxDecoder& decoder, std::int64_t errorBit, std::int64_t& pageStart) {
    for (std::size_t i = lines_.size(); i-- > 0;) {
      if (decoder.G4PageFollowsFill(lines_[i].end, pageStart) && pageStart <= errorBit) {
        lines_.resize(i + 1);
        return true;
      }
    }
    return false;
  }

private:
  struct Line {
    std::vector<std::uint8_t> row;
    std::int64_t start, end;
  };

  // T.6 pages are written from the rows: a line without its row would be
  // lost, so the lines stop at the raster bound.
  bool Release(std::size_t count, StreamFileWriter& files) {
    for (std::size_t i = 0; i < count; ++i) {
      if (!files.RowFits()) {
        files.MarkTruncated();
        lines_.clear();
        return false;
      }
      files.AddLine(lines_.front().row.data(), lines_.front().start, lines_.front().end);
      lines_.pop_front();
    }
    return true;
  }

  std::deque<Line> lines_;
};

// What decoding a T.6 stream keeps for resynchronising. The searches that
// look far are bounded: the next EOFB is looked for again only past the one
// found (or not at all when none was), and page starts are looked for
// widely only at a page end or after a run of good lines (noise fails every
// few lines and gets the cheap search).
struct Group4Resync {
  FaxDecoder& decoder;
  StreamFileWriter& files;
  HeldLines held;
  std::int64_t searchedFrom = -1;
  std::int64_t eofbEnd = -1;

  // Where the next EOFB ends, -1 when none follows.
  std::int64_t NextEofbEnd() {
    const std::int64_t from = decoder.BitPosition();
    if (searchedFrom < 0 || from < searchedFrom || (eofbEnd >= 0 && from >= eofbEnd)) {
      searchedFrom = from;
      eofbEnd = decoder.NextEofbEnd();
    }
    return eofbEnd;
  }

  bool SkipPastEofb() {
    const std::int64_t end = NextEofbEnd();
    if (end < 0)
      return false;
    decoder.StoreBitPosition(end);
    return true;
  }

  // The next page of the stream's width at or behind the reader. After a
  // page end, a page of another width cannot be written at it: it is
  // reported lost and passed over. After an error the start search is the
  // last resort; after an EOL decoding may simply go on.
  bool FindNextPage(bool pageEnd, bool wide, bool afterEol) {
    while (!decoder.FindG4PageStart(wide ? kG4PageStartWindow : 0)) {
      if (!pageEnd || !decoder.G4PageOfOtherWidthFollows())
        return afterEol || decoder.FindG4Start(2) >= 0;
      files.MarkLinesLost();
      if (!SkipPastEofb())
        return false;
    }
    return true;
  }

  // Where decoding goes on after a T.6 line that is not good. An EOFB ends
  // the page. Otherwise, inside a page, the error is damage that loses the
  // rest of the page (every later line is coded against the lost one): go on
  // behind the next EOFB. Where no EOFB follows, pages may come one after
  // another without it, and the error may be the start of the next one.
  bool Resume(int result) {
    const bool longRun = held.Full();
    std::int64_t pageStart = 0;
    bool pageEnd = result == kLineUnexpectedEol && decoder.EolFollows();
    if (!pageEnd && longRun && NextEofbEnd() < 0 &&
        held.CutAtPageEnd(decoder, decoder.BitPosition(), pageStart)) {
      decoder.StoreBitPosition(pageStart);
      pageEnd = true;
    } else if (!pageEnd && (!held.Empty() || files.SegmentOpen())) {
      files.MarkLinesLost();
      pageEnd = SkipPastEofb();
    }
    if (!held.ReleaseAll(files))
      return false;
    if (pageEnd)
      files.EndPage();
    files.CloseSegment();
    return pageStart > 0 || FindNextPage(pageEnd, pageEnd || longRun, result == kLineUnexpectedEol);
  }
};

// The work files fed by the T.6 walker: good lines are held back a while
// (see HeldLines), a line that is not good hands over to Group4Resync.
class G4Files : public G4LineSink {
public:
  G4Files(FaxDecoder& decoder, StreamFileWriter& files)
      : files_(files), width_(decoder.Width()), row_(files.bytesPerRow()),
        writer_(row_.data(), static_cast<std::uint32_t>(width_), 0), resync_{decoder, files, {}} {}

  RowWriter& StartLine() override {
    writer_.Restart(row_.data());
    return writer_;
  }

  G4Step OnLine(const CodedLine& line) override {
    // Nothing moves the reader at the end of the data (nor the skipped start
    // search of /raw): stop rather than decode the same bits again.
    const int result = line.end == line.start ? kLineDataEnded : line.result;
    // A last complete line reached the width just as the data ended.
    const bool good = result == width_ || result == kLineLastComplete;
    HeldLines& held = resync_.held;
    const auto end = static_cast<std::int64_t>(line.end);
    if (good && !held.Add(row_, static_cast<std::int64_t>(line.start), end, files_))
      return Stop(0);
    if (result == kLineDataEnded || result == kLineLastComplete) {
      held.ReleaseAll(files_);
      files_.CloseSegment();
      return Stop(files_.goodLines() > 0 ? 0 : kLineDataEnded);
    }
    if (good)
      return {G4Step::Kind::Follow, line.end};
    resync_.decoder.StoreBitPosition(end);
    if (!resync_.Resume(result))
      return Stop(files_.rowsTruncated() ? 0 : kLineInvalidCode);
    return {G4Step::Kind::NewPage, static_cast<std::uint64_t>(resync_.decoder.BitPosition())};
  }

  // 0, or kLineDataEnded when no line could be decoded, kLineInvalidCode
  // when no new start followed a bad line.
  int Status() const { return status_; }

private:
  G4Step Stop(int status) {
    status_ = status;
    return {G4Step::Kind::Stop, 0};
  }

  StreamFileWriter& files_;
  int width_;
  std::vector<std::uint8_t> row_;
  RowWriter writer_;
  Group4Resync resync_;
  int status_ = 0;
};

// T.6: lines follow one another with no EOL, pages end with an EOFB.
int DecodeGroup4(FaxDecoder& decoder, StreamFileWriter& files) {
  if (decoder.FindG4Start(0) < 0)
    return kLineDataEnded;
  FaxPageWalker walker(decoder, static_cast<std::uint64_t>(decoder.BitPosition()), decoder.Width(),
                       static_cast<std::uint32_t>(decoder.Width()));
  G4Files sink(decoder, files);
  walker.WalkGroup4(sink, PassToLineEnd::Refused);
  return sink.Status();
}

} // namespace

StreamFileResult DecodeStreamIntoFiles(FaxDecoder& decoder, const StreamFileTargets& targets) {
  StreamFileResult result;
  const int coding = decoder.CodingCode();
  if (decoder.Width() < 1 || decoder.Width() > kMaxStreamWidth || coding < 5 || coding > 7) {
    result.status = -1;
    return result;
  }
  StreamFileWriter files(targets, decoder);
  if (!files.Create()) {
    result.status = -1;
    return result;
  }
  if (coding == 5)
    result.status = DecodeT4(decoder, files, T4Files::Coding::OneDimensional);
  else if (coding == 6)
    result.status = DecodeT4(decoder, files, T4Files::Coding::TwoDimensional);
  else
    result.status = DecodeGroup4(decoder, files);
  if (!files.Finish())
    result.status = -1;
  result.goodLines = files.goodLines();
  result.rowsTruncated = files.rowsTruncated();
  result.linesLost = files.linesLost();
  return result;
}
