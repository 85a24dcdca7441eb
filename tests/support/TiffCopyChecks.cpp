#include "support/TiffCopyChecks.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace testing_support {
namespace {

void Fail(const std::string& what) { throw std::runtime_error("TIFF check: " + what); }

std::uint16_t Get16(const std::vector<std::uint8_t>& file, std::size_t at) {
  if (at + 2 > file.size())
    Fail("offset beyond the file");
  return static_cast<std::uint16_t>(file[at] | file[at + 1] << 8);
}

std::uint32_t Get32(const std::vector<std::uint8_t>& file, std::size_t at) {
  if (at + 4 > file.size())
    Fail("offset beyond the file");
  return file[at] | file[at + 1] << 8 | file[at + 2] << 16 | std::uint32_t{file[at + 3]} << 24;
}

void Put16(std::vector<std::uint8_t>& file, std::size_t at, std::uint16_t value) {
  file.at(at) = static_cast<std::uint8_t>(value);
  file.at(at + 1) = static_cast<std::uint8_t>(value >> 8);
}

void Put32(std::vector<std::uint8_t>& file, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i)
    file.at(at + i) = static_cast<std::uint8_t>(value >> (8 * i));
}

void ReadPlaneTiles(TIFF* tif, const DecodedSamples& image, int plane, std::size_t rowBytes,
                    std::size_t bitsPerPixel, std::uint8_t* planeBytes) {
  std::uint32_t tileWidth = 0, tileLength = 0;
  TIFFGetField(tif, TIFFTAG_TILEWIDTH, &tileWidth);
  TIFFGetField(tif, TIFFTAG_TILELENGTH, &tileLength);
  const std::size_t tileRowBytes = TIFFTileRowSize(tif);
  std::vector<std::uint8_t> tile(TIFFTileSize(tif));
  for (std::uint32_t ty = 0; ty < image.height; ty += tileLength)
    for (std::uint32_t tx = 0; tx < image.width; tx += tileWidth) {
      if (TIFFReadTile(tif, tile.data(), tx, ty, 0, static_cast<std::uint16_t>(plane)) < 0)
        Fail("cannot decode a tile");
      const std::size_t offset = tx * bitsPerPixel / 8;
      const std::size_t bytes = std::min(tileRowBytes, rowBytes - offset);
      for (std::uint32_t y = 0; y < tileLength && ty + y < image.height; ++y)
        std::copy_n(tile.data() + y * tileRowBytes, bytes,
                    planeBytes + (ty + y) * rowBytes + offset);
    }
}

} // namespace

OpenTiff::OpenTiff(const std::string& path, int directory) {
  tiff_ = TIFFOpen(path.c_str(), "rmc");
  if (!tiff_)
    Fail("cannot open " + path);
  if (!TIFFSetDirectory(tiff_, static_cast<tdir_t>(directory))) {
    TIFFClose(tiff_);
    Fail("no directory " + std::to_string(directory) + " in " + path);
  }
}

OpenTiff::~OpenTiff() { TIFFClose(tiff_); }

std::uint16_t OpenTiff::u16(ttag_t tag) const {
  std::uint16_t value = 0;
  TIFFGetFieldDefaulted(tiff_, tag, &value);
  return value;
}

std::uint32_t OpenTiff::u32(ttag_t tag) const {
  std::uint32_t value = 0;
  TIFFGetFieldDefaulted(tiff_, tag, &value);
  return value;
}

std::string OpenTiff::text(ttag_t tag) const {
  const char* value = nullptr;
  return TIFFGetField(tiff_, tag, &value) && value ? value : "";
}

DecodedSamples ReadDecodedSamples(const std::string& path, int directory) {
  OpenTiff file(path, directory);
  TIFF* tif = file.get();
  DecodedSamples image;
  TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &image.width);
  TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &image.height);
  image.bitsPerSample = file.u16(TIFFTAG_BITSPERSAMPLE);
  image.samplesPerPixel = file.u16(TIFFTAG_SAMPLESPERPIXEL);
  image.planarConfig = file.u16(TIFFTAG_PLANARCONFIG);
  const int planes = image.planarConfig == PLANARCONFIG_SEPARATE ? image.samplesPerPixel : 1;
  const std::size_t rowBytes = TIFFScanlineSize(tif);
  image.bytes.assign(rowBytes * image.height * planes, 0);
  for (int plane = 0; plane < planes; ++plane) {
    std::uint8_t* planeBytes = image.bytes.data() + plane * rowBytes * image.height;
    if (TIFFIsTiled(tif)) {
      const std::size_t bitsPerPixel =
          std::size_t{image.bitsPerSample} * (planes == 1 ? image.samplesPerPixel : 1);
      ReadPlaneTiles(tif, image, plane, rowBytes, bitsPerPixel, planeBytes);
      continue;
    }
    for (std::uint32_t y = 0; y < image.height; ++y)
      if (TIFFReadScanline(tif, planeBytes + y * rowBytes, y, static_cast<std::uint16_t>(plane)) <
          0)
        Fail("cannot decode row " + std::to_string(y) + " of " + path);
  }
  return image;
}

int CountDirectories(const std::string& path) {
  OpenTiff file(path);
  return static_cast<int>(TIFFNumberOfDirectories(file.get()));
}

std::size_t DirectoryOffset(const std::vector<std::uint8_t>& file, int directory) {
  if (file.size() < 8 || file[0] != 'I')
    Fail("not a little-endian TIFF");
  std::size_t offset = Get32(file, 4);
  for (int i = 0; i < directory; ++i)
    offset = Get32(file, offset + 2 + 12 * std::size_t{Get16(file, offset)});
  return offset;
}

namespace {

std::size_t FindEntry(const std::vector<std::uint8_t>& file, int directory, std::uint16_t tag) {
  const std::size_t offset = DirectoryOffset(file, directory);
  const std::uint16_t entries = Get16(file, offset);
  for (std::size_t i = 0; i < entries; ++i) {
    const std::size_t entry = offset + 2 + 12 * i;
    if (Get16(file, entry) == tag)
      return entry;
  }
  Fail("no tag " + std::to_string(tag));
  return 0;
}

} // namespace

void PatchTagValue(std::vector<std::uint8_t>& file, int directory, std::uint16_t tag,
                   std::uint32_t value) {
  const std::size_t entry = FindEntry(file, directory, tag);
  Put16(file, entry + 2, TIFF_LONG);
  Put32(file, entry + 4, 1);
  Put32(file, entry + 8, value);
}

void HideTag(std::vector<std::uint8_t>& file, int directory, std::uint16_t tag) {
  Put16(file, FindEntry(file, directory, tag), 0xFEF0);
}

std::vector<std::uint8_t> WithStrip(const std::vector<std::uint8_t>& file,
                                    const std::vector<std::uint8_t>& strip) {
  std::vector<std::uint8_t> patched = file;
  patched.insert(patched.end(), strip.begin(), strip.end());
  PatchTagValue(patched, 0, TIFFTAG_STRIPOFFSETS, static_cast<std::uint32_t>(file.size()));
  PatchTagValue(patched, 0, TIFFTAG_STRIPBYTECOUNTS, static_cast<std::uint32_t>(strip.size()));
  return patched;
}

void PatchNextDirectory(std::vector<std::uint8_t>& file, int directory, std::uint32_t offset) {
  const std::size_t at = DirectoryOffset(file, directory);
  Put32(file, at + 2 + 12 * std::size_t{Get16(file, at)}, offset);
}

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::uint8_t> PatternBytes(std::size_t count, unsigned seed) {
  std::vector<std::uint8_t> bytes(count);
  std::mt19937 random(seed);
  // Smooth ramps with some noise: compressible, and every byte value occurs.
  for (std::size_t i = 0; i < count; ++i)
    bytes[i] = static_cast<std::uint8_t>(i * 3 + (random() % 4));
  return bytes;
}

} // namespace testing_support
