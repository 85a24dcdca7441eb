// Encodes images as single TIFF strips in memory through the TIFF library,
// and hands back the coded bytes that go into PDF image streams. One encoder
// serves a whole document: opening a TIFF handle costs far more than coding
// a small tile, and a document may have tens of thousands of tiles.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

typedef struct tiff TIFF;

namespace pdf {

struct StripFormat {
  std::uint16_t photometric = 0;
  std::uint16_t bitsPerSample = 1;
  std::uint16_t samplesPerPixel = 1;
  std::uint32_t width = 0;
  std::uint32_t length = 0;
  std::uint16_t compression = 1; // TIFF Compression: 1 none, 4 CCITT Group 4
};

class StripEncoder {
public:
  StripEncoder();
  ~StripEncoder();
  StripEncoder(const StripEncoder&) = delete;
  StripEncoder& operator=(const StripEncoder&) = delete;

  // Exactly the coded strip's bytes, or nothing when the library refuses
  // the data (after which the encoder stays unusable).
  std::optional<std::vector<std::uint8_t>> Encode(const StripFormat& format,
                                                  std::span<const std::uint8_t> pixels);

  // The memory file behind the handle; public for the handle's procedures.
  struct MemoryFile {
    std::vector<std::uint8_t> bytes;
    std::uint64_t position = 0;
    bool discard = false; // transfers do nothing but report success
  };

private:
  bool Open();
  bool Reset();

  MemoryFile file_;
  TIFF* tiff_ = nullptr;
  bool broken_ = false;
};

} // namespace pdf
