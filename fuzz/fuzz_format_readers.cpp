// The readers of fax containers and image files on arbitrary bytes, driven
// as the engine drives them: identify, decode page 1, write every page. The
// first byte chooses the format; the rest is the file.
#include "faxengine/FaxEngine.h"

#include <cstdio>
#include <iterator>
#include <string>
#include <unistd.h>

namespace {

constexpr FaxFormat kFormats[] = {FaxFormat::Apf10, FaxFormat::Dcx, FaxFormat::Bmp};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1)
    return 0;
  static const std::string base = "/tmp/fuzz_format_readers." + std::to_string(::getpid());
  const std::string input = base + ".in", output = base + ".tif";
  std::FILE* file = std::fopen(input.c_str(), "wb");
  if (!file)
    return 0;
  std::fwrite(data + 1, 1, size - 1, file);
  std::fclose(file);
  const FaxFormat format = kFormats[data[0] % std::size(kFormats)];
  FaxEngine engine;
  if (engine.Identify(input, format) == 0 && engine.IsFax()) {
    if (engine.Raster().height > engine.Raster().MaxRows())
      __builtin_trap();
    if (engine.WriteTiff(output, format) > 0)
      __builtin_trap();
  }
  engine.CloseAll();
  std::remove(input.c_str());
  std::remove(output.c_str());
  return 0;
}
