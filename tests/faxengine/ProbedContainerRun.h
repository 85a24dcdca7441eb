// Container documents through the engine as a conversion drives it, for the
// tests of the readers whose page coding is probed.
#pragma once

#include "faxengine/FaxFormat.h"
#include "support/TiffFixtures.h"

#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

struct EngineRun {
  int identify = -99;
  bool isFax = false;
  std::uint16_t pageCount = 0;
  int write = -99; // WriteTiff's result; not run when not a fax
  // The written TIFF: its pages as the TIFF library decodes them, their
  // coded strips and vertical resolutions.
  std::vector<Raster> pages;
  std::vector<std::vector<std::uint8_t>> strips;
  std::vector<float> yResolutions;
};

EngineRun RunEngine(const std::vector<std::uint8_t>& file, FaxFormat format);

// What a conversion would report: "Not Fax", "Error Fax" or success.
enum class Outcome { NotFax, ErrorFax, Converts };
// Expects the outcome; a document that fails must fail for a page that
// could not be read.
void ExpectOutcome(const EngineRun& run, Outcome outcome, const std::string& what);

// Puts a little-endian integer of width bytes into a fixture.
void Patch(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t value,
           int width = 4);

} // namespace testing_support
