// Files written by ImageMagick, an encoder nobody here wrote, from a
// bilevel raster: the independent oracle for image file readers.
#pragma once

#include "support/TiffFixtures.h"

#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

// The page handed to ImageMagick as a PBM and written in its format coder
// ("cals", "dcx", "bmp" ...), with the density given in dots per inch;
// throws std::runtime_error when ImageMagick fails.
std::vector<std::uint8_t> WriteWithImageMagick(const Raster& page, const std::string& format,
                                               unsigned density = 200);

} // namespace testing_support
