#include "support/ImageMagick.h"

#include "support/Scratch.h"
#include "support/Tools.h"

#include <stdexcept>

namespace testing_support {

std::vector<std::uint8_t> WriteWithImageMagick(const Raster& page, const std::string& format,
                                               unsigned density) {
  ScratchFolder scratch;
  const std::vector<std::uint8_t> rows = page.PackedRows(true);
  WriteFile(scratch / "page.pbm", "P4\n" + std::to_string(page.width) + " " +
                                      std::to_string(page.height) + "\n" +
                                      std::string(rows.begin(), rows.end()));
  // By its full path: a "convert" earlier on PATH may be another program.
  const ToolRun run =
      RunTool({"/usr/bin/convert", "-units", "PixelsPerInch", "-density", std::to_string(density),
               scratch / "page.pbm", format + ":" + scratch / "page.out"});
  if (run.exitCode != 0)
    throw std::runtime_error("ImageMagick could not write " + format + ": " + run.errors);
  const std::string written = ReadFile(scratch / "page.out");
  return std::vector<std::uint8_t>(written.begin(), written.end());
}

} // namespace testing_support
