// Test fixtures made with the TIFF library: bilevel rasters with known
// content, written as TIFF files in any compression, fill order, byte order,
// strip or tile layout, and read back decoded by the library itself (the
// independent oracle for our own decoders and writers).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <tiffio.h>
#include <vector>

namespace testing_support {

// A bilevel page, one byte per pixel: 1 = black (ink), 0 = white (paper).
struct Raster {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::vector<std::uint8_t> pixels;

  Raster() = default;
  Raster(std::uint32_t w, std::uint32_t h) : width(w), height(h), pixels(std::size_t(w) * h) {}
  bool black(std::uint32_t x, std::uint32_t y) const {
    return pixels[std::size_t(y) * width + x] != 0;
  }
  void set(std::uint32_t x, std::uint32_t y, bool ink = true) {
    pixels[std::size_t(y) * width + x] = ink;
  }
  // Rows packed most significant bit first, as TIFF stores them; a set bit is
  // black when blackIsOne (MinIsWhite), white otherwise (MinIsBlack).
  std::vector<std::uint8_t> PackedRows(bool blackIsOne = true) const;
  static Raster FromPackedRows(const std::uint8_t* rows, std::uint32_t width, std::uint32_t height,
                               bool blackIsOne = true);
  double BlackFraction() const;
  bool operator==(const Raster&) const = default;
};

// Pages with content worth decoding: text-like strokes and blocks, noise,
// runs across the make-up code boundaries (63/64, 1728, 2560 ...).
Raster TextLikePage(std::uint32_t width, std::uint32_t height, unsigned seed = 1);
Raster NoisePage(std::uint32_t width, std::uint32_t height, double blackShare, unsigned seed = 1);
Raster RunBoundaryPage(std::uint32_t width);
// A page whose top-left quarter is black and the rest white: shows mirroring
// and rotation at a glance.
Raster CornerMarkPage(std::uint32_t width, std::uint32_t height);

// How one page is written. With samples non-empty the page is written from
// those contiguous sample bytes instead of the raster (gray, RGB, palette...).
struct TiffPageSpec {
  Raster raster;
  std::uint16_t compression = COMPRESSION_CCITTFAX4;
  std::uint32_t group3Options = 0; // T4Options for COMPRESSION_CCITTFAX3
  std::uint16_t fillOrder = FILLORDER_MSB2LSB;
  std::uint16_t photometric = PHOTOMETRIC_MINISWHITE;
  std::uint32_t rowsPerStrip = 0; // 0 = the whole page in one strip
  bool tiled = false;
  std::uint32_t tileWidth = 16, tileLength = 16;
  bool writeResolution = true;
  float xResolution = 204, yResolution = 196;
  std::uint16_t resolutionUnit = RESUNIT_INCH;
  std::uint16_t orientation = 0;     // 0 = tag not written
  std::uint32_t subfileType = 0;     // 1 = reduced-resolution image (thumbnail)
  std::uint16_t pageNumber = 0xFFFF; // 0xFFFF = tag not written
  std::string software, dateTime, artist, imageDescription;
  // Non-bilevel pages:
  std::vector<std::uint8_t> samples;
  std::uint32_t sampleWidth = 0, sampleHeight = 0;
  std::uint16_t bitsPerSample = 1, samplesPerPixel = 1;
  std::uint16_t planarConfig = PLANARCONFIG_CONTIG;
  std::uint16_t extraSamples = 0;      // 1 = one associated alpha sample
  std::vector<std::uint16_t> colorMap; // 3 * 2^bits entries for PHOTOMETRIC_PALETTE
  // Further tags (ICC profile, JPEG settings, other ExtraSamples), set last.
  std::function<void(TIFF*)> moreTags;
};

// Writes the pages as one TIFF file; throws std::runtime_error on failure.
void WriteTiffFile(const std::string& path, const std::vector<TiffPageSpec>& pages,
                   bool bigEndian = false);

// The bytes of a TIFF file with one page per raster, all in one compression
// (Group 3 with the given T4Options): whole fax files to embed in others.
std::vector<std::uint8_t> FaxTiffBytes(const std::vector<Raster>& pages, std::uint16_t compression,
                                       std::uint32_t group3Options = 0);

// Every directory of a bilevel TIFF decoded by the TIFF library (black = 1 by
// PhotometricInterpretation), including thumbnails.
std::vector<Raster> ReadTiffPages(const std::string& path);

// A RATIONAL tag (XResolution, YResolution) of every directory, 0 where absent.
std::vector<float> ResolutionsOf(const std::string& path, ttag_t tag);

// The raw (still coded) bytes of each strip of one directory.
std::vector<std::vector<std::uint8_t>> ReadRawStrips(const std::string& path, int directory = 0);

// The coded bytes the TIFF library produces for one page as a single strip:
// a bare fax stream made by an encoder nobody here wrote.
std::vector<std::uint8_t> EncodeWithLibTiff(const Raster& raster, std::uint16_t compression,
                                            std::uint32_t group3Options = 0,
                                            std::uint16_t fillOrder = FILLORDER_MSB2LSB);

// Reverses the bit order within every byte.
std::vector<std::uint8_t> ReverseBits(std::vector<std::uint8_t> bytes);

} // namespace testing_support
