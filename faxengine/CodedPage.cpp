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
  PageOfRows(raster, page);
  // Decoded rows hold white as 1 bits unless the decoder was told to invert.
  page.photometric = raster.invert ? 0 : 1;
  return true;
}

void PageOfRows(const PageRaster& raster, FaxTiffPage& page) {
  page.codingCode = kCodingUncompressed;
  page.photometric = 1;
  page.fillOrder = 1;
  page.width = raster.width;
  page.height = raster.height;
  page.xResolution = raster.xResolution;
  page.yResolution = raster.yResolution;
  page.resolutionUnit = raster.resolutionUnit;
  page.data = std::span<const std::uint8_t>(raster.rows.data(),
                                            std::size_t(raster.bytesPerRow) * raster.height);
}

void PageFromRows(const PageRaster& raster, std::vector<std::uint8_t>& encoded, FaxTiffPage& page) {
  PageOfRows(raster, page);
  encoded.resize(page.data.size());
  const int length = PackBitsEncodeRows(page.data, raster.bytesPerRow, encoded);
  if (length < 0)
    return;
  page.codingCode = kCodingPackBits;
  page.data = std::span<const std::uint8_t>(encoded.data(), std::size_t(length));
}
