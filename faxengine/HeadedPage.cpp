#include "faxengine/HeadedPage.h"

#include "faxengine/CodedPage.h"
#include "faxformats/RasterFromRows.h"

#include <algorithm>
#include <cstdint>

namespace {

std::uint64_t BytesPerRow(std::uint32_t width) { return (std::uint64_t(width) + 7) / 8; }

// The most rows the data can hold, whatever the header asks for: a coded
// line takes at least one bit (a T.6 V0 code), a PackBits run of two bytes
// gives at most 128 bytes. Keeps a hostile row count from sizing the raster.
std::uint32_t RowsTheDataCanHold(const HeadedPage& page) {
  const std::uint64_t bytes = page.data.size();
  std::uint64_t rows = 0;
  if (page.codingCode == kCodingUncompressed)
    rows = bytes / std::max<std::uint64_t>(BytesPerRow(page.width), 1);
  else if (page.codingCode == kCodingPackBits)
    rows = (bytes / 2 + 1) * 128 / std::max<std::uint64_t>(BytesPerRow(page.width), 1);
  else
    rows = bytes * 8;
  return std::uint32_t(std::min<std::uint64_t>(rows, page.rows));
}

bool HoldsPromise(const HeadedPage& page, const PageRaster& raster) {
  return page.rowCount == RowCount::AtMost || raster.height >= page.rows;
}

} // namespace

bool HeadedPageDecoder::Decode(const HeadedPage& page, PageRaster& raster) {
  raster = PageRaster();
  const bool whole = page.codingCode == kCodingUncompressed || page.codingCode == kCodingPackBits
                         ? DecodeRows(page, raster)
                         : DecodeCoded(page, raster);
  if (raster.width < 1 || raster.height < 1)
    return false;
  raster.xResolution = page.xResolution;
  raster.yResolution = page.yResolution;
  raster.resolutionUnit = 2;
  return whole;
}

bool HeadedPageDecoder::DecodeCoded(const HeadedPage& page, PageRaster& raster) {
  if (page.codingCode < kCodingMhBytes || page.codingCode > kCodingT6 || page.data.empty() ||
      page.width > kMaxFaxWidth)
    return false;
  decoder_.Initialise(page.data.data(), std::uint32_t(page.data.size()), page.fillOrder,
                      page.codingCode, 0);
  decoder_.SetOptions(0);
  decoder_.SetStartMarkerCount(3);
  decoder_.SetSize(std::int32_t(page.width),
                   std::int32_t(std::min<std::uint32_t>(RowsTheDataCanHold(page), INT32_MAX)));
  if (decoder_.DecodePage(raster) < 0 && raster.height == 0) {
    raster = PageRaster();
    return false;
  }
  // One rule decides what a decoded page is worth, for the raster as for
  // the TIFF.
  FaxTiffPage judged;
  if (!PageFromDecoding(decoder_, raster, page.data, judged))
    return false;
  return page.codingCode != kCodingT6 || HoldsPromise(page, raster);
}

bool HeadedPageDecoder::DecodeRows(const HeadedPage& page, PageRaster& raster) const {
  RasterSource source;
  source.bytes = page.data;
  source.fillOrder = page.fillOrder;
  source.photometric = 0;
  source.width = page.width;
  source.height = RowsTheDataCanHold(page);
  if (page.codingCode == kCodingUncompressed) {
    if (RasterFromUncompressedRows(source, raster) != 0)
      return false;
  } else {
    std::uint32_t filled = 0;
    if (RasterFromPackBitsRows(source, raster, &filled) < 0)
      return false;
    raster.height = filled;
  }
  return HoldsPromise(page, raster);
}

bool HeadedPageDecoder::ToTiffPage(const HeadedPage& page, FaxTiffPage& out) {
  if (!Decode(page, raster_))
    return false;
  out.xResolution = page.xResolution;
  out.yResolution = page.yResolution;
  out.resolutionUnit = 2;
  if (page.codingCode != kCodingUncompressed && page.codingCode != kCodingPackBits)
    return PageFromDecoding(decoder_, raster_, page.data, out);
  // Rows that are not fax coded go through as they are, up to the last
  // whole row.
  out.codingCode = page.codingCode;
  out.photometric = 0;
  out.fillOrder = page.fillOrder;
  out.width = raster_.width;
  out.height = raster_.height;
  out.data = page.codingCode == kCodingPackBits
                 ? page.data
                 : page.data.first(std::size_t(raster_.bytesPerRow) * raster_.height);
  return true;
}

int HeadedPageDecoder::WritePages(
    const std::string& outputPath, std::uint16_t pageCount,
    const std::function<std::optional<HeadedPage>(std::uint16_t)>& readPage) {
  return WriteFaxPages(outputPath, pageCount, [&](std::uint16_t index, FaxTiffPage& out) {
    const std::optional<HeadedPage> page = readPage(index);
    return page && ToTiffPage(*page, out);
  });
}
