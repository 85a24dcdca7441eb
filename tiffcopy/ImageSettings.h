// The settings each image of a copy is written with, derived from the
// caller's options.
#pragma once

#include "tiffcopy/TiffCopier.h"

#include <cstdint>

namespace tiffcopy {

struct ImageSettings {
  // Output Compression; 0 keeps each image's own.
  std::uint16_t compression = 0;
  std::uint32_t group3Options = 0;
  int jpegColorMode = 1; // JPEGCOLORMODE_RGB
  int jpegQuality = 75;
  // Output FillOrder; 0 keeps the source's.
  std::uint16_t fillOrder = 0;
  // -1 tiled exactly when the source is; 0 strips; other values tiles.
  int tiled = -1;
};

// Applies the compression selector: 0 none, 1 PackBits, 2 to 5 Group 3 with
// options 4, 0, 5 and 1, 6 Group 4, 7 and 8 JPEG (RGB and raw colour mode),
// 9 LZW, 10 Deflate; any other value keeps each image's compression.
ImageSettings SettingsFromOptions(const CopyOptions& options);

} // namespace tiffcopy
