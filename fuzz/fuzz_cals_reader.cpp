// The CALS reader on arbitrary bytes: header, page 1 and the output TIFF.
// A page's raster never holds more rows than it was given room for.
#include "faxengine/CalsReader.h"

#include <cstdio>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string output = "/tmp/fuzz_cals_reader." + std::to_string(::getpid()) + ".tif";
  CalsReader reader;
  reader.OpenMemory({data, size});
  if (reader.Detect() != 0 || reader.CountPages() != 1)
    return 0;
  PageRaster raster;
  reader.DecodePage(0, raster, ConversionSettings{});
  if (raster.height > raster.MaxRows())
    __builtin_trap();
  reader.WriteTiff(output, ConversionSettings{}, raster);
  std::remove(output.c_str());
  return 0;
}
