#include "faxformats/PageRaster.h"

#include <new>

bool PageRaster::Allocate(std::uint32_t newWidth, std::uint32_t maxRows) {
  rows.clear();
  std::uint64_t perRow = (std::uint64_t(newWidth) + 7) / 8;
  if (newWidth == 0 || newWidth > kMaxFaxWidth || perRow * maxRows > kMaxRasterBytes) {
    rows.shrink_to_fit();
    return false;
  }
  try {
    rows.assign(std::size_t(perRow * maxRows), 0);
  } catch (const std::bad_alloc&) {
    return false;
  }
  width = newWidth;
  bytesPerRow = std::uint32_t(perRow);
  return true;
}

namespace {

template <typename T> void Put(std::uint8_t*& out, T value) {
  for (std::size_t i = 0; i < sizeof(T); ++i)
    *out++ = std::uint8_t(std::uint64_t(value) >> (8 * i));
}

template <typename T> T Get(const std::uint8_t*& in) {
  std::uint64_t value = 0;
  for (std::size_t i = 0; i < sizeof(T); ++i)
    value |= std::uint64_t(*in++) << (8 * i);
  return T(value);
}

} // namespace

std::array<std::uint8_t, PageRaster::kStoredSize> PageRaster::Stored() const {
  std::array<std::uint8_t, kStoredSize> bytes{};
  std::uint8_t* out = bytes.data();
  Put(out, reserved);
  Put(out, width);
  Put(out, height);
  Put(out, bytesPerRow);
  Put(out, samplesPerPixel);
  Put(out, bitsPerSample);
  Put(out, dataSize);
  Put(out, xResolution);
  Put(out, yResolution);
  Put(out, resolutionUnit);
  Put(out, bitOrder);
  Put(out, codingCode);
  Put(out, sizeClass);
  Put(out, invert);
  Put(out, std::uint32_t(0)); // the rows pointer has no meaning on disk
  return bytes;
}

PageRaster PageRaster::FromStored(const std::array<std::uint8_t, kStoredSize>& bytes) {
  PageRaster raster;
  const std::uint8_t* in = bytes.data();
  raster.reserved = Get<std::uint32_t>(in);
  raster.width = Get<std::uint32_t>(in);
  raster.height = Get<std::uint32_t>(in);
  raster.bytesPerRow = Get<std::uint32_t>(in);
  raster.samplesPerPixel = Get<std::uint16_t>(in);
  raster.bitsPerSample = Get<std::uint16_t>(in);
  raster.dataSize = Get<std::uint32_t>(in);
  raster.xResolution = Get<std::uint16_t>(in);
  raster.yResolution = Get<std::uint16_t>(in);
  raster.resolutionUnit = Get<std::uint8_t>(in);
  raster.bitOrder = Get<std::uint8_t>(in);
  raster.codingCode = Get<std::uint8_t>(in);
  raster.sizeClass = Get<std::uint8_t>(in);
  raster.invert = Get<std::uint8_t>(in);
  return raster;
}

WidthClass ClassifyWidth(std::uint32_t width) {
  struct Row {
    std::uint32_t upTo;
    WidthClass result;
  };
  static constexpr Row kRows[] = {
      {1728, {200, 1}}, {2048, {200, 2}}, {2432, {200, 3}}, {2592, {300, 1}},
      {3072, {300, 2}}, {3456, {400, 1}}, {3648, {300, 3}}, {4096, {400, 2}},
  };
  for (const Row& row : kRows)
    if (width <= row.upTo)
      return row.result;
  return {400, 3};
}
