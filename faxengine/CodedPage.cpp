#include "faxengine/CodedPage.h"

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
