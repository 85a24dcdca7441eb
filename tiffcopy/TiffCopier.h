// Copies the images of a TIFF file into a new TIFF file, re-encoding them
// when asked.
#pragma once

#include <string>

struct CopyOptions {
  // Output compression: 0 none, 1 PackBits, 2 to 5 Group 3 (2 one-dimensional
  // with fill bits, 3 one-dimensional, 4 two-dimensional with fill bits, 5
  // two-dimensional), 6 CCITT Group 4, 7 JPEG (RGB colour mode), 8 JPEG (raw
  // colour mode), 9 LZW, 10 Deflate; any other value (-1) keeps each image's
  // compression.
  int compression = 6;
  int jpegQuality = 75; // for JPEG output
  int fillOrder = 0;    // 0 = as the source, else the FillOrder to write
  int tiled = -1;       // -1 = as the source, 0 = strips, other = tiles
  int append = 0;       // non-zero: add the images to an existing output
};

// Copies the images named by input, a TIFF path optionally followed by an
// image list ("fax.tif,0,2": directories 0 and 2; without a list, every
// image) into output, one output directory per image, keeping each image's
// descriptive tags and orientation. Single-strip Group 4 data that stays
// Group 4 is carried over unchanged when it decodes cleanly.
//   0   every image copied
//   1   an image could not be copied or its directory not written, or the
//       source's directory chain breaks off at a directory that cannot be
//       read; the output holds the images before it
//  -2   the output cannot be opened
//  -3   the source is not a readable TIFF, its image list cannot be read,
//       or the first listed image does not exist
int CopyTiffImages(const std::string& input, const std::string& output, const CopyOptions& options);
