// Shared by the decoder tests: decode coded bytes with our page decoder and
// compare the result with rasters of the test support library.
#pragma once

#include "faxformats/FaxDecoder.h"
#include "support/TiffFixtures.h"

#include <cstdint>
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
