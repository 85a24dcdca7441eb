// Walks coded fax data once, line by line, and hands every line to a sink:
// the raster of a page, the raw analysis's work files, a detection trial.
// T.4: resynchronising on EOLs (and, in two-dimensional coding, on the tag
// bit of a one-dimensional line) is written here only. T.6 lines follow one
// another without EOLs: where a page goes on after a bad line is the sink's
// to find (the decoder's start and page searches); the walker resumes there.
#pragma once

#include "faxformats/FaxBitWindow.h"
#include "faxformats/FaxDecoder.h"

#include <cstdint>

// One decoded line as the walker hands it over.
struct CodedLine {
  int result;          // the pixel count, or a line status (kLineDataEnded ...)
  std::uint64_t start; // bit where its code begins: behind its EOL (and tag bit)
  std::uint64_t end;   // bit behind it (behind the EOL that ends it), at most the data's end
  const RunList& runs; // its changing elements, as far as it decoded
  // The line a two-dimensional line was coded against (all white for the
  // first line of a page).
  const RunList& reference;
};

// How the walker goes on after a line.
enum class NextLine {
  // The next line follows; in 2-D the line is the next one's reference.
  Follow,
  // The next line follows against the same reference (an empty line).
  FollowSameReference,
  // The line ended at its EOL but is not taken: 2-D goes on at the next
  // one-dimensional line.
  ResyncAtEol,
  // The line lost its way: go on behind the next EOL (2-D: behind the next
  // EOL that announces a one-dimensional line).
  ResyncAtNextEol,
  Stop,
};

class T4LineSink {
public:
  virtual ~T4LineSink() = default;
  // The row the next line paints, restarted all white (its width the walker's).
  virtual RowWriter& StartLine() = 0;
  virtual NextLine OnLine(const CodedLine& line) = 0;
  // False when the sink has no use for the runs of one-dimensional walks:
  // they are then left out (and read empty), which noise, all short lines,
  // makes worth it. Two-dimensional walks keep them: they are the reference.
  virtual bool TakesRuns() const { return true; }
  // A two-dimensional line passed over while resynchronising; start is
  // behind its tag bit, and an EOL was found behind it.
  virtual void OnSkippedLine(std::uint64_t start) { (void)start; }
};

// A T.6 coder passes only a b2 left of a1, and a1 is at most the width, so a
// pass to the line end is data read out of step: in a bare stream, a page
// that follows another without EOFB read against the wrong reference line.
// Pages a container frames keep the lenience other decoders show.
enum class PassToLineEnd { Refused, Accepted };

// How the T.6 walker goes on after a line, and from which bit.
struct G4Step {
  enum class Kind {
    Follow,  // the next line is coded against this one
    Repeat,  // the next line is coded against the same reference as this one
    NewPage, // the next line is the first of a page (an all-white reference)
    Stop,
  };
  Kind kind;
  std::uint64_t at = 0; // where the next line begins
};

class G4LineSink {
public:
  virtual ~G4LineSink() = default;
  // The row the next line paints, restarted all white.
  virtual RowWriter& StartLine() = 0;
  virtual G4Step OnLine(const CodedLine& line) = 0;
};

// How one-dimensional lines are framed.
enum class OneDimensionalFraming {
  Eol,       // T.4: every line ends at an EOL
  LineWords, // lines end at the width (or an EOL), a 16-bit word before each
};

// Where the rows of TIFF's Modified Huffman coding begin.
enum class RowAlignment { Byte, Word };

class FaxPageWalker {
public:
  // Reads the decoder's data in its bit order from bitPosition. Lines are
  // width wide (the line decoders' idea of the edge; it may be -1 for a
  // one-dimensional trial that takes any width); run lists hold runCapacity
  // runs.
  FaxPageWalker(const FaxDecoder& decoder, std::uint64_t bitPosition, std::int32_t width,
                std::uint32_t runCapacity);

  // T.4: finds the next EOL, searching from the byte that holds the last bit
  // read (or from byte firstByte), and stands behind it.
  bool FindEol();
  bool FindEolFromByte(std::uint64_t firstByte);
  // T.4: reads the tag bit behind an EOL and moves on, EOL by EOL, until one
  // announces a one-dimensional line; skipped lines go to the sink if given.
  bool SyncToOneDimensional(T4LineSink* sink = nullptr);

  // T.4 one-dimensional lines from the reader on, until the sink stops, an
  // EOL search fails or the data ends.
  void WalkOneDimensional(T4LineSink& sink,
                          OneDimensionalFraming framing = OneDimensionalFraming::Eol);
  // Rows with no EOL, each ending at the width and followed by fill up to
  // the next byte or word (TIFF's Modified Huffman), while the sink follows.
  void WalkAlignedRows(T4LineSink& sink, RowAlignment alignment);
  // T.4 two-dimensional coding, starting with the one-dimensional line
  // behind the tag bit just read (see SyncToOneDimensional).
  void WalkTwoDimensional(T4LineSink& sink);
  // T.6 lines from the reader on, the first against an all-white line,
  // until the sink stops.
  void WalkGroup4(G4LineSink& sink, PassToLineEnd passToLineEnd);

  // The next bit to read, never past the end of the data.
  std::uint64_t BitPosition() const;

private:
  enum class LineCoding { OneDimensionalToEol, OneDimensionalToWidth, RowToWidth, TwoDimensional };
  // Runs are kept or not as the sink asks; each choice is decoded by its own
  // copy of the line decoders, so that leaving them out costs nothing.
  CodedLine DecodeT4Line(T4LineSink& sink, LineCoding coding, bool keepRuns);
  template <bool kKeepRuns> CodedLine DecodeT4LineKeeping(T4LineSink& sink, LineCoding coding);
  // Moves to the next byte boundary, or to the next even byte.
  void Align(RowAlignment alignment);
  bool ReadTag(std::uint32_t& tag);

  BitWindow bits_;
  std::int32_t width_;
  std::uint32_t runCapacity_;
  RunList reference_, current_;
};
