// Reader of one-bit Windows BMP files (BITMAPINFOHEADER and its later,
// longer versions, uncompressed): one page whose rows are written
// uncompressed. Images of more bits per pixel are not fax pages.
#pragma once

#include "faxengine/FaxFormatReader.h"
#include "faxengine/FaxReader.h"

class BmpReader final : public FaxReader, public FaxFormatReader {
public:
  int Identify(const std::string& path, ConversionSettings& settings, bool& recognised) override;
  void DecodePage(std::uint16_t index, PageRaster& raster, const ConversionSettings&) override;
  int WriteTiff(const std::string& outputPath, const ConversionSettings& settings,
                const PageRaster&) override;
  void Close() override { FaxReader::Close(); }
};
