// Whole TIFF-to-PDF chain on fax documents: a 100-page Group 3 and a
// 100-page Group 4 TIFF (1728 x 2200 at 204 x 196 dpi, text-like pages) go
// through the page copier (selector 6, as fax sources do, and -1, as TIFF
// sources do) and the PDF writer. Beside them, the TIFF library's own decode
// and Group 4 encode of the same pages and our Group 4 encoder, measured in
// the same run.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include <tiffio.h>

#include "bench/support/BenchPages.h"
#include "faxformats/Group4Encoder.h"
#include "pdf/PdfWriter.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "tiffcopy/TiffCopier.h"

namespace {

constexpr std::uint32_t kPages = 100;
constexpr std::size_t kRowBytes = kBenchRowBytes;
constexpr std::uint32_t kLength = kBenchLength;

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

// Our encoder over the pages in memory, as the copier and the PDF writer
// call it.
bool EncodeOurs(const std::vector<std::vector<std::uint8_t>>& pages) {
  std::size_t coded = 0;
  for (std::uint32_t page = 0; page < kPages; ++page)
    coded += EncodeGroup4Page(pages[page % pages.size()], kBenchWidth, kLength, WhiteBits::Zero,
                              EndOfBlock::Append)
                 .size();
  return coded != 0;
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
                          [&] { return WriteFaxTiff(group4, COMPRESSION_CCITTFAX4, pages, kPages); }) &&
                  Measure("library Group 3 encode (writing the G3 TIFF)",
                          [&] { return WriteFaxTiff(group3, COMPRESSION_CCITTFAX3, pages, kPages); });
  Measure("our Group 4 encoder (in memory)", [&] { return EncodeOurs(pages); });
  if (ok) {
    RunChain("Group 4 TIFF", group4, folder);
    RunChain("Group 3 TIFF", group3, folder);
  }
  platform::RemoveTreeQuietly(made);
  return ok ? 0 : 1;
}
