// Single Group 4 pages: a 740-byte header (FF FF 00 01, and big-endian the
// resolution at 614, the lines at 732 and the width at 736), then T.6 data,
// least significant bit first, to the end of the file.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace single_group4 {

inline constexpr std::size_t kHeaderSize = 740;
inline constexpr std::size_t kLinesField = 732;
inline constexpr std::size_t kWidthField = 736;

std::vector<std::uint8_t> File(std::span<const std::uint8_t> data, std::uint32_t width,
                               std::uint32_t lines, std::uint16_t resolution);

} // namespace single_group4
