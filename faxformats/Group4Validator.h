// Whether Group 4 (ITU-T T.6) data is in the plain form: the coding an
// encoder following T.6's own choice of modes writes (the TIFF library's
// does), every row exactly the width, nothing but EOFB or zero fill behind
// the last row. Data in that form decodes alike in every PDF viewer and may
// be copied unchanged; anything else is decoded and coded anew. The check
// follows changing elements only and paints no pixels.
#pragma once

#include <cstdint>
#include <span>

enum class Group4Form : std::uint8_t {
  Other,         // damaged, too short or too long, or coded in another legal way
  PlainWithEofb, // the rows, then EOFB, then at most zero fill
  PlainUnended,  // the rows, then zero fill or nothing
};

struct Group4Verdict {
  Group4Form form = Group4Form::Other;
  // Bytes up to the last bit of the rows and their EOFB: for data the TIFF
  // library wrote, the whole data.
  std::uint64_t usedBytes = 0;
};

// Checks `coded` (bit order kMsbFirst or kLsbFirst) as `rows` rows of
// `width` pixels.
Group4Verdict CheckGroup4Form(std::span<const std::uint8_t> coded, std::uint32_t width,
                              std::uint32_t rows, std::uint8_t bitOrder);
