// Turns a TIFF file into a PDF, one page per image.
#pragma once

#include <optional>
#include <string>

// Texts for the PDF's document information; an absent text is taken from the
// TIFF's own tags where it has them.
struct PdfDocInfo {
  std::optional<std::string> title;
  std::optional<std::string> subject;
  std::optional<std::string> author;
  std::optional<std::string> keywords;
};

// 0 on success; a negative code on failure, in which case no PDF is left.
int ConvertTiffToPdf(const std::string& inputTiff, const std::string& outputPdf, int compression,
                     const PdfDocInfo& info);
