#include "support/TiffFixtures.h"

#include "support/Scratch.h"

#include <memory>
#include <random>
#include <stdexcept>

namespace testing_support {

namespace {

struct TiffCloser {
  void operator()(TIFF* tif) const { TIFFClose(tif); }
};
using TiffHandle = std::unique_ptr<TIFF, TiffCloser>;

void Fail(const std::string& what) { throw std::runtime_error("TIFF fixture: " + what); }

void SetText(TIFF* tif, ttag_t tag, const std::string& text) {
  if (!text.empty())
    TIFFSetField(tif, tag, text.c_str());
}

std::uint32_t PageWidth(const TiffPageSpec& page) {
  return page.samples.empty() ? page.raster.width : page.sampleWidth;
}
std::uint32_t PageHeight(const TiffPageSpec& page) {
  return page.samples.empty() ? page.raster.height : page.sampleHeight;
}

void SetPageTags(TIFF* tif, const TiffPageSpec& page) {
  const bool bilevel = page.samples.empty();
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, PageWidth(page));
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, PageHeight(page));
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, bilevel ? 1 : page.bitsPerSample);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, bilevel ? 1 : page.samplesPerPixel);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, page.planarConfig);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, page.photometric);
  TIFFSetField(tif, TIFFTAG_FILLORDER, page.fillOrder);
  TIFFSetField(tif, TIFFTAG_COMPRESSION, page.compression);
  if (page.compression == COMPRESSION_CCITTFAX3)
    TIFFSetField(tif, TIFFTAG_GROUP3OPTIONS, page.group3Options);
  if (page.extraSamples) {
    std::uint16_t kind = EXTRASAMPLE_ASSOCALPHA;
    TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, &kind);
  }
  if (!page.colorMap.empty()) {
    std::size_t n = page.colorMap.size() / 3;
    TIFFSetField(tif, TIFFTAG_COLORMAP, page.colorMap.data(), page.colorMap.data() + n,
                 page.colorMap.data() + 2 * n);
  }
  if (page.writeResolution) {
    TIFFSetField(tif, TIFFTAG_XRESOLUTION, page.xResolution);
    TIFFSetField(tif, TIFFTAG_YRESOLUTION, page.yResolution);
    TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, page.resolutionUnit);
  }
  if (page.orientation)
    TIFFSetField(tif, TIFFTAG_ORIENTATION, page.orientation);
  if (page.subfileType)
    TIFFSetField(tif, TIFFTAG_SUBFILETYPE, page.subfileType);
  if (page.pageNumber != 0xFFFF)
    TIFFSetField(tif, TIFFTAG_PAGENUMBER, page.pageNumber, 0);
  SetText(tif, TIFFTAG_SOFTWARE, page.software);
  SetText(tif, TIFFTAG_DATETIME, page.dateTime);
  SetText(tif, TIFFTAG_ARTIST, page.artist);
  SetText(tif, TIFFTAG_IMAGEDESCRIPTION, page.imageDescription);
  if (page.tiled) {
    TIFFSetField(tif, TIFFTAG_TILEWIDTH, page.tileWidth);
    TIFFSetField(tif, TIFFTAG_TILELENGTH, page.tileLength);
  } else {
    std::uint32_t rows =
        page.rowsPerStrip ? page.rowsPerStrip : std::max<std::uint32_t>(PageHeight(page), 1);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, rows);
  }
  if (page.moreTags)
    page.moreTags(tif);
}

// Contiguous or planar source bytes of the whole page, rows packed.
std::vector<std::uint8_t> PageBytes(const TiffPageSpec& page) {
  if (!page.samples.empty())
    return page.samples;
  return page.raster.PackedRows(page.photometric != PHOTOMETRIC_MINISBLACK);
}

void WriteTiles(TIFF* tif, const TiffPageSpec& page, const std::vector<std::uint8_t>& bytes) {
  const std::uint32_t width = PageWidth(page), height = PageHeight(page);
  const int planes = page.planarConfig == PLANARCONFIG_SEPARATE ? page.samplesPerPixel : 1;
  const std::uint32_t samplesInRow = planes == 1 ? page.samplesPerPixel : 1;
  const std::size_t rowBytes = (std::size_t(width) * samplesInRow * page.bitsPerSample + 7) / 8;
  const std::size_t planeBytes = rowBytes * height;
  std::vector<std::uint8_t> tile(TIFFTileSize(tif));
  const std::size_t tileRowBytes = TIFFTileRowSize(tif);
  const std::size_t bitsPerPixel = std::size_t(samplesInRow) * page.bitsPerSample;
  for (int plane = 0; plane < planes; ++plane)
    for (std::uint32_t ty = 0; ty < height; ty += page.tileLength)
      for (std::uint32_t tx = 0; tx < width; tx += page.tileWidth) {
        std::fill(tile.begin(), tile.end(), 0);
        for (std::uint32_t y = 0; y < page.tileLength && ty + y < height; ++y)
          for (std::uint32_t x = 0; x < page.tileWidth && tx + x < width; ++x)
            for (std::size_t bit = 0; bit < bitsPerPixel; ++bit) {
              std::size_t srcBit = (tx + x) * bitsPerPixel + bit;
              const std::uint8_t* row = bytes.data() + plane * planeBytes + (ty + y) * rowBytes;
              if (row[srcBit / 8] & (0x80 >> (srcBit % 8))) {
                std::size_t dstBit = x * bitsPerPixel + bit;
                tile[y * tileRowBytes + dstBit / 8] |=
                    static_cast<std::uint8_t>(0x80 >> (dstBit % 8));
              }
            }
        if (TIFFWriteTile(tif, tile.data(), tx, ty, 0, static_cast<std::uint16_t>(plane)) < 0)
          Fail("cannot write a tile");
      }
}

void WriteScanlines(TIFF* tif, const TiffPageSpec& page, const std::vector<std::uint8_t>& bytes) {
  const std::uint32_t height = PageHeight(page);
  const int planes = page.planarConfig == PLANARCONFIG_SEPARATE ? page.samplesPerPixel : 1;
  const std::size_t rowBytes = TIFFScanlineSize(tif);
  for (int plane = 0; plane < planes; ++plane)
    for (std::uint32_t y = 0; y < height; ++y) {
      std::vector<std::uint8_t> row(bytes.begin() + (plane * height + y) * rowBytes,
                                    bytes.begin() + (plane * height + y + 1) * rowBytes);
      if (TIFFWriteScanline(tif, row.data(), y, static_cast<std::uint16_t>(plane)) < 0)
        Fail("cannot write a row");
    }
}

// A tiled bilevel page put together as packed rows.
std::vector<std::uint8_t> ReadBilevelTiles(TIFF* tif, std::uint32_t width, std::uint32_t height) {
  std::uint32_t tileWidth = 0, tileLength = 0;
  TIFFGetField(tif, TIFFTAG_TILEWIDTH, &tileWidth);
  TIFFGetField(tif, TIFFTAG_TILELENGTH, &tileLength);
  const std::size_t rowBytes = (std::size_t(width) + 7) / 8;
  const std::size_t tileRowBytes = TIFFTileRowSize(tif);
  std::vector<std::uint8_t> rows(rowBytes * height), tile(TIFFTileSize(tif));
  for (std::uint32_t ty = 0; ty < height; ty += tileLength)
    for (std::uint32_t tx = 0; tx < width; tx += tileWidth) {
      if (TIFFReadTile(tif, tile.data(), tx, ty, 0, 0) < 0)
        Fail("cannot decode a tile");
      for (std::uint32_t y = 0; y < tileLength && ty + y < height; ++y)
        for (std::uint32_t x = 0; x < tileWidth && tx + x < width; ++x)
          if (tile[y * tileRowBytes + x / 8] & (0x80 >> (x % 8)))
            rows[(ty + y) * rowBytes + (tx + x) / 8] |=
                static_cast<std::uint8_t>(0x80 >> ((tx + x) % 8));
    }
  return rows;
}

} // namespace

std::vector<std::uint8_t> Raster::PackedRows(bool blackIsOne) const {
  const std::size_t rowBytes = (std::size_t(width) + 7) / 8;
  std::vector<std::uint8_t> rows(rowBytes * height, 0);
  for (std::uint32_t y = 0; y < height; ++y)
    for (std::uint32_t x = 0; x < width; ++x)
      if (black(x, y) == blackIsOne)
        rows[y * rowBytes + x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
  return rows;
}

Raster Raster::FromPackedRows(const std::uint8_t* rows, std::uint32_t width, std::uint32_t height,
                              bool blackIsOne) {
  Raster raster(width, height);
  const std::size_t rowBytes = (std::size_t(width) + 7) / 8;
  for (std::uint32_t y = 0; y < height; ++y)
    for (std::uint32_t x = 0; x < width; ++x) {
      bool bit = rows[y * rowBytes + x / 8] & (0x80 >> (x % 8));
      raster.set(x, y, bit == blackIsOne);
    }
  return raster;
}

double Raster::BlackFraction() const {
  if (pixels.empty())
    return 0;
  std::size_t ink = 0;
  for (auto p : pixels)
    ink += p != 0;
  return double(ink) / double(pixels.size());
}

Raster TextLikePage(std::uint32_t width, std::uint32_t height, unsigned seed) {
  Raster page(width, height);
  std::mt19937 random(seed);
  // Lines of "words": short vertical and horizontal strokes of glyph height.
  for (std::uint32_t top = 8; top + 20 < height; top += 28) {
    std::uint32_t x = 10 + random() % 20;
    while (x + 12 < width) {
      std::uint32_t glyphs = 2 + random() % 7;
      for (std::uint32_t g = 0; g < glyphs && x + 10 < width; ++g, x += 11) {
        unsigned shape = random();
        for (std::uint32_t y = 0; y < 16; ++y)
          for (std::uint32_t dx = 0; dx < 8; ++dx) {
            bool stroke = ((shape & 1) && dx < 2) || ((shape & 2) && dx > 5) ||
                          ((shape & 4) && y < 2) || ((shape & 8) && y > 13) ||
                          ((shape & 16) && y > 6 && y < 9);
            if (stroke)
              page.set(x + dx, top + y);
          }
      }
      x += 8 + random() % 16;
    }
  }
  return page;
}

Raster NoisePage(std::uint32_t width, std::uint32_t height, double blackShare, unsigned seed) {
  Raster page(width, height);
  std::mt19937 random(seed);
  std::bernoulli_distribution ink(blackShare);
  for (auto& p : page.pixels)
    p = ink(random);
  return page;
}

Raster RunBoundaryPage(std::uint32_t width) {
  // Each row alternates colours with run lengths around the make-up code
  // boundaries, so terminating, make-up and extended make-up codes all occur.
  static const std::uint32_t kRuns[] = {0,    1,    2,    7,    63,   64,   65,
                                        127,  128,  191,  640,  1343, 1344, 1727,
                                        1728, 1791, 1792, 2559, 2560, 2561, 2623};
  std::vector<std::vector<std::uint32_t>> rows;
  for (std::uint32_t run : kRuns)
    for (std::uint32_t other : {1u, 64u, 2560u})
      rows.push_back({run, other, run});
  Raster page(width, static_cast<std::uint32_t>(rows.size()));
  for (std::uint32_t y = 0; y < page.height; ++y) {
    std::uint32_t x = 0;
    bool ink = false;
    for (std::size_t i = 0; x < width; ++i, ink = !ink) {
      std::uint32_t run = rows[y][i % rows[y].size()];
      for (std::uint32_t k = 0; k < run && x < width; ++k, ++x)
        page.set(x, y, ink);
    }
  }
  return page;
}

Raster CornerMarkPage(std::uint32_t width, std::uint32_t height) {
  Raster page(width, height);
  for (std::uint32_t y = 0; y < height / 2; ++y)
    for (std::uint32_t x = 0; x < width / 2; ++x)
      page.set(x, y);
  return page;
}

void WriteTiffFile(const std::string& path, const std::vector<TiffPageSpec>& pages,
                   bool bigEndian) {
  TiffHandle tif(TIFFOpen(path.c_str(), bigEndian ? "wb" : "wl"));
  if (!tif)
    Fail("cannot create " + path);
  for (const auto& page : pages) {
    SetPageTags(tif.get(), page);
    auto bytes = PageBytes(page);
    if (page.tiled)
      WriteTiles(tif.get(), page, bytes);
    else
      WriteScanlines(tif.get(), page, bytes);
    if (!TIFFWriteDirectory(tif.get()))
      Fail("cannot write a directory");
  }
}

std::vector<std::uint8_t> FaxTiffBytes(const std::vector<Raster>& pages, std::uint16_t compression,
                                       std::uint32_t group3Options) {
  ScratchFolder scratch;
  std::vector<TiffPageSpec> specs(pages.size());
  for (std::size_t i = 0; i < pages.size(); ++i) {
    specs[i].raster = pages[i];
    specs[i].compression = compression;
    specs[i].group3Options = group3Options;
  }
  WriteTiffFile(scratch / "fax.tif", specs);
  const std::string bytes = ReadFile(scratch / "fax.tif");
  return {bytes.begin(), bytes.end()};
}

std::vector<Raster> ReadTiffPages(const std::string& path) {
  TiffHandle tif(TIFFOpen(path.c_str(), "rmc"));
  if (!tif)
    Fail("cannot open " + path);
  std::vector<Raster> pages;
  do {
    std::uint32_t width = 0, height = 0;
    std::uint16_t photometric = PHOTOMETRIC_MINISWHITE;
    TIFFGetField(tif.get(), TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tif.get(), TIFFTAG_IMAGELENGTH, &height);
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_PHOTOMETRIC, &photometric);
    std::uint16_t bits = 1, samples = 1;
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_SAMPLESPERPIXEL, &samples);
    if (bits != 1 || samples != 1) // the row buffers below hold one bit per pixel
      Fail("not a bilevel page: " + path);
    const std::size_t rowBytes = (std::size_t(width) + 7) / 8;
    std::vector<std::uint8_t> rows = TIFFIsTiled(tif.get())
                                         ? ReadBilevelTiles(tif.get(), width, height)
                                         : std::vector<std::uint8_t>(rowBytes * height);
    for (std::uint32_t y = 0; y < height && !TIFFIsTiled(tif.get()); ++y)
      if (TIFFReadScanline(tif.get(), rows.data() + y * rowBytes, y, 0) < 0)
        Fail("cannot decode row " + std::to_string(y) + " of " + path);
    pages.push_back(
        Raster::FromPackedRows(rows.data(), width, height, photometric != PHOTOMETRIC_MINISBLACK));
  } while (TIFFReadDirectory(tif.get()));
  return pages;
}

std::vector<float> ResolutionsOf(const std::string& path, ttag_t tag) {
  std::vector<float> values;
  TIFF* tif = TIFFOpen(path.c_str(), "r");
  if (!tif)
    return values;
  do {
    float value = 0;
    TIFFGetField(tif, tag, &value);
    values.push_back(value);
  } while (TIFFReadDirectory(tif));
  TIFFClose(tif);
  return values;
}

std::vector<std::vector<std::uint8_t>> ReadRawStrips(const std::string& path, int directory) {
  TiffHandle tif(TIFFOpen(path.c_str(), "rmc"));
  if (!tif || !TIFFSetDirectory(tif.get(), static_cast<tdir_t>(directory)))
    Fail("cannot open " + path);
  std::vector<std::vector<std::uint8_t>> strips;
  for (tstrip_t s = 0; s < TIFFNumberOfStrips(tif.get()); ++s) {
    std::uint64_t* counts = nullptr;
    TIFFGetField(tif.get(), TIFFTAG_STRIPBYTECOUNTS, &counts);
    std::vector<std::uint8_t> strip(counts[s]);
    if (TIFFReadRawStrip(tif.get(), s, strip.data(), static_cast<tmsize_t>(strip.size())) < 0)
      Fail("cannot read a raw strip");
    strips.push_back(std::move(strip));
  }
  return strips;
}

std::vector<std::uint8_t> EncodeWithLibTiff(const Raster& raster, std::uint16_t compression,
                                            std::uint32_t group3Options, std::uint16_t fillOrder) {
  ScratchFolder scratch;
  TiffPageSpec page;
  page.raster = raster;
  page.compression = compression;
  page.group3Options = group3Options;
  page.fillOrder = fillOrder;
  WriteTiffFile(scratch / "strip.tif", {page});
  return ReadRawStrips(scratch / "strip.tif").at(0);
}

std::vector<std::uint8_t> ReverseBits(std::vector<std::uint8_t> bytes) {
  for (auto& b : bytes) {
    std::uint8_t r = 0;
    for (int i = 0; i < 8; ++i)
      r = static_cast<std::uint8_t>(r | (((b >> i) & 1) << (7 - i)));
    b = r;
  }
  return bytes;
}

} // namespace testing_support
