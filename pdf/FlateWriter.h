// Writes image data as a zlib stream (RFC 1950), the coding a PDF
// /FlateDecode filter reads (PDF 1.7, 7.4.4).
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "pdf/PdfSink.h"

namespace pdf {

// Codes the bytes and writes them to the sink, a slice at a time, so that
// no coded copy of a page is held; returns the coded size, or nothing when
// zlib fails (the sink may then hold part of the stream).
std::optional<std::uint64_t> WriteFlateCoded(PdfSink& sink, std::span<const std::uint8_t> bytes);

} // namespace pdf
