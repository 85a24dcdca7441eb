// KVR-FAX documents: each page a 64-byte header ("KVR-FAX", where its data
// lies and how long it is, width, height, fill order, coding code, x and y
// resolution) followed by its data.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace kvr_fax {

inline constexpr std::size_t kHeaderSize = 64;
// Header fields, as offsets from the header's start.
inline constexpr std::size_t kDataOffsetField = 8; // u32; with the length, the next header
inline constexpr std::size_t kDataLengthField = 12;
inline constexpr std::size_t kWidthField = 16;
inline constexpr std::size_t kHeightField = 20;

struct Page {
  std::span<const std::uint8_t> data;
  std::uint32_t width = 1728;
  std::uint32_t height = 0; // 0: not given
  std::uint8_t fillOrder = 1;
  std::uint8_t codingCode = 7; // 1, 3..8 as the engine counts them
  std::uint8_t xResolution = 204;
  std::uint8_t yResolution = 196;
};

// The pages one after another, each header pointing at the next.
std::vector<std::uint8_t> File(const std::vector<Page>& pages);

} // namespace kvr_fax
