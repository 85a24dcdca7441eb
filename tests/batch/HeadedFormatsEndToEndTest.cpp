// Fax-program containers whose headers describe their pages, through the
// real program: KVR-FAX, page records, single Group 4 pages and IG4 images
// become PDFs whose images poppler extracts equal the coded pages.
#include "pdf/PdfTestHelpers.h"
#include "samples/writers/Ig4File.h"
#include "samples/writers/KvrFaxFile.h"
#include "samples/writers/PageRecordsFile.h"
#include "samples/writers/SingleGroup4File.h"
#include "support/PdfChecks.h"
#include "support/Scratch.h"
#include "support/TiffFixtures.h"
#include "support/Tools.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace testing_support;

namespace {

std::vector<std::uint8_t> Group4(const Raster& raster, std::uint16_t fillOrder) {
  return EncodeWithLibTiff(raster, COMPRESSION_CCITTFAX4, 0, fillOrder);
}

// An IG4 image of the page in strips of rowsPerStrip rows.
std::vector<std::uint8_t> Ig4Of(const Raster& page, std::uint16_t rowsPerStrip,
                                const std::string& byteOrder) {
  ig4::Image image{
      {}, rowsPerStrip, std::uint16_t(page.width), std::uint16_t(page.height), byteOrder};
  for (std::uint32_t top = 0; top < page.height; top += rowsPerStrip)
    image.strips.push_back(
        Group4(pdf_tests::Crop(page, 0, top, page.width,
                               std::min<std::uint32_t>(rowsPerStrip, page.height - top)),
               FILLORDER_LSB2MSB));
  return ig4::File(image);
}

class Quorren {
public:
  Quorren() { std::filesystem::create_directory(scratch_ / "tmp"); }
  // Converts the file as a user's command does; the PDF's path, or "" when
  // the program did not report success.
  std::string Convert(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    const std::string source = scratch_ / name, pdf = scratch_ / (name + ".pdf");
    WriteFile(source, bytes);
    const ToolRun run = RunTool(
        {QuorrenPath(), "/f=" + source, "/sf=" + pdf, "/q", "/log=" + scratch_ / "kvtlog.txt"},
        {"TMPDIR=" + scratch_ / "tmp"});
    EXPECT_EQ(run.exitCode, 0) << ReadFile(scratch_ / "kvtlog.txt");
    return run.exitCode == 0 ? pdf : std::string();
  }

private:
  ScratchFolder scratch_;
};

void ExpectPdfShowing(const std::string& pdf, const std::vector<Raster>& pages) {
  ASSERT_FALSE(pdf.empty());
  ExpectPdfShowsPages(pdf, pages);
}

} // namespace

TEST(HeadedFormatsEndToEnd, EachContainerBecomesAnExactPdf) {
  Quorren quorren;
  const Raster first = TextLikePage(1728, 500, 51), second = TextLikePage(2048, 400, 52);
  const std::vector<std::uint8_t> firstCoded = Group4(first, FILLORDER_LSB2MSB);
  const std::vector<std::uint8_t> secondCoded =
      EncodeWithLibTiff(second, COMPRESSION_CCITTFAX3, GROUP3OPT_2DENCODING);
  {
    SCOPED_TRACE("KVR-FAX");
    const std::vector<std::uint8_t> file = kvr_fax::File(
        {{firstCoded, 1728, 500, 2, 7, 204, 196}, {secondCoded, 2048, 400, 1, 6, 204, 196}});
    ExpectPdfShowing(quorren.Convert("fax.kvr", file), {first, second});
  }
  {
    SCOPED_TRACE("page records");
    page_records::Page page;
    page.data = firstCoded;
    page.lines = 500;
    page.caption = "From: Reception desk";
    const std::string pdf = quorren.Convert("fax.fxs", page_records::File({page}));
    ExpectPdfShowing(pdf, {first});
    const ToolRun info = RunTool({"pdfinfo", pdf});
    EXPECT_NE(info.output.find("Title:           From: Reception desk\n"), std::string::npos)
        << "the caption is the document's title:\n"
        << info.output;
  }
  {
    SCOPED_TRACE("single Group 4 page");
    const Raster wide = TextLikePage(2432, 300, 53);
    ExpectPdfShowing(quorren.Convert("fax.ed", single_group4::File(Group4(wide, FILLORDER_LSB2MSB),
                                                                   2432, 300, 300)),
                     {wide});
  }
}

// The strips of an IG4 image reach the PDF unchanged, shown as the TIFF
// Orientation tag says (TIFF 6.0): an "II" image (Orientation 6) turned a
// quarter clockwise, its first row down the right edge; an "MM" image
// (Orientation 7) with its first row down the right edge as well, read from
// the bottom up: the engine's own page of it, turned by 180 degrees, mirrored
// across its main diagonal. The mark in the stored top-left corner thus
// shows top right for "II" and bottom right for "MM".
TEST(HeadedFormatsEndToEnd, Ig4ImagesShowTurnedAsTheirByteOrderMarkSays) {
  Quorren quorren;
  const Raster page = CornerMarkPage(1728, 1000);
  struct Case {
    std::string byteOrder;
    int markedQuarter; // 0 top left, 1 top right, 2 bottom left, 3 bottom right
  };
  for (const Case& c : {Case{"II", 1}, Case{"MM", 3}}) {
    SCOPED_TRACE(c.byteOrder);
    const std::string pdf = quorren.Convert("image.ig4", Ig4Of(page, 300, c.byteOrder));
    ExpectPdfShowing(pdf, {page});
    if (pdf.empty())
      continue;
    const PnmImage shown = pdf_tests::RenderFirstPage(pdf, pdf_tests::Renderer::Poppler, 24);
    EXPECT_GT(shown.height, shown.width) << "the landscape strips show as a portrait page";
    const std::vector<double> quarters = pdf_tests::QuarterMeans(shown);
    for (int q = 0; q < 4; ++q)
      EXPECT_EQ(quarters[q] < 128, q == c.markedQuarter) << "quarter " << q << ": " << quarters[q];
  }
}
