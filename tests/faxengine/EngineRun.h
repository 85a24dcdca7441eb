// A document run through the engine as the single-file conversion runs it,
// up to its TIFF, with what each step gave.
#pragma once

#include "faxengine/FaxEngine.h"
#include "support/TiffFixtures.h"

#include <optional>
#include <string>
#include <vector>

namespace engine_run {

struct EngineRun {
  int identified = 0;
  bool isFax = false;
  std::uint16_t pageCount = 0;
  int written = 1;                   // WriteTiff's result; 1 when it was not called (no fax)
  testing_support::Raster firstPage; // page 1 as the engine decoded it (black = 1)
  std::vector<testing_support::Raster> pages; // the TIFF written, as the TIFF library decodes it
  FaxDocInfo docInfo;
};

// The TIFF goes to outputTiff.
EngineRun Run(const std::string& path, FaxFormat format, const std::string& outputTiff,
              const ConversionSettings& settings = {});

// What a run should give.
struct Outcome {
  std::uint16_t pageCount = 1;
  bool isFax = true;
  int written = 0;                            // WriteTiff's result (1: not called)
  std::vector<testing_support::Raster> pages; // the TIFF's pages, when written
  // Page 1 as the engine decodes it, when not the TIFF's first page.
  std::optional<testing_support::Raster> firstPage = std::nullopt;
};
void ExpectOutcome(const EngineRun& run, const Outcome& want);

// The raster's T.6 coding by the TIFF library, least significant bit first.
std::vector<std::uint8_t> Group4LsbFirst(const testing_support::Raster& raster);

} // namespace engine_run
