// Copies the images of a TIFF file into a new TIFF file, re-encoding them
// when asked.
#pragma once

#include <string>

struct CopyOptions {
  int compression = 6;  // selector: 6 = CCITT Group 4, -1 = keep each image's compression
  int jpegQuality = 75;
  int fillOrder = 0;    // 0 = as the source
  int tiled = -1;       // -1 = as the source
  int append = 0;       // 0 = the output is overwritten
};

// 0 on success, a negative code on failure.
int CopyTiffImages(const std::string& input, const std::string& output, const CopyOptions& options);
