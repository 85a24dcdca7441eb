// Fuzzes the Group 4 plain-form check: any width, row count and bit order.
// The first 8 bytes choose the set-up, the rest is coded data. Data the check
// passes must be whole to our page decoder too: exactly that many rows, and
// the bytes it says the rows and their EOFB take within the data.
#include "faxformats/FaxDecoder.h"
#include "faxformats/Group4Validator.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace {

void Check(bool condition) {
  if (!condition)
    __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 8)
    return 0;
  const std::uint8_t bitOrder = (data[0] & 1) ? kLsbFirst : kMsbFirst;
  const std::uint32_t width = 1 + ((data[1] | data[2] << 8) % 5000);
  const std::uint32_t rows = data[3] % 64;
  const std::span<const std::uint8_t> coded(data + 8, size - 8);

  const Group4Verdict verdict = CheckGroup4Form(coded, width, rows, bitOrder);
  if (verdict.form == Group4Form::Other)
    return 0;
  Check(verdict.usedBytes <= coded.size());
  FaxG4Decoder decoder;
  decoder.Initialise(coded.data(), std::uint32_t(coded.size()), bitOrder, 7, 0);
  decoder.SetSize(std::int32_t(width), std::int32_t(rows) + 1);
  PageRaster raster;
  decoder.DecodePage(raster);
  Check(rows == 0 || raster.height == rows);
  return 0;
}
