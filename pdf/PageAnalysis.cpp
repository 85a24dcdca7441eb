#include "pdf/PageAnalysis.h"

#include <algorithm>
#include <cmath>

#include "pdf/PdfNumbers.h"
#include "pdf/TiffAccess.h"

namespace pdf {

namespace {

bool IsPage(TIFF* tiff) {
  std::uint16_t pageNumber = 0, pageCount = 0;
  if (TIFFGetField(tiff, TIFFTAG_PAGENUMBER, &pageNumber, &pageCount))
    return true;
  std::uint32_t subfileType = 0;
  if (TIFFGetField(tiff, TIFFTAG_SUBFILETYPE, &subfileType))
    return (subfileType & FILETYPE_PAGE) != 0 || subfileType == 0;
  std::uint16_t oldSubfileType = 0;
  if (TIFFGetField(tiff, TIFFTAG_OSUBFILETYPE, &oldSubfileType))
    return oldSubfileType == 0 || oldSubfileType == 1 || oldSubfileType == 3;
  return true;
}

std::uint16_t Defaulted16(TIFF* tiff, ttag_t tag) {
  std::uint16_t value = 0;
  TIFFGetFieldDefaulted(tiff, tag, &value);
  return value;
}

bool HasIndexedOne(TIFF* tiff) {
  std::uint16_t indexed = 0;
  return TIFFGetField(tiff, TIFFTAG_INDEXED, &indexed) && indexed == 1;
}

// The analysis below makes a palettised page of exactly these directories;
// the scan must count the palette object for the same ones.
bool WillBePalettised(TIFF* tiff) {
  std::uint16_t photometric = 0;
  if (!TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &photometric))
    return false;
  if (photometric == PHOTOMETRIC_PALETTE)
    return true;
  if (photometric == PHOTOMETRIC_RGB)
    return Defaulted16(tiff, TIFFTAG_SAMPLESPERPIXEL) != 3 && HasIndexedOne(tiff);
  return photometric == PHOTOMETRIC_SEPARATED && HasIndexedOne(tiff);
}

// 0 without a TransferFunction, 1 with one table for every channel, 3 with
// one per channel. The library hands out one table when the image has one
// colour channel and three otherwise.
std::uint16_t TransferTables(TIFF* tiff, std::array<const std::uint16_t*, 3>* tables) {
  const std::uint16_t* red = nullptr;
  const std::uint16_t* green = nullptr;
  const std::uint16_t* blue = nullptr;
  if (!TIFFGetField(tiff, TIFFTAG_TRANSFERFUNCTION, &red, &green, &blue) || red == nullptr)
    return 0;
  const bool shared = green == nullptr || blue == nullptr || (red == green && green == blue);
  if (tables != nullptr)
    *tables = shared ? std::array<const std::uint16_t*, 3>{red, red, red}
                     : std::array<const std::uint16_t*, 3>{red, green, blue};
  return shared ? 1 : 3;
}

bool HasIccProfile(TIFF* tiff, std::uint32_t* length, void** data) {
  std::uint32_t size = 0;
  void* bytes = nullptr;
  if (!TIFFGetField(tiff, TIFFTAG_ICCPROFILE, &size, &bytes) || bytes == nullptr)
    return false;
  if (length != nullptr)
    *length = size;
  if (data != nullptr)
    *data = bytes;
  return true;
}

// Counts the objects of the page in the current directory; false on error.
bool CountPageObjects(PdfWriterContext& context, PageRecord& record, PageTiles& tiles) {
  TIFF* tiff = context.input;
  context.objectCount += 5;
  if (WillBePalettised(tiff)) {
    record.extraObjects += 1;
    context.objectCount += 1;
  }
  if (const std::uint16_t tables = TransferTables(tiff, nullptr)) {
    const std::uint32_t objects = tables == 1 ? 2 : 4;
    record.extraObjects += objects;
    context.objectCount += objects;
    context.pdfMinor = std::max<std::uint16_t>(context.pdfMinor, 2);
  }
  if (HasIccProfile(tiff, nullptr, nullptr)) {
    record.extraObjects += 1;
    context.objectCount += 1;
    context.pdfMinor = std::max<std::uint16_t>(context.pdfMinor, 3);
  }
  // FlateDecode came with PDF 1.2: every page but a bilevel one uses it.
  if (Defaulted16(tiff, TIFFTAG_BITSPERSAMPLE) > 1 ||
      Defaulted16(tiff, TIFFTAG_SAMPLESPERPIXEL) > 1)
    context.pdfMinor = std::max<std::uint16_t>(context.pdfMinor, 2);
  tiles.count = record.tileCount;
  if (Defaulted16(tiff, TIFFTAG_PLANARCONFIG) == PLANARCONFIG_SEPARATE) {
    const std::uint16_t samples = Defaulted16(tiff, TIFFTAG_SAMPLESPERPIXEL);
    tiles.count /= samples == 0 ? 1 : samples;
  }
  if (tiles.count == 0)
    return true;
  if (tiles.count > TiffLimits::kMaxTilesPerPage) {
    Fail(context,
         "No support for " + context.inputName + " with " + Decimal(tiles.count) + " tiles");
    return false;
  }
  context.objectCount += 2 * (tiles.count - 1);
  TIFFGetField(tiff, TIFFTAG_TILEWIDTH, &tiles.width);
  TIFFGetField(tiff, TIFFTAG_TILELENGTH, &tiles.length);
  tiles.boxes.resize(tiles.count);
  return true;
}

// Moves to a directory of the chain. Pages are written in chain order, so
// going forward link by link reads only the directories passed; the
// library's TIFFSetDirectory walks from the first one, a seek and a read per
// directory in a file that is not mapped, and a document's pages would cost
// time by the square of their number.
bool MoveToDirectory(TIFF* tiff, std::uint32_t index) {
  const tdir_t current = TIFFCurrentDirectory(tiff);
  if (current == static_cast<tdir_t>(-1) || index <= current)
    return TIFFSetDirectory(tiff, static_cast<tdir_t>(index)) == 1;
  for (tdir_t at = current; at < index; ++at)
    if (TIFFReadDirectory(tiff) != 1)
      return false;
  return true;
}

bool SelectDirectory(PdfWriterContext& context, std::uint32_t index) {
  if (MoveToDirectory(context.input, index))
    return true;
  Fail(context, "Can't set directory " + Decimal(index) + " of input file " + context.inputName);
  return false;
}

// Records the current directory as a page unless it is a thumbnail.
bool ScanDirectory(PdfWriterContext& context, std::uint32_t index) {
  if (!IsPage(context.input))
    return true;
  PageRecord record;
  record.directory = static_cast<std::uint16_t>(index);
  record.pageNumber = static_cast<std::uint32_t>(context.pages.size());
  record.tileCount = TIFFIsTiled(context.input) ? TIFFNumberOfTiles(context.input) : 0;
  PageTiles tiles;
  if (!CountPageObjects(context, record, tiles))
    return false;
  context.pages.push_back(record);
  context.tiles.push_back(std::move(tiles));
  return true;
}

} // namespace

void ScanDocument(PdfWriterContext& context) {
  if (context.error || !SelectDirectory(context, 0))
    return;
  // The chain is walked link by link rather than counted first: counting
  // stops silently where a file is cut short, and its pages would be lost.
  std::uint32_t directories = 0;
  NextDirectory next = NextDirectory::Read;
  while (next == NextDirectory::Read) {
    if (directories == TiffLimits::kMaxDirectories) {
      Fail(context, "No support for " + context.inputName + " with more than " +
                        Decimal(directories) + " directories");
      return;
    }
    if (!ScanDirectory(context, directories++))
      return;
    next = ReadNextDirectory(context.input);
  }
  if (next == NextDirectory::ChainBroken) {
    Fail(context,
         "Can't read directory " + Decimal(directories) + " of input file " + context.inputName);
    return;
  }
  // A document of thumbnails alone would become a PDF without pages.
  if (context.pages.empty()) {
    Fail(context, "No page in input file " + context.inputName);
    return;
  }
  // The document information comes from the last page's directory.
  if (context.pages.back().directory + 1u != directories)
    SelectDirectory(context, context.pages.back().directory);
}

namespace {

// Steps of the page analysis; each returns false after recording an error.

bool CheckSizeAndCoding(PdfWriterContext& context) {
  TIFF* tiff = context.input;
  PageProperties& page = context.page;
  const std::string& name = context.inputName;
  if (!TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &page.width) || page.width == 0) {
    Fail(context, "No support for " + name + " with zero width");
    return false;
  }
  if (!TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &page.length) || page.length == 0) {
    Fail(context, "No support for " + name + " with zero length");
    return false;
  }
  if (!TIFFGetField(tiff, TIFFTAG_COMPRESSION, &page.compression)) {
    Fail(context, "No support for " + name + " with no compression tag");
    return false;
  }
  if (!TIFFIsCODECConfigured(page.compression)) {
    Fail(context, "No support for " + name + " with compression type " + Decimal(page.compression) +
                      ":  not configured");
    return false;
  }
  page.bitsPerSample = Defaulted16(tiff, TIFFTAG_BITSPERSAMPLE);
  if (page.bitsPerSample == 0) {
    Warn(context, "Image " + name + " has 0 bits per sample, assuming 1");
    page.bitsPerSample = 1;
  } else if (page.bitsPerSample != 1 && page.bitsPerSample != 2 && page.bitsPerSample != 4 &&
             page.bitsPerSample != 8) {
    Fail(context,
         "No support for " + name + " with " + Decimal(page.bitsPerSample) + " bits per sample");
    return false;
  }
  page.samplesPerPixel = Defaulted16(tiff, TIFFTAG_SAMPLESPERPIXEL);
  if (page.samplesPerPixel > 4) {
    Fail(context, "No support for " + name + " with " + Decimal(page.samplesPerPixel) +
                      " samples per pixel");
    return false;
  }
  if (page.samplesPerPixel == 0) {
    Warn(context, "Image " + name + " has 0 samples per pixel, assuming 1");
    page.samplesPerPixel = 1;
  }
  page.colourSamples = page.samplesPerPixel;
  std::uint16_t sampleFormat = 0;
  if (TIFFGetField(tiff, TIFFTAG_SAMPLEFORMAT, &sampleFormat) && sampleFormat != 0 &&
      sampleFormat != 1 && sampleFormat != 4) {
    Fail(context, "No support for " + name + " with sample format " + Decimal(sampleFormat));
    return false;
  }
  // Bounds that keep one page's pixels in memory at a reasonable size.
  const std::uint64_t rowBytes =
      (static_cast<std::uint64_t>(page.width) * page.bitsPerSample * page.samplesPerPixel + 7) / 8;
  if (page.width > TiffLimits::kMaxPageSide || page.length > TiffLimits::kMaxPageSide ||
      rowBytes * page.length > TiffLimits::kMaxPageBytes) {
    Fail(context, "No support for " + name + " with " + Decimal(page.width) + " x " +
                      Decimal(page.length) + " pixels");
    return false;
  }
  page.fillOrder = Defaulted16(tiff, TIFFTAG_FILLORDER);
  return true;
}

bool ReadPalette(PdfWriterContext& context, std::size_t bytesPerEntry) {
  PageProperties& page = context.page;
  const std::uint16_t* red = nullptr;
  const std::uint16_t* green = nullptr;
  const std::uint16_t* blue = nullptr;
  if (!TIFFGetField(context.input, TIFFTAG_COLORMAP, &red, &green, &blue) || red == nullptr ||
      green == nullptr || blue == nullptr) {
    Fail(context, "Palettized image " + context.inputName + " has no color map");
    return false;
  }
  // The library's tables have 2^BitsPerSample entries as the file gave it;
  // a BitsPerSample of 0 (taken as 1 above) leaves one entry.
  const std::size_t entries = std::size_t{1} << page.bitsPerSample;
  const std::size_t available = std::size_t{1} << Defaulted16(context.input, TIFFTAG_BITSPERSAMPLE);
  page.palette.assign(entries * bytesPerEntry, 0);
  for (std::size_t i = 0; i < entries && i < available; ++i) {
    std::uint8_t* entry = &page.palette[i * bytesPerEntry];
    entry[0] = static_cast<std::uint8_t>(red[i] >> 8);
    entry[1] = static_cast<std::uint8_t>(green[i] >> 8);
    entry[2] = static_cast<std::uint8_t>(blue[i] >> 8);
    // A palettised CMYK entry has no fourth table in TIFF: no black ink.
  }
  return true;
}

bool AnalysePalette(PdfWriterContext& context, std::uint32_t baseSpace, const char* notOneSample,
                    std::size_t bytesPerEntry) {
  PageProperties& page = context.page;
  if (page.samplesPerPixel != 1) {
    Fail(context, std::string(notOneSample) + context.inputName + " with not one sample per pixel");
    return false;
  }
  page.colourSpace = baseSpace | kPalettised;
  return ReadPalette(context, bytesPerEntry);
}

// Samples beyond the colour samples (alpha, or extra samples of no stated
// meaning) have no place in the PDF colour space: they are dropped, and
// associated alpha is composed over white first.
void KeepColourSamples(PdfWriterContext& context, std::uint16_t colourSamples) {
  PageProperties& page = context.page;
  page.colourSamples = std::min(page.samplesPerPixel, colourSamples);
  if (page.samplesPerPixel <= colourSamples)
    return;
  std::uint16_t count = 0;
  const std::uint16_t* kinds = nullptr;
  const bool associated = TIFFGetField(context.input, TIFFTAG_EXTRASAMPLES, &count, &kinds) &&
                          count > 0 && kinds != nullptr && kinds[0] == EXTRASAMPLE_ASSOCALPHA;
  page.sampleConversion |= associated ? kComposeAlphaAndDrop : kDropExtraSamples;
}

bool AnalyseRgb(PdfWriterContext& context) {
  PageProperties& page = context.page;
  const std::string& name = context.inputName;
  page.colourSpace = kRgb;
  if (page.samplesPerPixel == 3)
    return true;
  if (HasIndexedOne(context.input))
    return AnalysePalette(context, kRgb, "No support for palettized image ", 3);
  if (page.samplesPerPixel != 4) {
    Fail(context, "No support for RGB image " + name + " with " + Decimal(page.samplesPerPixel) +
                      " samples per pixel");
    return false;
  }
  std::uint16_t extraCount = 0;
  const std::uint16_t* extra = nullptr;
  if (TIFFGetField(context.input, TIFFTAG_EXTRASAMPLES, &extraCount, &extra) && extraCount > 0 &&
      extra != nullptr) {
    if (extra[0] != EXTRASAMPLE_ASSOCALPHA && extra[0] != EXTRASAMPLE_UNASSALPHA)
      Warn(context, "RGB image " + name + " has 4 samples per pixel, assuming RGBA");
    KeepColourSamples(context, 3);
    return true;
  }
  page.colourSpace = kCmyk;
  page.switchDecode = !page.switchDecode;
  Warn(context, "RGB image " + name + " has 4 samples per pixel, assuming inverse CMYK");
  return true;
}

bool AnalyseSeparated(PdfWriterContext& context) {
  PageProperties& page = context.page;
  const std::string& name = context.inputName;
  if (HasIndexedOne(context.input))
    return AnalysePalette(context, kCmyk, "No support for palettized CMYK image ", 4);
  std::uint16_t inkSet = INKSET_CMYK;
  if (TIFFGetField(context.input, TIFFTAG_INKSET, &inkSet) && inkSet != INKSET_CMYK) {
    Fail(context, "No support for " + name + " because its inkset is not CMYK");
    return false;
  }
  if (page.samplesPerPixel != 4) {
    Fail(context, "No support for " + name + " because it has " + Decimal(page.samplesPerPixel) +
                      " samples per pixel");
    return false;
  }
  page.colourSpace = kCmyk;
  return true;
}

// Fax files often omit PhotometricInterpretation on their bilevel CCITT
// pages; fax readers take those as MinIsWhite (the T.4/T.6 convention).
bool IsBilevelFaxCoded(const PageProperties& page) {
  const bool faxCodec =
      page.compression == COMPRESSION_CCITTRLE || page.compression == COMPRESSION_CCITTRLEW ||
      page.compression == COMPRESSION_CCITTFAX3 || page.compression == COMPRESSION_CCITTFAX4;
  return faxCodec && page.bitsPerSample == 1 && page.samplesPerPixel == 1;
}

bool AnalysePhotometric(PdfWriterContext& context) {
  PageProperties& page = context.page;
  const std::string& name = context.inputName;
  if (!TIFFGetField(context.input, TIFFTAG_PHOTOMETRIC, &page.photometric)) {
    if (!IsBilevelFaxCoded(page)) {
      Fail(context, "No support for " + name + " with no photometric interpretation tag");
      return false;
    }
    page.photometric = PHOTOMETRIC_MINISWHITE;
  }
  switch (page.photometric) {
  case PHOTOMETRIC_MINISWHITE:
  case PHOTOMETRIC_MINISBLACK:
    page.colourSpace = page.bitsPerSample == 1 ? kBilevel : kGray;
    if (page.photometric == PHOTOMETRIC_MINISWHITE)
      page.switchDecode = !page.switchDecode;
    KeepColourSamples(context, 1);
    return true;
  case PHOTOMETRIC_RGB:
    return AnalyseRgb(context);
  case PHOTOMETRIC_PALETTE:
    return AnalysePalette(context, kRgb, "No support for palettized image ", 3);
  case PHOTOMETRIC_SEPARATED:
    return AnalyseSeparated(context);
  case PHOTOMETRIC_YCBCR:
    page.colourSpace = kRgb;
    if (page.samplesPerPixel == 1) {
      page.colourSpace = kGray;
      page.photometric = PHOTOMETRIC_MINISBLACK;
    } else {
      page.sampleConversion |= kYcbcrToRgb;
      page.colourSamples = 3;
    }
    return true;
  case PHOTOMETRIC_CIELAB:
    page.colourSpace = kLab;
    page.labRange = {-127, 127, -127, 127};
    page.sampleConversion |= kSignedLabToUnsigned;
    KeepColourSamples(context, 3);
    return true;
  case PHOTOMETRIC_ICCLAB:
    page.colourSpace = kLab;
    page.labRange = {0, 255, 0, 255};
    KeepColourSamples(context, 3);
    return true;
  case PHOTOMETRIC_ITULAB:
    page.colourSpace = kLab;
    page.labRange = {-85, 85, -75, 124};
    page.sampleConversion |= kSignedLabToUnsigned;
    KeepColourSamples(context, 3);
    return true;
  case PHOTOMETRIC_LOGL:
  case PHOTOMETRIC_LOGLUV:
    Fail(context, "No support for " + name + " with photometric interpretation LogL/LogLuv");
    return false;
  default:
    Fail(context, "No support for " + name + " with photometric interpretation " +
                      Decimal(page.photometric));
    return false;
  }
}

bool AnalysePlanes(PdfWriterContext& context) {
  PageProperties& page = context.page;
  const std::string& name = context.inputName;
  page.planarConfig = PLANARCONFIG_CONTIG;
  std::uint16_t planar = 0;
  if (!TIFFGetField(context.input, TIFFTAG_PLANARCONFIG, &planar))
    return true;
  if (planar == 0) {
    Warn(context, "Image " + name + " has planar configuration 0, assuming 1");
    return true;
  }
  if (planar == PLANARCONFIG_CONTIG)
    return true;
  if (planar != PLANARCONFIG_SEPARATE) {
    Fail(context, "No support for " + name + " with planar configuration " + Decimal(planar));
    return false;
  }
  page.planarConfig = PLANARCONFIG_SEPARATE;
  page.sampleConversion |= kSeparateToContiguous;
  if (page.bitsPerSample != 8) {
    Fail(context, "No support for " + name + " with separated planar configuration and " +
                      Decimal(page.bitsPerSample) + " bits per sample");
    return false;
  }
  return true;
}

void AnalyseOrientationAndResolution(PdfWriterContext& context) {
  PageProperties& page = context.page;
  TIFF* tiff = context.input;
  page.orientation = Defaulted16(tiff, TIFFTAG_ORIENTATION);
  if (page.orientation > 8) {
    Warn(context, "Image " + context.inputName + " has orientation " + Decimal(page.orientation) +
                      ", assuming 0");
    page.orientation = 0;
  }
  page.xResolution = 0;
  page.yResolution = 0;
  TIFFGetField(tiff, TIFFTAG_XRESOLUTION, &page.xResolution);
  TIFFGetField(tiff, TIFFTAG_YRESOLUTION, &page.yResolution);
  page.resolutionUnit = Defaulted16(tiff, TIFFTAG_RESOLUTIONUNIT);
  if (page.resolutionUnit == RESUNIT_CENTIMETER) {
    page.xResolution *= 2.54f;
    page.yResolution *= 2.54f;
  }
}

// A profile describes the colours of the samples written (a palette's base
// colours, never its indices) when its data colour space (ICC.1, header
// bytes 16-19) is the family of those samples.
bool IccProfileFits(const PageProperties& page) {
  const auto family = IccColourFamily(page.iccProfile);
  const std::uint32_t samples = page.colourSpace & (kBilevel | kGray | kRgb | kCmyk | kLab);
  return family && (*family == samples || (*family == kGray && samples == kBilevel));
}

void AnalyseColourExtras(PdfWriterContext& context) {
  PageProperties& page = context.page;
  TIFF* tiff = context.input;
  page.transferCount = TransferTables(tiff, &page.transfer);

  const float* white = nullptr;
  if (TIFFGetField(tiff, TIFFTAG_WHITEPOINT, &white) && white != nullptr) {
    page.whitePoint = {white[0], white[1]};
    if (page.colourSpace & kGray)
      page.colourSpace |= kCalibratedGray;
    if (page.colourSpace & kRgb)
      page.colourSpace |= kCalibratedRgb;
  } else if (page.colourSpace & kLab) {
    page.whitePoint = {0.3457f, 0.3585f}; // D50
  }
  const float* primaries = nullptr;
  if (TIFFGetField(tiff, TIFFTAG_PRIMARYCHROMATICITIES, &primaries) && primaries != nullptr) {
    page.primaries = std::array<float, 6>{primaries[0], primaries[1], primaries[2],
                                          primaries[3], primaries[4], primaries[5]};
    if (page.colourSpace & kRgb)
      page.colourSpace |= kCalibratedRgb;
  }

  std::uint32_t iccLength = 0;
  void* icc = nullptr;
  if (HasIccProfile(tiff, &iccLength, &icc)) {
    page.hasIccProfile = true;
    const auto* bytes = static_cast<const std::uint8_t*>(icc);
    page.iccProfile.assign(bytes, bytes + iccLength);
    if (IccProfileFits(page))
      page.colourSpace |= kIccBased;
  }
}

void DecidePassThrough(PdfWriterContext& context) {
  PageProperties& page = context.page;
  const bool singleStripOrTiled =
      TIFFIsTiled(context.input) || TIFFNumberOfStrips(context.input) == 1;
  if (page.compression == COMPRESSION_CCITTFAX4 && singleStripOrTiled) {
    page.transcode = Transcode::RawPassThrough;
    page.compressionOut = PdfCompression::Group4;
  } else {
    page.compressionOut = PdfCompression::Flate;
  }
  // Bilevel pages always travel as Group 4, passed through or encoded anew.
  if (page.bitsPerSample == 1 && page.colourSamples == 1)
    page.compressionOut = PdfCompression::Group4;
}

} // namespace

void AnalysePage(PdfWriterContext& context) {
  if (context.error)
    return;
  const PageRecord& record = context.pages[context.currentPage];
  context.page = PageProperties{};
  if (!SelectDirectory(context, record.directory))
    return;
  if (!CheckSizeAndCoding(context) || !AnalysePhotometric(context) || !AnalysePlanes(context))
    return;
  AnalyseOrientationAndResolution(context);
  PageTiles& tiles = context.tiles[context.currentPage];
  if (tiles.count > 0 && (tiles.width == 0 || tiles.length == 0)) {
    Fail(context, "No support for " + context.inputName + " with zero tile size");
    return;
  }
  ComposePage(context, tiles.count > 0 ? &tiles : nullptr);
  DecidePassThrough(context);
  AnalyseColourExtras(context);
}

} // namespace pdf
