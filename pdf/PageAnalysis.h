// Which TIFF directories become PDF pages, how many objects each takes, and
// what one page is: its accepted properties, colour space, sample
// conversions, pass-through decision and geometry.
#pragma once

#include <cstdint>

#include "pdf/PdfContext.h"

namespace pdf {

// Fills the page and tile tables, the object count and the PDF version. The
// directory of the last page stays selected.
void ScanDocument(PdfWriterContext& context);

// Analyses the page at context.currentPage and selects its directory.
void AnalysePage(PdfWriterContext& context);

// Page composition: media box, image box and, for a tiled page, the tile
// layout and one box per tile. Uses context.page; fills context.geometry.
void ComposePage(PdfWriterContext& context, PageTiles* tiles);

// The placement matrix of a box for a TIFF orientation (TIFF 6.0, tag 274).
// The transposed form serves tiles of orientations 5 to 8, whose boxes have
// already had their x and y exchanged.
enum class MatrixRule { Normal, Transposed };
void SetOrientationMatrix(PlacementBox& box, std::uint16_t orientation, MatrixRule rule);

} // namespace pdf
