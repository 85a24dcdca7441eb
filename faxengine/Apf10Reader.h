// Reader of APF10 fax documents: a 64-byte file header ("APF10", the page
// count, the first page's offset) and a chain of pages, each a 16-byte page
// header (data length, flags) before T.4 one-dimensional data stored least
// significant bit first. Pages are decoded and written as rows.
#pragma once

#include "faxengine/FaxFormatReader.h"
#include "faxengine/FaxReader.h"

#include <cstdint>
#include <optional>
#include <span>

class Apf10Reader final : public FaxReader, public FaxFormatReader {
public:
  // Page header flags.
  static constexpr std::uint8_t kFineResolution = 1; // 200 lines per inch, else 100
  static constexpr std::uint8_t kWidePage = 2;       // 2048 pixels, else 1728
  static constexpr std::uint8_t kLineWords = 4;      // a 16-bit word before every line

  int Identify(const std::string& path, ConversionSettings& settings, bool& recognised) override;
  void DecodePage(std::uint16_t index, PageRaster& raster, const ConversionSettings&) override;
  int WriteTiff(const std::string& outputPath, const ConversionSettings& settings,
                const PageRaster&) override;
  void Close() override { FaxReader::Close(); }

private:
  struct Page {
    std::uint8_t flags = 0;
    std::span<const std::uint8_t> data;
  };
  // Walks the chain for the announced pages; the offsets of the pages that
  // lie whole inside the file are kept. The announced count is returned: a
  // page the chain does not reach cannot be read, and fails the document.
  std::uint16_t CountPages();
  std::optional<Page> ReadPage(std::uint16_t index) const;

  std::uint16_t announcedPages_ = 0;
};
