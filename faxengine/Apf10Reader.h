// Reader of APF10 fax documents: a 64-byte file header ("APF10", the page
// count, the first page's offset) and a chain of pages, each a 16-byte page
// header (data length, flags) before T.4 one-dimensional data stored least
// significant bit first. Pages are decoded and written as rows.
#pragma once

#include "faxengine/FormatFileReader.h"

#include <cstdint>
#include <optional>
#include <span>

class Apf10Reader final : public FormatFileReader {
public:
  // Page header flags.
  static constexpr std::uint8_t kFineResolution = 1; // 200 lines per inch, else 100
  static constexpr std::uint8_t kWidePage = 2;       // 2048 pixels, else 1728
  static constexpr std::uint8_t kLineWords = 4;      // a 16-bit word before every line

  void DecodePage(std::uint16_t index, PageRaster& raster, const ConversionSettings&) override;

private:
  int Detect() override;
  int WritePages(const std::string& outputPath, const ConversionSettings& settings) override;
  struct Page {
    std::uint8_t flags = 0;
    std::span<const std::uint8_t> data;
  };
  // Walks the chain for the announced pages; the offsets of the pages that
  // lie whole inside the file are kept. The announced count is returned: a
  // page the chain does not reach cannot be read, and fails the document.
  std::uint16_t CountPages() override;
  std::optional<Page> ReadPage(std::uint16_t index) const;

  std::uint16_t announcedPages_ = 0;
};
