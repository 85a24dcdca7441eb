// Fax-coded strips (CCITT RLE, Group 3, Group 4) decoded by our own decoder,
// several times faster than the TIFF library's. Only a strip that decodes
// whole and strictly is taken: every row exactly the image's width, none
// skipped, no resynchronisation. Anything else is left to the library, so
// that damaged data comes out as it always has.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <tiffio.h>
#include <vector>

namespace tiffcopy {

// A strip of a bilevel fax-coded image, still coded, and how to read it.
struct FaxStrip {
  std::vector<std::uint8_t> coded;
  std::uint32_t width = 0;
  std::uint8_t bitOrder = 0;   // kMsbFirst or kLsbFirst, from FillOrder
  std::uint8_t codingCode = 0; // the engine's coding code (FaxTiffWriter.h)
};

// The strip as the file holds it, when the image is a bilevel strip image
// of a fax coding our decoder reads; nothing otherwise.
std::optional<FaxStrip> ReadFaxStrip(TIFF* in, std::uint32_t strip);

// The strip read as Modified Huffman rows without EOL, each starting on a
// byte (the CCITT RLE layout): `count` rows into `rows`, a set bit black. False, with `rows` left
// as it was, when the strip does not hold that many rows of the width.
bool DecodeModifiedHuffmanRows(const FaxStrip& strip, std::uint32_t count,
                               std::span<std::uint8_t> rows);

// Decodes strip `strip` into `rows`, whole rows of the image's width, as the
// TIFF library decodes it (packed, a set bit black). True only when the
// strip decodes whole and strictly; `rows` may be written either way.
bool DecodeWholeFaxStrip(TIFF* in, std::uint32_t strip, std::span<std::uint8_t> rows);

} // namespace tiffcopy
