// Documents whose pages are TIFF directories: "fmf", "g3n" and TIFF-like
// "g3f" files, AWD documents once the outside converter has made a TIFF of
// them, and the TIFF the archive reader assembles.
#pragma once

#include "faxengine/FaxFormatReader.h"
#include "faxengine/TiffFaxReader.h"

class TiffDocument : public FaxFormatReader {
public:
  int Identify(const std::string& path, ConversionSettings& settings, bool& recognised) override;
  void DecodePage(std::uint16_t index, PageRaster& raster, const ConversionSettings&) override;
  int WriteTiff(const std::string& outputPath, const ConversionSettings&,
                const PageRaster&) override;
  void Close() override { reader_.Close(); }

protected:
  TiffFaxReader reader_;
};

// AWD documents: the outside converter turns them into a TIFF first. When it
// cannot run, the reader stays closed and page 1 decodes to nothing.
class AwdDocument : public TiffDocument {
public:
  int Identify(const std::string& path, ConversionSettings& settings, bool& recognised) override;
  int WriteTiff(const std::string& outputPath, const ConversionSettings& settings,
                const PageRaster&) override;
};
