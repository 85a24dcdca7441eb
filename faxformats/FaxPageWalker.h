// Walks T.4 coded data once, line by line, and hands every line to a sink:
// the raster of a page, the raw analysis's work files, a detection trial.
// Resynchronising on EOLs (and, in two-dimensional coding, on the tag bit of
// a one-dimensional line) is written here only; each sink says how to go on.
#pragma once

#include "faxformats/FaxBitWindow.h"
#include "faxformats/FaxDecoder.h"

#include <cstdint>

// One decoded line as the walker hands it over.
struct T4Line {
  int result;          // the pixel count, or a line status (kLineDataEnded ...)
  std::uint64_t start; // bit where its code begins: behind its EOL (and tag bit)
  std::uint64_t end;   // bit behind it (behind the EOL that ends it), at most the data's end
  const RunList& runs; // its changing elements, as far as it decoded
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
  virtual NextLine OnLine(const T4Line& line) = 0;
  // A two-dimensional line passed over while resynchronising; start is
  // behind its tag bit, and an EOL was found behind it.
  virtual void OnSkippedLine(std::uint64_t start) { (void)start; }
};

class T4PageWalker {
public:
  // Reads the decoder's data in its bit order from bitPosition. Lines are
  // width wide (the line decoders' idea of the edge; it may be -1 for a
  // trial that takes any width); run lists hold runCapacity runs.
  T4PageWalker(const FaxDecoder& decoder, std::uint64_t bitPosition, std::int32_t width,
               std::uint32_t runCapacity);

  // Finds the next EOL, searching from the byte that holds the last bit
  // read (or from byte firstByte), and stands behind it.
  bool FindEol();
  bool FindEolFromByte(std::uint64_t firstByte);
  // Reads the tag bit behind an EOL and moves on, EOL by EOL, until one
  // announces a one-dimensional line; skipped lines go to the sink if given.
  bool SyncToOneDimensional(T4LineSink* sink = nullptr);

  // One-dimensional lines from the reader on, until the sink stops, an EOL
  // search fails or the data ends.
  void WalkOneDimensional(T4LineSink& sink);
  // Two-dimensional coding, starting with the one-dimensional line behind
  // the tag bit just read (see SyncToOneDimensional).
  void WalkTwoDimensional(T4LineSink& sink);

  // The next bit to read, never past the end of the data.
  std::uint64_t BitPosition() const;

private:
  T4Line DecodeLine(T4LineSink& sink, bool oneDimensional);
  bool ReadTag(std::uint32_t& tag);

  BitWindow bits_;
  std::int32_t width_;
  std::uint32_t runCapacity_;
  RunList reference_, current_;
};
