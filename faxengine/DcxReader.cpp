#include "faxengine/DcxReader.h"

#include "faxengine/CodedPage.h"
#include "faxengine/FaxTiffWriter.h"
#include "faxformats/ByteReader.h"
#include "faxformats/PaletteColour.h"
#include "faxformats/RasterFromRows.h"

#include <vector>

namespace {

constexpr std::size_t kTableAt = 4;

// The fields of a PCX header (ZSoft PCX, 128 bytes) that a one-bit page uses.
struct PcxHeader {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::uint16_t bytesPerLine = 0;
  std::uint16_t xResolution = 0;
  std::uint16_t yResolution = 0;
  std::uint8_t photometric = 1;
};
constexpr std::size_t kPcxHeaderSize = 128;
constexpr std::size_t kPcxPaletteAt = 16;
// A run-length pair yields at most 63 bytes: a header that asks for more
// rows than its data can hold is damaged, and is refused before any
// allocation.
constexpr std::uint64_t kMaxBytesPerDataByte = 32;

// One bit per pixel in one plane, with a sane size; nothing otherwise.
std::optional<PcxHeader> ReadPcxHeader(std::span<const std::uint8_t> page) {
  ByteReader pcx(page);
  if (!pcx.contains(0, kPcxHeaderSize) || *pcx.u8At(3) != 1 || *pcx.u8At(65) != 1)
    return std::nullopt;
  const std::uint16_t xMin = *pcx.u16At(4), yMin = *pcx.u16At(6);
  const std::uint16_t xMax = *pcx.u16At(8), yMax = *pcx.u16At(10);
  if (xMax < xMin || yMax < yMin)
    return std::nullopt;
  PcxHeader header;
  header.width = std::uint32_t(xMax - xMin) + 1;
  header.height = std::uint32_t(yMax - yMin) + 1;
  header.bytesPerLine = *pcx.u16At(66);
  header.xResolution = *pcx.u16At(12);
  header.yResolution = *pcx.u16At(14);
  if (header.bytesPerLine < (header.width + 7) / 8 ||
      std::uint64_t(header.bytesPerLine) * header.height >
          kMaxBytesPerDataByte * (page.size() - kPcxHeaderSize))
    return std::nullopt;
  // The header palette's first two colours name the bits; an all-zero
  // palette (files without one) leaves a one bit white.
  const auto colour = [&](std::size_t index) {
    const std::size_t at = kPcxPaletteAt + 3 * index;
    return PaletteColour{*pcx.u8At(at), *pcx.u8At(at + 1), *pcx.u8At(at + 2)};
  };
  header.photometric = PhotometricOfPalette(colour(0), colour(1));
  return header;
}

// PCX run-length data: a byte above 0xC0 repeats the next byte (byte - 0xC0)
// times, any other byte stands for itself. Rows follow one another in the
// data; of each row of bytesPerLine bytes the first rowBytes are kept, the
// rest is padding. False when the data end before the last row.
bool DecodePcxRows(std::span<const std::uint8_t> data, const PcxHeader& header,
                   std::uint32_t rowBytes, std::vector<std::uint8_t>& rows) {
  rows.assign(std::size_t(rowBytes) * header.height, 0);
  const std::uint64_t total = std::uint64_t(header.bytesPerLine) * header.height;
  std::uint64_t produced = 0;
  std::size_t at = 0, kept = 0;
  std::uint32_t column = 0;
  while (produced < total && at < data.size()) {
    std::uint8_t value = data[at++];
    std::uint32_t count = 1;
    if (value > 0xC0) {
      if (at >= data.size())
        break;
      count = value - 0xC0u;
      value = data[at++];
    }
    for (; count > 0 && produced < total; --count, ++produced) {
      if (column < rowBytes)
        rows[kept++] = value;
      if (++column == header.bytesPerLine)
        column = 0;
    }
  }
  return produced == total;
}

// A PCX page as a raster (white a 1 bit); false when it is no one-bit
// image or its data are cut short.
bool DecodePcxPage(std::span<const std::uint8_t> page, std::vector<std::uint8_t>& rows,
                   PageRaster& raster) {
  const auto header = ReadPcxHeader(page);
  if (!header)
    return false;
  const std::uint32_t rowBytes = (header->width + 7) / 8;
  if (std::uint64_t(rowBytes) * header->height > kMaxRasterBytes ||
      !DecodePcxRows(page.subspan(kPcxHeaderSize), *header, rowBytes, rows))
    return false;
  RasterSource source;
  source.bytes = rows;
  source.photometric = header->photometric;
  source.width = header->width;
  source.height = header->height;
  if (RasterFromUncompressedRows(source, raster) != 0)
    return false;
  raster.xResolution = header->xResolution;
  raster.yResolution = header->yResolution;
  raster.resolutionUnit = 2;
  return true;
}

} // namespace

int DcxReader::Detect() {
  tableOverflows_ = false;
  return ByteReader(Bytes()).u32At(0) == kSignature ? 0 : -3;
}

std::uint16_t DcxReader::CountPages() {
  ByteReader file(Bytes());
  for (std::size_t slot = 0; slot < kMaxTablePages; ++slot) {
    const auto offset = file.u32At(kTableAt + 4 * slot);
    if (!offset || *offset == 0 || AddPageOffset(*offset) != 0)
      break;
  }
  const std::size_t tableEnd = kTableAt + 4 * kMaxTablePages;
  const auto next = file.u32At(tableEnd);
  tableOverflows_ = PageCount() == kMaxTablePages && next && *next != 0 && PageOffset(0) > tableEnd;
  return PageCount();
}

std::optional<std::span<const std::uint8_t>> DcxReader::PageBytes(std::uint16_t index) const {
  if (!IsOpen() || index >= PageCount())
    return std::nullopt;
  const std::size_t tableEnd = kTableAt + 4 * std::size_t(PageCount());
  const std::size_t start = PageOffset(index);
  const std::size_t end = index + 1 < PageCount() ? PageOffset(index + 1) : FileSize();
  if (start < tableEnd || end <= start)
    return std::nullopt;
  return ByteReader(Bytes()).slice(start, end - start);
}

void DcxReader::DecodePage(std::uint16_t index, PageRaster& raster, const ConversionSettings&) {
  raster = PageRaster();
  const auto page = PageBytes(index);
  if (!page || !DecodePcxPage(*page, WorkBuffer(), raster))
    raster = PageRaster();
}

int DcxReader::WritePages(const std::string& outputPath, const ConversionSettings& settings) {
  if (tableOverflows_)
    return kFaxPageUnreadable;
  PageRaster raster;
  std::vector<std::uint8_t> encoded;
  return WriteFaxPages(outputPath, PageCount(), [&](std::uint16_t index, FaxTiffPage& page) {
    DecodePage(index, raster, settings);
    if (raster.width < 1 || raster.height < 1)
      return false;
    PageFromRows(raster, encoded, page);
    return true;
  });
}
