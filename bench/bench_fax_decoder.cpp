// Decodes a 100-page fine-resolution document of text-like pages in each fax
// coding (MH, MR, MMR) with our decoder and with the TIFF library's, on the
// same coded data in the same run, and reports pages per second.
#include "faxformats/FaxDecoder.h"

#include <tiffio.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr std::uint32_t kWidth = 1728;
constexpr std::uint32_t kHeight = 2200; // A4 at 196 lines per inch
constexpr int kPages = 100;

// Packed rows, a set bit black (MinIsWhite): rows of glyph-like strokes and
// blobs between margins, as on a typed letter.
std::vector<std::uint8_t> TextPage(unsigned seed) {
  std::mt19937 random(seed);
  std::vector<std::uint8_t> rows(std::size_t(kWidth / 8) * kHeight, 0);
  auto ink = [&](std::uint32_t x, std::uint32_t y) {
    rows[std::size_t(y) * (kWidth / 8) + x / 8] |= std::uint8_t(0x80 >> (x % 8));
  };
  for (std::uint32_t top = 150; top + 40 < kHeight - 150; top += 52) {
    std::uint32_t x = 140;
    std::uint32_t lineEnd = 1588 - random() % 300;
    while (x + 30 < lineEnd) {
      std::uint32_t glyph = 14 + random() % 12;
      // A glyph: a few vertical and horizontal strokes.
      for (int stroke = 0; stroke < 3; ++stroke) {
        bool vertical = random() % 2;
        std::uint32_t sx = x + random() % glyph, sy = top + 6 + random() % 24;
        std::uint32_t length = 6 + random() % 20;
        for (std::uint32_t i = 0; i < length; ++i)
          for (std::uint32_t t = 0; t < 3; ++t)
            vertical ? ink(std::min(sx + t, kWidth - 1), std::min(sy + i, kHeight - 1))
                     : ink(std::min(sx + i, kWidth - 1), std::min(sy + t, kHeight - 1));
      }
      x += glyph + 4 + (random() % 6 == 0 ? 18 : 0);
    }
  }
  return rows;
}

struct Coding {
  const char* name;
  std::uint16_t compression;
  std::uint32_t group3Options;
  std::uint8_t codingCode;
};

std::string WriteDocument(const Coding& coding,
                          const std::vector<std::vector<std::uint8_t>>& pages) {
  std::string path = std::string("bench_fax_decoder_") + std::to_string(coding.codingCode) + ".tif";
  TIFF* tif = TIFFOpen(path.c_str(), "w");
  if (!tif) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    std::exit(1);
  }
  for (const auto& page : pages) {
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, kWidth);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, kHeight);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, coding.compression);
    if (coding.compression == COMPRESSION_CCITTFAX3)
      TIFFSetField(tif, TIFFTAG_GROUP3OPTIONS, coding.group3Options);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, kHeight);
    TIFFSetField(tif, TIFFTAG_XRESOLUTION, 204.0);
    TIFFSetField(tif, TIFFTAG_YRESOLUTION, 196.0);
    TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    TIFFWriteEncodedStrip(tif, 0, const_cast<std::uint8_t*>(page.data()), tmsize_t(page.size()));
    TIFFWriteDirectory(tif);
  }
  TIFFClose(tif);
  return path;
}

std::vector<std::vector<std::uint8_t>> RawStrips(const std::string& path) {
  std::vector<std::vector<std::uint8_t>> strips;
  TIFF* tif = TIFFOpen(path.c_str(), "r");
  do {
    tmsize_t size = TIFFRawStripSize(tif, 0);
    std::vector<std::uint8_t> strip(std::size_t(size > 0 ? size : 0));
    TIFFReadRawStrip(tif, 0, strip.data(), size);
    strips.push_back(std::move(strip));
  } while (TIFFReadDirectory(tif));
  TIFFClose(tif);
  return strips;
}

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// Peak resident memory in KiB, from the process status file.
long PeakMemoryKiB() {
  std::FILE* status = std::fopen("/proc/self/status", "r");
  if (!status)
    return -1;
  char line[256];
  long peak = -1;
  while (std::fgets(line, sizeof line, status))
    if (std::strncmp(line, "VmHWM:", 6) == 0)
      peak = std::strtol(line + 6, nullptr, 10);
  std::fclose(status);
  return peak;
}

// Our decoder over the raw strips; returns the total of good lines.
std::uint64_t DecodeOurs(const Coding& coding, const std::vector<std::vector<std::uint8_t>>& strips,
                         PageRaster& raster) {
  std::uint64_t lines = 0;
  for (const auto& strip : strips) {
    FaxG4Decoder decoder;
    decoder.Initialise(strip.data(), std::uint32_t(strip.size()), kMsbFirst, coding.codingCode, 0);
    decoder.SetSize(kWidth, kHeight);
    decoder.DecodePage(raster);
    lines += raster.height;
  }
  return lines;
}

// The TIFF library decoding every page of the document.
std::uint64_t DecodeLibTiff(const std::string& path, std::vector<std::uint8_t>& buffer) {
  std::uint64_t lines = 0;
  TIFF* tif = TIFFOpen(path.c_str(), "r");
  do {
    tmsize_t got = TIFFReadEncodedStrip(tif, 0, buffer.data(), tmsize_t(buffer.size()));
    if (got > 0)
      lines += std::uint64_t(got) / (kWidth / 8);
  } while (TIFFReadDirectory(tif));
  TIFFClose(tif);
  return lines;
}

} // namespace

int main(int argc, char** argv) {
  int rounds = argc > 1 ? std::atoi(argv[1]) : 3;
  TIFFSetWarningHandler(nullptr);
  TIFFSetErrorHandler(nullptr);
  std::vector<std::vector<std::uint8_t>> pages;
  for (int i = 0; i < kPages; ++i)
    pages.push_back(TextPage(unsigned(i + 1)));

  const Coding codings[] = {
      {"MH (T.4 1-D)", COMPRESSION_CCITTFAX3, 0, 5},
      {"MR (T.4 2-D)", COMPRESSION_CCITTFAX3, GROUP3OPT_2DENCODING, 6},
      {"MMR (T.6)", COMPRESSION_CCITTFAX4, 0, 7},
  };
  std::printf("%d pages of %ux%u, best of %d rounds\n", kPages, kWidth, kHeight, rounds);
  std::printf("%-14s %12s %14s %14s %8s\n", "coding", "coded bytes", "ours pages/s",
              "libtiff pages/s", "ratio");
  for (const Coding& coding : codings) {
    std::string path = WriteDocument(coding, pages);
    auto strips = RawStrips(path);
    std::size_t coded = 0;
    for (const auto& strip : strips)
      coded += strip.size();
    PageRaster raster;
    std::vector<std::uint8_t> buffer(std::size_t(kWidth / 8) * kHeight);
    double ours = 1e9, library = 1e9;
    std::uint64_t ourLines = 0, libraryLines = 0;
    for (int round = 0; round < rounds; ++round) {
      auto start = std::chrono::steady_clock::now();
      ourLines = DecodeOurs(coding, strips, raster);
      ours = std::min(ours, Seconds(start));
      start = std::chrono::steady_clock::now();
      libraryLines = DecodeLibTiff(path, buffer);
      library = std::min(library, Seconds(start));
    }
    std::remove(path.c_str());
    std::printf("%-14s %12zu %14.1f %14.1f %8.2f%s\n", coding.name, coded, kPages / ours,
                kPages / library, library / ours,
                ourLines == libraryLines ? "" : "  (line counts differ!)");
  }
  std::printf("peak memory: %ld KiB\n", PeakMemoryKiB());
  return 0;
}
