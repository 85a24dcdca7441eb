// The readers of containers whose headers describe their pages (KVR-FAX,
// page records, single Group 4 page, IG4) on arbitrary bytes: identify,
// decode page 1, read the document texts and write the whole document. The
// first byte chooses the reader and whether lines are recounted.
#include "faxengine/FaxFormat.h"
#include "faxengine/FaxFormatReader.h"

#include <cstdio>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1)
    return 0;
  static const std::string base = "/tmp/fuzz_headed_formats." + std::to_string(::getpid());
  static const std::string input = base + ".in", output = base + ".tif";
  constexpr FaxFormat kFormats[] = {FaxFormat::KvrFax, FaxFormat::PageRecords,
                                    FaxFormat::SingleGroup4, FaxFormat::Ig4};
  std::FILE* file = std::fopen(input.c_str(), "wb");
  if (!file)
    return 0;
  std::fwrite(data + 1, 1, size - 1, file);
  std::fclose(file);

  auto reader = MakeFormatReader(kFormats[data[0] % 4]);
  ConversionSettings settings;
  settings.Recaculate = (data[0] >> 2) & 1;
  bool recognised = false;
  if (reader->Identify(input, settings, recognised) == 0) {
    PageRaster raster;
    reader->DecodePage(0, raster, settings);
    if (raster.height > raster.MaxRows())
      __builtin_trap();
    FaxDocInfo info;
    reader->ReadDocInfo(0, info);
    if (raster.width >= 1 && raster.height >= 1)
      reader->WriteTiff(output, settings, raster);
  }
  reader->Close();
  std::remove(input.c_str());
  std::remove(output.c_str());
  return 0;
}
