// Running one document through the engine as the single-file conversion
// does, and the pictures that image files show as tools nobody here wrote
// decode them.
#pragma once

#include "faxengine/FaxFormat.h"
#include "support/PdfChecks.h"
#include "support/TiffFixtures.h"

#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

struct EngineRun {
  int identify = 0;
  bool isFax = false;
  std::uint16_t pageCount = 0;
  int writeTiff = 1;         // not called unless the document is a fax
  Raster firstPage;          // page 1 as the engine decoded it
  std::vector<Raster> pages; // the written TIFF as the TIFF library reads it
};

// Identify, IsFax and, for a fax, WriteTiff into outputTiff.
EngineRun RunEngine(const std::string& path, FaxFormat format, const std::string& outputTiff);

// A tag of one directory of a TIFF (SHORT or LONG values).
std::uint32_t TiffTag(const std::string& path, int directory, std::uint32_t tag);

// A picture of two colours (any two: red on white, blue on green) as a
// bilevel page: the darker colour is the ink.
Raster TwoColourPicture(const PnmImage& image);

// Writes the picture as a binary PBM file, the input of outside writers.
void WritePbm(const std::string& path, const Raster& picture);

// The picture of an image file as ImageMagick's convert decodes it.
Raster PictureByImageMagick(const std::string& imagePath, const std::string& scratchFile);

} // namespace testing_support
