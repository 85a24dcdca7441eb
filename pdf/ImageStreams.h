// The image objects of a page and its auxiliary streams: image dictionaries
// with colour space, decode array and filter parameters, the image data
// (Group 4 bytes copied, or pixels decoded and coded in Group 4 or Flate),
// transfer functions, palette and ICC profile.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "pdf/PdfContext.h"

namespace pdf {

// The colour space text of the page for the given colour space bits.
std::string ColourSpaceText(const PdfWriterContext& context, std::uint32_t bits);

// The entries of an image object's dictionary; tile numbers count from 0.
std::string ImageDictionary(const PdfWriterContext& context, std::optional<std::uint32_t> tile);

// Writes the image data of the current page (or one tile of it) and returns
// the bytes written; 0 after an error, which is recorded in the context.
std::uint64_t WritePageImageData(PdfWriterContext& context);
std::uint64_t WriteTileImageData(PdfWriterContext& context, std::uint32_t tile);

// The whole objects of the page's graphics state with its transfer function
// streams, its palette stream and its ICC profile stream.
void WriteTransferObjects(PdfWriterContext& context);
void WritePaletteObject(PdfWriterContext& context);
void WriteIccObject(PdfWriterContext& context);

} // namespace pdf
