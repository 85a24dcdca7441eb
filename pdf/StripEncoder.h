// Codes the bilevel images and tiles that go into PDF image streams as Group
// 4 with our own encoder. One encoder serves a whole document, so the line
// buffers of one image serve the next.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "faxformats/Group4Encoder.h"

namespace pdf {

struct StripFormat {
  std::uint16_t bitsPerSample = 1;
  std::uint16_t samplesPerPixel = 1;
  std::uint32_t width = 0;
  std::uint32_t length = 0;
};

class StripEncoder {
public:
  // The Group 4 coding of the image's packed rows (a 0 bit coded white, as
  // the TIFF library codes them), ended by EOFB; nothing for an image that
  // is not one bit of one sample per pixel, or pixels short of its rows.
  std::optional<std::vector<std::uint8_t>> Encode(const StripFormat& format,
                                                  std::span<const std::uint8_t> pixels);

private:
  Group4Encoder encoder_;
};

} // namespace pdf
