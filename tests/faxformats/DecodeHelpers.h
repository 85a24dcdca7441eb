// Shared by the decoder tests: decode coded bytes with our page decoder and
// compare the result with rasters of the test support library.
#pragma once

#include "faxformats/FaxDecoder.h"
#include "support/TiffFixtures.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

struct OurDecode {
  int result = 0;
  PageRaster raster;
  testing_support::Raster Image() const {
    return testing_support::Raster::FromPackedRows(raster.rows.data(), raster.width, raster.height,
                                                   false);
  }
};

inline OurDecode DecodeWithOurs(const std::vector<std::uint8_t>& data, std::uint8_t codingCode,
                                std::int32_t width, std::int32_t maxRows,
                                std::uint8_t bitOrder = kMsbFirst) {
  FaxG4Decoder decoder;
  decoder.Initialise(data.data(), std::uint32_t(data.size()), bitOrder, codingCode, 0);
  decoder.SetSize(width, maxRows);
  OurDecode out;
  out.result = decoder.DecodePage(out.raster);
  return out;
}

// Appends code words bit by bit, first bit most significant: a tiny encoder
// for hand-made streams.
class BitWriter {
public:
  void Put(std::uint32_t code, int bits) {
    for (int i = bits - 1; i >= 0; --i)
      PutBit((code >> i) & 1);
  }
  void PutBit(unsigned bit) {
    if (used_ == 0)
      bytes_.push_back(0);
    if (bit)
      bytes_.back() |= std::uint8_t(0x80 >> used_);
    used_ = (used_ + 1) % 8;
  }
  void Eol() { Put(1, 12); }
  void AlignToByte() {
    while (used_ != 0)
      PutBit(0);
  }
  std::size_t BitCount() const { return bytes_.size() * 8 - (used_ ? 8 - used_ : 0); }
  const std::vector<std::uint8_t>& Bytes() const { return bytes_; }

private:
  std::vector<std::uint8_t> bytes_;
  int used_ = 0;
};

inline testing_support::Raster AllOf(std::uint32_t width, std::uint32_t height, bool black) {
  testing_support::Raster raster(width, height);
  std::fill(raster.pixels.begin(), raster.pixels.end(), std::uint8_t(black));
  return raster;
}

// Alternating single pixels: the most changes a line can hold.
inline testing_support::Raster Checkerboard(std::uint32_t width, std::uint32_t height) {
  testing_support::Raster raster(width, height);
  for (std::uint32_t y = 0; y < height; ++y)
    for (std::uint32_t x = 0; x < width; ++x)
      raster.set(x, y, (x + y) % 2 == 0);
  return raster;
}

struct Page {
  std::string name;
  testing_support::Raster raster;
};

// The pages every decoder test codes and decodes.
inline std::vector<Page> DecoderFixturePages() {
  std::vector<Page> pages;
  for (std::uint32_t width : {1728u, 2048u, 2432u, 3456u, 153u, 1u, 4864u})
    pages.push_back(
        {"text " + std::to_string(width), testing_support::TextLikePage(width, 40, width)});
  pages.push_back({"noise 1728", testing_support::NoisePage(1728, 30, 0.3, 7)});
  pages.push_back({"noise 1001", testing_support::NoisePage(1001, 30, 0.5, 9)});
  pages.push_back({"sparse noise 2592", testing_support::NoisePage(2592, 20, 0.02, 3)});
  pages.push_back({"run boundaries 1728", testing_support::RunBoundaryPage(1728)});
  pages.push_back({"run boundaries 4864", testing_support::RunBoundaryPage(4864)});
  pages.push_back({"all white", AllOf(1728, 12, false)});
  pages.push_back({"all black", AllOf(1728, 12, true)});
  pages.push_back({"all black wide", AllOf(4864, 5, true)});
  pages.push_back({"checkerboard 155", Checkerboard(155, 16)});
  pages.push_back({"corner mark", testing_support::CornerMarkPage(2048, 64)});
  return pages;
}
