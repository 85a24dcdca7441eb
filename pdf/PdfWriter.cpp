#include "pdf/PdfWriter.h"

// Placeholder until the PDF writer lands: every request fails.
int ConvertTiffToPdf(const std::string&, const std::string&, int, const PdfDocInfo&) { return -1; }
