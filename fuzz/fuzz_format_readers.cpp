// Every format reader of the format table on arbitrary bytes, through the
// engine as a conversion drives it: identification, page 1, each further
// page, and the whole output TIFF. The first byte chooses the format, the
// second the reader settings; the rest is the file.
#include "faxengine/FaxEngine.h"
#include "faxengine/FaxFormat.h"

#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// The formats with a reader of their own; AWD needs an outside program.
std::vector<FaxFormat> FuzzedFormats() {
  std::vector<FaxFormat> formats;
  for (const FaxFormatEntry& entry : FaxFormats())
    if (entry.makeReader && entry.format != FaxFormat::Awd)
      formats.push_back(entry.format);
  return formats;
}

bool WriteInput(const std::string& path, const std::uint8_t* data, std::size_t size) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file)
    return false;
  const bool written = std::fwrite(data, 1, size, file) == size;
  return std::fclose(file) == 0 && written;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::vector<FaxFormat> formats = FuzzedFormats();
  if (size < 2 || formats.empty())
    return 0;
  static const std::string base = "/tmp/fuzz_format_readers." + std::to_string(::getpid());
  const std::string input = base + ".in";
  if (!WriteInput(input, data + 2, size - 2))
    return 0;
  ConversionSettings settings;
  settings.engineTiffPath = base + ".eng";
  settings.Threshold = static_cast<std::uint16_t>(data[1] % 8);
  settings.FlagNum = (data[1] >> 3) % 4;
  settings.Recaculate = (data[1] >> 5) & 1;

  const FaxFormat format = formats[data[0] % formats.size()];
  FaxEngine engine;
  engine.SetSettings(settings);
  if (engine.Identify(input, format) == 0 && engine.IsFax()) {
    const std::uint16_t pages = engine.Settings().pageCount;
    for (std::uint16_t page = 0; page < pages && page < 8; ++page) {
      engine.DecodePage(page);
      // A page never holds more rows than it was given room for.
      if (engine.Raster().height > engine.Raster().MaxRows())
        __builtin_trap();
    }
    // Writing succeeds or fails with a negative code.
    if (engine.WriteTiff(base + ".tif", format) > 0)
      __builtin_trap();
  }
  engine.CloseAll();
  for (const char* suffix : {".in", ".eng", ".eng.tiff", ".tif"})
    std::remove((base + suffix).c_str());
  return 0;
}
