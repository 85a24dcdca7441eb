// CALS files and TIFF archives through the real program, as a user runs it:
// the PDF passes qpdf, the images poppler extracts equal the source pages
// pixel for pixel, and a low-resolution render shows them not inverted.
#include "samples/writers/CalsFile.h"
#include "samples/writers/TiffArchiveFile.h"
#include "support/ImageMagick.h"
#include "support/PdfChecks.h"
#include "support/Scratch.h"
#include "support/TiffFixtures.h"
#include "support/Tools.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace testing_support;

namespace {

class CalsAndTiffArchiveEndToEnd : public ::testing::Test {
protected:
  CalsAndTiffArchiveEndToEnd() { std::filesystem::create_directory(scratch / "tmp"); }

  ToolRun Quorren(const std::string& source) {
    return RunTool({QuorrenPath(), "/f=" + source, "/sf=" + pdf, "/log=" + scratch / "kvtlog.txt"},
                   {"TMPDIR=" + scratch / "tmp"});
  }

  void ExpectExactPdf(const std::string& source, const std::vector<Raster>& pages) {
    const ToolRun run = Quorren(source);
    ASSERT_EQ(run.exitCode, 0) << run.output << run.errors;
    ExpectPdfShowsPages(pdf, pages);
  }

  ScratchFolder scratch;
  const std::string pdf = scratch / "fax.pdf";
};

} // namespace

TEST_F(CalsAndTiffArchiveEndToEnd, CalsFilesOfImageMagickAndOurWriterBecomeExactPdfs) {
  const Raster drawing = CornerMarkPage(1728, 1100);
  const Raster text = TextLikePage(2432, 900, 31);
  WriteFile(scratch / "drawing.cal", WriteWithImageMagick(drawing, "cals"));
  ExpectExactPdf(scratch / "drawing.cal", {drawing});
  WriteFile(scratch / "text.cg4", CalsFile(CalsRecords(text.width, text.height, 300),
                                           EncodeWithLibTiff(text, COMPRESSION_CCITTFAX4)));
  ExpectExactPdf(scratch / "text.cg4", {text});
}

TEST_F(CalsAndTiffArchiveEndToEnd, TiffArchivesBecomeExactPdfsOrFailWhole) {
  const Raster first = TextLikePage(1728, 800, 32), second = CornerMarkPage(1728, 600),
               third = TextLikePage(2048, 500, 33);
  const std::vector<std::uint8_t> group4 = FaxTiffBytes({first}, COMPRESSION_CCITTFAX4);
  const std::vector<std::uint8_t> twoPages2d =
      FaxTiffBytes({second, third}, COMPRESSION_CCITTFAX3, GROUP3OPT_2DENCODING);
  WriteFile(scratch / "faxes.ds",
            TiffArchiveFile("FAXES", {{"one", {}, group4}, {"two", {9, 9, 9, 9}, twoPages2d}}));
  ExpectExactPdf(scratch / "faxes.ds", {first, second, third});

  std::filesystem::remove(pdf);
  const std::vector<std::uint8_t> text = {'n', 'o', ' ', 'T', 'I', 'F', 'F'};
  WriteFile(scratch / "damaged.ds",
            TiffArchiveFile("FAXES", {{"one", {}, group4}, {"text", {}, text}}));
  const ToolRun run = Quorren(scratch / "damaged.ds");
  EXPECT_EQ(run.exitCode, 3);
  EXPECT_NE(run.output.find("Error Fax"), std::string::npos) << run.output;
  EXPECT_FALSE(Exists(pdf));
}
