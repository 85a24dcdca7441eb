#include "ProbedContainerRun.h"

#include "faxengine/FaxEngine.h"
#include "faxengine/FaxTiffWriter.h"
#include "support/Scratch.h"

#include <gtest/gtest.h>

namespace testing_support {

namespace {

std::vector<float> YResolutionsOf(const std::string& path) {
  std::vector<float> values;
  TIFF* tif = TIFFOpen(path.c_str(), "r");
  if (!tif)
    return values;
  do {
    float value = 0;
    TIFFGetField(tif, TIFFTAG_YRESOLUTION, &value);
    values.push_back(value);
  } while (TIFFReadDirectory(tif));
  TIFFClose(tif);
  return values;
}

} // namespace

EngineRun RunEngine(const std::vector<std::uint8_t>& file, FaxFormat format) {
  TIFFSetWarningHandler(nullptr);
  ScratchFolder scratch;
  WriteFile(scratch / "document", file);
  ConversionSettings settings;
  settings.engineTiffPath = scratch / "kvttif.tmp";
  FaxEngine engine;
  engine.SetSettings(settings);
  EngineRun run;
  run.identify = engine.Identify(scratch / "document", format);
  run.isFax = engine.IsFax();
  run.pageCount = engine.Settings().pageCount;
  if (!run.isFax)
    return run;
  const std::string output = scratch / "out.tif";
  run.write = engine.WriteTiff(output, format);
  engine.CloseAll();
  if (run.write != 0)
    return run;
  run.pages = ReadTiffPages(output);
  for (std::size_t page = 0; page < run.pages.size(); ++page)
    run.strips.push_back(ReadRawStrips(output, int(page)).at(0));
  run.yResolutions = YResolutionsOf(output);
  return run;
}

void ExpectOutcome(const EngineRun& run, Outcome outcome, const std::string& what) {
  const Outcome got = !run.isFax       ? Outcome::NotFax
                      : run.write == 0 ? Outcome::Converts
                                       : Outcome::ErrorFax;
  EXPECT_EQ(int(got), int(outcome)) << what << " (0 Not Fax, 1 Error Fax, 2 converts)";
  if (got == Outcome::ErrorFax) {
    EXPECT_EQ(run.write, kFaxPageUnreadable) << what;
  }
}

void Patch(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t value, int width) {
  for (int i = 0; i < width; ++i)
    bytes.at(offset + i) = std::uint8_t(value >> (8 * i));
}

} // namespace testing_support
