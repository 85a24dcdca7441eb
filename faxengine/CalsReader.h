// CALS Type 1 raster files (MIL-R-28002): one page of T.6 coded data behind
// a header of sixteen 128-byte text records, of which the page size
// ("rpelcnt: <pixels>,<lines>") and the density ("rdensty: <dpi>") are used.
#pragma once

#include "faxengine/FormatFileReader.h"

#include <cstdint>
#include <span>
#include <string>

class FaxG4Decoder;

class CalsReader final : public FormatFileReader {
public:
  // 0 when the open file has a whole header whose page size and density are
  // numbers within the limits of one page; -1 no file; -2 otherwise, and the
  // file is then closed.
  int Detect() override;
  // The one page of a detected file; its data start behind the header.
  std::uint16_t CountPages() override;

  void DecodePage(std::uint16_t index, PageRaster& raster, const ConversionSettings&) override;

private:
  // The coded page unchanged when it decodes whole; kFaxPageUnreadable when
  // the T.6 data break off, since the rest of the page is lost.
  int WritePages(const std::string& outputPath, const ConversionSettings& settings) override;
  std::span<const std::uint8_t> CodedPage(std::uint16_t index) const;
  // Decodes page index with decoder, which then tells whether lines were lost.
  void Decode(std::uint16_t index, FaxG4Decoder& decoder, PageRaster& raster) const;

  std::uint32_t width_ = 0;
  std::uint32_t lines_ = 0;
  std::uint32_t density_ = 0;
};
