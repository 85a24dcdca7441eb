// Moving the pixels of one image from the source to the output, once the
// output's tags are set. Every routine decodes what it reads and lets the
// output's encoder code it (our own for bilevel Group 4, else the library's),
// but for Group 4 strips that stay Group 4 and are already in the plain
// form, which are copied unchanged. Fax-coded strips that decode whole and
// strictly are read by our own decoder, the rest by the library's. A chunk
// or row that cannot be read is written zero-filled (or as far as the
// decoder got); a failed write fails the copy, and so does an image of which
// nothing at all could be decoded.
#pragma once

#include <cstdint>
#include <tiffio.h>

namespace tiffcopy {

struct ImageShape {
  std::uint32_t width = 0;
  std::uint32_t length = 0;
  // 1 for contiguous samples, the samples per pixel for separate planes.
  std::uint16_t planes = 1;
  // Bits of one pixel within one plane.
  std::uint32_t bitsPerPixel = 0;
};

// Strip by strip (strip i of the source becomes strip i of the output);
// both sides have the same rows per strip.
bool CopyStrips(TIFF* in, TIFF* out, const ImageShape& shape);

// Tile by tile; both sides have the same tile size.
bool CopyTiles(TIFF* in, TIFF* out, const ImageShape& shape);

// Row by row, plane after plane; both sides are in strips.
bool CopyRows(TIFF* in, TIFF* out, const ImageShape& shape);

// Any other layout change (strips to tiles, tiles to strips, one tile size
// to another): each plane is read whole into memory in the source's unit and
// written out in the output's.
bool CopyThroughPlaneBuffer(TIFF* in, TIFF* out, const ImageShape& shape);

} // namespace tiffcopy
