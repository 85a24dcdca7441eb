// Reader of DCX documents: a table of page offsets behind the signature
// 0x3ADE68B1, each page a PCX image. One-bit PCX pages are decoded from
// their run-length rows and written as rows; pages of more bits or planes
// (colour scans) are not fax pages.
#pragma once

#include "faxengine/FormatFileReader.h"

#include <cstdint>
#include <optional>
#include <span>

class DcxReader final : public FormatFileReader {
public:
  static constexpr std::uint32_t kSignature = 0x3ADE68B1;
  // The offset table's slots: the first page follows them at offset 4100.
  static constexpr std::size_t kMaxTablePages = 1024;

  void DecodePage(std::uint16_t index, PageRaster& raster, const ConversionSettings&) override;

private:
  int Detect() override;
  int WritePages(const std::string& outputPath, const ConversionSettings& settings) override;
  // Reads the table up to its first zero entry or its 1024th; a table that
  // goes on beyond its slots (the first page further on, the next entry not
  // zero) holds pages this format cannot give, and fails the document.
  std::uint16_t CountPages() override;
  // The bytes of page index: from its offset to the next page's, or to the
  // end of the file. Nothing when the table does not place it there in
  // order, behind the table.
  std::optional<std::span<const std::uint8_t>> PageBytes(std::uint16_t index) const;

  bool tableOverflows_ = false;
};
