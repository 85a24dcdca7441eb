// Reader of one-bit Windows BMP files (BITMAPINFOHEADER and its later,
// longer versions, uncompressed): one page whose rows are written
// uncompressed. Images of more bits per pixel are not fax pages.
#pragma once

#include "faxengine/FormatFileReader.h"

class BmpReader final : public FormatFileReader {
public:
  void DecodePage(std::uint16_t index, PageRaster& raster, const ConversionSettings&) override;

private:
  int Detect() override;
  std::uint16_t CountPages() override;
  int WritePages(const std::string& outputPath, const ConversionSettings& settings) override;
};
