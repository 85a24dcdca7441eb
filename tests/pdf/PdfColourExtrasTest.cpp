// Transfer functions, Lab and YCbCr pages, written with the TIFF library
// directly (the shared fixture writer has no tags for them), and headers
// that ask for absurd sizes.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "PdfTestHelpers.h"
#include "support/Scratch.h"
#include "support/TiffCopyChecks.h"

using namespace testing_support;
using pdf_tests::ConvertChecked;

namespace {

constexpr std::uint32_t kSide = 16;

// Writes one 8-bit page whose tags the callback adds to.
void WriteEightBitPage(const std::string& path, std::uint16_t photometric, std::uint16_t samples,
                       const std::function<void(TIFF*)>& moreTags,
                       std::uint16_t compression = COMPRESSION_NONE) {
  TIFF* tiff = TIFFOpen(path.c_str(), "w");
  ASSERT_NE(tiff, nullptr);
  TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, kSide);
  TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, kSide);
  TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, samples);
  TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, photometric);
  TIFFSetField(tiff, TIFFTAG_COMPRESSION, compression);
  TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, kSide);
  moreTags(tiff);
  std::vector<std::uint8_t> pixels(std::size_t(kSide) * kSide * samples);
  for (std::size_t i = 0; i < pixels.size(); ++i)
    pixels[i] = static_cast<std::uint8_t>(i * 7);
  EXPECT_GE(TIFFWriteEncodedStrip(tiff, 0, pixels.data(), static_cast<tmsize_t>(pixels.size())), 0);
  TIFFClose(tiff);
}

TEST(PdfColourExtras, TransferFunctionIsWrittenBigEndianBehindAGraphicsState) {
  ScratchFolder scratch;
  std::vector<std::uint16_t> table(256);
  for (std::size_t i = 0; i < table.size(); ++i)
    table[i] = static_cast<std::uint16_t>(i * 257 + 1);
  const std::string tiff = scratch / "in.tif", pdf = scratch / "out.pdf";
  WriteEightBitPage(tiff, PHOTOMETRIC_MINISBLACK, 1,
                    [&](TIFF* t) { TIFFSetField(t, TIFFTAG_TRANSFERFUNCTION, table.data()); });
  ConvertChecked(tiff, pdf);
  const std::string file = ReadFile(pdf);
  EXPECT_EQ(file.rfind("%PDF-1.2 ", 0), 0u);
  EXPECT_NE(file.find("/ExtGState <</GS1 7 0 R >> \r"), std::string::npos);
  EXPECT_NE(file.find("q /GS1 gs  "), std::string::npos);
  EXPECT_NE(file.find("7 0 obj\r<< /Type /ExtGState \r/TR 8 0 R  >> \rendobj\r"),
            std::string::npos);
  std::string bigEndian;
  for (auto v : table) {
    bigEndian += static_cast<char>(v >> 8);
    bigEndian += static_cast<char>(v & 0xFF);
  }
  EXPECT_NE(file.find("/Size [256] \r/BitsPerSample 16 \r/Length 512\r >>\rstream\r\n" + bigEndian +
                      "\rendstream\r"),
            std::string::npos);
  EXPECT_NE(file.find("/Im1 9 0 R"), std::string::npos);
}

TEST(PdfColourExtras, CieLabHasWhitePointAndRangeOnly) {
  ScratchFolder scratch;
  const std::string tiff = scratch / "in.tif", pdf = scratch / "out.pdf";
  WriteEightBitPage(tiff, PHOTOMETRIC_CIELAB, 3, [](TIFF*) {});
  ConvertChecked(tiff, pdf);
  EXPECT_NE(ReadFile(pdf).find("/ColorSpace [/Lab << \r/WhitePoint [0.9643 1.0000 0.8251] \r"
                               "/Range [-127 127 -127 127] \r>>] \r/Filter /FlateDecode\r >>"),
            std::string::npos);
  const auto images = ExtractImages(pdf);
  ASSERT_EQ(images.size(), 1u);
}

TEST(PdfColourExtras, JpegYcbcrPageBecomesRgb) {
  if (!TIFFIsCODECConfigured(COMPRESSION_JPEG))
    GTEST_SKIP() << "the TIFF library has no JPEG codec here";
  ScratchFolder scratch;
  const std::string tiff = scratch / "in.tif", pdf = scratch / "out.pdf";
  WriteEightBitPage(
      tiff, PHOTOMETRIC_YCBCR, 3,
      [](TIFF* t) {
        TIFFSetField(t, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
        TIFFSetField(t, TIFFTAG_JPEGQUALITY, 100);
      },
      COMPRESSION_JPEG);
  ConvertChecked(tiff, pdf);
  const std::string file = ReadFile(pdf);
  EXPECT_NE(file.find("/ColorSpace /DeviceRGB \r/Filter /FlateDecode\r >>"), std::string::npos);
  const auto images = ExtractImages(pdf);
  ASSERT_EQ(images.size(), 1u);
  EXPECT_EQ(images[0].kind, '6');
  EXPECT_EQ(images[0].samples.size(), std::size_t(kSide) * kSide * 3);
}

TEST(PdfColourExtras, JpegRgbaPageLosesOnlyItsAlphaOnTheCopierRoad) {
  if (!TIFFIsCODECConfigured(COMPRESSION_JPEG))
    GTEST_SKIP() << "the TIFF library has no JPEG codec here";
  ScratchFolder scratch;
  TiffPageSpec page;
  page.sampleWidth = page.sampleHeight = 32;
  page.bitsPerSample = 8;
  page.samplesPerPixel = 4;
  page.photometric = PHOTOMETRIC_RGB;
  page.compression = COMPRESSION_JPEG;
  page.moreTags = [](TIFF* t) {
    const std::uint16_t alpha = EXTRASAMPLE_UNASSALPHA;
    TIFFSetField(t, TIFFTAG_EXTRASAMPLES, 1, &alpha);
    TIFFSetField(t, TIFFTAG_JPEGQUALITY, 100);
  };
  std::vector<std::uint8_t> rgb;
  for (std::uint32_t y = 0; y < 32; ++y)
    for (std::uint32_t x = 0; x < 32; ++x) {
      const std::uint8_t pixel[4] = {std::uint8_t(x * 8), std::uint8_t(y * 8), 128,
                                     std::uint8_t(x * y)};
      page.samples.insert(page.samples.end(), pixel, pixel + 4);
      rgb.insert(rgb.end(), pixel, pixel + 3);
    }
  const std::string tiff = scratch / "in.tif", pdf = scratch / "out.pdf";
  WriteTiffFile(tiff, {page});
  ASSERT_NO_FATAL_FAILURE(pdf_tests::CopyAndConvertChecked(tiff, pdf));
  const auto images = ExtractImages(pdf);
  ASSERT_EQ(images.size(), 1u);
  ASSERT_EQ(images[0].samples.size(), rgb.size());
  for (std::size_t i = 0; i < rgb.size(); ++i)
    ASSERT_NEAR(images[0].samples[i], rgb[i], 12) << "sample " << i;
}

// A hand-made little-endian TIFF with one uncompressed directory at offset 8
// whose next-directory link is given.
std::string HandMadeTiff(std::uint32_t width, std::uint16_t compression, std::uint32_t nextIfd) {
  std::string bytes = std::string("II*\0", 4) + std::string("\x08\0\0\0", 4);
  auto u16 = [&bytes](std::uint16_t v) { bytes.append({char(v & 0xFF), char(v >> 8)}); };
  auto u32 = [&bytes](std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
      bytes += char((v >> (8 * i)) & 0xFF);
  };
  const std::uint16_t entries = 8;
  u16(entries);
  auto entry = [&](std::uint16_t tag, std::uint16_t type, std::uint32_t value) {
    u16(tag);
    u16(type);
    u32(1);
    u32(value);
  };
  const std::uint32_t dataOffset = 8 + 2 + entries * 12 + 4;
  entry(256, 4, width); // ImageWidth
  entry(257, 4, 100);   // ImageLength
  entry(258, 3, 1);     // BitsPerSample
  entry(259, 3, compression);
  entry(262, 3, 0); // MinIsWhite
  entry(273, 4, dataOffset);
  entry(278, 4, 100); // RowsPerStrip
  entry(279, 4, 100); // StripByteCounts: a whole strip of a page 8 pixels wide
  u32(nextIfd);
  bytes += std::string(100, '\0');
  return bytes;
}

TEST(PdfBadInput, AbsurdWidthIsRefused) {
  ScratchFolder scratch;
  const std::string tiff = scratch / "in.tif";
  // One Group 4 strip that claims a width of 200 million pixels: refused
  // before anything is allocated for it.
  WriteFile(tiff, HandMadeTiff(200000000, COMPRESSION_CCITTFAX4, 0));
  const auto report = pdf::ConvertTiffToPdfReporting(tiff, scratch / "out.pdf", 0, {});
  EXPECT_EQ(report.result, 1);
  EXPECT_EQ(report.error, "No support for " + tiff + " with 200000000 x 100 pixels");
  EXPECT_FALSE(Exists(scratch / "out.pdf"));
}

TEST(PdfBadInput, DirectoryLoopsEndTheDocument) {
  ScratchFolder scratch;
  const std::string tiff = scratch / "in.tif", pdf = scratch / "out.pdf";
  for (std::uint32_t link : {8u, 300u, 1u << 30}) {
    SCOPED_TRACE(link);
    std::string bytes = HandMadeTiff(8, COMPRESSION_NONE, link);
    if (link == 300) { // a second directory at 300 that links back to the first
      bytes.resize(300, '\0');
      bytes += HandMadeTiff(8, COMPRESSION_NONE, 8).substr(8, 2 + 8 * 12);
      bytes += std::string("\x08\0\0\0", 4);
    }
    WriteFile(tiff, bytes);
    std::remove(pdf.c_str());
    // The pages before a loop are converted; a link to a directory beyond
    // the file loses the pages behind it, which fails the document.
    if (link == 1u << 30) {
      EXPECT_EQ(ConvertTiffToPdf(tiff, pdf, 0, {}), 1);
      EXPECT_FALSE(Exists(pdf));
      continue;
    }
    ASSERT_EQ(ConvertTiffToPdf(tiff, pdf, 0, {}), 0);
    EXPECT_TRUE(QpdfCheck(pdf).ok);
    const std::string count = link == 300 ? "/Count 2 \r" : "/Count 1 \r";
    EXPECT_NE(ReadFile(pdf).find(count), std::string::npos);
  }
}

// A three-page file whose directory chain leads to a directory that cannot
// be read: the copier and the writer both fail it rather than give its first
// pages as the document. Only the last directory's final link may be missing
// (the library reads every page then).
TEST(PdfBadInput, DirectoryChainBrokenOffFailsOnTheWholeRoad) {
  ScratchFolder scratch;
  TiffPageSpec page;
  page.raster = TextLikePage(300, 60, 5);
  page.writeResolution = false; // no value outside the entries: the file ends with the last link
  const std::string whole = scratch / "whole.tif";
  WriteTiffFile(whole, {page, page, page});
  const std::vector<std::uint8_t> file = ReadBytes(whole);
  const std::size_t last = DirectoryOffset(file, 2);
  ASSERT_EQ(last + 2 + 12 * std::size_t{file[last]} + 4, file.size());
  using Bytes = std::vector<std::uint8_t>;
  struct Case {
    const char* name;
    std::function<void(Bytes&)> damage;
    bool whole;
  };
  const Case cases[] = {
      {"the last directory lies past the end", [last](Bytes& f) { f.resize(last); }, false},
      {"cut in the middle of the last directory", [last](Bytes& f) { f.resize(last + 40); }, false},
      {"the middle directory lacks ImageLength",
       [](Bytes& f) { HideTag(f, 1, TIFFTAG_IMAGELENGTH); }, false},
      {"only the final link is missing", [](Bytes& f) { f.resize(f.size() - 4); }, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string cut = scratch / "cut.tif", copy = scratch / "copy.tif",
                      pdf = scratch / "cut.pdf";
    Bytes damaged = file;
    c.damage(damaged);
    WriteFile(cut, damaged);
    std::remove(pdf.c_str());
    CopyOptions keep;
    keep.compression = -1;
    EXPECT_EQ(CopyTiffImages(cut, copy, keep), c.whole ? 0 : 1);
    EXPECT_EQ(ConvertTiffToPdf(cut, pdf, 0, {}), c.whole ? 0 : 1);
    EXPECT_EQ(Exists(pdf), c.whole);
    if (c.whole) {
      EXPECT_NE(ReadFile(pdf).find("/Count 3 \r"), std::string::npos);
    }
  }
}

TEST(PdfBadInput, TruncatedFilesNeverCrash) {
  ScratchFolder scratch;
  TiffPageSpec page;
  page.raster = TextLikePage(200, 120, 4);
  page.compression = COMPRESSION_CCITTFAX3;
  page.rowsPerStrip = 30;
  const std::string whole = scratch / "whole.tif";
  WriteTiffFile(whole, {page, page});
  const std::string bytes = ReadFile(whole);
  for (std::size_t length = 0; length < bytes.size(); length += 37) {
    const std::string cut = scratch / "cut.tif", pdf = scratch / "cut.pdf";
    WriteFile(cut, bytes.substr(0, length));
    std::remove(pdf.c_str());
    if (ConvertTiffToPdf(cut, pdf, 0, {}) == 0)
      EXPECT_TRUE(QpdfCheck(pdf).ok) << "length " << length;
    else
      EXPECT_FALSE(Exists(pdf));
  }
}

} // namespace
