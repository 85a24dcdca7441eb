// Bare fax streams through the whole chain of a user's command: analysed by
// the engine's raw-stream reader, re-encoded by the copier, written as PDF.
// The images poppler extracts, one under the other, equal the encoded pages.
#include "batch/ConvertFile.h"

#include "support/PdfChecks.h"
#include "support/RawStreamFixtures.h"
#include "support/Scratch.h"
#include "support/TiffFixtures.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

// Conversion settings with every work file in the scratch folder.
ConversionSettings WorkFilesIn(const ScratchFolder& scratch) {
  ConversionSettings settings;
  settings.rawImagePath = scratch / "kvttmp.tmp";
  settings.rawSegmentPath = scratch / "kvtseg.tmp";
  settings.engineTiffPath = scratch / "kvttif.tmp";
  return settings;
}

} // namespace

TEST(RawFaxEndToEnd, BareStreamsBecomeExactPdfs) {
  ScratchFolder scratch;
  ConversionSettings settings = WorkFilesIn(scratch);
  ConversionEnvironment environment{settings, scratch / "kvtintif.tmp", scratch / "kvtcptif.tmp",
                                    RealStages()};
  Raster first = TextLikePage(1728, 1100, 41), second = TextLikePage(1728, 900, 42);
  // Ink across the whole width: T.6 lines without ink right of 1728 decode
  // the same at 1728, the first width tried.
  Raster inked = NoisePage(2048, 600, 0.03, 43);
  inked.set(0, 0);
  std::vector<std::uint8_t> twoPages = LibTiffStream(first, 5);
  Append(twoPages, ReturnToControl(false));
  Append(twoPages, LibTiffStream(second, 5));
  Append(twoPages, ReturnToControl(false));
  std::vector<std::uint8_t> group4 = {0xFF, 0xFF};
  Append(group4, LibTiffStream(inked, 7));
  // As CCITT images taken out of PDF files are stored: no marker, odd width.
  Raster bare = InkedPage(1840, 500, 46);
  struct Case {
    const char* name;
    std::vector<std::uint8_t> bytes;
    std::vector<Raster> pages;
  };
  const Case cases[] = {
      {"two pages, T.4 1-D, least significant bit first", ReverseBits(twoPages), {first, second}},
      {"one page, T.4 2-D", LibTiffStream(first, 6), {first}},
      {"T.6 behind two 0xFF, width 2048", group4, {inked}},
      {"T.6 from the first byte, width 1840", LibTiffStream(bare, 7), {bare}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string source = scratch / "document.g3";
    WriteFile(source, c.bytes);
    const std::string pdf = scratch / "document.pdf";
    BatchJob job;
    ASSERT_EQ(ConvertFile(environment, job, source, pdf), 0) << job.resultText;
    ExpectPdfShowsPages(pdf, c.pages);
  }
}

TEST(RawFaxEndToEnd, ReceivedFaxWithTransmissionErrorsKeepsEveryLine) {
  REQUIRE_CORPUS();
  ScratchFolder scratch;
  ConversionSettings settings = WorkFilesIn(scratch);
  ConversionEnvironment environment{settings, scratch / "kvtintif.tmp", scratch / "kvtcptif.tmp",
                                    RealStages()};
  const std::string pdf = scratch / "g3test.pdf";
  BatchJob job;
  ASSERT_EQ(ConvertFile(environment, job, CorpusFolder() + "/image-rs_image-tiff/g3test.g3", pdf),
            0)
      << job.resultText;
  auto check = QpdfCheck(pdf);
  EXPECT_TRUE(check.ok) << check.output;
  const std::vector<PnmImage> images = ExtractImages(pdf);
  ASSERT_EQ(images.size(), 1u);
  const Raster page = images[0].ToRaster();
  ASSERT_EQ(page.height, 1100u) << "every line up to the RTC";
  EXPECT_GE(ReceivedFaxRowsInPlace(page), 1085u);
  const auto grey = RenderedMeanGrey(pdf);
  ASSERT_EQ(grey.size(), 1u);
  const auto sample = ReadTiffPages(CorpusFolder() + "/image-rs_image-tiff/g3test.tif");
  EXPECT_NEAR(grey[0], ExpectedMeanGrey(sample.at(0)), 20.0) << "not inverted";
}

TEST(RawFaxEndToEnd, NoiseIsNotFax) {
  ScratchFolder scratch;
  ConversionSettings settings = WorkFilesIn(scratch);
  ConversionEnvironment environment{settings, scratch / "kvtintif.tmp", scratch / "kvtcptif.tmp",
                                    RealStages()};
  WriteFile(scratch / "noise.f01", RandomBytes(50000, 44));
  BatchJob job;
  EXPECT_EQ(ConvertFile(environment, job, scratch / "noise.f01", scratch / "noise.pdf"),
            convert_result::kNotFax)
      << job.resultText;
  EXPECT_FALSE(Exists(scratch / "noise.pdf"));
}
