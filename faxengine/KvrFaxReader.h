// KVR-FAX documents: a chain of pages, each a 64-byte header beginning
// "KVR-FAX" that states its page's coding, size and resolution, followed by
// the page's data.
#pragma once

#include "faxengine/FaxFormatReader.h"
#include "faxengine/FaxReader.h"
#include "faxengine/HeadedPage.h"

#include <optional>

class KvrFaxReader final : public FaxReader, public FaxFormatReader {
public:
  int Identify(const std::string& path, ConversionSettings& settings, bool& recognised) override;
  void DecodePage(std::uint16_t index, PageRaster& raster,
                  const ConversionSettings& settings) override;
  int WriteTiff(const std::string& outputPath, const ConversionSettings& settings,
                const PageRaster& firstPage) override;
  void Close() override { FaxReader::Close(); }

private:
  // Records the offset of every page header of the chain; closes the file
  // when there is none.
  std::uint16_t CountPages();
  std::optional<HeadedPage> ReadPage(std::uint16_t index, const ConversionSettings& settings) const;

  HeadedPageDecoder decoder_;
};
