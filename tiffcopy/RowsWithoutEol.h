// Some fax software stores Modified Huffman rows with no EOL (one after the
// other, or each on a byte boundary) under Compression 3, where T.4 puts an
// EOL before every row; the TIFF library then decodes nothing of the strip,
// or garbage. Our own decoder reads them.
#pragma once

#include <cstdint>
#include <span>
#include <tiffio.h>

namespace tiffcopy {

// Decodes strip `strip` of the current image, a one-dimensional Group 3 or
// CCITT RLE strip of a MinIsWhite page, as `count` such rows into `rows`
// (packed, a set bit black, as the library decodes it). True only when the
// strip holds that many whole rows of the image's width; `rows` is left as
// it was otherwise.
bool DecodeRowsWithoutEol(TIFF* in, std::uint32_t strip, std::uint32_t count,
                          std::span<std::uint8_t> rows);

} // namespace tiffcopy
