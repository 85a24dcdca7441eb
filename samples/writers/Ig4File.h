// IG4 images: T.6 strips (least significant bit first), then a 208-byte
// image header (byte order mark, height, width), a 272-byte strip table
// (strip count, rows per strip, 66 strip offsets) and a 336-byte trailer
// (signature, the strips' length + 4, where the image header and the strip
// table lie).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ig4 {

inline constexpr std::size_t kTrailerSize = 336;
// Trailer fields, as offsets from the trailer's start.
inline constexpr std::size_t kDataLengthField = 28;
inline constexpr std::size_t kImageHeaderField = 40;
inline constexpr std::size_t kStripTableField = 56;
// Strip table fields.
inline constexpr std::size_t kStripCountField = 0;
inline constexpr std::size_t kStripOffsetsField = 8;

struct Image {
  std::vector<std::vector<std::uint8_t>> strips;
  std::uint16_t rowsPerStrip = 0;
  std::uint16_t width = 1728;
  std::uint16_t height = 0;
  std::string byteOrder = "II"; // or "MM"
};

// The strips follow a few bytes of lead-in (a strip offset of 0 would end
// the strip list).
std::vector<std::uint8_t> File(const Image& image);

} // namespace ig4
