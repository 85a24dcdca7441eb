// Fax-program containers and image files through the whole program, as a
// user runs it: a 100-page KVR-FAX document of fine Group 3 pages (their
// coded bytes are copied, never decoded and coded again by the engine) and a
// 100-page DCX document (PCX rows, decoded and written as PackBits). Each is
// converted five times by quorren; the median time gives pages per second.
#include "bench/support/BenchPages.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "samples/writers/DcxFile.h"
#include "samples/writers/KvrFaxFile.h"

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <tiffio.h>
#include <vector>

namespace {

constexpr std::uint32_t kPages = 100;
constexpr int kRuns = 5;
using Bytes = std::vector<std::uint8_t>;

// The coded strip of every page of a TIFF the library wrote.
std::vector<Bytes> RawStrips(const std::string& path) {
  std::vector<Bytes> strips;
  TIFF* tiff = TIFFOpen(path.c_str(), "r");
  if (!tiff)
    return strips;
  do {
    std::uint64_t* counts = nullptr;
    if (!TIFFGetField(tiff, TIFFTAG_STRIPBYTECOUNTS, &counts) || !counts)
      break;
    Bytes strip(counts[0]);
    if (TIFFReadRawStrip(tiff, 0, strip.data(), static_cast<tmsize_t>(strip.size())) < 0)
      break;
    strips.push_back(std::move(strip));
  } while (TIFFReadDirectory(tiff));
  TIFFClose(tiff);
  return strips;
}

bool WriteFile(const std::string& path, const Bytes& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file)
    return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}

bool WriteKvrFax(const std::string& path, const std::string& scratch,
                 const std::vector<Bytes>& rows) {
  if (!WriteFaxTiff(scratch, COMPRESSION_CCITTFAX3, rows, kPages))
    return false;
  const std::vector<Bytes> coded = RawStrips(scratch);
  std::vector<kvr_fax::Page> pages;
  for (const Bytes& page : coded)
    pages.push_back({page, kBenchWidth, kBenchLength, 1, 5, 204, 196});
  return pages.size() == kPages && WriteFile(path, kvr_fax::File(pages));
}

bool WriteDcx(const std::string& path, const std::vector<Bytes>& rows) {
  std::vector<Bytes> pcxPages;
  for (std::uint32_t page = 0; page < kPages; ++page) {
    PcxImage image;
    image.width = kBenchWidth;
    image.height = kBenchLength;
    image.rows = rows[page % rows.size()];
    for (std::uint8_t& byte : image.rows) // a one bit is white in a PCX page
      byte = static_cast<std::uint8_t>(~byte);
    pcxPages.push_back(PcxFile(image));
  }
  return WriteFile(path, DcxFile(pcxPages));
}

void Convert(const std::string& quorren, const char* what, const std::string& source,
             const std::string& pdf) {
  std::vector<double> seconds;
  for (int run = 0; run < kRuns; ++run) {
    std::filesystem::remove(pdf);
    const auto start = std::chrono::steady_clock::now();
    const platform::ProcessResult result =
        platform::RunAndWait(quorren, {"/q", "/f=" + source, "/sf=" + pdf});
    seconds.push_back(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    if (!result.ran || result.exitStatus != 0) {
      std::printf("%-40s failed (exit %d)\n", what, result.exitStatus);
      return;
    }
  }
  std::sort(seconds.begin(), seconds.end());
  const double median = seconds[kRuns / 2];
  rusage children{};
  getrusage(RUSAGE_CHILDREN, &children);
  std::printf("%-40s %8.1f pages/s  (median %.3f s of %d runs, peak memory %ld MiB)\n", what,
              kPages / median, median, kRuns, children.ru_maxrss / 1024);
}

} // namespace

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  const std::string quorren =
      argc > 1 ? argv[1] : (fs::path(argv[0]).parent_path().parent_path() / "app/quorren").string();
  const std::string made = platform::CreatePrivateWorkFolder();
  if (made.empty()) {
    std::fprintf(stderr, "cannot make a work folder\n");
    return 1;
  }
  std::vector<Bytes> rows;
  for (unsigned seed = 1; seed <= 10; ++seed)
    rows.push_back(TextLikeRows(seed));
  const std::string kvr = made + "/fax.kvr", dcx = made + "/fax.dcx";
  if (!WriteKvrFax(kvr, made + "/scratch.tif", rows) || !WriteDcx(dcx, rows)) {
    std::fprintf(stderr, "cannot write the documents\n");
    platform::RemoveTreeQuietly(made);
    return 1;
  }
  Convert(quorren, "KVR-FAX, 100 fine Group 3 pages", kvr, made + "/kvr.pdf");
  Convert(quorren, "DCX, 100 pages", dcx, made + "/dcx.pdf");
  platform::RemoveTreeQuietly(made);
  return 0;
}
