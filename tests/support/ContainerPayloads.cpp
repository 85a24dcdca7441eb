#include "support/ContainerPayloads.h"

#include <algorithm>

namespace testing_support {

namespace {

constexpr std::uint32_t kMarkerMarginRows = 24;

Raster WithBlankTop(const Raster& page, std::uint32_t rows) {
  Raster shifted(page.width, page.height + rows);
  std::copy(page.pixels.begin(), page.pixels.end(),
            shifted.pixels.begin() + std::ptrdiff_t(rows) * page.width);
  return shifted;
}

} // namespace

CodedPayload MakePayload(PayloadCoding coding, PayloadBitOrder order, std::uint32_t width,
                         std::uint32_t height, unsigned seed) {
  CodedPayload payload;
  const char* codingName = "T.6";
  if (coding == PayloadCoding::T6) {
    payload.page =
        WithBlankTop(TextLikePage(width, height - kMarkerMarginRows, seed), kMarkerMarginRows);
    payload.coded = EncodeWithLibTiff(payload.page, COMPRESSION_CCITTFAX4);
  } else {
    const bool twoD = coding == PayloadCoding::T4TwoD;
    codingName = twoD ? "T.4 2-D" : "T.4 1-D";
    payload.page = TextLikePage(width, height, seed);
    payload.coded =
        EncodeWithLibTiff(payload.page, COMPRESSION_CCITTFAX3, twoD ? GROUP3OPT_2DENCODING : 0);
  }
  if (order == PayloadBitOrder::LsbFirst)
    payload.coded = ReverseBits(payload.coded);
  payload.what = std::string(codingName) + ", " + std::to_string(width) +
                 (order == PayloadBitOrder::LsbFirst ? ", LSB first" : ", MSB first");
  return payload;
}

std::vector<CodedPayload> EveryCodingPayloads(std::uint32_t height) {
  using enum PayloadCoding;
  using enum PayloadBitOrder;
  return {
      MakePayload(T4OneD, MsbFirst, 1728, height, 1),
      MakePayload(T4OneD, LsbFirst, 2048, height, 2),
      MakePayload(T4TwoD, MsbFirst, 2432, height, 3),
      MakePayload(T4TwoD, LsbFirst, 1728, height, 4),
      MakePayload(T6, MsbFirst, 2048, height, 5),
      MakePayload(T6, LsbFirst, 2432, height, 6),
  };
}

} // namespace testing_support
