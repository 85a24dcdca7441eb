// KVR-FAX documents: a chain of pages, each a 64-byte header beginning
// "KVR-FAX" that states its page's coding, size and resolution, followed by
// the page's data.
#pragma once

#include "faxengine/FormatFileReader.h"
#include "faxengine/HeadedPage.h"

#include <optional>

class KvrFaxReader final : public FormatFileReader {
public:
  void DecodePage(std::uint16_t index, PageRaster& raster,
                  const ConversionSettings& settings) override;

private:
  int WritePages(const std::string& outputPath, const ConversionSettings& settings) override;
  // Records the offset of every page header of the chain.
  std::uint16_t CountPages() override;
  std::optional<HeadedPage> ReadPage(std::uint16_t index, const ConversionSettings& settings) const;

  HeadedPageDecoder decoder_;
};
