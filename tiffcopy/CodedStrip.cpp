#include "tiffcopy/CodedStrip.h"

#include "faxformats/FaxBitReader.h"
#include "faxformats/Group4Validator.h"
#include "tiffcopy/CopyLimits.h"

namespace tiffcopy {

std::uint16_t ShortTag(TIFF* tiff, ttag_t tag) {
  std::uint16_t value = 0;
  TIFFGetFieldDefaulted(tiff, tag, &value);
  return value;
}

std::vector<std::uint8_t> ReadCodedStrip(TIFF* in, std::uint32_t strip) {
  const std::uint64_t size = TIFFGetStrileByteCount(in, strip);
  const TIFFSizeProc fileSize = TIFFGetSizeProc(in);
  if (size == 0 || size > kMaxAllocation || fileSize == nullptr ||
      size > static_cast<std::uint64_t>(fileSize(TIFFClientdata(in))))
    return {};
  std::vector<std::uint8_t> coded(size);
  if (TIFFReadRawStrip(in, strip, coded.data(), static_cast<tmsize_t>(size)) !=
      static_cast<tmsize_t>(size))
    return {};
  return coded;
}

bool CopyPlainGroup4Strip(TIFF* in, TIFF* out, std::uint32_t strip, std::uint32_t width,
                          std::uint32_t rows) {
  if (ShortTag(in, TIFFTAG_COMPRESSION) != COMPRESSION_CCITTFAX4 ||
      ShortTag(out, TIFFTAG_COMPRESSION) != COMPRESSION_CCITTFAX4)
    return false;
  std::vector<std::uint8_t> coded = ReadCodedStrip(in, strip);
  const std::uint16_t fillOrder = ShortTag(in, TIFFTAG_FILLORDER);
  const Group4Verdict verdict =
      CheckGroup4Form(coded, width, rows, fillOrder == FILLORDER_LSB2MSB ? kLsbFirst : kMsbFirst);
  if (coded.empty() || verdict.form != Group4Form::PlainWithEofb ||
      verdict.usedBytes != coded.size())
    return false;
  const auto size = static_cast<tmsize_t>(coded.size());
  if (fillOrder != ShortTag(out, TIFFTAG_FILLORDER))
    TIFFReverseBits(coded.data(), size);
  return TIFFWriteRawStrip(out, strip, coded.data(), size) == size;
}

} // namespace tiffcopy
