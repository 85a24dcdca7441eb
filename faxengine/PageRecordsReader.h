// Page-record documents ("fxd", "fxm", "fxr", "fxs"): a chain of pages, each
// a 128-byte record header (0x0B '#') that states its page's coding, size,
// resolution and caption, followed by the page's data. The first page's
// caption is the document's sender comment.
#pragma once

#include "faxengine/FormatFileReader.h"
#include "faxengine/HeadedPage.h"

#include <optional>

class PageRecordsReader final : public FormatFileReader {
public:
  void DecodePage(std::uint16_t index, PageRaster& raster,
                  const ConversionSettings& settings) override;
  // The caption of the page, as the sender comment; an empty caption
  // leaves none.
  void ReadDocInfo(std::uint16_t page, FaxDocInfo& info) override;

private:
  int WritePages(const std::string& outputPath, const ConversionSettings& settings) override;
  std::uint16_t CountPages() override;
  std::optional<HeadedPage> ReadPage(std::uint16_t index, const ConversionSettings& settings) const;

  HeadedPageDecoder decoder_;
};
