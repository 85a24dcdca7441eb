// What image files and their pages are, as tools nobody here wrote read
// them.
#pragma once

#include "support/PdfChecks.h"
#include "support/TiffFixtures.h"

#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

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
