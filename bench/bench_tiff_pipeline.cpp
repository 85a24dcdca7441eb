// Whole TIFF-to-PDF chain on fax documents: a 100-page Group 3 and a
// 100-page Group 4 TIFF (1728 x 2200 at 204 x 196 dpi, text-like pages) go
// through the page copier (selector 6, as fax sources do, and -1, as TIFF
// sources do) and the PDF writer. Beside them, the TIFF library's own decode
// and Group 4 encode of the same pages, measured in the same run.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include <tiffio.h>

#include "pdf/PdfWriter.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "tiffcopy/TiffCopier.h"

namespace {

constexpr std::uint32_t kWidth = 1728, kLength = 2200, kPages = 100;
constexpr std::size_t kRowBytes = kWidth / 8;

// Lines of "words": short black runs of letter-like strokes with gaps, as a
// typed fax page shows them, with margins and an empty lower part.
std::vector<std::uint8_t> TextLikeRows(unsigned seed) {
  std::vector<std::uint8_t> rows(kRowBytes * kLength, 0);
  std::mt19937 random(seed);
  auto setBlack = [&rows](std::uint32_t x, std::uint32_t y) {
    rows[y * kRowBytes + x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
  };
  for (std::uint32_t line = 120; line + 30 < 1800; line += 48) {
    std::uint32_t x = 100 + random() % 40;
    while (x < kWidth - 160) {
      const std::uint32_t letters = 2 + random() % 8;
      for (std::uint32_t l = 0; l < letters && x < kWidth - 140; ++l, x += 18) {
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
                  const std::vector<std::vector<std::uint8_t>>& pages) {
  TIFF* tiff = TIFFOpen(path.c_str(), "w");
  if (tiff == nullptr)
    return false;
  bool ok = true;
  for (std::uint32_t p = 0; p < kPages && ok; ++p) {
    TIFFSetField(tiff, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, kWidth);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, kLength);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, compression);
    TIFFSetField(tiff, TIFFTAG_XRESOLUTION, 204.0f);
    TIFFSetField(tiff, TIFFTAG_YRESOLUTION, 196.0f);
    TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, kLength);
    TIFFSetField(tiff, TIFFTAG_PAGENUMBER, p, kPages);
    auto& rows = const_cast<std::vector<std::uint8_t>&>(pages[p % pages.size()]);
    ok = TIFFWriteEncodedStrip(tiff, 0, rows.data(), static_cast<tmsize_t>(rows.size())) >= 0 &&
         TIFFWriteDirectory(tiff);
  }
  TIFFClose(tiff);
  return ok;
}

void Report(const char* what, double seconds, bool ok) {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  if (!ok) {
    std::printf("%-48s failed\n", what);
    return;
  }
  std::printf("%-48s %8.1f pages/s  (%.3f s, peak memory %ld MiB)\n", what, kPages / seconds,
              seconds, usage.ru_maxrss / 1024);
}

// Runs the work once and prints its rate; false when it failed.
bool Measure(const std::string& what, const std::function<bool()>& work) {
  const auto start = std::chrono::steady_clock::now();
  const bool ok = work();
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  Report(what.c_str(), seconds, ok);
  return ok;
}

bool DecodeAll(const std::string& path) {
  TIFF* tiff = TIFFOpen(path.c_str(), "r");
  if (tiff == nullptr)
    return false;
  std::vector<std::uint8_t> rows(kRowBytes * kLength);
  bool ok = true;
  do {
    ok = ok && TIFFReadEncodedStrip(tiff, 0, rows.data(), static_cast<tmsize_t>(rows.size())) >= 0;
  } while (TIFFReadDirectory(tiff));
  TIFFClose(tiff);
  return ok;
}

void RunChain(const std::string& name, const std::string& source, const std::string& folder) {
  const std::string copied = folder + "copied.tif", pdf = folder + "out.pdf";
  Measure(name + ": library decode", [&] { return DecodeAll(source); });
  Measure(name + ": PDF writer alone",
          [&] { return ConvertTiffToPdf(source, pdf, 0, PdfDocInfo{}) == 0; });
  for (int selector : {6, -1}) {
    CopyOptions options;
    options.compression = selector;
    Measure(name + ": copier (" + std::to_string(selector) + ") + PDF writer", [&] {
      return CopyTiffImages(source, copied, options) == 0 &&
             ConvertTiffToPdf(copied, pdf, 0, PdfDocInfo{}) == 0;
    });
  }
}

} // namespace

int main() {
  const std::string made = platform::CreatePrivateWorkFolder();
  if (made.empty()) {
    std::fprintf(stderr, "cannot make a work folder\n");
    return 1;
  }
  const std::string folder = made + "/";
  std::vector<std::vector<std::uint8_t>> pages;
  for (unsigned seed = 1; seed <= 10; ++seed)
    pages.push_back(TextLikeRows(seed));
  const std::string group3 = folder + "group3.tif", group4 = folder + "group4.tif";
  const bool ok = Measure("library Group 4 encode (writing the G4 TIFF)",
                          [&] { return WriteFaxTiff(group4, COMPRESSION_CCITTFAX4, pages); }) &&
                  Measure("library Group 3 encode (writing the G3 TIFF)",
                          [&] { return WriteFaxTiff(group3, COMPRESSION_CCITTFAX3, pages); });
  if (ok) {
    RunChain("Group 4 TIFF", group4, folder);
    RunChain("Group 3 TIFF", group3, folder);
  }
  platform::RemoveTreeQuietly(made);
  return ok ? 0 : 1;
}
