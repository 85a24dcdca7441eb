#include "tiffcopy/Group4Verbatim.h"

#include "tiffcopy/CopyLimits.h"

#include <vector>

namespace tiffcopy {
namespace {

std::uint16_t FieldDefaulted16(TIFF* tiff, ttag_t tag) {
  std::uint16_t value = 0;
  TIFFGetFieldDefaulted(tiff, tag, &value);
  return value;
}

std::uint32_t FieldDefaulted32(TIFF* tiff, ttag_t tag) {
  std::uint32_t value = 0;
  TIFFGetFieldDefaulted(tiff, tag, &value);
  return value;
}

// The strip's coded bytes when all of them can be read without complaint.
bool ReadCodedStrip(TiffHandle& in, std::vector<std::uint8_t>& coded) {
  const std::uint64_t size = TIFFGetStrileByteCount(in.get(), 0);
  if (size == 0 || size > kMaxAllocation)
    return false;
  coded.resize(size);
  in.messages() = {};
  const tmsize_t read = TIFFReadRawStrip(in.get(), 0, coded.data(), static_cast<tmsize_t>(size));
  return read == static_cast<tmsize_t>(size) && in.messages().total() == 0;
}

} // namespace

bool CanCopyGroup4Verbatim(TIFF* in, TIFF* out, std::uint32_t length) {
  const auto isGroup4 = [](TIFF* tiff) {
    return FieldDefaulted16(tiff, TIFFTAG_COMPRESSION) == COMPRESSION_CCITTFAX4;
  };
  return isGroup4(in) && isGroup4(out) && !TIFFIsTiled(in) && !TIFFIsTiled(out) &&
         TIFFNumberOfStrips(in) == 1 && FieldDefaulted16(in, TIFFTAG_BITSPERSAMPLE) == 1 &&
         FieldDefaulted16(in, TIFFTAG_SAMPLESPERPIXEL) == 1 &&
         FieldDefaulted32(out, TIFFTAG_ROWSPERSTRIP) >= length &&
         FieldDefaulted16(in, TIFFTAG_FILLORDER) == FieldDefaulted16(out, TIFFTAG_FILLORDER) &&
         FieldDefaulted32(in, TIFFTAG_GROUP4OPTIONS) ==
             FieldDefaulted32(out, TIFFTAG_GROUP4OPTIONS);
}

bool CopyGroup4Strip(TiffHandle& in, TIFF* out, std::uint32_t length) {
  const tmsize_t decodedSize = TIFFVStripSize(in.get(), length);
  if (decodedSize <= 0 || static_cast<std::uint64_t>(decodedSize) > kMaxAllocation)
    return false;
  std::vector<std::uint8_t> decoded(static_cast<std::size_t>(decodedSize));
  in.messages() = {};
  const tmsize_t produced = TIFFReadEncodedStrip(in.get(), 0, decoded.data(), decodedSize);
  std::vector<std::uint8_t> coded;
  if (produced == decodedSize && in.messages().total() == 0 && ReadCodedStrip(in, coded))
    return TIFFWriteRawStrip(out, 0, coded.data(), static_cast<tmsize_t>(coded.size())) >= 0;
  return TIFFWriteEncodedStrip(out, 0, decoded.data(), decodedSize) >= 0;
}

} // namespace tiffcopy
