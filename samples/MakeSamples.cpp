// Writes the sample faxes that the quick start converts: TIFF faxes in the
// common codings, a TIFF-structured fax file, a bare Group 3 stream, one file
// of every fax-program container and image format the engine reads, and a
// file that is never a fax. The pages carry a few lines of large block
// letters so that a converted page is recognisable at a glance.
#include "samples/writers/Apf10File.h"
#include "samples/writers/BitFaxFile.h"
#include "samples/writers/BmpFile.h"
#include "samples/writers/CalsFile.h"
#include "samples/writers/DcxFile.h"
#include "samples/writers/Ig4File.h"
#include "samples/writers/KvrFaxFile.h"
#include "samples/writers/PageRecordsFile.h"
#include "samples/writers/PcResearchFile.h"
#include "samples/writers/QliifaxFile.h"
#include "samples/writers/SingleGroup4File.h"
#include "samples/writers/TiffArchiveFile.h"

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
    {'H', {0x11, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}},
    {'K', {0x11, 0x12, 0x14, 0x18, 0x14, 0x12, 0x11}},
    {'Q', {0x0E, 0x11, 0x11, 0x11, 0x15, 0x12, 0x0D}},
    {'U', {0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}},
    {'-', {0x00, 0x00, 0x00, 0x1F, 0x00, 0x00, 0x00}},
    {'0', {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}},
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

using PageTexts = std::vector<std::vector<std::string>>;
using Bytes = std::vector<std::uint8_t>;

std::uint32_t PageHeight(float yResolution) { return yResolution > 150 ? 2200 : 1100; }

bool WriteTiff(const std::string& path, const PageTexts& pages, Coding coding, float yResolution) {
  TIFF* tif = TIFFOpen(path.c_str(), "w");
  if (!tif)
    return false;
  const std::uint32_t height = PageHeight(yResolution);
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

// The coded strip of every page, as the TIFF library codes it; empty when
// the scratch TIFF cannot be written or read.
std::vector<Bytes> CodedPages(const std::string& scratchTiff, const PageTexts& pages, Coding coding,
                              float yResolution) {
  std::vector<Bytes> coded;
  if (!WriteTiff(scratchTiff, pages, coding, yResolution))
    return {};
  TIFF* tif = TIFFOpen(scratchTiff.c_str(), "r");
  bool ok = tif != nullptr;
  while (ok) {
    std::uint64_t* counts = nullptr;
    ok = TIFFGetField(tif, TIFFTAG_STRIPBYTECOUNTS, &counts) && counts;
    Bytes strip(ok ? counts[0] : 0);
    ok = ok && TIFFReadRawStrip(tif, 0, strip.data(), static_cast<tmsize_t>(strip.size())) >= 0;
    if (ok)
      coded.push_back(std::move(strip));
    if (!TIFFReadDirectory(tif))
      break;
  }
  if (tif)
    TIFFClose(tif);
  std::remove(scratchTiff.c_str());
  return ok && coded.size() == pages.size() ? coded : std::vector<Bytes>{};
}

// Containers of several fax programs keep the first pixel in the least
// significant bit.
Bytes LeastSignificantBitFirst(Bytes bytes) {
  for (std::uint8_t& byte : bytes) {
    std::uint8_t reversed = 0;
    for (int bit = 0; bit < 8; ++bit)
      reversed = static_cast<std::uint8_t>(reversed | (((byte >> bit) & 1) << (7 - bit)));
    byte = reversed;
  }
  return bytes;
}

bool WriteBytes(const std::string& path, const Bytes& bytes) {
  std::FILE* out = std::fopen(path.c_str(), "wb");
  if (!out)
    return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
  return std::fclose(out) == 0 && ok;
}

bool ReadBytes(const std::string& path, Bytes& bytes) {
  std::FILE* in = std::fopen(path.c_str(), "rb");
  if (!in)
    return false;
  bytes.clear();
  std::uint8_t buffer[65536];
  std::size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, in)) > 0)
    bytes.insert(bytes.end(), buffer, buffer + got);
  return std::fclose(in) == 0;
}

// A bare Group 3 stream: the coded bytes of every page's strip, each ended
// by RTC, with no container around them.
bool WriteBareStream(const std::string& path, const std::string& scratchTiff,
                     const PageTexts& pages, Coding coding) {
  std::vector<Bytes> coded = CodedPages(scratchTiff, pages, coding, 98);
  // Return To Control (six EOLs) ends each page, as a fax machine sends it.
  static const std::uint8_t kRtc[] = {0x00, 0x10, 0x01, 0x00, 0x10, 0x01, 0x00, 0x10, 0x01};
  Bytes stream;
  for (const Bytes& page : coded) {
    stream.insert(stream.end(), page.begin(), page.end());
    stream.insert(stream.end(), std::begin(kRtc), std::end(kRtc));
  }
  return !coded.empty() && WriteBytes(path, stream);
}

// One file of each fax-program container, around pages the TIFF library codes.
bool WriteContainers(const std::string& folder) {
  const std::string scratch = folder + "/.container.tmp";
  const Coding g3{COMPRESSION_CCITTFAX3, 0}, g3twoD{COMPRESSION_CCITTFAX3, GROUP3OPT_2DENCODING},
      g4{COMPRESSION_CCITTFAX4, 0};
  const std::uint32_t lines = PageHeight(196);
  const auto lines16 = static_cast<std::uint16_t>(lines);
  const auto width16 = static_cast<std::uint16_t>(kWidth);
  // Two pages titled by the format, or one.
  auto coded = [&](const char* title, Coding coding, bool twoPages = false) {
    PageTexts pages = {{title, "PAGE 1"}};
    if (twoPages)
      pages.push_back({title, "PAGE 2"});
    return CodedPages(scratch, pages, coding, 196);
  };
  const std::vector<Bytes> kvr = coded("KVR-FAX", g3, true),
                           records = coded("PAGE RECORDS", g4, true),
                           single = coded("SINGLE G4 PAGE", g4), ig4Page = coded("IG4 IMAGE", g4),
                           qliifax = coded("QLIIFAX", g3, true),
                           research = coded("PC RESEARCH", g3), bitFax = coded("BIT FAX", g3twoD),
                           apf = coded("APF10", g3), cals = coded("CALS", g4);
  for (const auto* pages :
       {&kvr, &records, &single, &ig4Page, &qliifax, &research, &bitFax, &apf, &cals})
    if (pages->empty())
      return false;

  std::vector<kvr_fax::Page> kvrPages;
  for (const Bytes& page : kvr)
    kvrPages.push_back({page, kWidth, lines, 1, 5, 204, 196});
  std::vector<Bytes> recordData;
  std::vector<page_records::Page> recordPages;
  for (const Bytes& page : records)
    recordData.push_back(LeastSignificantBitFirst(page));
  for (const Bytes& page : recordData)
    recordPages.push_back({page, width16, lines16, true, 1, "+1 555 0100 Sample Sender", 0});
  ig4::Image ig4Image;
  ig4Image.strips = {LeastSignificantBitFirst(ig4Page[0])};
  ig4Image.rowsPerStrip = lines16;
  ig4Image.width = width16;
  ig4Image.height = lines16;
  QliifaxLayout qliifaxLayout;
  qliifaxLayout.pageLines = lines;
  qliifaxLayout.lastPageLines = lines16;
  Apf10Page apfPage;
  apfPage.data = LeastSignificantBitFirst(apf[0]);

  return WriteBytes(folder + "/kvr-fax.kvr", kvr_fax::File(kvrPages)) &&
         WriteBytes(folder + "/page-records.fxd", page_records::File(recordPages)) &&
         WriteBytes(folder + "/single-group4.ed",
                    single_group4::File(LeastSignificantBitFirst(single[0]), kWidth, lines, 200)) &&
         WriteBytes(folder + "/image.ig4", ig4::File(ig4Image)) &&
         WriteBytes(folder + "/qliifax.qfx", QliifaxFile(qliifax, qliifaxLayout)) &&
         WriteBytes(folder + "/pc-research.g3f", PcResearchFile(research)) &&
         WriteBytes(folder + "/bit-fax.bfx", BitFaxFile({{bitFax[0], width16, lines16}}, 1)) &&
         WriteBytes(folder + "/apf10.apf", Apf10File({apfPage})) &&
         WriteBytes(folder + "/cals.cal", CalsFile(CalsRecords(kWidth, lines, 200), cals[0]));
}

// The image formats: a two-page DCX, a one-bit BMP, and a TIFF archive of
// two fax TIFFs.
bool WriteImageFiles(const std::string& folder) {
  const std::uint32_t height = PageHeight(196);
  std::vector<Bytes> pcxPages;
  for (const char* page : {"PAGE 1", "PAGE 2"}) {
    PcxImage image;
    image.width = kWidth;
    image.height = height;
    image.rows = DrawPage(height, {"DCX IMAGE", page});
    for (std::uint8_t& byte : image.rows) // a one bit is white in a PCX page
      byte = static_cast<std::uint8_t>(~byte);
    pcxPages.push_back(PcxFile(image));
  }
  BmpImage bmp;
  bmp.width = kWidth;
  bmp.height = height;
  bmp.rows = DrawPage(height, {"BMP IMAGE"});
  bmp.colour0 = 0xFFFFFF; // index 0 white, index 1 (the ink) black
  bmp.colour1 = 0x000000;
  bmp.xPixelsPerMetre = 8000;
  bmp.yPixelsPerMetre = 7700;

  const std::string scratch = folder + "/.archive.tmp";
  std::vector<TiffArchiveEntry> entries;
  for (const char* name : {"FAX0001.TIF", "FAX0002.TIF"}) {
    TiffArchiveEntry entry;
    entry.name = name;
    if (!WriteTiff(scratch, {{"TIFF ARCHIVE", name}}, {COMPRESSION_CCITTFAX4, 0}, 196) ||
        !ReadBytes(scratch, entry.file))
      return false;
    entries.push_back(std::move(entry));
  }
  std::remove(scratch.c_str());
  return WriteBytes(folder + "/pages.dcx", DcxFile(pcxPages)) &&
         WriteBytes(folder + "/image.bmp", BmpFile(bmp)) &&
         WriteBytes(folder + "/tiff-archive.ds", TiffArchiveFile("FAXES", entries));
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
  for (const char* subfolder : {"/archive", "/programs", "/images"})
    if (!error)
      std::filesystem::create_directories(folder + subfolder, error);
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
      WriteContainers(folder + "/programs") && WriteImageFiles(folder + "/images") &&
      WriteText(folder + "/readme.txt",
                "Sample faxes written by make_samples; this text file is never converted.\n");
  if (!ok) {
    std::fprintf(stderr, "make_samples: cannot write the samples into %s\n", folder.c_str());
    return 1;
  }
  std::printf("sample faxes written to %s\n", folder.c_str());
  return 0;
}
