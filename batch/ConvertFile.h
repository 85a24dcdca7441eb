// The one road by which any document becomes a PDF.
#pragma once

#include "batch/BatchJob.h"
#include "batch/ConversionStages.h"
#include "faxengine/ConversionSettings.h"

#include <cstdint>
#include <string>

// What a conversion needs from the process: the settings every engine is
// handed a copy of, the two work TIFFs (empty when the process could not
// make its work folder), and the stages.
struct ConversionEnvironment {
  const ConversionSettings& settings;
  std::string engineOutputPath; // the TIFF the engine writes
  std::string copierOutputPath; // the TIFF the page copier writes and the PDF writer reads
  ConversionStages& stages;
};

namespace convert_result {
constexpr int kConverted = 0;
constexpr int kSkipped = 1;
constexpr int kSourceTimesUnreadable = -1; // converted, but the source's times could not be read
constexpr int kSaveFolderOrPdfTimes =
    -2; // save folder not created; or converted, PDF times not set
constexpr int kTiffCopyFailed = -3;
constexpr int kTiffPdfFailed = -4;
constexpr int kNotFax = -5;
constexpr int kFaxWriteFailed = -6;
constexpr int kFaxCopyFailed = -7;
constexpr int kFaxPdfFailed = -8;
constexpr int kException = -9;
constexpr int kSameFile = -10;       // source and destination are one file
constexpr int kNoWorkFolder = -11;   // the process has no work folder for the stages
constexpr int kPageTiffFailed = -12; // /m=1: a page TIFF beside the PDF could not be written
} // namespace convert_result

// Name of the page TIFF for page index (0-based) of a document converted to
// pdfPath: the extension of the file name (never a dot in a folder name)
// replaced by the page number in at least three digits and ".tif"
// ("fax.pdf" -> "fax001.tif").
std::string PerPageTiffPath(const std::string& pdfPath, std::uint16_t index);

// Converts one source into one PDF, appends the result line to the job's
// result text and counts the outcome in the job; returns a code above.
int ConvertFile(const ConversionEnvironment& environment, BatchJob& job, const std::string& source,
                const std::string& destination);
