// Page-record documents ("fxd", "fxm", "fxr", "fxs"): each page a 128-byte
// record header (0x0B '#', width, lines, coding, caption, the four terms
// whose sum locates the next header, resolution code, data length) followed
// by its data.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace page_records {

inline constexpr std::size_t kHeaderSize = 128;
// Header fields, as offsets from the header's start.
inline constexpr std::size_t kLinesField = 5;     // u16
inline constexpr std::size_t kTermAField = 89;    // u32
inline constexpr std::size_t kTermBField = 105;   // u32
inline constexpr std::size_t kFactorsField = 113; // two u8, multiplied
inline constexpr std::size_t kDataLengthField = 116;

struct Page {
  std::span<const std::uint8_t> data; // least significant bit first
  std::uint16_t width = 1728;
  std::uint16_t lines = 0;         // 0: not given
  bool group4 = true;              // else T.4 one-dimensional with EOL
  std::uint8_t resolutionCode = 1; // 0: 100, 1: 200, other: 400 lines per inch
  std::string caption;             // at most 79 characters
  std::uint8_t paddingUnits = 0;   // blocks of 16 bytes after the data
};

// The pages one after another. Term A holds the header's own offset and
// term B the header's size, so that the sum names the next header
// absolutely; the two factors count the padding after the data.
std::vector<std::uint8_t> File(const std::vector<Page>& pages);

} // namespace page_records
