// Finds out how a coded fax stream is coded — T.4 one- or two-dimensional,
// or T.6 — in which bit order and how wide its lines are, by trial decoding:
// a trial succeeds when the required number of consecutive lines decode to
// one same width.
//
// Every detector returns 0 on success with the width and bit order left in
// the decoder, a negative value otherwise, and rewinds the decoder to the
// start of its buffer either way, so the caller may decode at once.
#pragma once

#include "faxformats/FaxDecoder.h"

#include <cstdint>
#include <vector>

// Widths above this are never taken for a line width: the detectors and the
// decoding into files size their buffers by the width.
inline constexpr std::int32_t kMaxStreamWidth = 32767;

// One-dimensional lines of one of the standard widths.
int DetectStrict1D(FaxDecoder& decoder, std::uint8_t bitOrder, std::uint32_t requiredLines);
// One-dimensional lines of any width above minWidth. With 0 required lines it
// succeeds at once, the width left at -1.
int DetectLenient1D(FaxDecoder& decoder, std::uint8_t bitOrder, std::uint32_t requiredLines,
                    std::int32_t minWidth);
// Two-dimensional (tag bit) lines of one of the standard widths.
int DetectStrict2D(FaxDecoder& decoder, std::uint8_t bitOrder, std::uint32_t requiredLines);
// Two-dimensional lines of any width above minWidth.
int DetectLenient2D(FaxDecoder& decoder, std::uint8_t bitOrder, std::uint32_t requiredLines,
                    std::int32_t minWidth);
// T.6 lines of exactly width, behind the decoder's start marker. Lines that
// repeat the line above (V0 bits only: blank margins are one bit per line)
// do not count: runs of 0xFF decode so in any bit order and at any width.
int DetectGroup4(FaxG4Decoder& decoder, std::uint8_t bitOrder, std::int32_t width,
                 std::uint32_t requiredLines);

// A T.6 stream read from its first byte must prove its width within this
// many lines.
inline constexpr std::uint32_t kGroup4LinesToProveWidth = 1024;

// T.6 lines of exactly width from the first byte on (no start marker): the
// first requiredLines lines that differ from the line above must all decode
// to the width, and one of the first kGroup4LinesToProveWidth lines must
// prove it (end by a run that reaches the edge, where no wider page would
// end). Leaves the decoder's start search skipped.
int DetectGroup4AtFirstByte(FaxG4Decoder& decoder, std::uint8_t bitOrder, std::int32_t width,
                            std::uint32_t requiredLines);
// The widths a T.6 stream read from its first byte may have: the ends of the
// runs of its first kGroup4LinesToProveWidth lines decoded at the widest
// width, up to the first line that does not decode to it. The decoder is
// rewound.
std::vector<std::int32_t> Group4WidthCandidates(FaxG4Decoder& decoder, std::uint8_t bitOrder);

// The T.6 trial widths, in the order they are tried (3648 before 3456).
inline constexpr std::int32_t kGroup4TrialWidths[] = {1728, 2048, 2432, 2592, 3072,
                                                      3648, 3456, 4096, 4864};

struct StreamCoding {
  std::uint8_t codingCode = 0; // 5 T.4 one-dimensional, 6 two-dimensional, 7 T.6
  std::uint8_t bitOrder = 0;
  std::int32_t width = -1;
  std::uint32_t start = 0; // T.6 only: byte where the start marker run was found
};

// Tries the Group 3 detectors in a fixed order for a page of a container:
// strict and then lenient (above 1728) one-dimensional, then the same
// two-dimensional, each with bit order 1 and then 2. 0 and the coding found,
// or -1 when all eight trials fail.
int ProbeCoding(FaxDecoder& decoder, std::uint32_t requiredLines, StreamCoding& found);
// Tries T.6 at the standard widths, each with bit order 1 and then 2.
int ProbeGroup4(FaxG4Decoder& decoder, std::uint32_t requiredLines, StreamCoding& found);
