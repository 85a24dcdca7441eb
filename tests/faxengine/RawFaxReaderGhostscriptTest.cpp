// Bare streams written by ghostscript's fax devices (faxg3, faxg32d, faxg4),
// an encoder nobody here wrote, against ghostscript's own bilevel rendering
// of the same pages (pbmraw at the same resolution and size).
#include "faxengine/FaxEngine.h"

#include "support/PdfChecks.h"
#include "support/RawStreamFixtures.h"
#include "support/Scratch.h"
#include "support/Tools.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

constexpr const char* kTwoPages = R"(%!PS
/Helvetica findfont 60 scalefont setfont
/page { moveto show 30 30 moveto 500 700 lineto 8 setlinewidth stroke showpage } def
(Page one) 60 600 page
(Second page) 80 400 page
)";

// Renders the PostScript with a ghostscript device at 204 x 98 dpi on pages
// of 1728 x 1100 pixels.
void Ghostscript(const std::string& device, const std::string& input, const std::string& output) {
  ToolRun run = RunTool({"gs", "-q", "-dNOPAUSE", "-dBATCH", "-dSAFER", "-sDEVICE=" + device,
                         "-r204x98", "-g1728x1100", "-sOutputFile=" + output, input});
  ASSERT_EQ(run.exitCode, 0) << run.errors;
}

Raster Converted(const std::string& folder, const std::string& stream, std::size_t& pages,
                 float& yResolution) {
  ConversionSettings settings;
  settings.rawImagePath = folder + "/kvttmp.tmp";
  settings.rawSegmentPath = folder + "/kvtseg.tmp";
  FaxEngine engine;
  engine.SetSettings(settings);
  EXPECT_EQ(engine.Identify(stream, FaxFormat::Raw), 0);
  if (!engine.IsFax())
    return {};
  EXPECT_EQ(engine.WriteTiff(folder + "/out.tif", FaxFormat::Raw), 0);
  engine.CloseAll();
  auto written = ReadTiffPages(folder + "/out.tif");
  pages = written.size();
  TIFF* tif = TIFFOpen((folder + "/out.tif").c_str(), "r");
  yResolution = 0;
  if (tif) {
    TIFFGetField(tif, TIFFTAG_YRESOLUTION, &yResolution);
    TIFFClose(tif);
  }
  return Stack(written);
}

} // namespace

TEST(RawFaxReaderGhostscript, FaxDevicesGiveTheRenderedRows) {
  TIFFSetWarningHandler(nullptr);
  ScratchFolder scratch;
  WriteFile(scratch / "two.ps", std::string(kTwoPages));
  Ghostscript("pbmraw", scratch / "two.ps", scratch / "page%d.pbm");
  Raster rendered =
      Stack({ReadPnm(scratch / "page1.pbm").ToRaster(), ReadPnm(scratch / "page2.pbm").ToRaster()});
  ASSERT_EQ(rendered.height, 2200u);

  for (const char* device : {"faxg3", "faxg32d"}) {
    SCOPED_TRACE(device);
    Ghostscript(device, scratch / "two.ps", scratch / "pages.fax");
    std::size_t pages = 0;
    float yResolution = 0;
    // The device puts no RTC between pages: the 2200 lines are one run of
    // good lines, which is taken for one fine-resolution page.
    EXPECT_EQ(Converted(scratch.path(), scratch / "pages.fax", pages, yResolution), rendered);
    EXPECT_EQ(pages, 1u);
    EXPECT_EQ(yResolution, 200);
  }

  // The device writes T.6 pages one after the other with no EOFB, each
  // beginning with its blank top margin: 0xFF bytes. On the first page the
  // start search takes them for its marker, so that page loses some white
  // lines at its top (eight per 0xFF byte); the next page is found where the
  // zero fill behind the last line of the page before it ends, whole.
  Ghostscript("faxg4", scratch / "two.ps", scratch / "pages.fax");
  std::size_t pages = 0;
  float yResolution = 0;
  Converted(scratch.path(), scratch / "pages.fax", pages, yResolution);
  auto written = ReadTiffPages(scratch / "out.tif");
  ASSERT_EQ(written.size(), 2u);
  Raster first = ReadPnm(scratch / "page1.pbm").ToRaster();
  ASSERT_LE(written[0].height, first.height);
  std::uint32_t lost = first.height - written[0].height;
  EXPECT_LT(lost, 200u);
  auto split = first.pixels.begin() + std::ptrdiff_t(lost) * first.width;
  EXPECT_TRUE(std::all_of(first.pixels.begin(), split, [](std::uint8_t ink) { return ink == 0; }));
  EXPECT_TRUE(std::equal(split, first.pixels.end(), written[0].pixels.begin()));
  EXPECT_EQ(written[1], ReadPnm(scratch / "page2.pbm").ToRaster());
  EXPECT_EQ(yResolution, 100);
}
