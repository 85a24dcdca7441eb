// Coded pages for the fax-program container fixtures: pages encoded by the
// TIFF library in each coding, bit order and a few widths, with the raster
// each must decode to.
#pragma once

#include "support/TiffFixtures.h"

#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

enum class PayloadCoding { T4OneD, T4TwoD, T6 };
enum class PayloadBitOrder { MsbFirst, LsbFirst };

struct CodedPayload {
  std::string what;
  Raster page;
  std::vector<std::uint8_t> coded;
};

// A text-like page coded by the TIFF library. T.6 pages get a blank top
// margin of 24 rows, so that their coding begins with the run of 0xFF bytes
// (white lines) in which a Group 4 start search finds the page.
CodedPayload MakePayload(PayloadCoding coding, PayloadBitOrder order, std::uint32_t width,
                         std::uint32_t height, unsigned seed);

// One page of each coding in both bit orders, over the widths 1728, 2048
// and 2432; the Group 3 ones first.
std::vector<CodedPayload> EveryCodingPayloads(std::uint32_t height);

} // namespace testing_support
