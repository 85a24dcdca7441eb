// Single Group 4 pages (extensions beginning "ed"): a 740-byte header that
// begins FF FF 00 01 and gives, big-endian, the page's resolution, lines and
// width, then T.6 data to the end of the file.
#pragma once

#include "faxengine/FormatFileReader.h"
#include "faxengine/HeadedPage.h"

#include <optional>

class SingleGroup4Reader final : public FormatFileReader {
public:
  void DecodePage(std::uint16_t index, PageRaster& raster,
                  const ConversionSettings& settings) override;

private:
  std::uint16_t CountPages() override;
  int WritePages(const std::string& outputPath, const ConversionSettings& settings) override;
  // 0 when the file is of this format; -2 when its header is cut short, -3
  // for another signature (the file is then closed).
  int Detect() override;
  std::optional<HeadedPage> ReadPage() const;

  HeadedPageDecoder decoder_;
};
