// PC Research fax files: every page a 64-byte header (a zero byte, then
// "PC Research, Inc", then zeros) followed by its Group 3 data.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

inline constexpr std::size_t kPcResearchPageHeaderSize = 64;

std::vector<std::uint8_t> PcResearchFile(const std::vector<std::vector<std::uint8_t>>& pages);
