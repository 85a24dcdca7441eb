// Which of the two colours of a one-bit image's palette is the ink: image
// files name their colours, and a fax page has only black and white.
#pragma once

#include <cstdint>

struct PaletteColour {
  std::uint8_t red = 0, green = 0, blue = 0;
};

// Luma as ITU-R BT.601 weighs the primaries, times 1000.
inline std::uint32_t LumaOf(PaletteColour colour) {
  return 299u * colour.red + 587u * colour.green + 114u * colour.blue;
}

// The TIFF photometric of rows whose zero bits show indexZero and whose one
// bits show indexOne: 0 (a zero bit is white) when index 0 is the lighter
// colour, else 1 (a zero bit is black, also when both are alike).
inline std::uint8_t PhotometricOfPalette(PaletteColour indexZero, PaletteColour indexOne) {
  return LumaOf(indexZero) > LumaOf(indexOne) ? 0 : 1;
}
