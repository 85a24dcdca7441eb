#include "faxengine/Ig4Reader.h"

#include "faxformats/ByteReader.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::size_t kTrailerSize = 336;
constexpr std::size_t kImageHeaderSize = 208;
constexpr std::size_t kStripTableSize = 272;
constexpr std::size_t kMaxStrips = 66; // the offsets the strip table holds
constexpr std::uint8_t kSignature[] = {0x1A, 0x1A, 0x55, 0x64, 0x73};
constexpr std::uint16_t kResolution = 300;
// TIFF 6.0 Orientation, which the PDF writer honours. 6 ("II"): the first
// stored row is the shown page's right edge, top down, so the page shows
// turned a quarter clockwise. 7 ("MM"): the first row is the right edge read
// bottom up, so the page shows as the engine's raster (turned by 180 degrees)
// mirrored across its main diagonal; a stored top-left corner ends up bottom
// right.
constexpr std::uint16_t kOrientationII = 6;
constexpr std::uint16_t kOrientationMM = 7;

bool PixelIsSet(const PageRaster& raster, std::uint32_t x, std::uint32_t y) {
  return (raster.Row(y)[x / 8] >> (7 - x % 8)) & 1;
}

// Turns the raster's pixels by 180 degrees (last row first, each row right
// to left), keeping the bits past the width zero.
void TurnHalfway(PageRaster& raster) {
  PageRaster turned = raster;
  std::fill(turned.rows.begin(), turned.rows.end(), std::uint8_t{0});
  const std::uint32_t w = raster.width, h = raster.height;
  for (std::uint32_t y = 0; y < h; ++y)
    for (std::uint32_t x = 0; x < w; ++x)
      if (PixelIsSet(raster, x, y))
        turned.Row(h - 1 - y)[(w - 1 - x) / 8] |= std::uint8_t(0x80 >> ((w - 1 - x) % 8));
  raster.rows.swap(turned.rows);
}

} // namespace

// The file holds one page.
std::uint16_t Ig4Reader::CountPages() {
  AddPageOffset(0);
  return PageCount();
}

int Ig4Reader::Detect() {
  const ByteReader file(Bytes());
  if (file.size() < kTrailerSize)
    return -2;
  const std::size_t trailer = file.size() - kTrailerSize;
  if (std::memcmp(file.slice(trailer, sizeof kSignature)->data(), kSignature, sizeof kSignature))
    return -3;
  const std::uint32_t dataLengthField = *file.u32At(trailer + 28);
  const std::uint32_t header = *file.u32At(trailer + 40);
  const std::uint32_t table = *file.u32At(trailer + 56);
  if (!file.contains(header, kImageHeaderSize))
    return -4;
  orientation_ = file.u16At(header) == 0x4D4D ? kOrientationMM : kOrientationII;
  height_ = *file.u16At(header + 4);
  width_ = *file.u16At(header + 6);
  if (width_ == 0 || height_ == 0)
    return -4;
  if (dataLengthField < 4 || CheckStrips(file, table, header, dataLengthField - 4) != 0)
    return -5;
  return 0;
}

int Ig4Reader::CheckStrips(const ByteReader& file, std::uint64_t table, std::uint64_t stripsEnd,
                           std::uint64_t dataLength) {
  if (!file.contains(table, kStripTableSize))
    return -5;
  const std::uint16_t count = *file.u16At(table);
  rowsPerStrip_ = *file.u16At(table + 2);
  if (rowsPerStrip_ == 0)
    rowsPerStrip_ = height_;
  // As TIFF 6.0 lays strips out: every strip but the last holds rows per
  // strip rows.
  if (count == 0 || count > kMaxStrips || count != (height_ + rowsPerStrip_ - 1) / rowsPerStrip_)
    return -5;
  stripOffsets_.assign(count, 0);
  stripByteCounts_.assign(count, 0);
  for (std::uint16_t i = 0; i < count; ++i)
    stripOffsets_[i] = *file.u32At(table + 8 + 4 * i);
  // Each strip ends where the next begins, the last where the image header
  // does; all lie inside the block the trailer gives the strips.
  for (std::uint16_t i = 0; i < count; ++i) {
    const std::uint64_t end = i + 1 < count ? stripOffsets_[i + 1] : stripsEnd;
    if (stripOffsets_[i] == 0 || end <= stripOffsets_[i])
      return -5;
    stripByteCounts_[i] = std::uint32_t(end - stripOffsets_[i]);
  }
  if (!file.contains(stripOffsets_[0], dataLength) || stripsEnd - stripOffsets_[0] > dataLength)
    return -5;
  dataLength_ = std::uint32_t(dataLength);
  return 0;
}

bool Ig4Reader::DecodeStrips(PageRaster& raster) {
  raster = PageRaster();
  if (!IsOpen() || PageCount() == 0 || !raster.Allocate(width_, height_))
    return false;
  bool whole = true;
  PageRaster strip;
  for (std::size_t i = 0; i < stripOffsets_.size(); ++i) {
    HeadedPage page;
    page.data = Bytes().subspan(stripOffsets_[i], stripByteCounts_[i]);
    page.codingCode = kCodingT6;
    page.fillOrder = 2;
    page.width = width_;
    page.rows = std::min(rowsPerStrip_, height_ - raster.height);
    page.rowCount = RowCount::Promised;
    whole = decoder_.Decode(page, strip) && whole;
    const std::uint32_t rows = std::min(strip.height, page.rows);
    if (rows)
      std::memcpy(raster.Row(raster.height), strip.rows.data(),
                  std::size_t(rows) * raster.bytesPerRow);
    raster.height += rows;
  }
  return whole && raster.height == height_;
}

void Ig4Reader::DecodePage(std::uint16_t, PageRaster& raster, const ConversionSettings&) {
  DecodeStrips(raster);
  if (raster.height == 0) {
    raster = PageRaster();
    return;
  }
  raster.codingCode = kCodingT6;
  raster.bitOrder = 2;
  raster.xResolution = raster.yResolution = kResolution;
  raster.resolutionUnit = 2;
  if (orientation_ == kOrientationMM)
    TurnHalfway(raster);
}

int Ig4Reader::WritePages(const std::string& outputPath, const ConversionSettings&) {
  PageRaster raster;
  if (!DecodeStrips(raster))
    return kFaxPageUnreadable;
  FaxTiffWriter writer;
  if (writer.Open(outputPath, FaxTiffWriter::kLittleEndian, "wb") != 0)
    return kFaxOutputUnwritable;
  writer.WriteHeader();
  writer.InitDirectory();
  writer.SetStrips(std::uint16_t(stripOffsets_.size()), rowsPerStrip_, stripOffsets_.data(),
                   stripByteCounts_.data());
  writer.SetCodingCode(kCodingT6, 0);
  writer.SetFillOrder(2);
  writer.SetSize(width_, height_);
  writer.SetPageNumber(0, 1);
  writer.SetOrientation(orientation_);
  const std::uint32_t directory = writer.WriteStripsPageData(
      Bytes().data() + stripOffsets_[0], dataLength_, kResolution, kResolution, 2);
  writer.WriteDirectory(directory);
  return writer.Close() == 0 ? 0 : kFaxOutputUnwritable;
}
