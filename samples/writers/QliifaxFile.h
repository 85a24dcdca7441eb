// QLIIFAX files: a 1532-byte header (signature, page count, line counts,
// vertical resolution code, a table of 375 page offsets), then the pages'
// coded data one after the other.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

inline constexpr std::size_t kQliifaxHeaderSize = 1532;
inline constexpr std::size_t kQliifaxPageCountAt = 8;
inline constexpr std::size_t kQliifaxOffsetsAt = 32;
inline constexpr std::size_t kQliifaxOffsetSlots = 375;

struct QliifaxLayout {
  std::uint32_t pageLines = 0;      // lines of every page but the last
  std::uint16_t lastPageLines = 0;  // lines of the last page
  std::uint16_t resolutionCode = 1; // 1: 200, 2: 100, any other: 400 dots per inch
};

// The pages' coded bytes behind the header, their offsets in the table (at
// most 375 of them) and their number as the page count.
std::vector<std::uint8_t> QliifaxFile(const std::vector<std::vector<std::uint8_t>>& pages,
                                          const QliifaxLayout& layout);
