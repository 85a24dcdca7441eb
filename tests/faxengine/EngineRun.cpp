#include "EngineRun.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace engine_run {

EngineRun Run(const std::string& path, FaxFormat format, const std::string& outputTiff,
              const ConversionSettings& settings) {
  EngineRun run;
  FaxEngine engine;
  engine.SetSettings(settings);
  run.identified = engine.Identify(path, format);
  run.isFax = engine.IsFax();
  run.pageCount = engine.Settings().pageCount;
  const PageRaster& page = engine.Raster();
  if (page.height > 0)
    run.firstPage =
        testing_support::Raster::FromPackedRows(page.rows.data(), page.width, page.height, false);
  if (!run.isFax)
    return run;
  engine.ReadDocInfo(path, format);
  run.docInfo = engine.DocInfo();
  std::filesystem::remove(outputTiff);
  run.written = engine.WriteTiff(outputTiff, format);
  if (run.written == 0)
    run.pages = testing_support::ReadTiffPages(outputTiff);
  engine.CloseAll();
  return run;
}

void ExpectOutcome(const EngineRun& run, const Outcome& want) {
  EXPECT_EQ(run.identified, 0);
  EXPECT_EQ(run.pageCount, want.pageCount);
  EXPECT_EQ(run.isFax, want.isFax);
  EXPECT_EQ(run.written, want.written);
  if (want.written != 0)
    return;
  ASSERT_EQ(run.pages.size(), want.pages.size());
  for (std::size_t i = 0; i < want.pages.size(); ++i)
    EXPECT_TRUE(run.pages[i] == want.pages[i])
        << "page " << i + 1 << ": " << run.pages[i].width << "x" << run.pages[i].height
        << " written, " << want.pages[i].width << "x" << want.pages[i].height << " expected";
  if (!want.pages.empty()) {
    EXPECT_TRUE(run.firstPage == want.firstPage.value_or(want.pages[0])) << "page 1 as decoded";
  }
}

std::vector<std::uint8_t> Group4LsbFirst(const testing_support::Raster& raster) {
  return testing_support::EncodeWithLibTiff(raster, COMPRESSION_CCITTFAX4, 0, FILLORDER_LSB2MSB);
}

} // namespace engine_run
