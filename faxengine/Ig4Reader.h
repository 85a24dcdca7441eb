// IG4 images: one page of T.6 coded strips followed by an image header, a
// strip table and a 336-byte trailer that locates them. The strips go into
// the engine's TIFF unchanged, with the orientation the image header's byte
// order mark implies.
#pragma once

#include "faxengine/FormatFileReader.h"
#include "faxengine/HeadedPage.h"

#include <vector>

class ByteReader;

class Ig4Reader final : public FormatFileReader {
public:
  // The page as the strips hold it, turned by 180 degrees for an "MM" image.
  void DecodePage(std::uint16_t index, PageRaster& raster,
                  const ConversionSettings& settings) override;

private:
  std::uint16_t CountPages() override;
  int WritePages(const std::string& outputPath, const ConversionSettings& settings) override;
  // 0 when the file is an IG4 image whose strips all lie, in order, inside
  // the data the trailer gives them; -2 trailer unreadable, -3 another
  // signature, -4 image header unreadable or empty, -5 strip table
  // unreadable or inconsistent. The file is closed unless 0.
  int Detect() override;
  int CheckStrips(const ByteReader& file, std::uint64_t table, std::uint64_t stripsEnd,
                  std::uint64_t dataLength);
  // Decodes the strips one under the other into raster; true when each
  // held all its rows.
  bool DecodeStrips(PageRaster& raster);

  std::vector<std::uint32_t> stripOffsets_;
  std::vector<std::uint32_t> stripByteCounts_;
  std::uint32_t rowsPerStrip_ = 0;
  std::uint32_t width_ = 0;
  std::uint32_t height_ = 0;
  std::uint32_t dataLength_ = 0; // the strips' block, from the first strip on
  std::uint16_t orientation_ = 6;
  HeadedPageDecoder decoder_;
};
