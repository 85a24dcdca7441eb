// The TIFF fax reader on arbitrary bytes: identify, decode page 1 and write
// the whole document through the fax TIFF writer.
#include "faxengine/TiffFaxReader.h"
#include "faxformats/PageRaster.h"

#include <cstdio>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string output =
      "/tmp/fuzz_tiff_fax_reader." + std::to_string(::getpid()) + ".tif";
  TiffFaxReader reader;
  reader.OpenMemory({data, size});
  if (reader.Detect() != 0 || reader.CountPages() == 0)
    return 0;
  PageRaster raster;
  reader.DecodePage(0, raster);
  if (raster.height > raster.MaxRows())
    __builtin_trap();
  reader.WriteTiff(output);
  std::remove(output.c_str());
  return 0;
}
