// TIFF 6.0 PackBits: the run-length coding of byte rows that image readers
// use for rasters they have decoded themselves.
#pragma once

#include <cstdint>
#include <span>

// Encodes source row by row (rowLength bytes each; each row coded by
// itself, as TIFF requires) into destination. Runs of two or more equal
// bytes become runs of at most 128; other bytes literals of at most 128; a
// two-byte run between a literal and a single byte joins the literal while
// it stays within 127 bytes. The encoded length, or -1 when destination is
// too small.
int PackBitsEncodeRows(std::span<const std::uint8_t> source, std::uint32_t rowLength,
                       std::span<std::uint8_t> destination);
