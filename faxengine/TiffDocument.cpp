#include "faxengine/TiffDocument.h"

#include "faxengine/AwdStub.h"

int TiffDocument::Identify(const std::string& path, ConversionSettings& settings,
                           bool& recognised) {
  reader_.Open(path);
  if (!reader_.IsOpen())
    return -1;
  if (reader_.Detect() == 0) {
    settings.pageCount = reader_.CountPages();
    recognised = true;
  }
  return 0;
}

void TiffDocument::DecodePage(std::uint16_t index, PageRaster& raster, const ConversionSettings&) {
  reader_.DecodePage(index, raster);
}

int TiffDocument::WriteTiff(const std::string& outputPath, const ConversionSettings&,
                            const PageRaster&) {
  if (!reader_.IsOpen())
    return -1;
  return reader_.WriteTiff(outputPath);
}

int AwdDocument::Identify(const std::string& path, ConversionSettings& settings,
                          bool& recognised) {
  reader_.Close();
  if (RunAwdStub(path, settings.engineTiffPath) != 0)
    return 0;
  return TiffDocument::Identify(settings.engineTiffPath, settings, recognised);
}

int AwdDocument::WriteTiff(const std::string& outputPath, const ConversionSettings& settings,
                           const PageRaster&) {
  return TiffFaxReader::CopyTiff(settings.engineTiffPath, outputPath, "wb");
}
