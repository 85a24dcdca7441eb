#include "faxengine/BmpReader.h"

#include "faxengine/CodedPage.h"
#include "faxengine/FaxTiffWriter.h"
#include "faxformats/ByteReader.h"
#include "faxformats/PaletteColour.h"
#include "faxformats/RasterFromRows.h"

#include <algorithm>
#include <optional>

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kPixelsAt = 10;
constexpr std::size_t kInfoAt = kFileHeaderSize;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kUncompressed = 0; // BI_RGB

struct BmpLayout {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  bool topDown = false;
  std::size_t pixelsAt = 0;
  std::size_t stride = 0; // bytes of one stored row, a multiple of 4
  std::uint8_t photometric = 1;
  std::uint16_t xResolution = 200, yResolution = 200;
  std::uint8_t resolutionUnit = 2;
};

// Pixels per metre as the raster's dots per centimetre; 0 when unknown.
std::uint16_t PerCentimetre(std::uint32_t pixelsPerMetre) {
  return static_cast<std::uint16_t>(std::min<std::uint32_t>(pixelsPerMetre / 100, 65535));
}

// The layout of a one-bit, uncompressed BMP whose rows all lie in the file;
// nothing for anything else.
std::optional<BmpLayout> ReadLayout(const ByteReader& file) {
  const auto headerSize = file.u32At(kInfoAt);
  if (!headerSize || *headerSize < kInfoHeaderSize || !file.contains(kInfoAt, *headerSize) ||
      *file.u16At(kInfoAt + 14) != 1 || *file.u32At(kInfoAt + 16) != kUncompressed)
    return std::nullopt;
  const auto width = static_cast<std::int32_t>(*file.u32At(kInfoAt + 4));
  const auto height = static_cast<std::int32_t>(*file.u32At(kInfoAt + 8));
  if (width <= 0 || std::uint32_t(width) > kMaxFaxWidth || height == 0)
    return std::nullopt;
  BmpLayout layout;
  layout.width = std::uint32_t(width);
  layout.topDown = height < 0;
  layout.height = static_cast<std::uint32_t>(height < 0 ? -std::int64_t(height) : height);
  layout.pixelsAt = *file.u32At(kPixelsAt);
  layout.stride = (std::size_t(layout.width) + 31) / 32 * 4;
  // The last row need not carry its padding; every other row is read whole.
  const std::uint64_t needed =
      std::uint64_t(layout.stride) * (layout.height - 1) + (layout.width + 7) / 8;
  if (needed > kMaxRasterBytes || !file.contains(layout.pixelsAt, needed))
    return std::nullopt;
  // The two palette entries (blue, green, red, reserved) follow the header.
  const std::size_t paletteAt = kInfoAt + *headerSize;
  if (!file.contains(paletteAt, 8))
    return std::nullopt;
  const auto colour = [&](std::size_t at) {
    return PaletteColour{*file.u8At(at + 2), *file.u8At(at + 1), *file.u8At(at)};
  };
  layout.photometric = PhotometricOfPalette(colour(paletteAt), colour(paletteAt + 4));
  const std::uint16_t x = PerCentimetre(*file.u32At(kInfoAt + 24));
  const std::uint16_t y = PerCentimetre(*file.u32At(kInfoAt + 28));
  if (x != 0 && y != 0) {
    layout.xResolution = x;
    layout.yResolution = y;
    layout.resolutionUnit = 3;
  }
  return layout;
}

// The stored rows, top row first and without their padding.
void GatherRows(std::span<const std::uint8_t> bytes, const BmpLayout& layout,
                std::vector<std::uint8_t>& rows) {
  const std::size_t rowBytes = (layout.width + 7) / 8;
  rows.resize(rowBytes * layout.height);
  for (std::uint32_t row = 0; row < layout.height; ++row) {
    const std::uint32_t stored = layout.topDown ? row : layout.height - 1 - row;
    const auto from = bytes.begin() + std::ptrdiff_t(layout.pixelsAt + layout.stride * stored);
    std::copy(from, from + std::ptrdiff_t(rowBytes), rows.begin() + std::ptrdiff_t(rowBytes * row));
  }
}

} // namespace

int BmpReader::Detect() {
  if (!ByteReader(Bytes()).contains(0, kFileHeaderSize))
    return -2;
  return Bytes()[0] == 'B' && Bytes()[1] == 'M' ? 0 : -3;
}

// A BMP file holds one image.
std::uint16_t BmpReader::CountPages() {
  AddPageOffset(0);
  return PageCount();
}

void BmpReader::DecodePage(std::uint16_t index, PageRaster& raster, const ConversionSettings&) {
  raster = PageRaster();
  if (!IsOpen() || index != 0)
    return;
  const auto layout = ReadLayout(ByteReader(Bytes()));
  if (!layout)
    return;
  GatherRows(Bytes(), *layout, WorkBuffer());
  RasterSource source;
  source.bytes = WorkBuffer();
  source.photometric = layout->photometric;
  source.width = layout->width;
  source.height = layout->height;
  if (RasterFromUncompressedRows(source, raster) != 0) {
    raster = PageRaster();
    return;
  }
  raster.xResolution = layout->xResolution;
  raster.yResolution = layout->yResolution;
  raster.resolutionUnit = layout->resolutionUnit;
}

int BmpReader::WritePages(const std::string& outputPath, const ConversionSettings& settings) {
  PageRaster raster;
  return WriteFaxPages(outputPath, 1, [&](std::uint16_t index, FaxTiffPage& page) {
    DecodePage(index, raster, settings);
    if (raster.width < 1 || raster.height < 1)
      return false;
    PageOfRows(raster, page);
    return true;
  });
}
