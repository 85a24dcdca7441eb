// Fax codings of a page that the TIFF library's encoders never write: the
// kind of data some fax software stores. Group 4 (T.6) that is legal but not
// in T.6's own choice of modes, and Modified Huffman rows without EOL.
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

// Modified Huffman rows (T.4 one-dimensional) one after the other, with no
// EOL and no fill to byte boundaries; MSB first, at most 1728 wide.
std::vector<std::uint8_t> HandCodedMhWithoutEol(const Raster& page);

// The coding with its EOFB (two EOLs, ending at the last set bit) turned
// into zero fill: what encoders that leave EOFB out write.
std::vector<std::uint8_t> WithoutEofb(std::vector<std::uint8_t> coded);

} // namespace testing_support
