#include "faxengine/SingleGroup4Reader.h"

#include "faxformats/ByteReader.h"

#include <algorithm>

namespace {

constexpr std::size_t kHeaderSize = 740;
constexpr std::uint8_t kSignature[] = {0xFF, 0xFF, 0x00, 0x01};

} // namespace

// The file holds one page.
std::uint16_t SingleGroup4Reader::CountPages() {
  AddPageOffset(0);
  return PageCount();
}

int SingleGroup4Reader::Detect() {
  const ByteReader file(Bytes());
  auto header = file.slice(0, kHeaderSize);
  if (!header)
    return -2;
  return std::equal(std::begin(kSignature), std::end(kSignature), header->begin()) ? 0 : -3;
}

std::optional<HeadedPage> SingleGroup4Reader::ReadPage() const {
  if (!IsOpen() || PageCount() == 0)
    return std::nullopt;
  ByteReader file(Bytes(), ByteOrder::BigEndian);
  HeadedPage page;
  page.xResolution = page.yResolution = *file.u16At(614);
  page.rows = *file.u32At(732);
  page.width = *file.u32At(736);
  page.codingCode = kCodingT6;
  page.fillOrder = 2;
  page.data = *file.slice(kHeaderSize, file.size() - kHeaderSize);
  return page;
}

void SingleGroup4Reader::DecodePage(std::uint16_t, PageRaster& raster, const ConversionSettings&) {
  raster = PageRaster();
  if (auto page = ReadPage())
    decoder_.Decode(*page, raster);
}

int SingleGroup4Reader::WritePages(const std::string& outputPath, const ConversionSettings&) {
  return decoder_.WritePages(outputPath, PageCount(), [&](std::uint16_t) { return ReadPage(); });
}
