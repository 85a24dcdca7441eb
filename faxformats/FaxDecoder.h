// Decodes ITU-T T.4 (Modified Huffman, Modified READ) and T.6 (Modified
// Modified READ) coded fax data held in memory, line by line and page by
// page, and finds Group 4 data behind its start marker.
#pragma once

#include "faxformats/FaxBitReader.h"
#include "faxformats/PageRaster.h"

#include <cstdint>
#include <utility>
#include <vector>

// Results of the line decoders below zero (a line's pixel count otherwise).
inline constexpr int kLineDataEnded = -11;     // the data ended inside a line
inline constexpr int kLineInvalidCode = -12;   // a code not in the T.4 tables
inline constexpr int kLineUnexpectedEol = -13; // an EOL where T.6 wants a line or a run
inline constexpr int kLineLastComplete = -14;  // the data ended right after a complete line

// Bytes of fill or noise a T.6 page may begin behind, after an EOFB or a
// code that cannot be decoded (see FaxDecoder::FindG4PageStart).
inline constexpr std::uint32_t kG4PageStartWindow = 64;

// The changing elements of one line, as successive run lengths starting with
// a white run. Kept as the running end positions, which is what the
// two-dimensional decoders look up (b1, b2).
class RunList {
public:
  // Empty list with room for the runs of a line of this width.
  void Reset(std::uint32_t width);
  // The all-white line: one run of the whole width.
  void SetAllWhite(std::uint32_t width);
  // Appends a run; ignored when the list is full.
  void Append(std::uint32_t run) {
    if (count_ >= ends_.size())
      return;
    std::uint32_t start = count_ ? ends_[count_ - 1] : 0;
    ends_[count_++] = start + run;
  }
  std::uint32_t Count() const { return count_; }
  std::uint32_t Run(std::uint32_t index) const {
    return ends_[index] - (index ? ends_[index - 1] : 0);
  }
  // Position right after run index: a changing element of the line.
  std::uint32_t End(std::uint32_t index) const { return ends_[index]; }
  // The changing elements, Count() of them.
  const std::uint32_t* Ends() const { return ends_.data(); }
  void Swap(RunList& other) {
    ends_.swap(other.ends_);
    std::swap(count_, other.count_);
  }

private:
  std::vector<std::uint32_t> ends_;
  std::uint32_t count_ = 0;
};

// Writes decoded runs into one packed row. White pixels are 1 bits with
// invert 0 and 0 bits with invert 1, black pixels the other value; bits past
// the width are 0. A restarted row is all white and only black runs are
// painted (in text, black runs are the short ones), so pixels a short line
// never reached read white. Without a row it only counts pixels.
class RowWriter {
public:
  RowWriter() = default;
  RowWriter(std::uint8_t* row, std::uint32_t width, std::uint8_t invert)
      : row_(row), width_(width), invert_(invert) {}
  // Points at a new row (may be null), makes it all white, starts at pixel 0.
  void Restart(std::uint8_t* row);
  void WriteRun(std::uint32_t length, bool black) {
    std::uint64_t start = position_;
    position_ += length;
    if (black && row_ && start < width_ && length != 0)
      PaintBlack(start);
  }
  std::uint64_t Position() const { return position_; }

private:
  // Paints the pixels from start up to the position, within the width, black.
  void PaintBlack(std::uint64_t start);

  std::uint8_t* row_ = nullptr;
  std::uint32_t width_ = 0;
  std::uint8_t invert_ = 0;
  std::uint64_t position_ = 0;
};

class FaxDecoder : public FaxBitReader {
public:
  using FaxBitReader::Initialise;
  // Engine coding codes the page decoder understands (see FaxTiffWriter.h).
  void Initialise(const std::uint8_t* data, std::uint32_t size, std::uint8_t bitOrder,
                  std::uint8_t codingCode, std::uint8_t invert);
  void SetCodingCode(std::uint8_t codingCode) { codingCode_ = codingCode; }
  void SetSize(std::int32_t width, std::int32_t maxRows) {
    width_ = width;
    maxRows_ = maxRows;
  }
  std::uint8_t CodingCode() const { return codingCode_; }
  std::int32_t Width() const { return width_; }
  std::int32_t MaxRows() const { return maxRows_; }

  // One run: make-up codes, then the terminating code. The run length, or
  // a line status (an EOL gives kLineUnexpectedEol, the reader behind it).
  int DecodeRun(bool black);
  // T.4 one-dimensional line up to its EOL: the pixel count or a status.
  int DecodeLine1D(RowWriter& row, RunList* runs);
  // T.4 two-dimensional line up to its EOL, against the reference line.
  int DecodeLine2D(RowWriter& row, const RunList& reference, RunList* runs);
  // T.6 line: ends when the width is reached; an EOL gives kLineUnexpectedEol.
  // pixels receives the pixel count decoded so far, also on failure.
  int DecodeLineG4(RowWriter& row, const RunList& reference, RunList* runs, std::uint32_t& pixels);

  // Decodes the page by coding code (3 to 7) into the raster, whose height
  // becomes the count of good lines. Results by code: 3 and 4: 1 when stopped
  // at an invalid code, else 0; 5: the invalid codes met; 6: the bad lines,
  // -1 without any EOL; 7: 0, or -11/-12 when nothing could be decoded.
  // For 7, -12 also when an invalid code was met and no new start follows.
  // -1 for an unknown code, a bad size or a raster too large to allocate.
  int DecodePage(PageRaster& raster);
  // Code 5 with a 16-bit word skipped before the first line and after every
  // complete line.
  int DecodePageLineWords(PageRaster& raster);
  // True when the last page decoded lost lines to errors: invalid codes or
  // bad lines skipped, a T.6 page resumed at a later start, or a page that
  // ended in an error. A page decoded whole reads false.
  bool PageLostLines() const { return pageLostLines_; }

  // Group 4 start search: finds data behind a run of 0xFF bytes (at least the
  // start marker count less one of them). Mode 0 from the buffer start, mode 2
  // from the current position if further, other modes from the remembered
  // position. 0 when found, with the reader at the data; else a negative status.
  int FindG4Start(int mode);

  // Where T.6 data goes on after a page end (EOFB) or a code that cannot be
  // decoded: the first position, past any EOLs and the zero fill of their
  // byte, or one of the next windowBytes byte boundaries, from which lines
  // decode as at the top of a page (see DecodesAsPageTop). Moves the reader
  // there; false when none does, the reader past the EOLs and fill.
  bool FindG4PageStart(std::uint32_t windowBytes);
  // True when the bits at the reader form an EOL (after the EOL that ended
  // a T.6 line: the two together are the EOFB that ends a page).
  bool EolFollows() const;
  // The bit behind the next EOFB (two EOLs in a row) from the reader on,
  // or -1 when none follows.
  std::int64_t NextEofbEnd() const;
  // True when lines at the reader (past EOLs and fill) decode as at the top
  // of a T.6 page of another standard width than the decoder's.
  bool G4PageOfOtherWidthFollows() const;
  // A T.6 page that ended without EOFB: the bits from lineEnd to the next byte
  // boundary are zero fill and lines decode from there as at the top of a
  // page. pageStart receives that boundary.
  bool G4PageFollowsFill(std::int64_t lineEnd, std::int64_t& pageStart) const;

protected:
  std::uint8_t g4Options_ = 0;
  std::uint8_t startMarkerCount_ = 0;

private:
  // From that bit, against an all-white reference line: kPageTopInkLines
  // lines with ink decode to lineWidth (white lines, single V0 bits that
  // fill bits and 0xFF runs also give, do not count), or at least one before
  // an EOFB or the end of the data.
  bool DecodesAsPageTop(std::uint64_t bitPosition, std::int32_t lineWidth) const;
  // Byte boundaries already found to start no page of width_ in this data:
  // in a long stretch of noise every error starts a search, and each would
  // otherwise try the same boundaries again.
  bool KnownNoPageTop(std::uint64_t bitPosition) const;
  void NoteNoPageTop(std::uint64_t bitPosition);
  bool PrepareRaster(PageRaster& raster) const;
  int DecodePageMh(PageRaster& raster);
  int DecodePage1D(PageRaster& raster);
  // Code 5 lines that end at the width, a 16-bit word before each.
  int DecodePageWords(PageRaster& raster);
  int DecodePage2D(PageRaster& raster);
  int DecodePageG4(PageRaster& raster);

  std::uint8_t codingCode_ = 0;
  std::uint8_t invert_ = 0;
  bool pageLostLines_ = false;
  std::int32_t width_ = -1;
  std::int32_t maxRows_ = 0;
  struct NoPageTops {
    const std::uint8_t* data = nullptr;
    const std::uint8_t* byteMap = nullptr;
    std::int32_t width = -1;
    std::uint64_t from = 0, to = 0; // byte-aligned bit positions [from, to)
  } noPageTops_;
  mutable RunList pageTopLines_[2];
};

// The Group 4 variant: T.6 options (bit 0 set refuses the page) and the start
// marker count of the start search.
class FaxG4Decoder : public FaxDecoder {
public:
  FaxG4Decoder() { SetCodingCode(7); }
  void SetOptions(std::uint8_t options) { g4Options_ = options & 3; }
  void SetStartMarkerCount(std::uint8_t count) { startMarkerCount_ = count; }
};
