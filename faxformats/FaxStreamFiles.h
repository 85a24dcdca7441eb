// Decodes a whole coded fax stream into two work files: a raster file (the
// 37-byte PageRaster record, then every line kept as a row) and a segment
// index of the runs of consecutive lines kept (see SegmentIndex.h), from
// which the raw-stream reader cuts and writes pages. Lines kept are the good
// ones and, in T.4, the lines received in error among them.
#pragma once

#include "faxformats/FaxDecoder.h"

#include <cstdint>
#include <string>

struct StreamFileTargets {
  std::string rasterPath;
  std::string segmentPath;
  // Rows beyond this many bytes are not written: a small hostile stream
  // (a file of 0xFF bytes read as T.6 gives eight white lines per byte)
  // must not fill the disk.
  std::uint64_t maxRasterBytes = 512u * 1024 * 1024;
};

struct StreamFileResult {
  // Codings 5 and 6: invalid codes and bad lines met. Coding 7: 0, or -11
  // when no line could be decoded, -12 when no new start followed a bad line.
  // -1 when a file cannot be written or the decoder's set-up is unusable.
  int status = 0;
  std::uint32_t goodLines = 0; // lines kept
  // The raster bound stopped the rows before the end of the stream. For T.6
  // decoding stops there too, so lines of the stream are missing.
  bool rowsTruncated = false;
  // Lines the files do not hold: T.6 lines after an error inside a page,
  // or pages of another width than the stream's.
  bool linesLost = false;
};

// Decodes with the decoder's coding code (5, 6 or 7), bit order and width,
// from the first EOL (5, 6) or the first start found (7). The decoder is
// expected at the start of its buffer, as the detectors leave it.
StreamFileResult DecodeStreamIntoFiles(FaxDecoder& decoder, const StreamFileTargets& targets);
