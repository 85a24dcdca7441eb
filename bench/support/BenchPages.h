// Fax pages the benchmarks share: typed-text-like rows and multi-page fax
// TIFFs of them coded by the TIFF library.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

inline constexpr std::uint32_t kBenchWidth = 1728, kBenchLength = 2200;
inline constexpr std::size_t kBenchRowBytes = kBenchWidth / 8;

// One fine page (1728 x 2200) of rows, a set bit black: lines of "words" of
// short black runs with margins and an empty lower part, as a typed fax shows.
std::vector<std::uint8_t> TextLikeRows(unsigned seed);

// Writes pageCount pages, cycling through pages, as one TIFF at 204 x 196 dpi
// with each page in one strip.
bool WriteFaxTiff(const std::string& path, std::uint16_t compression,
                  const std::vector<std::vector<std::uint8_t>>& pages, std::uint32_t pageCount,
                  std::uint32_t group3Options = 0);
