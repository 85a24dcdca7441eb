#include "tiffcopy/DataCopy.h"

#include "faxformats/Group4Encoder.h"
#include "tiffcopy/CodedStrip.h"
#include "tiffcopy/CopyLimits.h"
#include "tiffcopy/FaxStrip.h"
#include "tiffcopy/RowsWithoutEol.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <optional>
#include <span>
#include <vector>

namespace tiffcopy {
namespace {

using Bytes = std::vector<std::uint8_t>;
using ChunkIo = std::function<tmsize_t(TIFF*, std::uint32_t, void*, tmsize_t)>;

// Whether the decoder gave anything for an image: a read that succeeded,
// or one that failed after some ink (a page cut short keeps what it has).
// An image of which nothing decodes has lost its content: writing it blank
// would pass a lost page off as an empty one.
class DecodeTracker {
public:
  void Note(tmsize_t result, const std::uint8_t* data, std::size_t size) {
    decoded_ = decoded_ || result >= 0 ||
               std::any_of(data, data + size, [](std::uint8_t b) { return b != 0; });
  }
  bool decoded() const { return decoded_; }

private:
  bool decoded_ = false;
};

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
// gives the decoded size of chunk i, the same on both sides. A chunk that
// copyCoded(i) writes as it is coded is neither decoded nor coded again. A
// chunk the library cannot decode is offered to rescue(i, buffer, size),
// which may decode it another way.
template <typename SizeOf, typename CopyCoded, typename Rescue>
bool CopyChunks(TIFF* in, TIFF* out, std::uint32_t count, std::uint64_t largest, SizeOf sizeOf,
                ChunkIo read, ChunkIo write, CopyCoded copyCoded, Rescue rescue) {
  if (largest == 0 || largest > kMaxAllocation)
    return false;
  Bytes buffer(largest);
  DecodeTracker tracker;
  for (std::uint32_t i = 0; i < count; ++i) {
    const tmsize_t size = static_cast<tmsize_t>(sizeOf(i));
    if (copyCoded(i)) {
      tracker.Note(size, buffer.data(), 0);
      continue;
    }
    std::fill(buffer.begin(), buffer.begin() + size, 0);
    tmsize_t decoded = read(in, i, buffer.data(), size);
    if (decoded < 0 && rescue(i, std::span(buffer.data(), static_cast<std::size_t>(size))))
      decoded = size;
    tracker.Note(decoded, buffer.data(), static_cast<std::size_t>(size));
    if (write(out, i, buffer.data(), size) < 0)
      return false;
  }
  return tracker.decoded();
}

// Bilevel Group 4 output is coded by our own encoder and written raw: the
// library's encoder gives the same bytes (0 bits white, EOFB at the end, in
// the output's fill order), several times slower. Other data under Group 4
// is left to the library, which refuses it.
bool CodedByUs(TIFF* out) {
  std::uint16_t compression = COMPRESSION_NONE, bitsPerSample = 1, samplesPerPixel = 1;
  TIFFGetField(out, TIFFTAG_COMPRESSION, &compression);
  TIFFGetFieldDefaulted(out, TIFFTAG_BITSPERSAMPLE, &bitsPerSample);
  TIFFGetFieldDefaulted(out, TIFFTAG_SAMPLESPERPIXEL, &samplesPerPixel);
  return compression == COMPRESSION_CCITTFAX4 && bitsPerSample == 1 && samplesPerPixel == 1;
}

enum class Chunk { Strip, Tile };

tmsize_t WriteGroup4(TIFF* out, Chunk kind, std::uint32_t chunk, const void* buffer,
                     tmsize_t size) {
  std::uint32_t width = 0;
  std::uint16_t fillOrder = FILLORDER_MSB2LSB;
  TIFFGetField(out, kind == Chunk::Tile ? TIFFTAG_TILEWIDTH : TIFFTAG_IMAGEWIDTH, &width);
  TIFFGetFieldDefaulted(out, TIFFTAG_FILLORDER, &fillOrder);
  if (width == 0 || size < 0)
    return -1;
  const std::span<const std::uint8_t> rows(static_cast<const std::uint8_t*>(buffer),
                                           static_cast<std::size_t>(size));
  const std::size_t rowBytes = (std::size_t{width} + 7) / 8;
  Bytes coded = EncodeGroup4Page(rows, width, static_cast<std::uint32_t>(rows.size() / rowBytes),
                                 WhiteBits::Zero, EndOfBlock::Append);
  if (fillOrder == FILLORDER_LSB2MSB)
    TIFFReverseBits(coded.data(), static_cast<tmsize_t>(coded.size()));
  const auto codedSize = static_cast<tmsize_t>(coded.size());
  return kind == Chunk::Tile ? TIFFWriteRawTile(out, chunk, coded.data(), codedSize)
                             : TIFFWriteRawStrip(out, chunk, coded.data(), codedSize);
}

// Reads the strips of one image. Fax-coded strips that decode whole and
// strictly are read by our own decoder (the same rows, several times
// faster); the rest, damaged ones among them, by the library, from a
// zero-filled buffer as before. The library's reading of a damaged strip
// depends on the strips it decoded before (its decoder and buffers keep
// state from them), so the strips our decoder read since the library's
// last decode are first decoded by the library as well, in order: damaged
// strips come out as they always have, at the old cost.
class StripReader {
public:
  tmsize_t operator()(TIFF* tiff, std::uint32_t strip, void* buffer, tmsize_t size) {
    const std::span<std::uint8_t> rows(static_cast<std::uint8_t*>(buffer),
                                       static_cast<std::size_t>(size));
    if (DecodeWholeFaxStrip(tiff, strip, rows)) {
      readByUs_.push_back({strip, size});
      return size;
    }
    Bytes scratch;
    for (const ReadByUs& earlier : readByUs_) {
      scratch.resize(static_cast<std::size_t>(earlier.size));
      TIFFReadEncodedStrip(tiff, earlier.strip, scratch.data(), earlier.size);
    }
    readByUs_.clear();
    std::fill(rows.begin(), rows.end(), 0);
    return TIFFReadEncodedStrip(tiff, strip, buffer, size);
  }

private:
  struct ReadByUs {
    std::uint32_t strip;
    tmsize_t size;
  };
  std::vector<ReadByUs> readByUs_;
};

tmsize_t WriteStrip(TIFF* tiff, std::uint32_t strip, void* buffer, tmsize_t size) {
  if (CodedByUs(tiff))
    return WriteGroup4(tiff, Chunk::Strip, strip, buffer, size);
  return TIFFWriteEncodedStrip(tiff, strip, buffer, size);
}
tmsize_t ReadTile(TIFF* tiff, std::uint32_t tile, void* buffer, tmsize_t size) {
  return TIFFReadEncodedTile(tiff, tile, buffer, size);
}
tmsize_t WriteTile(TIFF* tiff, std::uint32_t tile, void* buffer, tmsize_t size) {
  if (CodedByUs(tiff))
    return WriteGroup4(tiff, Chunk::Tile, tile, buffer, size);
  return TIFFWriteEncodedTile(tiff, tile, buffer, size);
}

// Takes rows one at a time: through the library's scanline writer, or, for
// Group 4 output, gathered into whole strips for our encoder.
class RowOutput {
public:
  RowOutput(TIFF* out, const ImageShape& shape)
      : out_(out), length_(shape.length), rowsPerStrip_(RowsPerStrip(out, shape.length)),
        group4_(CodedByUs(out)) {}

  bool Write(Bytes& row, std::uint32_t y, std::uint16_t plane) {
    if (!group4_)
      return TIFFWriteScanline(out_, row.data(), y, plane) >= 0;
    strip_.insert(strip_.end(), row.begin(), row.end());
    if ((y + 1) % rowsPerStrip_ != 0 && y + 1 != length_)
      return true;
    const tmsize_t written =
        WriteStrip(out_, y / rowsPerStrip_, strip_.data(), static_cast<tmsize_t>(strip_.size()));
    strip_.clear();
    return written >= 0;
  }

private:
  TIFF* out_;
  std::uint32_t length_;
  std::uint32_t rowsPerStrip_;
  bool group4_;
  Bytes strip_;
};

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
                        std::uint64_t rowBytes, DecodeTracker& tracker) {
  const auto tile = TileGeometryOf(in, shape);
  if (!tile)
    return false;
  Bytes tileBytes(tile->bytes);
  return ForEachTile(
      in, shape, *tile, plane, [&](std::uint32_t number, std::uint32_t x, std::uint32_t y) {
        std::fill(tileBytes.begin(), tileBytes.end(), 0);
        tracker.Note(
            TIFFReadEncodedTile(in, number, tileBytes.data(), static_cast<tmsize_t>(tile->bytes)),
            tileBytes.data(), tileBytes.size());
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
        return WriteTile(out, number, tileBytes.data(), static_cast<tmsize_t>(tile->bytes)) >= 0;
      });
}

// Runs io over the strips of one plane, each at its rows in the plane buffer.
// Reads note what they decode in the tracker and go on; a failed write (no
// tracker) ends the run.
bool StripsOfPlane(TIFF* tiff, const ImageShape& shape, std::uint16_t plane, Bytes& image,
                   std::uint64_t rowBytes, ChunkIo io, DecodeTracker* tracker) {
  const std::uint32_t rowsPerStrip = RowsPerStrip(tiff, shape.length);
  if (static_cast<std::uint64_t>(TIFFVStripSize64(tiff, rowsPerStrip)) != rowsPerStrip * rowBytes)
    return false; // subsampled data has no whole rows
  const std::uint32_t strips = (shape.length - 1) / rowsPerStrip + 1;
  for (std::uint32_t k = 0; k < strips; ++k) {
    const std::uint32_t rows = RowsOfStrip(k, rowsPerStrip, shape.length);
    std::uint8_t* at = image.data() + std::uint64_t{k} * rowsPerStrip * rowBytes;
    const std::size_t size = rows * rowBytes;
    const tmsize_t done = io(tiff, plane * strips + k, at, static_cast<tmsize_t>(size));
    if (tracker != nullptr)
      tracker->Note(done, at, size);
    else if (done < 0)
      return false;
  }
  return true;
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
  auto rowsOf = [&](std::uint32_t strip) {
    return RowsOfStrip(strip % perPlane, rowsPerStrip, shape.length);
  };
  auto plainGroup4 = [&](std::uint32_t strip) {
    return CopyPlainGroup4Strip(in, out, strip, shape.width, rowsOf(strip));
  };
  auto rowsWithoutEol = [&](std::uint32_t strip, std::span<std::uint8_t> rows) {
    return DecodeRowsWithoutEol(in, strip, rowsOf(strip), rows);
  };
  return CopyChunks(in, out, count, static_cast<std::uint64_t>(TIFFStripSize64(in)), sizeOf,
                    StripReader(), WriteStrip, plainGroup4, rowsWithoutEol);
}

bool CopyTiles(TIFF* in, TIFF* out, const ImageShape&) {
  const std::uint32_t count = TIFFNumberOfTiles(in);
  const std::uint64_t size = static_cast<std::uint64_t>(TIFFTileSize64(in));
  if (count != TIFFNumberOfTiles(out) || size != static_cast<std::uint64_t>(TIFFTileSize64(out)))
    return false;
  return CopyChunks(
      in, out, count, size, [size](std::uint32_t) { return size; }, ReadTile, WriteTile,
      [](std::uint32_t) { return false; },
      [](std::uint32_t, std::span<std::uint8_t>) { return false; });
}

bool CopyRows(TIFF* in, TIFF* out, const ImageShape& shape) {
  const std::uint64_t rowBytes = static_cast<std::uint64_t>(TIFFScanlineSize64(in));
  if (rowBytes == 0 || rowBytes > kMaxAllocation ||
      rowBytes != static_cast<std::uint64_t>(TIFFScanlineSize64(out)))
    return false;
  Bytes row(rowBytes);
  DecodeTracker tracker;
  RowOutput output(out, shape);
  for (std::uint16_t plane = 0; plane < shape.planes; ++plane) {
    for (std::uint32_t y = 0; y < shape.length; ++y) {
      const tmsize_t read = TIFFReadScanline(in, row.data(), y, plane);
      if (read < 0)
        std::fill(row.begin(), row.end(), 0);
      tracker.Note(read, row.data(), row.size());
      if (!output.Write(row, y, plane))
        return false;
    }
  }
  return tracker.decoded();
}

bool CopyThroughPlaneBuffer(TIFF* in, TIFF* out, const ImageShape& shape) {
  const std::uint64_t rowBytes = static_cast<std::uint64_t>(TIFFScanlineSize64(in));
  if (rowBytes == 0 || rowBytes != static_cast<std::uint64_t>(TIFFScanlineSize64(out)) ||
      rowBytes > kMaxAllocation / shape.length)
    return false;
  Bytes image;
  DecodeTracker tracker;
  StripReader reader;
  for (std::uint16_t plane = 0; plane < shape.planes; ++plane) {
    image.assign(rowBytes * shape.length, 0);
    const bool read =
        TIFFIsTiled(in)
            ? ReadPlaneFromTiles(in, shape, plane, image, rowBytes, tracker)
            : StripsOfPlane(in, shape, plane, image, rowBytes, std::ref(reader), &tracker);
    if (!read)
      return false;
    const bool written =
        TIFFIsTiled(out) ? WritePlaneAsTiles(out, shape, plane, image, rowBytes)
                         : StripsOfPlane(out, shape, plane, image, rowBytes, WriteStrip, nullptr);
    if (!written)
      return false;
  }
  return tracker.decoded();
}

} // namespace tiffcopy
