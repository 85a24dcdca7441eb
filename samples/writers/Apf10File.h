// APF10 fax documents: a 64-byte file header ("APF10", page count at 32,
// first page offset at 34) and the pages one after another, each a 16-byte
// page header (data length, flags) before its T.4 one-dimensional data,
// stored least significant bit first.
#pragma once

#include <cstdint>
#include <vector>

struct Apf10Page {
  static constexpr std::uint8_t kFine = 1;      // 200 lines per inch, else 100
  static constexpr std::uint8_t kWide = 2;      // 2048 pixels wide, else 1728
  static constexpr std::uint8_t kLineWords = 4; // a 16-bit word before every line
  std::uint8_t flags = kFine;
  std::vector<std::uint8_t> data;
};

std::vector<std::uint8_t> Apf10File(const std::vector<Apf10Page>& pages);

// The data of a line-word page: every coded line, padded to a byte, behind a
// 16-bit word holding its length in bytes.
std::vector<std::uint8_t> Apf10LineWordData(const std::vector<std::vector<std::uint8_t>>& lines);
