// Page-record documents ("fxd", "fxm", "fxr", "fxs"): a chain of pages, each
// a 128-byte record header (0x0B '#') that states its page's coding, size,
// resolution and caption, followed by the page's data. The first page's
// caption is the document's sender comment.
#pragma once

#include "faxengine/FaxFormatReader.h"
#include "faxengine/FaxReader.h"
#include "faxengine/HeadedPage.h"

#include <optional>

class PageRecordsReader final : public FaxReader, public FaxFormatReader {
public:
  int Identify(const std::string& path, ConversionSettings& settings, bool& recognised) override;
  void DecodePage(std::uint16_t index, PageRaster& raster,
                  const ConversionSettings& settings) override;
  int WriteTiff(const std::string& outputPath, const ConversionSettings& settings,
                const PageRaster& firstPage) override;
  // The caption of the page, as the sender comment; an empty caption
  // leaves none.
  void ReadDocInfo(std::uint16_t page, FaxDocInfo& info) override;
  void Close() override { FaxReader::Close(); }

private:
  std::uint16_t CountPages();
  std::optional<HeadedPage> ReadPage(std::uint16_t index, const ConversionSettings& settings) const;

  HeadedPageDecoder decoder_;
};
