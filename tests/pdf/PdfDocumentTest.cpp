// Document-level behaviour: which directories become pages, page sizes,
// document information texts, numbers under any locale, and failures that
// leave no partial PDF behind.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>

#include "PdfTestHelpers.h"
#include "pdf/PdfNumbers.h"
#include "pdf/PdfText.h"
#include "platform/DirWalk.h"
#include "support/Scratch.h"
#include "support/Tools.h"

using namespace testing_support;
using pdf_tests::ConvertChecked;

namespace {

TiffPageSpec SmallPage(unsigned seed = 1) {
  TiffPageSpec page;
  page.raster = TextLikePage(96, 40, seed);
  return page;
}

std::string ConvertToText(const std::vector<TiffPageSpec>& pages, const ScratchFolder& scratch,
                          const PdfDocInfo& info = {}) {
  const std::string tiff = scratch / "in.tif", pdf = scratch / "out.pdf";
  WriteTiffFile(tiff, pages);
  ConvertChecked(tiff, pdf, info);
  return ReadFile(pdf);
}

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST(PdfPages, ThumbnailBetweenPagesIsSkippedUnlessItHasAPageNumber) {
  ScratchFolder scratch;
  TiffPageSpec thumbnail = SmallPage(2);
  thumbnail.subfileType = FILETYPE_REDUCEDIMAGE;
  EXPECT_TRUE(Contains(ConvertToText({SmallPage(1), thumbnail, SmallPage(3)}, scratch),
                       "/Kids [ 4 0 R 9 0 R ] \r/Count 2 \r"));
  thumbnail.pageNumber = 1;
  EXPECT_TRUE(Contains(ConvertToText({SmallPage(1), thumbnail, SmallPage(3)}, scratch),
                       "/Kids [ 4 0 R 9 0 R 14 0 R ] \r/Count 3 \r"));
}

// The writer walks forward from page to page: each page still shows its
// own directory's image past skipped thumbnails, and a thumbnail at the end
// of the chain sends it back to the last page for the document information.
TEST(PdfPages, EachPageShowsItsOwnImagePastSkippedThumbnails) {
  ScratchFolder scratch;
  TiffPageSpec thumbnail = SmallPage(9);
  thumbnail.subfileType = FILETYPE_REDUCEDIMAGE;
  TiffPageSpec last = SmallPage(4);
  last.imageDescription = "last page";
  const std::vector<TiffPageSpec> chain = {SmallPage(2), thumbnail, thumbnail,
                                           SmallPage(3), last,      thumbnail};
  EXPECT_TRUE(Contains(ConvertToText(chain, scratch), "/Subject (last page)"));
  const auto images = ExtractImages(scratch / "out.pdf");
  ASSERT_EQ(images.size(), 3u);
  EXPECT_TRUE(images[0].ToRaster() == chain[0].raster);
  EXPECT_TRUE(images[1].ToRaster() == chain[3].raster);
  EXPECT_TRUE(images[2].ToRaster() == chain[4].raster);
}

TEST(PdfPages, NinePagesBreakTheKidsLineAfterTheEighth) {
  ScratchFolder scratch;
  std::vector<TiffPageSpec> pages(9, SmallPage());
  const std::string file = ConvertToText(pages, scratch);
  EXPECT_TRUE(Contains(file, "39 0 R \r44 0 R ] \r/Count 9 \r"));
  EXPECT_TRUE(Contains(file, "trailer\r<<\r/Size 49\r"));
}

TEST(PdfPages, ReversedPageNumbersKeepTheDirectoryOrder) {
  ScratchFolder scratch;
  TiffPageSpec first = SmallPage(1), second = SmallPage(2);
  first.pageNumber = 1;
  second.pageNumber = 0;
  const std::string tiff = scratch / "in.tif", pdf = scratch / "out.pdf";
  WriteTiffFile(tiff, {first, second});
  ConvertChecked(tiff, pdf);
  const auto images = ExtractImages(pdf);
  ASSERT_EQ(images.size(), 2u);
  EXPECT_TRUE(images[0].ToRaster() == first.raster);
  EXPECT_TRUE(images[1].ToRaster() == second.raster);
}

TEST(PdfPages, PageSizeComesFromTheResolution) {
  ScratchFolder scratch;
  TiffPageSpec page;
  page.raster = Raster(1728, 2200);
  page.writeResolution = false;
  EXPECT_TRUE(
      Contains(ConvertToText({page}, scratch), "/MediaBox [0.0000 0.0000 414.7200 528.0000] \r"));
  page.writeResolution = true;
  page.xResolution = 80;
  page.yResolution = 77;
  page.resolutionUnit = RESUNIT_CENTIMETER;
  // 80 and 77 dots per centimetre are 203.2 and 195.58 dots per inch.
  const float x = 80 * 2.54f, y = 77 * 2.54f;
  const std::string box = "/MediaBox [0.0000 0.0000 " +
                          pdf::Fixed4(static_cast<float>(1728 * 72.0L / x)) + " " +
                          pdf::Fixed4(static_cast<float>(2200 * 72.0L / y)) + "] \r";
  EXPECT_TRUE(Contains(ConvertToText({page}, scratch), box)) << box;
  EXPECT_EQ(box, "/MediaBox [0.0000 0.0000 612.2834 809.8987] \r");
}

TEST(PdfPages, OrientationSixTurnsThePage) {
  ScratchFolder scratch;
  TiffPageSpec page;
  page.raster = Raster(100, 200);
  page.xResolution = page.yResolution = 72;
  page.orientation = 6;
  const std::string file = ConvertToText({page}, scratch);
  EXPECT_TRUE(Contains(file, "/MediaBox [0.0000 0.0000 200.0000 100.0000] \r"));
  EXPECT_TRUE(Contains(file, "q  0.0000 -100.0000 200.0000 0.0000 0.0000 100.0000 cm /Im1 Do Q\r"));
}

TEST(PdfPages, DocumentOfThumbnailsOnlyFails) {
  ScratchFolder scratch;
  TiffPageSpec thumbnail = SmallPage();
  thumbnail.subfileType = FILETYPE_REDUCEDIMAGE;
  const std::string tiff = scratch / "in.tif", pdf = scratch / "out.pdf";
  WriteTiffFile(tiff, {thumbnail, thumbnail});
  const auto report = pdf::ConvertTiffToPdfReporting(tiff, pdf, 0, {});
  EXPECT_EQ(report.result, 1);
  EXPECT_EQ(report.error, "No page in input file " + tiff);
  EXPECT_FALSE(Exists(pdf));
}

// PDF 1.7 viewers open pages of at most 14,400 units a side: a larger page
// is shrunk as a whole, keeping its aspect.
TEST(PdfPages, OversizedPagesAreShrunkToTheLimitKeepingTheirAspect) {
  struct Case {
    const char* name;
    std::uint32_t width, height;
    float resolution;
    std::uint16_t unit;
  } cases[] = {
      {"no resolution unit", 1728, 2200, 8, RESUNIT_NONE},
      {"65537 rows at 300 dpi", 64, 65537, 300, RESUNIT_INCH},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchFolder scratch;
    TiffPageSpec page;
    page.raster = CornerMarkPage(c.width, c.height);
    page.xResolution = page.yResolution = c.resolution;
    page.resolutionUnit = c.unit;
    const std::string file = ConvertToText({page}, scratch);
    const auto at = file.find("/MediaBox [0.0000 0.0000 ");
    ASSERT_NE(at, std::string::npos);
    float width = 0, height = 0;
    ASSERT_EQ(std::sscanf(file.c_str() + at, "/MediaBox [0.0000 0.0000 %f %f]", &width, &height),
              2);
    EXPECT_EQ(std::max(width, height), 14400.0f);
    EXPECT_NEAR(width / height, double(c.width) / c.height, 1e-4);
    const auto run = RunTool(
        {"pdftoppm", "-gray", "-r", "2", "-singlefile", scratch / "out.pdf", scratch / "shown"});
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    const PnmImage shown = ReadPnm(scratch / "shown.pgm");
    EXPECT_EQ(shown.height, 400u);
  }
}

TEST(PdfInformation, TagsFillWhatTheCallerDoesNotGive) {
  ScratchFolder scratch;
  TiffPageSpec page = SmallPage();
  page.artist = "Ann (Fax) \\ Desk";
  page.imageDescription = "line\nbreak \xE9t\xE9";
  page.dateTime = "2009:05:20";
  const std::string file = ConvertToText({page}, scratch);
  EXPECT_TRUE(Contains(file, "/Author (Ann \\(Fax\\) \\\\ Desk)\r"));
  EXPECT_TRUE(Contains(file, "/Subject (line\\012break \\351t\\351)\r"));
  EXPECT_FALSE(Contains(file, "/Creator"));
  EXPECT_FALSE(Contains(file, "/Title"));
  EXPECT_FALSE(Contains(file, "D:20090520")); // too short: the current time is used
  EXPECT_TRUE(Contains(file, "/CreationDate (D:2"));
}

TEST(PdfInformation, CallerTextsWinAndAnEmptyOneSuppressesTheEntry) {
  ScratchFolder scratch;
  TiffPageSpec page = SmallPage();
  page.artist = "Tag artist";
  page.imageDescription = "Tag description";
  PdfDocInfo info;
  info.title = "Sender";
  info.subject = "";
  info.keywords = "fax";
  const std::string file = ConvertToText({page}, scratch, info);
  EXPECT_TRUE(Contains(file, "/Author (Tag artist)\r/Title (Sender)\r/Keywords (fax)\r>> \r"));
  EXPECT_FALSE(Contains(file, "Tag description"));
}

TEST(PdfInformation, Utf8TextBecomesUtf16WithAByteOrderMark) {
  ScratchFolder scratch;
  PdfDocInfo info;
  info.title = "Caf\xC3\xA9 \xF0\x9F\x93\xA0"; // "Café 📠"
  const std::string file = ConvertToText({SmallPage()}, scratch, info);
  EXPECT_TRUE(
      Contains(file, "/Title (\\376\\377\\000C\\000a\\000f\\000\\351\\000 \\330=\\334\\340)\r"));
  const auto run = RunTool({"pdfinfo", "-enc", "UTF-8", scratch / "out.pdf"});
  EXPECT_TRUE(Contains(run.output, "Caf\xC3\xA9 \xF0\x9F\x93\xA0\n")) << run.output;
}

TEST(PdfText, LongTextsAreCutAtCharacterBoundaries) {
  const std::string bytes(600, 'a');
  EXPECT_EQ(pdf::DocumentTextLiteral(bytes), "(" + std::string(512, 'a') + ")");
  std::string accented;
  for (int i = 0; i < 600; ++i)
    accented += "\xC3\xA9";
  const std::string literal = pdf::DocumentTextLiteral(accented);
  std::string expected = "(\\376\\377";
  for (int i = 0; i < 512; ++i)
    expected += "\\000\\351";
  EXPECT_EQ(literal, expected + ")");
  // A supplementary character at the cut stays whole (two UTF-16 units).
  std::string emoji = std::string(511, 'b') + "\xF0\x9F\x93\xA0" + "cc";
  EXPECT_TRUE(pdf::DocumentTextLiteral(emoji).ends_with("\\330=\\334\\340)"));
}

TEST(PdfText, OnlyWellFormedUtf8IsTreatedAsUtf8) {
  EXPECT_TRUE(pdf::IsUtf8WithNonAscii("caf\xC3\xA9"));
  EXPECT_FALSE(pdf::IsUtf8WithNonAscii("plain"));
  EXPECT_FALSE(pdf::IsUtf8WithNonAscii("caf\xE9"));      // Latin-1
  EXPECT_FALSE(pdf::IsUtf8WithNonAscii("\xC0\xAF"));     // overlong
  EXPECT_FALSE(pdf::IsUtf8WithNonAscii("\xED\xA0\x80")); // surrogate
  EXPECT_FALSE(pdf::IsUtf8WithNonAscii("\xE2\x82"));     // cut short
  EXPECT_EQ(pdf::PdfStringLiteral(std::string("\x7F\x1F\x00", 3)), "(\\177\\037\\000)");
}

TEST(PdfText, DateTextTakesTheDigitsOfTheTiffDate) {
  EXPECT_EQ(pdf::PdfDateText("2009:05:20 12:51:27"), "D:20090520125127");
  const std::string now = pdf::PdfDateText(nullptr);
  ASSERT_EQ(now.size(), 16u);
  EXPECT_EQ(now.find_first_not_of("0123456789", 2), std::string::npos);
}

// Builds a German locale into a scratch folder when the system has none.
bool UseCommaLocale(const ScratchFolder& scratch) {
  if (std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr)
    return true;
  const auto run = RunTool({"localedef", "-i", "de_DE", "-f", "UTF-8", scratch / "de_DE.UTF-8"});
  if (run.exitCode != 0)
    return false;
  setenv("LOCPATH", scratch.path().c_str(), 1);
  return std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
}

TEST(PdfNumbers, CommaLocaleStillWritesDecimalPoints) {
  ScratchFolder scratch;
  if (!UseCommaLocale(scratch))
    GTEST_SKIP() << "no German locale can be made here";
  char probe[16];
  std::snprintf(probe, sizeof probe, "%.1f", 1.5);
  const std::string probeText = probe;
  TiffPageSpec page;
  page.raster = Raster(1728, 100);
  const std::string tiff = scratch / "in.tif", pdf = scratch / "out.pdf";
  WriteTiffFile(tiff, {page});
  const int result = ConvertTiffToPdf(tiff, pdf, 0, PdfDocInfo{});
  std::setlocale(LC_ALL, "C");
  unsetenv("LOCPATH");
  EXPECT_EQ(probeText, "1,5"); // the locale really uses a comma
  ASSERT_EQ(result, 0);
  EXPECT_TRUE(Contains(ReadFile(pdf), "/MediaBox [0.0000 0.0000 609.8823 36.7347] \r"));
}

std::vector<std::string> NamesIn(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry :
       platform::ListFolder(folder, "*").value_or(std::vector<platform::FolderEntry>{}))
    names.push_back(entry.name);
  std::sort(names.begin(), names.end());
  return names;
}

TEST(PdfFailures, RejectedPageLeavesNoPdfAndKeepsAnExistingOne) {
  ScratchFolder scratch;
  TiffPageSpec page;
  page.samples.assign(40 * 30 * 2, 0x55);
  page.sampleWidth = 40;
  page.sampleHeight = 30;
  page.photometric = PHOTOMETRIC_MINISBLACK;
  page.bitsPerSample = 16;
  page.compression = COMPRESSION_NONE;
  const std::string tiff = scratch / "in.tif", pdf = scratch / "out.pdf";
  WriteTiffFile(tiff, {SmallPage(), page});
  WriteFile(pdf, std::string("earlier PDF"));
  const auto report = pdf::ConvertTiffToPdfReporting(tiff, pdf, 0, {});
  EXPECT_EQ(report.result, 1);
  EXPECT_EQ(report.error, "No support for " + tiff + " with 16 bits per sample");
  EXPECT_EQ(ReadFile(pdf), "earlier PDF");
  EXPECT_EQ(NamesIn(scratch.path()), (std::vector<std::string>{"in.tif", "out.pdf"}));
}

TEST(PdfFailures, MissingInputOrFolderFails) {
  ScratchFolder scratch;
  EXPECT_EQ(ConvertTiffToPdf(scratch / "none.tif", scratch / "out.pdf", 0, {}), 1);
  EXPECT_EQ(ConvertTiffToPdf("", scratch / "out.pdf", 0, {}), 1);
  EXPECT_EQ(ConvertTiffToPdf(scratch / "none.tif", scratch / "no/out.pdf", 0, {}), 1);
  EXPECT_TRUE(NamesIn(scratch.path()).empty());
}

TEST(PdfFailures, PaletteWithTwoSamplesIsRejected) {
  ScratchFolder scratch;
  TiffPageSpec page;
  page.samples.assign(8 * 4 * 2, 1);
  page.sampleWidth = 8;
  page.sampleHeight = 4;
  page.photometric = PHOTOMETRIC_PALETTE;
  page.bitsPerSample = 8;
  page.samplesPerPixel = 2;
  page.compression = COMPRESSION_NONE;
  page.colorMap.assign(3 * 256, 0);
  const std::string tiff = scratch / "in.tif";
  WriteTiffFile(tiff, {page});
  const auto report = pdf::ConvertTiffToPdfReporting(tiff, scratch / "out.pdf", 0, {});
  EXPECT_EQ(report.result, 1);
  EXPECT_EQ(report.error,
            "No support for palettized image " + tiff + " with not one sample per pixel");
}

TEST(PdfCompressionRequest, JpegAndZipRequestsOnlyWarn) {
  ScratchFolder scratch;
  const std::string tiff = scratch / "in.tif";
  TiffPageSpec page = SmallPage();
  page.dateTime = "2020:01:02 03:04:05"; // the same date in both files
  WriteTiffFile(tiff, {page});
  const auto jpeg = pdf::ConvertTiffToPdfReporting(tiff, scratch / "a.pdf", 1, {});
  const auto zip = pdf::ConvertTiffToPdfReporting(tiff, scratch / "b.pdf", 2, {});
  EXPECT_EQ(jpeg.result, 0);
  EXPECT_EQ(zip.result, 0);
  EXPECT_EQ(jpeg.warnings,
            std::vector<std::string>{
                "JPEG support in libtiff required for JPEG compression, ignoring option"});
  EXPECT_EQ(zip.warnings,
            std::vector<std::string>{
                "Zip support in libtiff required for Zip compression, ignoring option"});
  // Apart from the identifier, the same document either way.
  auto withoutId = [](std::string text) { return text.substr(0, text.find("/ID[")); };
  EXPECT_EQ(withoutId(ReadFile(scratch / "a.pdf")), withoutId(ReadFile(scratch / "b.pdf")));
}

TEST(PdfOutputPath, DefaultReplacesTheExtension) {
  EXPECT_EQ(pdf::DefaultOutputPath("/a/fax.tif"), "/a/fax.pdf");
  EXPECT_EQ(pdf::DefaultOutputPath("/a.b/fax"), "/a.b/fax.pdf");
}

} // namespace
