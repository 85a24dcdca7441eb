// Fuzz target for the PDF writer: any bytes, written to a file, converted as
// a TIFF. A hostile file may give a failure or a wrong PDF, never a crash, a
// hang or an unbounded allocation.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include <unistd.h>

#include "pdf/PdfWriter.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string folder = [] {
    char name[] = "/tmp/fuzz_tiff_to_pdf.XXXXXX";
    const char* made = mkdtemp(name);
    return std::string(made != nullptr ? made : "/tmp");
  }();
  const std::string input = folder + "/input.tif";
  const std::string output = folder + "/output.pdf";
  std::FILE* file = std::fopen(input.c_str(), "wb");
  if (file == nullptr)
    return 0;
  std::fwrite(data, 1, size, file);
  std::fclose(file);
  ConvertTiffToPdf(input, output, 0, PdfDocInfo{});
  std::remove(output.c_str());
  return 0;
}
