#include "faxengine/CodedPage.h"

#include "faxformats/PackBits.h"

bool PageFromDecoding(const FaxDecoder& decoder, const PageRaster& raster,
                      std::span<const std::uint8_t> coded, FaxTiffPage& page) {
  if (raster.width < 1 || raster.height < 1)
    return false;
  page.width = raster.width;
  page.height = raster.height;
  if (!decoder.PageLostLines()) {
    page.codingCode = decoder.CodingCode();
    page.photometric = 0;
    page.fillOrder = decoder.BitOrder();
    page.data = coded;
    return true;
  }
  if (decoder.CodingCode() == kCodingT6)
    return false;
  // Decoded rows hold white as 1 bits unless the decoder was told to invert.
  page.codingCode = kCodingUncompressed;
  page.photometric = raster.invert ? 0 : 1;
  page.fillOrder = 1;
  page.data = std::span<const std::uint8_t>(raster.rows.data(),
                                            std::size_t(raster.bytesPerRow) * raster.height);
  return true;
}

void PageFromRows(const PageRaster& raster, std::vector<std::uint8_t>& encoded, FaxTiffPage& page) {
  const std::span<const std::uint8_t> rows(raster.rows.data(),
                                           std::size_t(raster.bytesPerRow) * raster.height);
  page.photometric = 1;
  page.fillOrder = 1;
  page.width = raster.width;
  page.height = raster.height;
  page.xResolution = raster.xResolution;
  page.yResolution = raster.yResolution;
  page.resolutionUnit = raster.resolutionUnit;
  encoded.resize(rows.size());
  const int length = PackBitsEncodeRows(rows, raster.bytesPerRow, encoded);
  if (length < 0) {
    page.codingCode = kCodingUncompressed;
    page.data = rows;
    return;
  }
  page.codingCode = kCodingPackBits;
  page.data = std::span<const std::uint8_t>(encoded.data(), std::size_t(length));
}
