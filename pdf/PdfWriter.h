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

// 0 when the PDF was written; 1 on failure, in which case no PDF is left and an
// existing file of the output name is untouched. An empty output path means the
// input path with its extension replaced by ".pdf".
int ConvertTiffToPdf(const std::string& inputTiff, const std::string& outputPdf, int compression,
                     const PdfDocInfo& info);
