// Pages whose container header states their coding, size and resolution:
// decoded for the engine's raster and checked to be whole before they go
// into the engine's TIFF.
#pragma once

#include "faxengine/FaxTiffWriter.h"
#include "faxformats/FaxDecoder.h"
#include "faxformats/PageRaster.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>

// Whether a header's row count is what the page holds or only the most rows
// to read (a default standing in for a missing count, or a count the user
// asked to have recounted).
enum class RowCount { Promised, AtMost };

struct HeadedPage {
  std::span<const std::uint8_t> data;
  std::uint8_t codingCode = kCodingT6; // 1, 3..8 (see FaxTiffWriter.h)
  std::uint8_t fillOrder = 1;
  std::uint32_t width = 0;
  std::uint32_t rows = 0;
  RowCount rowCount = RowCount::Promised;
  std::uint16_t xResolution = 200;
  std::uint16_t yResolution = 200;
};

class HeadedPageDecoder {
public:
  // Decodes page into raster (white is a 1 bit, as in every decoded raster)
  // and tells whether the page is whole: coded pages as PageFromDecoding
  // judges them, and a T.6 page must reach the rows it promises (a cut at a
  // line boundary shows no other way); uncompressed and PackBits rows must
  // hold every promised row. The raster is empty when nothing was read.
  bool Decode(const HeadedPage& page, PageRaster& raster);
  // Decodes page and describes it for the TIFF writer; false when it is not
  // whole. The page's data stays valid until the next call.
  bool ToTiffPage(const HeadedPage& page, FaxTiffPage& out);
  // Writes pageCount pages into a new TIFF, page i as readPage finds it
  // (nothing when it cannot be read): WriteFaxPages' result.
  int WritePages(const std::string& outputPath, std::uint16_t pageCount,
                 const std::function<std::optional<HeadedPage>(std::uint16_t)>& readPage);

private:
  bool DecodeCoded(const HeadedPage& page, PageRaster& raster);
  bool DecodeRows(const HeadedPage& page, PageRaster& raster) const;

  FaxG4Decoder decoder_;
  PageRaster raster_;
};
