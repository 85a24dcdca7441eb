// Writes sample fax documents into a folder, for trying the program out:
// tools/quickstart.sh converts them to PDF files.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <tiffio.h>
#include <vector>

namespace {

constexpr std::uint32_t kFaxWidth = 1728;

// A page of fine resolution with a frame, a heading bar and lines of
// "words" (blocks of varying length), different on every page.
std::vector<std::uint8_t> LetterPage(std::uint32_t height, unsigned page) {
  const std::uint32_t rowBytes = kFaxWidth / 8;
  std::vector<std::uint8_t> rows(std::size_t(rowBytes) * height, 0);
  auto ink = [&](std::uint32_t x, std::uint32_t y) { rows[std::size_t(y) * rowBytes + x / 8] |= 0x80 >> (x % 8); };
  for (std::uint32_t y = 60; y < height - 60; ++y)
    for (std::uint32_t x = 80; x < kFaxWidth - 80; ++x) {
      bool frame = y < 64 || y >= height - 64 || x < 84 || x >= kFaxWidth - 84;
      bool heading = y >= 120 && y < 180 && x >= 200 && x < 200 + 300 * (page + 1);
      std::uint32_t line = (y - 240) / 48;
      bool textRow = y >= 240 && (y - 240) % 48 < 24;
      std::uint32_t word = (x * 7 + line * 131 + page * 17) % 173;
      bool text = textRow && x >= 160 && x < kFaxWidth - 160 && word < 140 && line % 9 != 8;
      if (frame || heading || text)
        ink(x, y);
    }
  return rows;
}

// One TIFF of fax pages: compression, T.4 options and rows per strip for
// all pages; PhotometricInterpretation WhiteIsZero, 204 x 196 dpi.
bool WriteFaxTiff(const std::string& path, unsigned pages, std::uint16_t compression, std::uint32_t t4Options,
                  std::uint32_t rowsPerStrip) {
  TIFF* tif = TIFFOpen(path.c_str(), "w");
  if (!tif)
    return false;
  const std::uint32_t height = 2200;
  bool ok = true;
  for (unsigned page = 0; page < pages && ok; ++page) {
    TIFFSetField(tif, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, kFaxWidth);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, height);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, compression);
    if (compression == COMPRESSION_CCITTFAX3)
      TIFFSetField(tif, TIFFTAG_GROUP3OPTIONS, t4Options);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, rowsPerStrip ? rowsPerStrip : height);
    TIFFSetField(tif, TIFFTAG_XRESOLUTION, 204.0f);
    TIFFSetField(tif, TIFFTAG_YRESOLUTION, 196.0f);
    TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    TIFFSetField(tif, TIFFTAG_PAGENUMBER, page, pages);
    std::vector<std::uint8_t> rows = LetterPage(height, page);
    for (std::uint32_t y = 0; y < height && ok; ++y)
      ok = TIFFWriteScanline(tif, rows.data() + std::size_t(y) * (kFaxWidth / 8), y, 0) >= 0;
    ok = ok && TIFFWriteDirectory(tif);
  }
  TIFFClose(tif);
  return ok;
}

bool WriteText(const std::string& path, const std::string& text) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file)
    return false;
  bool ok = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  return std::fclose(file) == 0 && ok;
}

// TIFF-structured fax documents: "fmf" files, and a "g3n" file with the
// sidecar whose texts become the PDF's title, subject and author.
bool WriteTiffFaxSamples(const std::string& folder) {
  return WriteFaxTiff(folder + "/letter-g4.fmf", 2, COMPRESSION_CCITTFAX4, 0, 0) &&
         WriteFaxTiff(folder + "/letter-mr-strips.fmf", 1, COMPRESSION_CCITTFAX3,
                      GROUP3OPT_2DENCODING | GROUP3OPT_FILLBITS, 256) &&
         WriteFaxTiff(folder + "/0001.g3n", 1, COMPRESSION_CCITTFAX3, 0, 0) &&
         WriteText(folder + "/0001.CTL", "Comment: From: +1 555 0100 Sample Sender\r\n"
                                         "Accepted: 2026-12-08 09:30 on line 1\r\n"
                                         "User: sample\r\n");
}

} // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_samples FOLDER\n");
    return 2;
  }
  TIFFSetWarningHandler(nullptr);
  std::string folder = argv[1];
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (!WriteTiffFaxSamples(folder)) {
    std::fprintf(stderr, "make_samples: cannot write the samples into %s\n", folder.c_str());
    return 1;
  }
  return 0;
}
