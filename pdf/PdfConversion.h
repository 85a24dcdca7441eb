// The PDF writer's entry point with its diagnostics: the same conversion as
// ConvertTiffToPdf, telling which error stopped it and which warnings it
// gave. The texts never reach the user; tests and tools read them.
#pragma once

#include <string>
#include <vector>

#include "pdf/PdfWriter.h"

namespace pdf {

struct ConversionReport {
  int result = 1;    // as ConvertTiffToPdf returns it
  std::string error; // the first error message, empty on success
  std::vector<std::string> warnings;
};

ConversionReport ConvertTiffToPdfReporting(const std::string& inputTiff,
                                           const std::string& outputPdf, int compression,
                                           const PdfDocInfo& info);

// The output path used when none is given: the input path with everything
// from its last "." replaced by ".pdf" (".pdf" appended without a dot).
std::string DefaultOutputPath(const std::string& inputTiff);

} // namespace pdf
