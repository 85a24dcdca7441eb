#include "tiffcopy/FaxStrip.h"

#include "faxengine/FaxTiffWriter.h"
#include "faxformats/FaxDecoder.h"
#include "tiffcopy/CodedStrip.h"
#include "tiffcopy/CopyLimits.h"

#include <algorithm>

namespace tiffcopy {
namespace {

std::uint32_t Field32(TIFF* tiff, ttag_t tag) {
  std::uint32_t value = 0;
  TIFFGetFieldDefaulted(tiff, tag, &value);
  return value;
}

// The coding code of the image's compression; 0 for other data. Data that
// uses T.4 or T.6 uncompressed mode fails our decoder's strict reading, and
// goes to the library's. Word-aligned CCITT RLE stays with the library too:
// it reads rows of some widths otherwise than we do, and it is rare.
std::uint8_t CodingCodeOf(TIFF* in) {
  switch (ShortTag(in, TIFFTAG_COMPRESSION)) {
  case COMPRESSION_CCITTRLE:
    return kCodingMhBytes;
  case COMPRESSION_CCITTFAX3:
    return (Field32(in, TIFFTAG_GROUP3OPTIONS) & GROUP3OPT_2DENCODING) != 0 ? kCodingT4TwoD
                                                                            : kCodingT4OneD;
  case COMPRESSION_CCITTFAX4:
    return kCodingT6;
  default:
    return 0;
  }
}

bool BilevelStrips(TIFF* in) {
  return TIFFIsTiled(in) == 0 && ShortTag(in, TIFFTAG_BITSPERSAMPLE) == 1 &&
         ShortTag(in, TIFFTAG_SAMPLESPERPIXEL) == 1;
}

// T.4 lines each end at an EOL, and the TIFF library's encoder writes one
// before the first: the line decoders consume the EOL behind a line, so the
// one in front is read as an empty line.
bool SkipLeadingEol(FaxDecoder& decoder) {
  RowWriter nowhere;
  return decoder.EolFollows() && decoder.DecodeLine1D(nowhere, nullptr) == 0;
}

// One T.4 or T.6 line against the reference; its pixel count or a status.
int DecodeLine(FaxDecoder& decoder, RowWriter& row, const RunList& reference, RunList& current) {
  if (decoder.CodingCode() == kCodingT6) {
    std::uint32_t pixels = 0;
    return decoder.DecodeLineG4(row, reference, &current, pixels);
  }
  if (decoder.CodingCode() == kCodingT4TwoD && decoder.ReadBits(1) == 0)
    return decoder.DecodeLine2D(row, reference, &current);
  return decoder.DecodeLine1D(row, &current);
}

// Whether a line is as encoders code one: no run empty but a white first
// one (the line starts black) or a last one (horizontal mode whose a1 and
// a2 both stand at the line end). Damaged data that still decodes tends to
// give empty runs elsewhere, and decoders differ in what they make of them.
bool WithoutEmptyRuns(const RunList& line) {
  if (line.Count() == 0)
    return false;
  const std::uint32_t last = line.Count() - 1;
  for (std::uint32_t i = 1; i < last; ++i)
    if (line.Run(i) == 0)
      return false;
  return true;
}

// T.4 (EOL-framed) or T.6 rows, strictly: each exactly the width and without
// empty runs, the data allowed to end right behind the last. Nothing is
// skipped or searched for, so the rows are the first `count` lines of the
// data, as the TIFF library reads them.
bool DecodeLines(FaxDecoder& decoder, std::uint32_t width, std::uint32_t count,
                 std::span<std::uint8_t> rows) {
  if (decoder.CodingCode() != kCodingT6 && !SkipLeadingEol(decoder))
    return false;
  const std::size_t rowBytes = (std::size_t{width} + 7) / 8;
  RunList reference, current;
  reference.SetAllWhite(width);
  RowWriter row(nullptr, width, 1); // invert 1: black pixels are set bits
  for (std::uint32_t y = 0; y < count; ++y) {
    row.Restart(rows.data() + y * rowBytes);
    current.Reset(width);
    const int result = DecodeLine(decoder, row, reference, current);
    const bool last = y + 1 == count;
    if ((result != static_cast<int>(width) && !(last && result == kLineLastComplete)) ||
        !WithoutEmptyRuns(current))
      return false;
    reference.Swap(current);
  }
  return true;
}

} // namespace

std::optional<FaxStrip> ReadFaxStrip(TIFF* in, std::uint32_t strip) {
  FaxStrip fax;
  fax.width = Field32(in, TIFFTAG_IMAGEWIDTH);
  fax.codingCode = CodingCodeOf(in);
  if (fax.codingCode == 0 || fax.width == 0 || fax.width > kMaxImageSide || !BilevelStrips(in))
    return std::nullopt;
  fax.bitOrder = ShortTag(in, TIFFTAG_FILLORDER) == FILLORDER_LSB2MSB ? kLsbFirst : kMsbFirst;
  fax.coded = ReadCodedStrip(in, strip);
  if (fax.coded.empty())
    return std::nullopt;
  return fax;
}

bool DecodeModifiedHuffmanRows(const FaxStrip& strip, std::uint32_t count,
                               std::span<std::uint8_t> rows) {
  FaxDecoder decoder;
  decoder.Initialise(strip.coded.data(), static_cast<std::uint32_t>(strip.coded.size()),
                     strip.bitOrder, kCodingMhBytes, 1);
  decoder.SetSize(static_cast<std::int32_t>(strip.width), static_cast<std::int32_t>(count));
  PageRaster raster;
  decoder.DecodePage(raster);
  const std::size_t size = std::size_t{raster.bytesPerRow} * count;
  // Each row the page decoder counts is exactly the width: an overlong row
  // or a bad code ends the page.
  if (raster.height != count || rows.size() < size)
    return false;
  std::copy_n(raster.rows.begin(), size, rows.begin());
  return true;
}

bool DecodeWholeFaxStrip(TIFF* in, std::uint32_t strip, std::span<std::uint8_t> rows) {
  const std::optional<FaxStrip> fax = ReadFaxStrip(in, strip);
  if (!fax)
    return false;
  const std::size_t rowBytes = (std::size_t{fax->width} + 7) / 8;
  if (rows.empty() || rows.size() % rowBytes != 0)
    return false;
  const auto count = static_cast<std::uint32_t>(rows.size() / rowBytes);
  if (fax->codingCode == kCodingMhBytes)
    return DecodeModifiedHuffmanRows(*fax, count, rows);
  FaxDecoder decoder;
  decoder.Initialise(fax->coded.data(), static_cast<std::uint32_t>(fax->coded.size()),
                     fax->bitOrder, fax->codingCode, 1);
  decoder.SetSize(static_cast<std::int32_t>(fax->width), static_cast<std::int32_t>(count));
  return DecodeLines(decoder, fax->width, count, rows);
}

} // namespace tiffcopy
