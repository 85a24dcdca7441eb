// Strips as the file holds them, still coded: read for our own decoder, or
// copied unchanged where coding their rows anew would give the same bytes.
#pragma once

#include <cstdint>
#include <tiffio.h>
#include <vector>

namespace tiffcopy {

// A SHORT tag of the current directory, or its TIFF 6.0 default.
std::uint16_t ShortTag(TIFF* tiff, ttag_t tag);

// The strip's coded bytes, when the file really holds them; empty otherwise.
std::vector<std::uint8_t> ReadCodedStrip(TIFF* in, std::uint32_t strip);

// Writes strip `strip` of a Group 4 source unchanged as the same strip of a
// Group 4 output (bits reversed when the fill orders differ), when it holds
// exactly `rows` rows of `width` pixels in the plain form and ends as the
// TIFF library's encoder ends it (EOFB, then fill to the byte): the bytes
// decoding and coding it anew would give. False, with nothing written,
// otherwise.
bool CopyPlainGroup4Strip(TIFF* in, TIFF* out, std::uint32_t strip, std::uint32_t width,
                          std::uint32_t rows);

} // namespace tiffcopy
