// What one source image may ask of the page copier. The TIFF library
// allocates whatever header fields demand, so every size is checked against
// these before anything is decoded. They are generous for any real fax or
// scan: a side of 262144 pixels is 4.1 m at 1600 dpi, 2^30 pixels hold an
// A0 sheet at 600 dpi, 512 MiB an A3 page scanned in colour at 600 dpi
// (210 MB) with room to spare.
#pragma once

#include <cstdint>

namespace tiffcopy {

// Width and length of one image, in pixels.
constexpr std::uint32_t kMaxImageSide = 1u << 18;
// Samples of one pixel (colour, alpha and spot inks) and bits of one
// sample (64 for IEEE doubles); the library's sample loops are not meant
// for the thousands a hostile header may claim.
constexpr std::uint16_t kMaxSamplesPerPixel = 32;
constexpr std::uint16_t kMaxBitsPerSample = 64;
// Width times length of one image.
constexpr std::uint64_t kMaxPixelsPerImage = std::uint64_t{1} << 30;
// One allocation, ours (a decoded image, strip or tile) or the library's.
constexpr std::uint64_t kMaxAllocation = std::uint64_t{512} << 20;
// Strips or tiles of one image: a real image has at most one strip per row.
constexpr std::uint64_t kMaxChunksPerImage = std::uint64_t{1} << 20;
// Images copied from one source; a longer chain is taken for a hostile file.
constexpr int kMaxImages = 65535;

} // namespace tiffcopy
