// Writes the whole PDF for one TIFF: header, catalog, document information,
// page tree, the objects of every page, cross-reference table and trailer.
#pragma once

#include <cstdint>

#include "pdf/PdfContext.h"

namespace pdf {

// Returns the bytes written, 0 after an error (recorded in the context).
std::uint64_t WriteDocument(PdfWriterContext& context);

} // namespace pdf
