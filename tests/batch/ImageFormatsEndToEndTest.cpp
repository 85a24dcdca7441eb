// An APF10, a DCX and a BMP document through the real program: the PDF is
// sound, its images are the source pictures pixel for pixel, and the pages
// are not inverted.
#include "samples/writers/Apf10File.h"
#include "samples/writers/BmpFile.h"
#include "samples/writers/DcxFile.h"
#include "support/PdfChecks.h"
#include "support/Scratch.h"
#include "support/TiffFixtures.h"
#include "support/Tools.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace testing_support;

TEST(ImageFormatsEndToEnd, EachFormatBecomesAnExactPdf) {
  ScratchFolder scratch;
  std::filesystem::create_directory(scratch / "tmp");
  const Raster fax = TextLikePage(1728, 400, 51), wide = TextLikePage(2048, 300, 52);
  const Raster scan = TextLikePage(1730, 200, 53), letter = TextLikePage(850, 500, 54);
  auto encoded = [](const Raster& page) {
    return EncodeWithLibTiff(page, COMPRESSION_CCITTFAX3, 0, FILLORDER_LSB2MSB);
  };
  PcxImage pcx;
  pcx.width = scan.width;
  pcx.height = scan.height;
  pcx.rows = scan.PackedRows(false);
  pcx.bytesPerLine = 217;
  BmpImage bmp;
  bmp.width = letter.width;
  bmp.height = letter.height;
  bmp.rows = letter.PackedRows(false);
  bmp.colour0 = 0x000000;
  bmp.colour1 = 0xFFFFFF;
  struct Case {
    const char* file;
    std::vector<std::uint8_t> bytes;
    std::vector<Raster> pages;
  };
  const Case cases[] = {
      {"fax.apf",
       Apf10File({{Apf10Page::kFine, encoded(fax)},
                  {Apf10Page::kFine | Apf10Page::kWide, encoded(wide)}}),
       {fax, wide}},
      {"scan.dcx", DcxFile({PcxFile(pcx)}), {scan}},
      {"letter.bmp", BmpFile(bmp), {letter}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const std::string source = scratch / c.file;
    const std::string pdf = scratch / "out.pdf";
    WriteFile(source, c.bytes);
    auto run = RunTool(
        {QuorrenPath(), "/f=" + source, "/sf=" + pdf, "/q", "/log=" + scratch / "kvtlog.txt"},
        {"TMPDIR=" + scratch / "tmp"});
    ASSERT_EQ(run.exitCode, 0) << run.output << run.errors;
    ExpectPdfShowsPages(pdf, c.pages);
  }
}
