// Fuzz target of the TIFF page copier: the input is the source TIFF; its
// last byte also picks the compression selector and the tile option, so
// that the decode-and-encode, verbatim Group 4 and layout routines all run.
#include "tiffcopy/TiffCopier.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string folder = [] {
    const char* tmp = std::getenv("TMPDIR");
    return std::string(tmp && *tmp ? tmp : "/tmp") + "/";
  }();
  static const std::string stem = folder + "fuzz_tiff_copy_" + std::to_string(getpid());
  const std::string input = stem + ".tif";
  const std::string output = stem + "_out.tif";

  FILE* file = std::fopen(input.c_str(), "wb");
  if (!file)
    return 0;
  std::fwrite(data, 1, size, file);
  std::fclose(file);

  static const int kSelectors[] = {-1, 6, 4, 9};
  const std::uint8_t choice = size > 0 ? data[size - 1] : 0;
  CopyOptions options;
  options.compression = kSelectors[choice & 3];
  options.tiled = (choice >> 2 & 3) == 3 ? 1 : -1;
  CopyTiffImages(input, output, options);
  std::remove(input.c_str());
  std::remove(output.c_str());
  return 0;
}
