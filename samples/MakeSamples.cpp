// Writes the sample faxes that the quick start converts: TIFF faxes in the
// common codings, a TIFF-structured fax file, bare Group 3 and Group 4
// streams, and a file that is never a fax. The pages carry a few lines of
// large block letters so that a converted page is recognisable at a glance.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <tiffio.h>
#include <vector>

namespace {

constexpr std::uint32_t kWidth = 1728;

// 5 x 7 block letters, one row of bits per byte (bit 4 = leftmost column).
struct Glyph {
  char letter;
  std::uint8_t rows[7];
};
constexpr Glyph kFont[] = {
    {'A', {0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}},
    {'E', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F}},
    {'F', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x10}},
    {'G', {0x0E, 0x11, 0x10, 0x17, 0x11, 0x11, 0x0F}},
    {'L', {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1F}},
    {'M', {0x11, 0x1B, 0x15, 0x15, 0x11, 0x11, 0x11}},
    {'O', {0x0E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}},
    {'P', {0x1E, 0x11, 0x11, 0x1E, 0x10, 0x10, 0x10}},
    {'R', {0x1E, 0x11, 0x11, 0x1E, 0x14, 0x12, 0x11}},
    {'S', {0x0F, 0x10, 0x10, 0x0E, 0x01, 0x01, 0x1E}},
    {'T', {0x1F, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04}},
    {'V', {0x11, 0x11, 0x11, 0x11, 0x11, 0x0A, 0x04}},
    {'X', {0x11, 0x11, 0x0A, 0x04, 0x0A, 0x11, 0x11}},
    {'1', {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'2', {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}},
    {'3', {0x1E, 0x01, 0x01, 0x0E, 0x01, 0x01, 0x1E}},
    {'4', {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}},
    {'C', {0x0E, 0x11, 0x10, 0x10, 0x10, 0x11, 0x0E}},
    {'D', {0x1E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x1E}},
    {'I', {0x0E, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'N', {0x11, 0x19, 0x15, 0x13, 0x11, 0x11, 0x11}},
    {'B', {0x1E, 0x11, 0x11, 0x1E, 0x11, 0x11, 0x1E}},
    {'W', {0x11, 0x11, 0x11, 0x15, 0x15, 0x1B, 0x11}},
};

const Glyph* GlyphFor(char c) {
  for (const auto& g : kFont)
    if (g.letter == c)
      return &g;
  return nullptr; // blank
}

// A page of packed rows (1 = black), with each text line drawn in letters
// whose pixels are scale x scale squares.
std::vector<std::uint8_t> DrawPage(std::uint32_t height, const std::vector<std::string>& lines) {
  const std::uint32_t rowBytes = kWidth / 8, scale = 12;
  std::vector<std::uint8_t> page(std::size_t(rowBytes) * height, 0);
  auto ink = [&](std::uint32_t x, std::uint32_t y) {
    if (x < kWidth && y < height)
      page[std::size_t(y) * rowBytes + x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
  };
  std::uint32_t top = 120;
  for (const auto& line : lines) {
    std::uint32_t left = 100;
    for (char c : line) {
      if (const Glyph* g = GlyphFor(c))
        for (std::uint32_t gy = 0; gy < 7; ++gy)
          for (std::uint32_t gx = 0; gx < 5; ++gx)
            if (g->rows[gy] & (0x10 >> gx))
              for (std::uint32_t dy = 0; dy < scale; ++dy)
                for (std::uint32_t dx = 0; dx < scale; ++dx)
                  ink(left + gx * scale + dx, top + gy * scale + dy);
      left += 6 * scale;
    }
    top += 10 * scale;
  }
  for (std::uint32_t x = 100; x < kWidth - 100; ++x) // a rule under the text
    for (std::uint32_t y = top; y < top + 4; ++y)
      ink(x, y);
  return page;
}

struct Coding {
  std::uint16_t compression;
  std::uint32_t group3Options;
  std::uint32_t rowsPerStrip = 0; // 0 = the whole page in one strip
};

bool WriteTiff(const std::string& path, const std::vector<std::vector<std::string>>& pages,
               Coding coding, float yResolution) {
  TIFF* tif = TIFFOpen(path.c_str(), "w");
  if (!tif)
    return false;
  const std::uint32_t height = yResolution > 150 ? 2200 : 1100;
  bool ok = true;
  for (std::size_t p = 0; p < pages.size() && ok; ++p) {
    auto rows = DrawPage(height, pages[p]);
    TIFFSetField(tif, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, kWidth);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, height);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, coding.compression);
    if (coding.compression == COMPRESSION_CCITTFAX3)
      TIFFSetField(tif, TIFFTAG_GROUP3OPTIONS, coding.group3Options);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, coding.rowsPerStrip ? coding.rowsPerStrip : height);
    TIFFSetField(tif, TIFFTAG_XRESOLUTION, 204.0f);
    TIFFSetField(tif, TIFFTAG_YRESOLUTION, yResolution);
    TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    TIFFSetField(tif, TIFFTAG_PAGENUMBER, static_cast<std::uint16_t>(p),
                 static_cast<std::uint16_t>(pages.size()));
    TIFFSetField(tif, TIFFTAG_SOFTWARE, "Tarvelo sample generator");
    for (std::uint32_t y = 0; y < height && ok; ++y)
      ok = TIFFWriteScanline(tif, rows.data() + std::size_t(y) * (kWidth / 8), y, 0) >= 0;
    ok = ok && TIFFWriteDirectory(tif);
  }
  TIFFClose(tif);
  return ok;
}

// A bare Group 3 stream: the coded bytes of every page's strip, each ended
// by RTC, with no container around them.
bool WriteBareStream(const std::string& path, const std::string& scratchTiff,
                     const std::vector<std::vector<std::string>>& pages, Coding coding) {
  if (!WriteTiff(scratchTiff, pages, coding, 98))
    return false;
  TIFF* tif = TIFFOpen(scratchTiff.c_str(), "r");
  std::FILE* out = std::fopen(path.c_str(), "wb");
  bool ok = tif && out;
  do {
    if (!ok)
      break;
    std::uint64_t* counts = nullptr;
    ok = TIFFGetField(tif, TIFFTAG_STRIPBYTECOUNTS, &counts) && counts;
    std::vector<std::uint8_t> strip(ok ? counts[0] : 0);
    ok = ok && TIFFReadRawStrip(tif, 0, strip.data(), static_cast<tmsize_t>(strip.size())) >= 0;
    ok = ok && std::fwrite(strip.data(), 1, strip.size(), out) == strip.size();
    // Return To Control (six EOLs) ends each page, as a fax machine sends it.
    static const std::uint8_t kRtc[] = {0x00, 0x10, 0x01, 0x00, 0x10, 0x01, 0x00, 0x10, 0x01};
    ok = ok && std::fwrite(kRtc, 1, sizeof kRtc, out) == sizeof kRtc;
  } while (ok && TIFFReadDirectory(tif));
  if (tif)
    TIFFClose(tif);
  if (out)
    ok = std::fclose(out) == 0 && ok;
  std::remove(scratchTiff.c_str());
  return ok;
}

bool WriteText(const std::string& path, const char* text) {
  std::FILE* out = std::fopen(path.c_str(), "wb");
  if (!out)
    return false;
  bool ok = std::fputs(text, out) >= 0;
  return std::fclose(out) == 0 && ok;
}

} // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_samples FOLDER\n");
    return 2;
  }
  const std::string folder = argv[1];
  std::error_code error;
  std::filesystem::create_directories(folder + "/archive", error);
  if (error) {
    std::fprintf(stderr, "make_samples: cannot create %s\n", folder.c_str());
    return 1;
  }
  const Coding g4{COMPRESSION_CCITTFAX4, 0}, g3{COMPRESSION_CCITTFAX3, 0},
      g3twoD{COMPRESSION_CCITTFAX3, GROUP3OPT_2DENCODING | GROUP3OPT_FILLBITS},
      g4Strips{COMPRESSION_CCITTFAX4, 0, 256};
  const bool ok =
      WriteTiff(folder + "/fax-g4.tif",
                {{"TARVELO", "G4 FAX", "PAGE 1"}, {"TARVELO", "G4 FAX", "PAGE 2"}}, g4, 196) &&
      WriteTiff(folder + "/fax-g3-2d.tiff", {{"TARVELO", "G3 2D FAX"}}, g3twoD, 196) &&
      WriteTiff(folder + "/archive/fax-standard.fmf",
                {{"FMF FAX", "STANDARD"}, {"FMF FAX", "PAGE 2"}}, g3, 98) &&
      WriteBareStream(folder + "/received.g3", folder + "/.g3.tmp",
                      {{"RAW G3", "PAGE 1"}, {"RAW G3", "PAGE 2"}}, g3) &&
      WriteTiff(folder + "/archive/fax-strips.fmf", {{"FMF FAX", "G4 STRIPS"}}, g4Strips, 196) &&
      // A TIFF-structured "g3n" fax whose sidecar texts become the PDF's
      // title, subject and author.
      WriteTiff(folder + "/0001.g3n", {{"G3N FAX", "SIDECAR"}}, g3, 98) &&
      WriteText(folder + "/0001.CTL", "Comment: From: +1 555 0100 Sample Sender\r\n"
                                      "Accepted: 2026-12-08 09:30 on line 1\r\nUser: sample\r\n") &&
      WriteText(folder + "/readme.txt",
                "Sample faxes written by make_samples; this text file is never converted.\n");
  if (!ok) {
    std::fprintf(stderr, "make_samples: cannot write the samples into %s\n", folder.c_str());
    return 1;
  }
  std::printf("sample faxes written to %s\n", folder.c_str());
  return 0;
}
