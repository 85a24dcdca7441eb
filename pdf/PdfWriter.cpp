#include "pdf/PdfWriter.h"

#include <cstdio>
#include <exception>

#include "pdf/DocumentWriter.h"
#include "pdf/PdfContext.h"
#include "pdf/PdfConversion.h"
#include "pdf/PdfNumbers.h"
#include "pdf/TiffAccess.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/TemporaryFile.h"

namespace pdf {

namespace {

constexpr int kSuccess = 0;
constexpr int kFailure = 1;

void ApplyCompressionRequest(PdfWriterContext& context, int compression) {
  if (compression == 1)
    Warn(context, "JPEG support in libtiff required for JPEG compression, ignoring option");
  else if (compression == 2)
    Warn(context, "Zip support in libtiff required for Zip compression, ignoring option");
  // 3 asks for no compression, which is the default already.
}

// Writes the document into the open temporary file; true when it is whole.
bool WriteInto(PdfWriterContext& context, std::FILE* file, const std::string& input,
               const std::string& output) {
  if (input.empty()) {
    Fail(context, "No input file specified");
    return false;
  }
  TiffHandle tiff = OpenTiffForReading(input);
  if (!tiff) {
    Fail(context, "Can't open input file " + input + " for reading");
    return false;
  }
  PdfSink sink(file);
  context.input = tiff.get();
  context.inputName = TIFFFileName(tiff.get());
  context.sink = &sink;
  WriteDocument(context);
  context.sink = nullptr;
  context.input = nullptr;
  if (!context.error && !sink.Flush())
    Fail(context, "Error writing output PDF " + output);
  if (context.error) {
    const std::string first = context.errorMessage;
    Fail(context, "An error occurred in converting TIFF " + input + " to PDF " + output);
    context.errorMessage = first;
    return false;
  }
  return true;
}

} // namespace

std::string DefaultOutputPath(const std::string& inputTiff) {
  const auto dot = inputTiff.find_last_of('.');
  const auto separator = inputTiff.find_last_of(platform::kSeparator);
  if (dot == std::string::npos || (separator != std::string::npos && dot < separator))
    return inputTiff + ".pdf";
  return inputTiff.substr(0, dot) + ".pdf";
}

ConversionReport ConvertTiffToPdfReporting(const std::string& inputTiff,
                                           const std::string& outputPdf, int compression,
                                           const PdfDocInfo& info) {
  SilenceTiffLibrary();
  ConversionReport report;
  PdfWriterContext context;
  const std::string output = outputPdf.empty() ? DefaultOutputPath(inputTiff) : outputPdf;
  // Written beside the destination and renamed into place when whole.
  platform::TemporaryFile temporary = platform::CreateTemporaryBeside(output);
  if (temporary.file == nullptr) {
    report.error = "Can't open output file " + output + " for writing";
    return report;
  }
  ApplyCompressionRequest(context, compression);
  context.title = info.title;
  context.subject = info.subject;
  context.author = info.author;
  context.keywords = info.keywords;

  bool whole = false;
  try {
    whole = WriteInto(context, temporary.file, inputTiff, output);
  } catch (const std::exception&) {
    // Out of memory inside the library or a container: the document fails,
    // and the temporary file still goes below.
    Fail(context, "An error occurred in converting TIFF " + inputTiff + " to PDF " + output);
  }
  whole = std::fclose(temporary.file) == 0 && whole;
  if (whole && std::rename(temporary.path.c_str(), output.c_str()) != 0) {
    Fail(context, "Can't open output file " + output + " for writing");
    whole = false;
  }
  if (!whole)
    platform::RemoveFileQuietly(temporary.path);
  report.result = whole ? kSuccess : kFailure;
  report.error = whole ? std::string() : context.errorMessage;
  if (!whole && report.error.empty())
    report.error = "Error writing output PDF " + output;
  report.warnings = std::move(context.warnings);
  return report;
}

} // namespace pdf

int ConvertTiffToPdf(const std::string& inputTiff, const std::string& outputPdf, int compression,
                     const PdfDocInfo& info) {
  try {
    return pdf::ConvertTiffToPdfReporting(inputTiff, outputPdf, compression, info).result;
  } catch (...) {
    // Nothing crosses the stage boundary; an unexpected failure is a failure.
    return 1;
  }
}
