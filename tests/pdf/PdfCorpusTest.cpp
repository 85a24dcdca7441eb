// Real TIFF files from the shared corpus: every one converts to a sound PDF,
// and bilevel pages show the pixels the TIFF library decodes from them.
#include <gtest/gtest.h>

#include <filesystem>

#include "PdfTestHelpers.h"
#include "support/Scratch.h"

using namespace testing_support;

namespace {

std::vector<std::string> CorpusTiffs() {
  std::vector<std::string> paths;
  std::error_code error;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(CorpusFolder(), error)) {
    std::string extension = entry.path().extension().string();
    for (auto& c : extension)
      c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (entry.is_regular_file() && (extension == ".tif" || extension == ".tiff"))
      paths.push_back(entry.path().string());
  }
  std::sort(paths.begin(), paths.end());
  return paths;
}

TEST(PdfCorpus, EveryTiffConvertsAndBilevelPagesKeepTheirPixels) {
  REQUIRE_CORPUS();
  const auto tiffs = CorpusTiffs();
  ASSERT_GT(tiffs.size(), 40u);
  int compared = 0;
  for (const auto& tiff : tiffs) {
    SCOPED_TRACE(tiff);
    ScratchFolder scratch;
    const std::string pdf = scratch / "out.pdf";
    const auto report = pdf::ConvertTiffToPdfReporting(tiff, pdf, 0, {});
    if (report.result != 0 && report.error.starts_with("Error on decoding page")) {
      // Only a page of which the library decodes nothing may fail.
      EXPECT_THROW(ReadTiffPages(tiff), std::exception);
      continue;
    }
    ASSERT_EQ(report.result, 0) << report.error;
    const auto check = QpdfCheck(pdf);
    ASSERT_TRUE(check.ok) << check.output;
    std::vector<Raster> pages;
    try {
      pages = ReadTiffPages(tiff);
    } catch (const std::exception&) {
      continue; // not bilevel, or not decodable whole by the library
    }
    const auto images = ExtractImages(pdf);
    if (images.size() != pages.size())
      continue; // thumbnails or tiles: counted differently
    for (std::size_t i = 0; i < pages.size(); ++i)
      EXPECT_TRUE(images[i].ToRaster() == pages[i]) << "page " << i;
    ++compared;
    // The renderers show the polarity: alternately poppler and MuPDF. Pages
    // too small or too slender to show at a low resolution are left out.
    const bool renderable = std::all_of(pages.begin(), pages.end(), [](const Raster& page) {
      return page.width >= 64 && page.height >= 64 && page.height <= 20 * page.width;
    });
    if (!renderable)
      continue;
    const auto means = RenderedMeanGrey(pdf, 24, compared % 2 == 0);
    ASSERT_EQ(means.size(), pages.size());
    for (std::size_t i = 0; i < pages.size(); ++i)
      EXPECT_NEAR(means[i], ExpectedMeanGrey(pages[i]), 20.0) << "page " << i;
  }
  EXPECT_GT(compared, 30);
}

} // namespace
