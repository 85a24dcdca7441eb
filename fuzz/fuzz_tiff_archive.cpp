// The TIFF archive reader on arbitrary bytes: the entry walk, the joining of
// the entries into the intermediate TIFF, page 1 and the output TIFF. No
// work file may be left behind.
#include "faxengine/TiffArchiveReader.h"

#include <cstdio>
#include <string>
#include <unistd.h>

namespace {

bool Exists(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file)
    std::fclose(file);
  return file != nullptr;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string base = "/tmp/fuzz_tiff_archive." + std::to_string(::getpid());
  const std::string archive = base + ".ds";
  std::FILE* file = std::fopen(archive.c_str(), "wb");
  if (!file)
    return 0;
  std::fwrite(data, 1, size, file);
  std::fclose(file);
  ConversionSettings settings;
  settings.engineTiffPath = base + ".kvttif";
  TiffArchiveReader reader;
  bool recognised = false;
  if (reader.Identify(archive, settings, recognised) == 0 && recognised) {
    PageRaster raster;
    reader.DecodePage(0, raster, settings);
    reader.WriteTiff(base + ".tif", settings, raster);
  }
  if (Exists(settings.engineTiffPath) || Exists(settings.engineTiffPath + ".tiff"))
    __builtin_trap();
  std::remove(archive.c_str());
  std::remove((base + ".tif").c_str());
  return 0;
}
