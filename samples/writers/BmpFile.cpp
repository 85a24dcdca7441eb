#include "samples/writers/BmpFile.h"

#include "samples/writers/ByteWriter.h"

#include <algorithm>

namespace {

void PaletteEntry(ByteWriter& bmp, std::uint32_t rgb) {
  bmp.u8(static_cast<std::uint8_t>(rgb));
  bmp.u8(static_cast<std::uint8_t>(rgb >> 8));
  bmp.u8(static_cast<std::uint8_t>(rgb >> 16));
  bmp.u8(0);
}

} // namespace

std::vector<std::uint8_t> BmpFile(const BmpImage& image) {
  constexpr std::uint32_t kPixelsAt = 14 + 40 + 8;
  const std::size_t rowBytes = (image.width + 7) / 8;
  const std::size_t stride = (std::size_t(image.width) + 31) / 32 * 4;
  const auto imageSize = static_cast<std::uint32_t>(stride * image.height);
  ByteWriter bmp;
  bmp.text("BM", 2);
  bmp.u32le(kPixelsAt + imageSize);
  bmp.u32le(0);
  bmp.u32le(kPixelsAt);
  bmp.u32le(40);
  bmp.u32le(image.width);
  const auto height = static_cast<std::int32_t>(image.height);
  bmp.u32le(static_cast<std::uint32_t>(image.topDown ? -height : height));
  bmp.u16le(1); // planes
  bmp.u16le(1); // bits per pixel
  bmp.u32le(0); // uncompressed
  bmp.u32le(imageSize);
  bmp.u32le(image.xPixelsPerMetre);
  bmp.u32le(image.yPixelsPerMetre);
  bmp.u32le(2); // colours used
  bmp.u32le(0);
  PaletteEntry(bmp, image.colour0);
  PaletteEntry(bmp, image.colour1);
  std::vector<std::uint8_t> line(stride, 0);
  for (std::uint32_t i = 0; i < image.height; ++i) {
    const std::uint32_t row = image.topDown ? i : image.height - 1 - i;
    std::copy_n(image.rows.begin() + std::ptrdiff_t(rowBytes * row), rowBytes, line.begin());
    bmp.append(line);
  }
  return bmp.bytes();
}
