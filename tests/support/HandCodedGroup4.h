// Group 4 (T.6) codings of a page that are legal but not what an encoder
// following T.6's choice of modes writes: the kind of data some fax
// software stores, which the TIFF library decodes and PDF viewers may not.
#pragma once

#include "support/TiffFixtures.h"

#include <cstdint>
#include <vector>

namespace testing_support {

enum class Group4Style {
  HorizontalOnly, // every row as horizontal-mode pairs of runs
  ZeroLengthRuns, // the same, each white run split by a black run of length 0
};

// The page (at most 1728 pixels wide) coded MSB first, ended by EOFB.
std::vector<std::uint8_t> HandCodedGroup4(const Raster& page, Group4Style style);

} // namespace testing_support
