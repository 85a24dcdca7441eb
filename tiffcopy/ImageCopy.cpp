#include "tiffcopy/ImageCopy.h"

#include "tiffcopy/CopyLimits.h"
#include "tiffcopy/DataCopy.h"
#include "tiffcopy/TagCopy.h"

#include <algorithm>

namespace tiffcopy {
namespace {

struct SourceImage {
  ImageShape shape;
  std::uint16_t bitsPerSample = 1;
  std::uint16_t samplesPerPixel = 1;
  std::uint16_t planarConfig = PLANARCONFIG_CONTIG;
  std::uint16_t compression = COMPRESSION_NONE;
  bool tiled = false;
};

SourceImage DescribeSource(TIFF* in) {
  SourceImage source;
  TIFFGetField(in, TIFFTAG_IMAGEWIDTH, &source.shape.width);
  TIFFGetField(in, TIFFTAG_IMAGELENGTH, &source.shape.length);
  TIFFGetFieldDefaulted(in, TIFFTAG_BITSPERSAMPLE, &source.bitsPerSample);
  TIFFGetFieldDefaulted(in, TIFFTAG_SAMPLESPERPIXEL, &source.samplesPerPixel);
  TIFFGetFieldDefaulted(in, TIFFTAG_PLANARCONFIG, &source.planarConfig);
  TIFFGetFieldDefaulted(in, TIFFTAG_COMPRESSION, &source.compression);
  source.tiled = TIFFIsTiled(in) != 0;
  const bool separate = source.planarConfig == PLANARCONFIG_SEPARATE;
  source.shape.planes = separate ? source.samplesPerPixel : 1;
  source.shape.bitsPerPixel = separate
                                  ? source.bitsPerSample
                                  : std::uint32_t{source.bitsPerSample} * source.samplesPerPixel;
  return source;
}

// Checked before anything is decoded, against what the header claims.
bool WithinLimits(TIFF* in, const SourceImage& source) {
  const ImageShape& shape = source.shape;
  if (shape.width == 0 || shape.length == 0 || shape.width > kMaxImageSide ||
      shape.length > kMaxImageSide || source.samplesPerPixel == 0 || source.bitsPerSample == 0 ||
      source.samplesPerPixel > kMaxSamplesPerPixel || source.bitsPerSample > kMaxBitsPerSample ||
      std::uint64_t{shape.width} * shape.length > kMaxPixelsPerImage)
    return false;
  const std::uint64_t rowBytes = (std::uint64_t{shape.width} * shape.bitsPerPixel + 7) / 8;
  if (rowBytes * shape.length > kMaxAllocation / shape.planes)
    return false;
  const std::uint64_t chunks = source.tiled ? TIFFNumberOfTiles(in) : TIFFNumberOfStrips(in);
  return chunks > 0 && chunks <= kMaxChunksPerImage;
}

bool IsFaxCodec(std::uint16_t compression) {
  return compression == COMPRESSION_CCITTRLE || compression == COMPRESSION_CCITTRLEW ||
         compression == COMPRESSION_CCITTFAX3 || compression == COMPRESSION_CCITTFAX4;
}

bool IsBilevel(const SourceImage& source) {
  return source.bitsPerSample == 1 && source.samplesPerPixel == 1;
}

// The fax codecs decode one bit per pixel only; other data under their
// names cannot be read at all.
bool Decodable(const SourceImage& source) {
  if (IsFaxCodec(source.compression))
    return IsBilevel(source);
  return TIFFIsCODECConfigured(source.compression) != 0;
}

// Codecs this library decodes but cannot encode (old-style JPEG, NeXT,
// ThunderScan).
bool CanEncode(std::uint16_t compression) {
  return TIFFIsCODECConfigured(compression) && compression != COMPRESSION_OJPEG &&
         compression != COMPRESSION_NEXT && compression != COMPRESSION_THUNDERSCAN;
}

std::uint16_t OutputCompression(const SourceImage& source, const ImageSettings& settings) {
  if (settings.compression != 0)
    return settings.compression;
  if (CanEncode(source.compression))
    return source.compression;
  // Kept compression the library cannot write: bilevel pages become Group 4,
  // the rest lossless LZW.
  return IsBilevel(source) ? COMPRESSION_CCITTFAX4 : COMPRESSION_LZW;
}

void SetStructure(TIFF* in, TIFF* out, const SourceImage& source) {
  TIFFSetField(out, TIFFTAG_IMAGEWIDTH, source.shape.width);
  TIFFSetField(out, TIFFTAG_IMAGELENGTH, source.shape.length);
  TIFFSetField(out, TIFFTAG_BITSPERSAMPLE, source.bitsPerSample);
  TIFFSetField(out, TIFFTAG_SAMPLESPERPIXEL, source.samplesPerPixel);
  CopyExtraSamples(in, out);
}

void SetPhotometric(TIFF* in, TIFF* out, const SourceImage& source, std::uint16_t compression,
                    const ImageSettings& settings) {
  // Fax files often omit PhotometricInterpretation on their bilevel CCITT
  // pages; fax readers take those as MinIsWhite (the T.4/T.6 convention).
  std::uint16_t photometric = PHOTOMETRIC_MINISWHITE;
  const bool known = TIFFGetField(in, TIFFTAG_PHOTOMETRIC, &photometric) != 0 ||
                     (IsFaxCodec(source.compression) && IsBilevel(source));
  if (compression == COMPRESSION_JPEG) {
    if (source.compression == COMPRESSION_JPEG)
      TIFFSetField(in, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
    // The JPEG coder makes YCbCr of exactly three samples; RGB with alpha
    // stays RGB.
    if (known && photometric == PHOTOMETRIC_RGB && source.samplesPerPixel == 3)
      photometric =
          settings.jpegColorMode == JPEGCOLORMODE_RGB ? PHOTOMETRIC_YCBCR : PHOTOMETRIC_RGB;
  } else if (compression == COMPRESSION_SGILOG || compression == COMPRESSION_SGILOG24) {
    photometric = source.samplesPerPixel == 1 ? PHOTOMETRIC_LOGL : PHOTOMETRIC_LOGLUV;
    TIFFSetField(out, TIFFTAG_PHOTOMETRIC, photometric);
    return;
  }
  if (known)
    TIFFSetField(out, TIFFTAG_PHOTOMETRIC, photometric);
}

// Tiles sized as the source's (rounded by the library's rule) or strips of
// the source's rows per strip (the library's default when it has none).
// JPEG strips must hold whole 16-row blocks (the largest subsampling), so
// their rows are rounded up for JPEG output.
bool SetLayout(TIFF* in, TIFF* out, const SourceImage& source, std::uint16_t compression,
               const ImageSettings& settings) {
  const bool tiled = settings.tiled == -1 ? source.tiled : settings.tiled != 0;
  if (tiled) {
    std::uint32_t tileWidth = 0;
    std::uint32_t tileLength = 0;
    if (source.tiled) {
      TIFFGetField(in, TIFFTAG_TILEWIDTH, &tileWidth);
      TIFFGetField(in, TIFFTAG_TILELENGTH, &tileLength);
    }
    if (tileWidth > kMaxImageSide || tileLength > kMaxImageSide)
      return false;
    TIFFDefaultTileSize(out, &tileWidth, &tileLength);
    return TIFFSetField(out, TIFFTAG_TILEWIDTH, tileWidth) &&
           TIFFSetField(out, TIFFTAG_TILELENGTH, tileLength);
  }
  std::uint32_t rowsPerStrip = 0;
  if (source.tiled || !TIFFGetField(in, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip) || rowsPerStrip == 0)
    rowsPerStrip = TIFFDefaultStripSize(out, 0);
  if (compression == COMPRESSION_JPEG && rowsPerStrip < source.shape.length)
    rowsPerStrip = std::min(source.shape.length, (rowsPerStrip + 15) / 16 * 16);
  return TIFFSetField(out, TIFFTAG_ROWSPERSTRIP, rowsPerStrip);
}

void SetCompressionTags(TIFF* in, TIFF* out, std::uint16_t compression,
                        const ImageSettings& settings) {
  switch (compression) {
  case COMPRESSION_CCITTFAX3:
    TIFFSetField(out, TIFFTAG_GROUP3OPTIONS, settings.group3Options);
    CopyFaxTags(in, out, false);
    return;
  case COMPRESSION_CCITTFAX4:
    CopyFaxTags(in, out, true);
    return;
  case COMPRESSION_LZW:
  case COMPRESSION_ADOBE_DEFLATE:
  case COMPRESSION_DEFLATE:
    CopyShortTag(in, out, TIFFTAG_PREDICTOR);
    return;
  case COMPRESSION_JPEG:
    TIFFSetField(out, TIFFTAG_JPEGQUALITY, settings.jpegQuality);
    TIFFSetField(out, TIFFTAG_JPEGCOLORMODE, settings.jpegColorMode);
    return;
  default:
    return;
  }
}

// Picks the routine by the layouts of both sides; both have the source's
// planar configuration, so samples never need to be regrouped. Coded data
// is copied as it is only where coding its rows anew would give the same
// bytes (Group 4 strips in the plain form): Group 4 that the TIFF library
// decodes is not always in the form every PDF viewer decodes.
bool CopyPixels(TIFF* tiff, TIFF* out, const SourceImage& source) {
  const ImageShape& shape = source.shape;
  const bool outTiled = TIFFIsTiled(out) != 0;
  if (!source.tiled && !outTiled) {
    std::uint32_t sourceRows = 0;
    std::uint32_t outputRows = 0;
    TIFFGetField(out, TIFFTAG_ROWSPERSTRIP, &outputRows);
    const bool sameStrips =
        TIFFGetField(tiff, TIFFTAG_ROWSPERSTRIP, &sourceRows) && sourceRows == outputRows;
    return sameStrips ? CopyStrips(tiff, out, shape) : CopyRows(tiff, out, shape);
  }
  if (source.tiled && outTiled && TIFFTileSize64(tiff) == TIFFTileSize64(out) &&
      TIFFNumberOfTiles(tiff) == TIFFNumberOfTiles(out))
    return CopyTiles(tiff, out, shape);
  return CopyThroughPlaneBuffer(tiff, out, shape);
}

} // namespace

bool CopyImage(TiffHandle& in, TIFF* out, const ImageSettings& settings) {
  TIFF* tiff = in.get();
  const SourceImage source = DescribeSource(tiff);
  if (!WithinLimits(tiff, source) || !Decodable(source))
    return false;
  const std::uint16_t compression = OutputCompression(source, settings);

  SetStructure(tiff, out, source);
  if (!TIFFSetField(out, TIFFTAG_COMPRESSION, compression))
    return false;
  SetPhotometric(tiff, out, source, compression, settings);
  if (settings.fillOrder != 0)
    TIFFSetField(out, TIFFTAG_FILLORDER, settings.fillOrder);
  else
    CopyShortTag(tiff, out, TIFFTAG_FILLORDER);
  // Kept as the source has it: the pages' readers place all eight values.
  CopyShortTag(tiff, out, TIFFTAG_ORIENTATION);
  if (!SetLayout(tiff, out, source, compression, settings))
    return false;
  TIFFSetField(out, TIFFTAG_PLANARCONFIG, source.planarConfig);
  CopyColourTables(tiff, out, source.samplesPerPixel);
  SetCompressionTags(tiff, out, compression, settings);
  CopyProfileInksAndPageNumber(tiff, out);
  CopyDescriptiveTags(tiff, out);
  return CopyPixels(tiff, out, source);
}

} // namespace tiffcopy
