// The raw-stream reader on arbitrary bytes with small line thresholds:
// analysis (trial decoding, decoding into the two work files), page count,
// page 1 and the whole output TIFF. The first two bytes choose the settings.
#include "faxengine/RawFaxReader.h"

#include <cstdio>
#include <string>
#include <unistd.h>

namespace {

std::uint64_t FileSize(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file)
    return 0;
  std::fseek(file, 0, SEEK_END);
  long size = std::ftell(file);
  std::fclose(file);
  return size < 0 ? 0 : std::uint64_t(size);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2)
    return 0;
  static const std::string base = "/tmp/fuzz_raw_fax." + std::to_string(::getpid());
  ConversionSettings settings;
  settings.rawImagePath = base + ".img";
  settings.rawSegmentPath = base + ".seg";
  settings.Threshold = static_cast<std::uint16_t>(data[0] % 8);
  settings.FlagNum = data[1] % 4;
  settings.RawFlag = (data[1] >> 2) & 1;
  settings.NStdWidth = (data[1] >> 3) & 1;
  settings.MinWidth = (data[1] >> 4) & 1 ? 40 : 1728;
  const std::uint8_t autoBit = static_cast<std::uint8_t>((data[1] >> 5) % 3);

  RawFaxReader reader;
  reader.OpenMemory({data + 2, size - 2});
  reader.SetParameters(settings);
  if (reader.Analyse(autoBit, settings.NStdWidth) >= 0) {
    PageRaster header;
    if (!reader.LoadRasterHeader(header))
      __builtin_trap();
    // Every good line has its row unless the raster bound was reached.
    if (FileSize(settings.rawImagePath) !=
        PageRaster::kStoredSize + std::uint64_t(header.height) * header.bytesPerRow)
      __builtin_trap();
    reader.SetLinesPerPage(LinesPerPage(header.sizeClass, header.yResolution));
    reader.SetTotalLines(header.height);
    reader.CountPages();
    PageRaster page;
    page.xResolution = header.xResolution;
    reader.DecodePage(0, page);
    reader.WriteTiff(base + ".tif", page);
  }
  std::remove((base + ".img").c_str());
  std::remove((base + ".seg").c_str());
  std::remove((base + ".tif").c_str());
  return 0;
}
