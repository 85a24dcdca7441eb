// Page copier throughput: a 100-page single-strip Group 4 TIFF (1728 x 2200
// at 204 x 196 dpi) copied keeping Group 4 (its clean strips are carried
// over verbatim), the same pages from Group 3 into Group 4 (decode and
// encode), and the TIFF library's own decode of the Group 4 pages for
// reference. Prints pages per second and the peak resident memory.
#include "bench/support/BenchPages.h"
#include "tiffcopy/TiffCopier.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <sys/resource.h>
#include <tiffio.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::uint32_t kWidth = 1728;
constexpr std::uint32_t kHeight = 2200;
constexpr int kPages = 100;

// Text-like strokes: rows of short glyph boxes, about 6% black.
std::vector<std::uint8_t> PageRows(unsigned seed) {
  const std::uint32_t rowBytes = kWidth / 8;
  std::vector<std::uint8_t> rows(std::size_t{rowBytes} * kHeight, 0);
  std::mt19937 random(seed);
  for (std::uint32_t top = 40; top + 30 < kHeight; top += 34)
    for (std::uint32_t x = 64; x + 16 < kWidth - 64; x += 10 + random() % 12)
      for (std::uint32_t y = top; y < top + 20; ++y)
        if (random() % 3 != 0)
          rows[std::size_t{y} * rowBytes + x / 8] |=
              static_cast<std::uint8_t>(0xF0 >> (x % 8 / 4 * 4));
  return rows;
}

bool WriteDocument(const std::string& path, std::uint16_t compression) {
  std::vector<std::vector<std::uint8_t>> pages;
  for (unsigned seed = 0; seed < 7; ++seed)
    pages.push_back(PageRows(seed));
  return WriteFaxTiff(path, compression, pages, kPages);
}

double Seconds(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

long PeakKilobytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

void Report(const char* what, double seconds) {
  std::printf("%-44s %8.1f pages/s  (%.3f s, peak RSS %ld KB)\n", what, kPages / seconds, seconds,
              PeakKilobytes());
}

double TimeCopy(const std::string& in, const std::string& out, int selector, int repeats) {
  CopyOptions options;
  options.compression = selector;
  double best = 1e9;
  for (int i = 0; i < repeats; ++i) {
    const auto start = std::chrono::steady_clock::now();
    if (CopyTiffImages(in, out, options) != 0) {
      std::fprintf(stderr, "copy of %s failed\n", in.c_str());
      std::exit(1);
    }
    best = std::min(best, Seconds(start));
  }
  return best;
}

double TimeLibraryDecode(const std::string& path) {
  const auto start = std::chrono::steady_clock::now();
  TIFF* tif = TIFFOpen(path.c_str(), "r");
  std::vector<std::uint8_t> rows(std::size_t{kWidth / 8} * kHeight);
  do
    TIFFReadEncodedStrip(tif, 0, rows.data(), static_cast<tmsize_t>(rows.size()));
  while (TIFFReadDirectory(tif));
  TIFFClose(tif);
  return Seconds(start);
}

} // namespace

int main() {
  char folder[] = "/tmp/bench_tiff_copy_XXXXXX";
  if (!mkdtemp(folder))
    return 1;
  const std::string base = folder;
  const std::string g4 = base + "/g4.tif", g3 = base + "/g3.tif", out = base + "/out.tif";
  if (!WriteDocument(g4, COMPRESSION_CCITTFAX4) || !WriteDocument(g3, COMPRESSION_CCITTFAX3))
    return 1;
  std::printf("%d pages, %ux%u, best of 3 runs\n", kPages, kWidth, kHeight);
  Report("TIFF library: decode Group 4 only", TimeLibraryDecode(g4));
  Report("copy Group 4, keep compression (-1)", TimeCopy(g4, out, -1, 3));
  Report("copy Group 4 into Group 4 (6)", TimeCopy(g4, out, 6, 3));
  Report("copy Group 3 into Group 4 (6)", TimeCopy(g3, out, 6, 3));
  Report("copy Group 4 into Group 3 (3)", TimeCopy(g4, out, 3, 1));
  for (const std::string& path : {g4, g3, out})
    std::remove(path.c_str());
  rmdir(folder);
  return 0;
}
