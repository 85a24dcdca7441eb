#include "tiffcopy/DataCopy.h"

#include "tiffcopy/CopyLimits.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

namespace tiffcopy {
namespace {

using Bytes = std::vector<std::uint8_t>;
using ChunkIo = tmsize_t (*)(TIFF*, std::uint32_t, void*, tmsize_t);

std::uint32_t RowsPerStrip(TIFF* tiff, std::uint32_t length) {
  std::uint32_t rows = 0;
  TIFFGetFieldDefaulted(tiff, TIFFTAG_ROWSPERSTRIP, &rows);
  return rows == 0 || rows > length ? length : rows;
}

std::uint32_t RowsOfStrip(std::uint32_t stripInPlane, std::uint32_t rowsPerStrip,
                          std::uint32_t length) {
  const std::uint64_t first = std::uint64_t{stripInPlane} * rowsPerStrip;
  return static_cast<std::uint32_t>(std::min<std::uint64_t>(rowsPerStrip, length - first));
}

// Reads each chunk decoded and writes it with the same number; sizeOf(i)
// gives the decoded size of chunk i, the same on both sides.
template <typename SizeOf>
bool CopyChunks(TIFF* in, TIFF* out, std::uint32_t count, std::uint64_t largest, SizeOf sizeOf,
                ChunkIo read, ChunkIo write) {
  if (largest == 0 || largest > kMaxAllocation)
    return false;
  Bytes buffer(largest);
  for (std::uint32_t i = 0; i < count; ++i) {
    const tmsize_t size = static_cast<tmsize_t>(sizeOf(i));
    std::fill(buffer.begin(), buffer.begin() + size, 0);
    read(in, i, buffer.data(), size);
    if (write(out, i, buffer.data(), size) < 0)
      return false;
  }
  return true;
}

struct TileGeometry {
  std::uint32_t width = 0;
  std::uint32_t length = 0;
  std::uint64_t rowBytes = 0;
  std::uint64_t bytes = 0;
};

// The tile layout of a file, or nothing when its tiles are not whole bytes
// per row (the library's size includes subsampling, or tiles start mid-byte).
std::optional<TileGeometry> TileGeometryOf(TIFF* tiff, const ImageShape& shape) {
  TileGeometry tile;
  TIFFGetField(tiff, TIFFTAG_TILEWIDTH, &tile.width);
  TIFFGetField(tiff, TIFFTAG_TILELENGTH, &tile.length);
  tile.rowBytes = static_cast<std::uint64_t>(TIFFTileRowSize64(tiff));
  tile.bytes = static_cast<std::uint64_t>(TIFFTileSize64(tiff));
  if (tile.width == 0 || tile.length == 0 || tile.bytes == 0 || tile.bytes > kMaxAllocation ||
      tile.rowBytes * tile.length != tile.bytes ||
      (std::uint64_t{tile.width} * shape.bitsPerPixel) % 8 != 0)
    return std::nullopt;
  return tile;
}

// Calls visit(tileNumber, x, y) for every tile of one plane.
template <typename Visit>
bool ForEachTile(TIFF* tiff, const ImageShape& shape, const TileGeometry& tile, std::uint16_t plane,
                 Visit visit) {
  for (std::uint32_t y = 0; y < shape.length; y += std::min(tile.length, shape.length - y)) {
    for (std::uint32_t x = 0; x < shape.width; x += std::min(tile.width, shape.width - x)) {
      if (!visit(TIFFComputeTile(tiff, x, y, 0, plane), x, y))
        return false;
    }
  }
  return true;
}

// Copies the part of tile (x, y) that lies inside the image between a tile
// buffer and a plane buffer, in the direction toTile says.
void MoveTileRegion(std::uint8_t* tileBytes, std::uint8_t* planeBytes, std::uint64_t planeRowBytes,
                    const ImageShape& shape, const TileGeometry& tile, std::uint32_t x,
                    std::uint32_t y, bool toTile) {
  const std::uint64_t offset = std::uint64_t{x} * shape.bitsPerPixel / 8;
  const std::uint64_t bytes = std::min(tile.rowBytes, planeRowBytes - offset);
  const std::uint32_t rows = std::min(tile.length, shape.length - y);
  for (std::uint32_t row = 0; row < rows; ++row) {
    std::uint8_t* inTile = tileBytes + row * tile.rowBytes;
    std::uint8_t* inPlane = planeBytes + (std::uint64_t{y} + row) * planeRowBytes + offset;
    if (toTile)
      std::memcpy(inTile, inPlane, bytes);
    else
      std::memcpy(inPlane, inTile, bytes);
  }
}

bool ReadPlaneFromTiles(TIFF* in, const ImageShape& shape, std::uint16_t plane, Bytes& image,
                        std::uint64_t rowBytes) {
  const auto tile = TileGeometryOf(in, shape);
  if (!tile)
    return false;
  Bytes tileBytes(tile->bytes);
  return ForEachTile(
      in, shape, *tile, plane, [&](std::uint32_t number, std::uint32_t x, std::uint32_t y) {
        std::fill(tileBytes.begin(), tileBytes.end(), 0);
        TIFFReadEncodedTile(in, number, tileBytes.data(), static_cast<tmsize_t>(tile->bytes));
        MoveTileRegion(tileBytes.data(), image.data(), rowBytes, shape, *tile, x, y, false);
        return true;
      });
}

bool WritePlaneAsTiles(TIFF* out, const ImageShape& shape, std::uint16_t plane, Bytes& image,
                       std::uint64_t rowBytes) {
  const auto tile = TileGeometryOf(out, shape);
  if (!tile)
    return false;
  Bytes tileBytes(tile->bytes);
  return ForEachTile(
      out, shape, *tile, plane, [&](std::uint32_t number, std::uint32_t x, std::uint32_t y) {
        std::fill(tileBytes.begin(), tileBytes.end(), 0);
        MoveTileRegion(tileBytes.data(), image.data(), rowBytes, shape, *tile, x, y, true);
        return TIFFWriteEncodedTile(out, number, tileBytes.data(),
                                    static_cast<tmsize_t>(tile->bytes)) >= 0;
      });
}

// Runs io over the strips of one plane, each at its rows in the plane buffer.
bool StripsOfPlane(TIFF* tiff, const ImageShape& shape, std::uint16_t plane, Bytes& image,
                   std::uint64_t rowBytes, ChunkIo io, bool stopOnFailure) {
  const std::uint32_t rowsPerStrip = RowsPerStrip(tiff, shape.length);
  if (static_cast<std::uint64_t>(TIFFVStripSize64(tiff, rowsPerStrip)) != rowsPerStrip * rowBytes)
    return false; // subsampled data has no whole rows
  const std::uint32_t strips = (shape.length - 1) / rowsPerStrip + 1;
  for (std::uint32_t k = 0; k < strips; ++k) {
    const std::uint32_t rows = RowsOfStrip(k, rowsPerStrip, shape.length);
    std::uint8_t* at = image.data() + std::uint64_t{k} * rowsPerStrip * rowBytes;
    const tmsize_t done = io(tiff, plane * strips + k, at, static_cast<tmsize_t>(rows * rowBytes));
    if (done < 0 && stopOnFailure)
      return false;
  }
  return true;
}

tmsize_t ReadStrip(TIFF* tiff, std::uint32_t strip, void* buffer, tmsize_t size) {
  return TIFFReadEncodedStrip(tiff, strip, buffer, size);
}
tmsize_t WriteStrip(TIFF* tiff, std::uint32_t strip, void* buffer, tmsize_t size) {
  return TIFFWriteEncodedStrip(tiff, strip, buffer, size);
}
tmsize_t ReadTile(TIFF* tiff, std::uint32_t tile, void* buffer, tmsize_t size) {
  return TIFFReadEncodedTile(tiff, tile, buffer, size);
}
tmsize_t WriteTile(TIFF* tiff, std::uint32_t tile, void* buffer, tmsize_t size) {
  return TIFFWriteEncodedTile(tiff, tile, buffer, size);
}

} // namespace

bool CopyStrips(TIFF* in, TIFF* out, const ImageShape& shape) {
  const std::uint32_t rowsPerStrip = RowsPerStrip(in, shape.length);
  const std::uint32_t count = TIFFNumberOfStrips(in);
  const std::uint32_t perPlane = count / shape.planes;
  if (count != TIFFNumberOfStrips(out) || perPlane == 0 ||
      TIFFStripSize64(in) != TIFFStripSize64(out))
    return false;
  auto sizeOf = [&](std::uint32_t strip) {
    return TIFFVStripSize64(in, RowsOfStrip(strip % perPlane, rowsPerStrip, shape.length));
  };
  return CopyChunks(in, out, count, static_cast<std::uint64_t>(TIFFStripSize64(in)), sizeOf,
                    ReadStrip, WriteStrip);
}

bool CopyTiles(TIFF* in, TIFF* out, const ImageShape&) {
  const std::uint32_t count = TIFFNumberOfTiles(in);
  const std::uint64_t size = static_cast<std::uint64_t>(TIFFTileSize64(in));
  if (count != TIFFNumberOfTiles(out) || size != static_cast<std::uint64_t>(TIFFTileSize64(out)))
    return false;
  return CopyChunks(
      in, out, count, size, [size](std::uint32_t) { return size; }, ReadTile, WriteTile);
}

bool CopyRows(TIFF* in, TIFF* out, const ImageShape& shape) {
  const std::uint64_t rowBytes = static_cast<std::uint64_t>(TIFFScanlineSize64(in));
  if (rowBytes == 0 || rowBytes > kMaxAllocation ||
      rowBytes != static_cast<std::uint64_t>(TIFFScanlineSize64(out)))
    return false;
  Bytes row(rowBytes);
  for (std::uint16_t plane = 0; plane < shape.planes; ++plane) {
    for (std::uint32_t y = 0; y < shape.length; ++y) {
      if (TIFFReadScanline(in, row.data(), y, plane) < 0)
        std::fill(row.begin(), row.end(), 0);
      if (TIFFWriteScanline(out, row.data(), y, plane) < 0)
        return false;
    }
  }
  return true;
}

bool CopyThroughPlaneBuffer(TIFF* in, TIFF* out, const ImageShape& shape) {
  const std::uint64_t rowBytes = static_cast<std::uint64_t>(TIFFScanlineSize64(in));
  if (rowBytes == 0 || rowBytes != static_cast<std::uint64_t>(TIFFScanlineSize64(out)) ||
      rowBytes > kMaxAllocation / shape.length)
    return false;
  Bytes image;
  for (std::uint16_t plane = 0; plane < shape.planes; ++plane) {
    image.assign(rowBytes * shape.length, 0);
    const bool read = TIFFIsTiled(in)
                          ? ReadPlaneFromTiles(in, shape, plane, image, rowBytes)
                          : StripsOfPlane(in, shape, plane, image, rowBytes, ReadStrip, false);
    if (!read)
      return false;
    const bool written = TIFFIsTiled(out)
                             ? WritePlaneAsTiles(out, shape, plane, image, rowBytes)
                             : StripsOfPlane(out, shape, plane, image, rowBytes, WriteStrip, true);
    if (!written)
      return false;
  }
  return true;
}

} // namespace tiffcopy
