#include "pdf/ImageStreams.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <span>
#include <vector>

#include "faxformats/FaxBitReader.h"
#include "faxformats/Group4Validator.h"
#include "pdf/FlateWriter.h"
#include "pdf/PdfNumbers.h"
#include "pdf/StripEncoder.h"
#include "pdf/TiffAccess.h"

namespace pdf {

namespace {

using Bytes = std::vector<std::uint8_t>;

bool AllFinite(std::initializer_list<float> values) {
  for (float v : values)
    if (!std::isfinite(v))
      return false;
  return true;
}

// "[X 1 Z] \r" for chromaticities (x, y); nothing when they give no number.
std::optional<std::string> WhitePointArray(float x, float y) {
  const float bigX = x / y;
  const float bigZ = (1.0f - x - y) / y;
  if (!AllFinite({bigX, bigZ}))
    return std::nullopt;
  return "[" + Fixed4(bigX) + " " + Fixed4(1.0f) + " " + Fixed4(bigZ) + "] \r";
}

// The CalRGB dictionary body: white point and the XYZ matrix of the
// primaries. Images without PrimaryChromaticities use the ITU-R BT.709 ones
// (the TIFF 6.0 default) and without WhitePoint D65.
std::optional<std::string> CalibratedRgbBody(const PageProperties& page, bool hasWhitePoint) {
  const std::array<float, 6> p =
      page.primaries.value_or(std::array<float, 6>{0.64f, 0.33f, 0.30f, 0.60f, 0.15f, 0.06f});
  const float xw = hasWhitePoint ? page.whitePoint[0] : 0.3127f;
  const float yw = hasWhitePoint ? page.whitePoint[1] : 0.3290f;
  const float xr = p[0], yr = p[1], xg = p[2], yg = p[3], xb = p[4], yb = p[5];
  const float z = yw * ((xg - xb) * yr - (xr - xb) * yg + (xr - xg) * yb);
  const float bigYr = yr * ((xg - xb) * yw - (xw - xb) * yg + (xw - xg) * yb) / z;
  const float bigYg = -yg * ((xr - xb) * yw - (xw - xb) * yr + (xw - xr) * yb) / z;
  const float bigYb = yb * ((xr - xg) * yw - (xw - xg) * yr + (xw - xr) * yg) / z;
  const float bigXr = bigYr * xr / yr, bigZr = bigYr * ((1 - xr) / yr - 1);
  const float bigXg = bigYg * xg / yg, bigZg = bigYg * ((1 - xg) / yg - 1);
  const float bigXb = bigYb * xb / yb, bigZb = bigYb * ((1 - xb) / yb - 1);
  const float sumY = bigYr + bigYg + bigYb;
  const float whiteX = (bigXr + bigXg + bigXb) / sumY;
  const float whiteZ = (bigZr + bigZg + bigZb) / sumY;
  const float whiteY = sumY / sumY;
  if (!AllFinite({bigXr, bigYr, bigZr, bigXg, bigYg, bigZg, bigXb, bigYb, bigZb, whiteX, whiteZ}))
    return std::nullopt;
  std::string text = "/WhitePoint [" + Fixed4(whiteX) + " " + Fixed4(whiteY) + " " +
                     Fixed4(whiteZ) + "] \r/Matrix [";
  const float matrix[9] = {bigXr, bigYr, bigZr, bigXg, bigYg, bigZg, bigXb, bigYb, bigZb};
  for (int i = 0; i < 9; ++i)
    text += (i == 0 ? "" : " ") + Fixed4(matrix[i]);
  return text + "] \r/Gamma [2.2 2.2 2.2] \r";
}

std::string GrayText(const PageProperties& page) {
  if (page.colourSpace & kCalibratedGray) {
    if (auto white = WhitePointArray(page.whitePoint[0], page.whitePoint[1]))
      return "[/CalGray << \r/WhitePoint " + *white + "/Gamma 2.2 \r>>] \r";
  }
  return "/DeviceGray \r";
}

std::string RgbText(const PageProperties& page) {
  if (page.colourSpace & kCalibratedRgb) {
    const bool hasWhite = page.whitePoint[0] != 0 || page.whitePoint[1] != 0;
    if (auto body = CalibratedRgbBody(page, hasWhite))
      return "[/CalRGB << \r" + *body + ">>] \r";
  }
  return "/DeviceRGB \r";
}

std::string LabText(const PageProperties& page) {
  const auto white =
      WhitePointArray(page.whitePoint[0], page.whitePoint[1]).value_or("[0.9643 1.0000 0.8251] \r");
  const auto& r = page.labRange;
  return "[/Lab << \r/WhitePoint " + white + "/Range [" + SignedDecimal(r[0]) + " " +
         SignedDecimal(r[1]) + " " + SignedDecimal(r[2]) + " " + SignedDecimal(r[3]) + "] \r>>] \r";
}

struct TileShape {
  std::uint32_t width = 0, length = 0;
  bool rightEdge = false, bottomEdge = false;
};

// Pixels of the page from (column, row), width x length of them.
struct PixelRegion {
  std::uint32_t column = 0, row = 0, width = 0, length = 0;
};

TileShape ShapeOf(const PageTiles& tiles, std::uint32_t tile) {
  TileShape shape{tiles.width, tiles.length, false, false};
  shape.rightEdge = tiles.across != 0 && (tile + 1) % tiles.across == 0 && tiles.edgeWidth != 0;
  shape.bottomEdge =
      tile >= tiles.count - std::min(tiles.count, tiles.across) && tiles.edgeLength != 0;
  if (shape.rightEdge)
    shape.width = tiles.edgeWidth;
  if (shape.bottomEdge)
    shape.length = tiles.edgeLength;
  return shape;
}

std::uint64_t InputFileSize(TIFF* tiff) {
  TIFFSizeProc size = TIFFGetSizeProc(tiff);
  return size == nullptr ? 0 : static_cast<std::uint64_t>(size(TIFFClientdata(tiff)));
}

// Allocates without throwing; nothing when the memory is not there.
std::optional<Bytes> Allocate(std::uint64_t size) {
  if (size > TiffLimits::kMaxPageBytes)
    return std::nullopt;
  try {
    return Bytes(static_cast<std::size_t>(size), 0);
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
}

// Reads one strip or tile raw for pass-through, with the bits in the order
// PDF expects (TIFF FillOrder 2 stores the first pixel in the low bit).
std::optional<Bytes> ReadRawChunk(PdfWriterContext& context, std::uint32_t chunk, bool tiled) {
  TIFF* tiff = context.input;
  uint64_t* counts = nullptr;
  if (!TIFFGetField(tiff, tiled ? TIFFTAG_TILEBYTECOUNTS : TIFFTAG_STRIPBYTECOUNTS, &counts) ||
      counts == nullptr)
    return std::nullopt;
  const std::uint64_t size = counts[chunk];
  if (size == 0 || size > InputFileSize(tiff))
    return std::nullopt;
  auto bytes = Allocate(size);
  if (!bytes)
    return std::nullopt;
  const tmsize_t read =
      tiled ? TIFFReadRawTile(tiff, chunk, bytes->data(), static_cast<tmsize_t>(size))
            : TIFFReadRawStrip(tiff, chunk, bytes->data(), static_cast<tmsize_t>(size));
  if (read != static_cast<tmsize_t>(size))
    return std::nullopt;
  if (context.page.fillOrder == FILLORDER_LSB2MSB)
    TIFFReverseBits(bytes->data(), static_cast<tmsize_t>(size));
  return bytes;
}

// Interleaves planes: output byte k * planes + s is byte k of plane s.
void Interleave(const std::vector<Bytes>& planes, std::uint8_t* out, std::size_t outSize) {
  const std::size_t count = planes.size();
  for (std::size_t s = 0; s < count; ++s)
    for (std::size_t k = 0; k < planes[s].size() && k * count + s < outSize; ++k)
      out[k * count + s] = planes[s][k];
}

// Whether reading gave anything: a strip that decoded, or one that failed
// after some content (a page cut short keeps what it has). A page of which
// nothing decodes has lost its content and must not pass for a blank one.
bool DecodedAnything(bool anyStripRead, const Bytes& buffer) {
  return anyStripRead ||
         std::any_of(buffer.begin(), buffer.end(), [](std::uint8_t b) { return b != 0; });
}

bool ReadSeparateStrips(TIFF* tiff, const PageProperties& page, Bytes& buffer) {
  const std::uint32_t samples = page.samplesPerPixel;
  const std::uint32_t perPlane = TIFFNumberOfStrips(tiff) / samples;
  const auto stripSize = static_cast<std::size_t>(TIFFStripSize64(tiff));
  std::size_t offset = 0;
  std::vector<Bytes> planes(samples, Bytes(stripSize));
  bool anyRead = false;
  for (std::uint32_t i = 0; i < perPlane && offset < buffer.size(); ++i) {
    for (std::uint32_t s = 0; s < samples; ++s) {
      std::fill(planes[s].begin(), planes[s].end(), 0);
      anyRead = TIFFReadEncodedStrip(tiff, i + s * perPlane, planes[s].data(),
                                     static_cast<tmsize_t>(stripSize)) >= 0 ||
                anyRead;
    }
    Interleave(planes, buffer.data() + offset, buffer.size() - offset);
    offset += stripSize * samples;
  }
  return DecodedAnything(anyRead, buffer);
}

bool ReadContiguousStrips(TIFF* tiff, Bytes& buffer) {
  const std::uint32_t strips = TIFFNumberOfStrips(tiff);
  const auto stripSize = static_cast<std::uint64_t>(TIFFStripSize64(tiff));
  std::uint64_t offset = 0;
  bool anyRead = false;
  for (std::uint32_t s = 0; s < strips && offset < buffer.size(); ++s) {
    const std::uint64_t room = std::min<std::uint64_t>(stripSize, buffer.size() - offset);
    // A strip that does not decode keeps its zeros; the page goes on.
    anyRead =
        TIFFReadEncodedStrip(tiff, s, buffer.data() + offset, static_cast<tmsize_t>(room)) >= 0 ||
        anyRead;
    offset += stripSize;
  }
  return DecodedAnything(anyRead, buffer);
}

// Sample i of a row of samples of the given width in bits (1, 2, 4 or 8),
// packed from the high bit down as TIFF stores them.
std::uint32_t SampleAt(const std::uint8_t* row, std::uint64_t i, std::uint16_t bits) {
  const std::uint64_t bit = i * bits;
  const unsigned shift = 8 - bits - static_cast<unsigned>(bit % 8);
  return (row[bit / 8] >> shift) & ((1u << bits) - 1);
}

void PutSample(std::uint8_t* row, std::uint64_t i, std::uint16_t bits, std::uint32_t value) {
  const std::uint64_t bit = i * bits;
  const unsigned shift = 8 - bits - static_cast<unsigned>(bit % 8);
  const unsigned mask = ((1u << bits) - 1) << shift;
  row[bit / 8] = static_cast<std::uint8_t>((row[bit / 8] & ~mask) | ((value << shift) & mask));
}

// Keeps the colour samples of each pixel and drops the extra ones, in place
// (each output row starts no later than its input row). With associated
// alpha each colour sample first gets (maximum - alpha) added, modulo the
// sample range, which composes premultiplied colour over white.
void DropExtraSamples(const PageProperties& page, Bytes& buffer, std::uint32_t width,
                      std::uint32_t length) {
  const std::uint16_t bits = page.bitsPerSample;
  const std::uint16_t in = page.samplesPerPixel, out = page.colourSamples;
  const std::uint64_t inRow = (std::uint64_t{width} * in * bits + 7) / 8;
  const std::uint64_t outRow = (std::uint64_t{width} * out * bits + 7) / 8;
  const std::uint32_t maximum = (1u << bits) - 1;
  const bool associated = (page.sampleConversion & kComposeAlphaAndDrop) != 0;
  const std::uint64_t rows = std::min<std::uint64_t>(length, buffer.size() / inRow);
  for (std::uint64_t y = 0; y < rows; ++y) {
    const std::uint8_t* source = buffer.data() + y * inRow;
    std::uint8_t* target = buffer.data() + y * outRow;
    for (std::uint64_t x = 0; x < width; ++x) {
      const std::uint32_t lift = associated ? maximum - SampleAt(source, x * in + out, bits) : 0;
      for (std::uint16_t s = 0; s < out; ++s)
        PutSample(target, x * out + s, bits, SampleAt(source, x * in + s, bits) + lift);
    }
  }
  buffer.resize(static_cast<std::size_t>(rows * outRow));
}

void SignedLabToUnsigned(Bytes& buffer, std::uint64_t pixels) {
  pixels = std::min<std::uint64_t>(pixels, buffer.size() / 3);
  for (std::uint64_t i = 0; i < pixels; ++i) {
    buffer[i * 3 + 1] ^= 0x80;
    buffer[i * 3 + 2] ^= 0x80;
  }
}

void ApplyPixelConversions(const PageProperties& page, Bytes& buffer, std::uint32_t width,
                           std::uint32_t length) {
  if (page.sampleConversion & (kDropExtraSamples | kComposeAlphaAndDrop))
    DropExtraSamples(page, buffer, width, length);
  if (page.sampleConversion & kSignedLabToUnsigned)
    SignedLabToUnsigned(buffer, std::uint64_t{width} * length);
}

// Decodes a region of the page into RGB through the library's RGBA reader
// (the one road for YCbCr and JPEG data, stripped or tiled). The reader is
// asked for the orientation the file already has, so the pixels stay in
// stored order: the page matrix turns them, and turning them here as well
// would turn them twice.
bool ReadRgbRegion(PdfWriterContext& context, const PixelRegion& region, const char* writer,
                   Bytes& rgb) {
  const std::uint64_t pixels = std::uint64_t{region.width} * region.length;
  auto raster = Allocate(pixels * 4);
  if (!raster) {
    Fail(context, "Can't allocate " + Decimal(pixels * 4) + " bytes of memory for " + writer +
                      ", " + context.inputName);
    return false;
  }
  char message[1024] = "";
  TIFFRGBAImage image;
  bool read = TIFFRGBAImageOK(context.input, message) &&
              TIFFRGBAImageBegin(&image, context.input, 0, message);
  if (read) {
    image.req_orientation = image.orientation;
    image.col_offset = static_cast<int>(region.column);
    image.row_offset = static_cast<int>(region.row);
    read = TIFFRGBAImageGet(&image, reinterpret_cast<std::uint32_t*>(raster->data()), region.width,
                            region.length) != 0;
    TIFFRGBAImageEnd(&image);
  }
  if (!read) {
    Fail(context,
         "Can't use TIFFReadRGBAImageOriented to extract RGB image from " + context.inputName);
    return false;
  }
  // The library packs each pixel as A B G R from the high byte down.
  const auto* packed = reinterpret_cast<const std::uint32_t*>(raster->data());
  rgb.assign(static_cast<std::size_t>(pixels * 3), 0);
  for (std::uint64_t i = 0; i < pixels; ++i) {
    rgb[i * 3] = static_cast<std::uint8_t>(TIFFGetR(packed[i]));
    rgb[i * 3 + 1] = static_cast<std::uint8_t>(TIFFGetG(packed[i]));
    rgb[i * 3 + 2] = static_cast<std::uint8_t>(TIFFGetB(packed[i]));
  }
  return true;
}

// The file's own Group 4 bytes of a strip or tile when they are in the
// plain form and are the page's pixels unchanged: they then go into the PDF
// as they are, and the chunk is neither decoded nor coded again. Damaged or
// otherwise coded data gives nothing and takes the decoding road, which
// codes the rows anew.
std::optional<Bytes> PlainGroup4Chunk(PdfWriterContext& context, std::uint32_t chunk, bool tiled,
                                      std::uint32_t width, std::uint32_t length) {
  const PageProperties& page = context.page;
  if (page.transcode != Transcode::RawPassThrough || page.sampleConversion != 0 ||
      page.bitsPerSample != 1 || page.samplesPerPixel != 1)
    return std::nullopt;
  auto raw = ReadRawChunk(context, chunk, tiled);
  if (!raw || CheckGroup4Form(*raw, width, length, kMsbFirst).form == Group4Form::Other)
    return std::nullopt;
  return raw;
}

std::uint64_t WriteRaw(PdfWriterContext& context, const Bytes& bytes) {
  context.sink->Write(bytes);
  return bytes.size();
}

// Writes the pixels as the stream's data, Group 4 or Flate coded as the page
// asks. Returns the bytes written, 0 on error.
std::uint64_t EncodeAndWrite(PdfWriterContext& context, std::span<const std::uint8_t> pixels,
                             std::uint32_t width, std::uint32_t length, const char* what) {
  const PageProperties& page = context.page;
  if (page.compressionOut == PdfCompression::Flate) {
    const auto written = WriteFlateCoded(*context.sink, pixels);
    if (!written)
      Fail(context,
           std::string("Error writing encoded ") + what + " to output PDF " + context.inputName);
    return written.value_or(0);
  }
  StripFormat format;
  format.bitsPerSample = page.bitsPerSample;
  format.samplesPerPixel = page.colourSamples;
  format.width = width;
  format.length = length;
  const auto coded = context.encoder.Encode(format, pixels);
  if (!coded) {
    Fail(context,
         std::string("Error writing encoded ") + what + " to output PDF " + context.inputName);
    return 0;
  }
  return WriteRaw(context, *coded);
}

} // namespace

std::string ColourSpaceText(const PdfWriterContext& context, std::uint32_t bits) {
  const PageProperties& page = context.page;
  // A palette's profile describes its base colours: it goes inside /Indexed.
  if (bits & kPalettised) {
    return "[ /Indexed " + ColourSpaceText(context, bits & ~std::uint32_t{kPalettised}) +
           Decimal((std::uint64_t{1} << page.bitsPerSample) - 1) + " " +
           Decimal(context.paletteNumber) + " 0 R ]\r";
  }
  if (bits & kIccBased)
    return "[/ICCBased " + Decimal(context.iccNumber) + " 0 R] \r";
  std::string text;
  if (bits & kBilevel)
    text += "/DeviceGray \r";
  if (bits & kGray)
    text += GrayText(page);
  if (bits & kRgb)
    text += RgbText(page);
  if (bits & kCmyk)
    text += "/DeviceCMYK \r";
  if (bits & kLab)
    text += LabText(page);
  return text;
}

std::string ImageDictionary(const PdfWriterContext& context, std::optional<std::uint32_t> tile) {
  const PageProperties& page = context.page;
  const PageRecord& record = context.pages[context.currentPage];
  std::uint32_t width = page.width;
  std::uint32_t height = page.length;
  std::string text = "/Length " + Decimal(context.objectCount + 1) + " 0 R \r" +
                     "/Type /XObject \r/Subtype /Image \r/Name /Im" +
                     Decimal(record.pageNumber + 1);
  if (tile) {
    const TileShape shape = ShapeOf(context.tiles[context.currentPage], *tile);
    width = shape.width;
    height = shape.length;
    text += "_" + Decimal(*tile + 1);
  }
  text += "\r/Width " + Decimal(width) + "\r/Height " + Decimal(height) + "\r/BitsPerComponent " +
          Decimal(page.bitsPerSample) + "\r/ColorSpace " +
          ColourSpaceText(context, page.colourSpace);
  // Group 4 data carries its polarity in /BlackIs1; a /Decode array on top
  // would invert the page again (as it would for a bilevel page that also
  // has an ICC profile).
  const bool bilevelGroup4 =
      (page.colourSpace & kBilevel) != 0 && page.compressionOut == PdfCompression::Group4;
  if (page.switchDecode && !bilevelGroup4) {
    text += "/Decode [ ";
    for (std::uint16_t s = 0; s < page.colourSamples; ++s)
      text += "1 0 ";
    text += "]\r";
  }
  if (page.compressionOut == PdfCompression::Group4) {
    text += "/Filter /CCITTFaxDecode /DecodeParms << /K -1 /Columns " + Decimal(width) + " /Rows " +
            Decimal(height);
    if (!page.switchDecode)
      text += " /BlackIs1 true ";
    text += ">>\r";
  }
  if (page.compressionOut == PdfCompression::Flate)
    text += "/Filter /FlateDecode\r";
  return text;
}

std::uint64_t WritePageImageData(PdfWriterContext& context) {
  TIFF* tiff = context.input;
  const PageProperties& page = context.page;
  if (const auto plain = PlainGroup4Chunk(context, 0, false, page.width, page.length))
    return WriteRaw(context, *plain);
  std::uint64_t size = static_cast<std::uint64_t>(TIFFScanlineSize64(tiff)) * page.length;
  if (page.planarConfig == PLANARCONFIG_SEPARATE)
    size *= page.samplesPerPixel;
  auto buffer = Allocate(size);
  if (!buffer) {
    Fail(context, "Can't allocate " + Decimal(size) +
                      " bytes of memory for pdf_write_image_data, " + context.inputName);
    return 0;
  }
  // The library's RGBA reader handles YCbCr in either planar layout; other
  // pages are read strip by strip, their planes interleaved, and then
  // converted (an alpha plane is dropped like a contiguous alpha sample).
  if (page.sampleConversion & kYcbcrToRgb) {
    if (!ReadRgbRegion(context, {0, 0, page.width, page.length}, "pdf_write_image_data", *buffer))
      return 0;
  } else {
    const bool decoded = page.sampleConversion & kSeparateToContiguous
                             ? ReadSeparateStrips(tiff, page, *buffer)
                             : ReadContiguousStrips(tiff, *buffer);
    if (!decoded) {
      Fail(context, "Error on decoding page " +
                        Decimal(context.pages[context.currentPage].pageNumber + 1) + " of " +
                        context.inputName);
      return 0;
    }
    ApplyPixelConversions(page, *buffer, page.width, page.length);
  }
  return EncodeAndWrite(context, *buffer, page.width, page.length, "strip");
}

std::uint64_t WriteTileImageData(PdfWriterContext& context, std::uint32_t tile) {
  TIFF* tiff = context.input;
  const PageProperties& page = context.page;
  const PageTiles& tiles = context.tiles[context.currentPage];
  const TileShape shape = ShapeOf(tiles, tile);
  const bool edge = shape.rightEdge || shape.bottomEdge;
  if (!edge) {
    if (const auto plain = PlainGroup4Chunk(context, tile, true, shape.width, shape.length))
      return WriteRaw(context, *plain);
  }
  if (page.sampleConversion & kYcbcrToRgb) {
    const PixelRegion region{(tile % tiles.across) * tiles.width,
                             (tile / tiles.across) * tiles.length, shape.width, shape.length};
    Bytes rgb;
    if (!ReadRgbRegion(context, region, "pdf_write_tile_data", rgb))
      return 0;
    return EncodeAndWrite(context, rgb, shape.width, shape.length, "tile");
  }
  const bool separate = (page.sampleConversion & kSeparateToContiguous) != 0;
  const auto tileSize = static_cast<std::uint64_t>(TIFFTileSize64(tiff));
  auto buffer = Allocate(separate ? tileSize * page.samplesPerPixel : tileSize);
  if (!buffer || tileSize == 0) {
    Fail(context, "Can't allocate " + Decimal(tileSize) +
                      " bytes of memory for pdf_write_tile_data, " + context.inputName);
    return 0;
  }
  auto decodeError = [&context](std::uint64_t number) {
    Fail(context, "Error on decoding tile " + Decimal(number) + " of " + context.inputName);
    return std::uint64_t{0};
  };
  if (separate) {
    std::vector<Bytes> planes(page.samplesPerPixel, Bytes(static_cast<std::size_t>(tileSize)));
    for (std::uint32_t s = 0; s < page.samplesPerPixel; ++s) {
      const std::uint32_t number = tile + s * tiles.count;
      if (TIFFReadEncodedTile(tiff, number, planes[s].data(), static_cast<tmsize_t>(tileSize)) < 0)
        return decodeError(number);
    }
    Interleave(planes, buffer->data(), buffer->size());
  } else if (TIFFReadEncodedTile(tiff, tile, buffer->data(), static_cast<tmsize_t>(tileSize)) < 0) {
    return decodeError(tile);
  }
  ApplyPixelConversions(page, *buffer, tiles.width, tiles.length);
  // Rows of the decoded tile, then of the image the tile shows: an edge tile
  // keeps the rows and columns that lie inside the page. The kept width is
  // rounded up to whole bytes so that no pixel of a bilevel edge is lost.
  const std::uint64_t bitsPerPixel = std::uint64_t{page.bitsPerSample} * page.colourSamples;
  const std::uint64_t inRow = (bitsPerPixel * tiles.width + 7) / 8;
  const std::uint64_t outRow = (bitsPerPixel * shape.width + 7) / 8;
  const std::uint64_t rows = std::min<std::uint64_t>(shape.length, buffer->size() / inRow);
  for (std::uint64_t row = 1; row < rows && outRow != inRow; ++row)
    std::memmove(buffer->data() + row * outRow, buffer->data() + row * inRow, outRow);
  buffer->resize(static_cast<std::size_t>(rows * outRow));
  return EncodeAndWrite(context, *buffer, shape.width, shape.length, "tile");
}

void WriteTransferObjects(PdfWriterContext& context) {
  const PageProperties& page = context.page;
  if (page.transferCount == 0)
    return;
  const std::uint32_t state = StartObject(context);
  std::string text = "<< /Type /ExtGState \r/TR ";
  if (page.transferCount == 1) {
    text += Decimal(state + 1) + " 0 R ";
  } else {
    text += "[ " + Decimal(state + 1) + " 0 R " + Decimal(state + 2) + " 0 R " +
            Decimal(state + 3) + " 0 R /Identity ] ";
  }
  context.sink->Write(text + " >> \r");
  EndObject(context);

  const std::size_t entries = std::size_t{1} << page.bitsPerSample;
  // The library holds 2^BitsPerSample entries as the file declared it.
  const std::size_t available = std::size_t{1} << [&] {
    std::uint16_t bits = 0;
    TIFFGetFieldDefaulted(context.input, TIFFTAG_BITSPERSAMPLE, &bits);
    return bits > 16 ? 16 : bits;
  }();
  for (std::uint16_t t = 0; t < page.transferCount; ++t) {
    StartObject(context);
    context.sink->Write("<< \r/FunctionType 0 \r/Domain [0.0 1.0] \r/Range [0.0 1.0] \r/Size [" +
                        Decimal(entries) + "] \r/BitsPerSample 16 \r/Length " +
                        Decimal(entries * 2) + "\r >>\rstream\r\n");
    // PDF sampled functions store multi-byte samples high byte first.
    Bytes table(entries * 2, 0);
    for (std::size_t i = 0; i < entries && i < available; ++i) {
      table[2 * i] = static_cast<std::uint8_t>(page.transfer[t][i] >> 8);
      table[2 * i + 1] = static_cast<std::uint8_t>(page.transfer[t][i] & 0xFF);
    }
    context.sink->Write(table);
    context.sink->Write("\rendstream\r");
    EndObject(context);
  }
}

void WritePaletteObject(PdfWriterContext& context) {
  const Bytes& palette = context.page.palette;
  context.paletteNumber = StartObject(context);
  context.sink->Write("<< \r/Length " + Decimal(palette.size()) + "\r >>\rstream\r\n");
  context.sink->Write(palette);
  context.sink->Write("\rendstream\r");
  EndObject(context);
}

void WriteIccObject(PdfWriterContext& context) {
  const PageProperties& page = context.page;
  context.iccNumber = StartObject(context);
  // A profile that fits maps the colours of the samples written (a palette's
  // base colours); one that does not is written as it is and left unused.
  const std::uint32_t base = page.colourSpace & ~std::uint32_t{kIccBased | kPalettised};
  const std::uint16_t n = ColourComponents(IccColourFamily(page.iccProfile).value_or(base));
  context.sink->Write("<< \r/N " + Decimal(n) + " \r/Alternate " + ColourSpaceText(context, base) +
                      "/Length " + Decimal(page.iccProfile.size()) + "\r >>\rstream\r\n");
  context.sink->Write(page.iccProfile);
  context.sink->Write("\rendstream\r");
  EndObject(context);
}

} // namespace pdf
