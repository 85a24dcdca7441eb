// Encodes one image as a single TIFF strip in memory through the TIFF
// library, and hands back the coded bytes that go into a PDF image stream.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace pdf {

struct StripFormat {
  std::uint16_t photometric = 0;
  std::uint16_t bitsPerSample = 1;
  std::uint16_t samplesPerPixel = 1;
  std::uint32_t width = 0;
  std::uint32_t length = 0;
  std::uint16_t compression = 1; // TIFF Compression: 1 none, 4 CCITT Group 4
};

// Exactly the coded strip's bytes, or nothing when the library refuses the
// data.
std::optional<std::vector<std::uint8_t>> EncodeStrip(const StripFormat& format,
                                                     std::span<const std::uint8_t> pixels);

} // namespace pdf
