// Bare fax streams through the engine: how long hostile input (100 MiB of
// random bytes, 100 MiB of zeros) takes to be judged "Not Fax", and pages per
// second for a 100-page fine-resolution Group 3 stream beside the same pages
// in a Group 3 TIFF through the TIFF path. Reports peak memory.
#include "batch/ConvertFile.h"
#include "bench/support/BenchPages.h"
#include "faxengine/FaxEngine.h"

#include <sys/resource.h>
#include <tiffio.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr std::uint32_t kWidth = 1728;
constexpr std::uint32_t kHeight = 2200; // fine resolution, A4
constexpr int kPages = 100;
constexpr FaxFormat kRawFormat = FaxFormat::Raw;
constexpr FaxFormat kTiffFormat = FaxFormat::Fmf;

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

long PeakKiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
}

// Packed MinIsWhite rows with lines of small ink blocks, like typed text.
std::vector<std::uint8_t> TypedPage(unsigned seed) {
  std::mt19937 random(seed);
  std::vector<std::uint8_t> rows(std::size_t(kWidth / 8) * kHeight, 0);
  for (std::uint32_t top = 160; top + 30 < kHeight - 160; top += 48) {
    for (std::uint32_t x = 150; x + 20 < 1580; x += 10 + random() % 14) {
      std::uint32_t w = 3 + random() % 6, h = 8 + random() % 20, y0 = top + random() % 8;
      for (std::uint32_t y = y0; y < y0 + h; ++y)
        for (std::uint32_t i = x; i < x + w; ++i)
          rows[std::size_t(y) * (kWidth / 8) + i / 8] |= std::uint8_t(0x80 >> (i % 8));
    }
  }
  return rows;
}

// Writes the pages as a Group 3 1-D TIFF with the TIFF library.
void WriteGroup3Tiff(const std::string& path) {
  std::vector<std::vector<std::uint8_t>> pages;
  for (int page = 0; page < kPages; ++page)
    pages.push_back(TypedPage(unsigned(page) + 1));
  WriteFaxTiff(path, COMPRESSION_CCITTFAX3, pages, kPages);
}

// The raw strips of that TIFF, one after another with RTC between pages: a
// bare stream such as a fax modem leaves.
std::vector<std::uint8_t> BareStreamOf(const std::string& tiffPath) {
  static const std::uint8_t kRtc[] = {0x00, 0x10, 0x01, 0x00, 0x10, 0x01, 0x00, 0x10, 0x01};
  std::vector<std::uint8_t> stream;
  TIFF* tif = TIFFOpen(tiffPath.c_str(), "r");
  do {
    tmsize_t size = TIFFRawStripSize(tif, 0);
    std::vector<std::uint8_t> strip(static_cast<std::size_t>(size));
    TIFFReadRawStrip(tif, 0, strip.data(), size);
    stream.insert(stream.end(), strip.begin(), strip.end());
    stream.insert(stream.end(), std::begin(kRtc), std::end(kRtc));
  } while (TIFFReadDirectory(tif));
  TIFFClose(tif);
  return stream;
}

struct Run {
  bool isFax = false;
  int pages = 0;
  int written = -1;
  double seconds = 0;
};

Run Convert(const std::string& folder, const std::string& input, FaxFormat format, bool write,
            bool rawFlag = false) {
  ConversionSettings settings;
  settings.RawFlag = rawFlag ? 1 : 0;
  settings.rawImagePath = folder + "/kvttmp.tmp";
  settings.rawSegmentPath = folder + "/kvtseg.tmp";
  settings.engineTiffPath = folder + "/kvttif.tmp";
  auto start = std::chrono::steady_clock::now();
  FaxEngine engine;
  engine.SetSettings(settings);
  engine.Identify(input, format);
  Run run;
  run.isFax = engine.IsFax();
  run.pages = engine.Settings().pageCount;
  if (run.isFax && write)
    run.written = engine.WriteTiff(folder + "/kvtintif.tmp", format);
  engine.CloseAll();
  run.seconds = Seconds(start);
  return run;
}

// The whole road a user's command takes: engine, copier and PDF writer for
// the bare stream, copier and PDF writer for the TIFF.
double SecondsToPdf(const std::string& folder, const std::string& input) {
  ConversionSettings settings;
  settings.rawImagePath = folder + "/kvttmp.tmp";
  settings.rawSegmentPath = folder + "/kvtseg.tmp";
  settings.engineTiffPath = folder + "/kvttif.tmp";
  ConversionEnvironment environment{settings, folder + "/kvtintif.tmp", folder + "/kvtcptif.tmp",
                                    RealStages()};
  BatchJob job;
  auto start = std::chrono::steady_clock::now();
  const int result = ConvertFile(environment, job, input, folder + "/out.pdf");
  const double seconds = Seconds(start);
  return result == 0 ? seconds : -1;
}

} // namespace

int main() {
  TIFFSetWarningHandler(nullptr);
  std::string folder = (std::filesystem::temp_directory_path() / "bench_raw_stream").string();
  std::filesystem::create_directories(folder);

  constexpr std::size_t kHostileBytes = 100u * 1024 * 1024;
  std::vector<std::uint8_t> hostile(kHostileBytes);
  std::mt19937 random(7);
  for (auto& byte : hostile)
    byte = std::uint8_t(random());
  WriteBytes(folder + "/random.bin", hostile);
  std::fill(hostile.begin(), hostile.end(), 0);
  WriteBytes(folder + "/zeros.bin", hostile);
  std::fill(hostile.begin(), hostile.end(), 0xFF);
  WriteBytes(folder + "/ff.bin", hostile);
  hostile = {};
  for (bool rawFlag : {false, true}) {
    for (const char* name : {"random.bin", "zeros.bin", "ff.bin"}) {
      Run run = Convert(folder, folder + "/" + name, kRawFormat, false, rawFlag);
      std::printf("100 MiB %-10s%s %s in %.2f s\n", name, rawFlag ? " /raw" : "     ",
                  run.isFax ? "taken for a fax" : "Not Fax", run.seconds);
    }
  }

  WriteGroup3Tiff(folder + "/pages.tif");
  WriteBytes(folder + "/pages.g3", BareStreamOf(folder + "/pages.tif"));
  Run raw = Convert(folder, folder + "/pages.g3", kRawFormat, true);
  Run tiff = Convert(folder, folder + "/pages.tif", kTiffFormat, true);
  std::printf(
      "bare G3 stream, %d fine pages: %d pages found, WriteTiff result %d, %.2f s, %.1f pages/s\n",
      kPages, raw.pages, raw.written, raw.seconds, raw.pages / raw.seconds);
  std::printf(
      "same pages as G3 TIFF:       %d pages found, WriteTiff result %d, %.2f s, %.1f pages/s\n",
      tiff.pages, tiff.written, tiff.seconds, tiff.pages / tiff.seconds);
  const double rawPdf = SecondsToPdf(folder, folder + "/pages.g3");
  const double tiffPdf = SecondsToPdf(folder, folder + "/pages.tif");
  std::printf("to PDF, whole chain: bare G3 stream %.1f pages/s, G3 TIFF %.1f pages/s\n",
              kPages / rawPdf, kPages / tiffPdf);
  std::printf("peak memory %ld KiB\n", PeakKiB());
  std::filesystem::remove_all(folder);
  return 0;
}
