// BIT FAX files: a 2048-byte header (signature, page count, vertical
// resolution code, 127 page entries of width, lines, data length and data
// offset), then the pages' coded data one after the other.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

inline constexpr std::size_t kBitFaxHeaderSize = 2048;
inline constexpr std::size_t kBitFaxPageCountAt = 9;
inline constexpr std::size_t kBitFaxEntriesAt = 16;
inline constexpr std::size_t kBitFaxEntrySize = 16;
inline constexpr std::size_t kBitFaxEntrySlots = 127;
// Within an entry.
inline constexpr std::size_t kBitFaxDataLengthAt = 4;
inline constexpr std::size_t kBitFaxDataOffsetAt = 8;

struct BitFaxPage {
  std::vector<std::uint8_t> coded;
  std::uint16_t width = 1728;
  std::uint16_t lines = 0;
};

// The pages behind the header, an entry for each (at most 127) and their
// number as the page count. resolutionCode 0: 100, 1: 200, any other: 400
// dots per inch.
std::vector<std::uint8_t> BitFaxFile(const std::vector<BitFaxPage>& pages,
                                         std::uint8_t resolutionCode);
