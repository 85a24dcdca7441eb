// The state of one TIFF-to-PDF conversion: the page and tile tables made by
// the document scan, the properties of the page being written (replaced by
// each page's analysis), the object numbering and the error state.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <tiffio.h>

#include "pdf/PdfSink.h"
#include "pdf/StripEncoder.h"

namespace pdf {

// Colour space bits of a page.
enum ColourSpaceBits : std::uint32_t {
  kBilevel = 0x01,
  kGray = 0x02,
  kRgb = 0x04,
  kCmyk = 0x08,
  kLab = 0x10,
  kCalibratedGray = 0x20,
  kCalibratedRgb = 0x40,
  kIccBased = 0x80,
  kPalettised = 0x1000,
};

// Sample conversions a page needs before its pixels suit the PDF. Extra
// samples (alpha or unspecified) are dropped; associated alpha is composed
// over white first.
enum SampleConversionBits : std::uint32_t {
  kDropExtraSamples = 0x02,
  kComposeAlphaAndDrop = 0x04,
  kYcbcrToRgb = 0x08,
  kSignedLabToUnsigned = 0x40,
  kSeparateToContiguous = 0x100,
};

enum class Transcode { RawPassThrough = 1, DecodeAndEncode = 2 };
// Bilevel pages travel as Group 4, every other page Flate-coded.
enum class PdfCompression { Flate = 0, Group4 = 1 };

// A rectangle on the page in points and the matrix that places an image in
// it; m0, m1, m3, m4, m6, m7 are the six numbers of a "cm" operator.
struct PlacementBox {
  float x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  std::array<float, 9> m{};
};

struct PageRecord {
  std::uint16_t directory = 0;
  std::uint32_t pageNumber = 0; // from 0
  std::uint32_t tileCount = 0;  // 0 for a stripped image
  std::uint32_t extraObjects = 0;
};

struct PageTiles {
  std::uint32_t count = 0;
  std::uint32_t width = 0, length = 0;
  std::uint32_t across = 0, down = 0;
  std::uint32_t edgeWidth = 0, edgeLength = 0;
  std::vector<PlacementBox> boxes;
};

// TIFF properties and PDF decisions for the page being written.
struct PageProperties {
  std::uint16_t compression = 1, photometric = 0, fillOrder = 1;
  std::uint16_t bitsPerSample = 1, samplesPerPixel = 1, planarConfig = 1;
  std::uint32_t width = 0, length = 0;
  float xResolution = 0, yResolution = 0;
  std::uint16_t orientation = 1;
  std::uint16_t resolutionUnit = 2;

  std::uint32_t colourSpace = 0;
  bool switchDecode = false;
  std::uint32_t sampleConversion = 0;
  std::uint16_t colourSamples = 1; // samples per pixel of the image written
  Transcode transcode = Transcode::DecodeAndEncode;
  PdfCompression compressionOut = PdfCompression::Flate;

  std::vector<std::uint8_t> palette; // 3 or 4 bytes per entry
  std::array<std::int32_t, 4> labRange{};
  std::array<float, 2> whitePoint{};
  std::optional<std::array<float, 6>> primaries;
  std::array<const std::uint16_t*, 3> transfer{};
  std::uint16_t transferCount = 0;
  // The page's ICC profile gets its own object whenever the file has one;
  // the colour space refers to it (kIccBased) only when it describes the
  // colour family of the samples written.
  bool hasIccProfile = false;
  std::vector<std::uint8_t> iccProfile;
};

struct PageGeometry {
  float xResolutionUsed = 300, yResolutionUsed = 300;
  float pageWidth = 0, pageLength = 0, imageWidth = 0, imageLength = 0;
  PlacementBox mediaBox, imageBox;
};

struct PdfWriterContext {
  TIFF* input = nullptr;
  std::string inputName;
  PdfSink* sink = nullptr;
  StripEncoder encoder; // codes re-encoded images and tiles

  bool error = false;
  std::string errorMessage;          // the first error, for diagnostics
  std::vector<std::string> warnings; // texts of the warning channel

  std::vector<PageRecord> pages;
  std::vector<PageTiles> tiles;
  std::uint16_t currentPage = 0;

  PageProperties page;
  PageGeometry geometry;

  std::uint16_t pdfMajor = 1, pdfMinor = 1;
  std::uint32_t catalogNumber = 1, infoNumber = 2, pagesNumber = 3;
  std::uint32_t paletteNumber = 0, iccNumber = 0;
  std::vector<std::uint64_t> offsets; // by object number - 1
  std::uint32_t objectCount = 3;      // the catalog, information and page tree

  std::optional<std::string> title, subject, author, keywords;
  std::string date;
};

// The colour family an ICC profile describes (kGray, kRgb, kCmyk or kLab),
// from its data colour space in the header (ICC.1, bytes 16-19).
std::optional<std::uint32_t> IccColourFamily(const std::vector<std::uint8_t>& profile);

// Colour components of a colour family: 1 gray or bilevel, 3 RGB or Lab,
// 4 CMYK.
std::uint16_t ColourComponents(std::uint32_t family);

// Records an error (only the first message is kept) or a warning.
void Fail(PdfWriterContext& context, std::string message);
void Warn(PdfWriterContext& context, std::string message);

} // namespace pdf

namespace pdf {

// Object framing: starting an object records its offset and writes
// "<n> 0 obj\r"; ending it writes "endobj\r". Returns the object's number.
std::uint32_t StartObject(PdfWriterContext& context);
void EndObject(PdfWriterContext& context);

} // namespace pdf
