// Single Group 4 pages (extensions beginning "ed"): a 740-byte header that
// begins FF FF 00 01 and gives, big-endian, the page's resolution, lines and
// width, then T.6 data to the end of the file.
#pragma once

#include "faxengine/FaxFormatReader.h"
#include "faxengine/FaxReader.h"
#include "faxengine/HeadedPage.h"

#include <optional>

class SingleGroup4Reader final : public FaxReader, public FaxFormatReader {
public:
  int Identify(const std::string& path, ConversionSettings& settings, bool& recognised) override;
  void DecodePage(std::uint16_t index, PageRaster& raster,
                  const ConversionSettings& settings) override;
  int WriteTiff(const std::string& outputPath, const ConversionSettings& settings,
                const PageRaster& firstPage) override;
  void Close() override { FaxReader::Close(); }

private:
  // 0 when the file is of this format; -2 when its header is cut short, -3
  // for another signature (the file is then closed).
  int Detect();
  std::optional<HeadedPage> ReadPage() const;

  HeadedPageDecoder decoder_;
};
