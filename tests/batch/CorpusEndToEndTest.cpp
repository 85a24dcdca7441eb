// The corpus's fax TIFF files through the whole chain that a user's command
// runs: read as "fmf" fax documents by the engine, re-encoded by the copier,
// written as PDF. The images poppler extracts from each PDF must equal the
// TIFF library's own decoding of the source, page for page.
#include "batch/ConvertFile.h"

#include "support/FaxCorpus.h"
#include "support/PdfChecks.h"
#include "support/Scratch.h"
#include "support/TiffFixtures.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace testing_support;

TEST(CorpusEndToEnd, EveryWellFormedFaxTiffBecomesAnExactPdf) {
  REQUIRE_CORPUS();
  ScratchFolder scratch;
  ConversionSettings settings;
  ConversionEnvironment environment{settings, scratch / "kvtintif.tmp", scratch / "kvtcptif.tmp",
                                    RealStages()};
  int rendered = 0;
  for (const char* name : kWellFormedFaxTiffs) {
    SCOPED_TRACE(name);
    const std::string source = scratch / "document.fmf";
    std::filesystem::copy_file(CorpusFolder() + "/" + name, source,
                               std::filesystem::copy_options::overwrite_existing);
    const std::string pdf = scratch / "document.pdf";
    BatchJob job;
    ASSERT_EQ(ConvertFile(environment, job, source, pdf), 0) << job.resultText;

    auto check = QpdfCheck(pdf);
    EXPECT_TRUE(check.ok) << check.output;
    const std::vector<Raster> expected = ReadTiffPages(source);
    const std::vector<PnmImage> images = ExtractImages(pdf);
    ASSERT_EQ(images.size(), expected.size());
    for (std::size_t page = 0; page < expected.size(); ++page)
      EXPECT_TRUE(images[page].ToRaster() == expected[page]) << "page " << page + 1;

    // A low-resolution render of small documents shows the ink is not
    // inverted (large pages resample to near white either way).
    if (expected.size() == 1 && expected[0].width * expected[0].height < 4000000) {
      const auto grey = RenderedMeanGrey(pdf, 24, rendered++ % 3 == 0);
      ASSERT_EQ(grey.size(), 1u);
      EXPECT_NEAR(grey[0], ExpectedMeanGrey(expected[0]), 20.0);
    }
  }
}
