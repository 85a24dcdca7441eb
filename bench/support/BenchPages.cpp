#include "bench/support/BenchPages.h"

#include <random>
#include <tiffio.h>

std::vector<std::uint8_t> TextLikeRows(unsigned seed) {
  std::vector<std::uint8_t> rows(kBenchRowBytes * kBenchLength, 0);
  std::mt19937 random(seed);
  auto setBlack = [&rows](std::uint32_t x, std::uint32_t y) {
    rows[y * kBenchRowBytes + x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
  };
  for (std::uint32_t line = 120; line + 30 < 1800; line += 48) {
    std::uint32_t x = 100 + random() % 40;
    while (x < kBenchWidth - 160) {
      const std::uint32_t letters = 2 + random() % 8;
      for (std::uint32_t l = 0; l < letters && x < kBenchWidth - 140; ++l, x += 18) {
        // One of a few solid glyph shapes: bars, boxes and crossbars.
        const unsigned shape = random() % 4;
        for (std::uint32_t y = line; y < line + 26; ++y)
          for (std::uint32_t dx = 0; dx < 14; ++dx) {
            const bool stem = dx < 3;
            const bool right = dx > 10 && shape != 0;
            const bool top = y < line + 3 && shape >= 2;
            const bool middle = y >= line + 12 && y < line + 15 && shape == 3;
            if (stem || right || top || middle)
              setBlack(x + dx, y);
          }
      }
      x += 20 + random() % 20;
    }
  }
  return rows;
}

bool WriteFaxTiff(const std::string& path, std::uint16_t compression,
                  const std::vector<std::vector<std::uint8_t>>& pages, std::uint32_t pageCount,
                  std::uint32_t group3Options) {
  TIFF* tiff = TIFFOpen(path.c_str(), "w");
  if (tiff == nullptr)
    return false;
  bool ok = true;
  for (std::uint32_t p = 0; p < pageCount && ok; ++p) {
    TIFFSetField(tiff, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, kBenchWidth);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, kBenchLength);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, compression);
    TIFFSetField(tiff, TIFFTAG_XRESOLUTION, 204.0f);
    TIFFSetField(tiff, TIFFTAG_YRESOLUTION, 196.0f);
    TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, kBenchLength);
    TIFFSetField(tiff, TIFFTAG_PAGENUMBER, p, pageCount);
    if (compression == COMPRESSION_CCITTFAX3)
      TIFFSetField(tiff, TIFFTAG_GROUP3OPTIONS, group3Options);
    auto& rows = const_cast<std::vector<std::uint8_t>&>(pages[p % pages.size()]);
    ok = TIFFWriteEncodedStrip(tiff, 0, rows.data(), static_cast<tmsize_t>(rows.size())) >= 0 &&
         TIFFWriteDirectory(tiff);
  }
  TIFFClose(tiff);
  return ok;
}
