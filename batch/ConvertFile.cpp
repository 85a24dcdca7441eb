#include "batch/ConvertFile.h"

#include "faxengine/FaxEngine.h"
#include "platform/FileSystem.h"
#include "platform/FileTimes.h"
#include "platform/MoveFile.h"
#include "platform/Paths.h"

#include <cstdio>

namespace {

using namespace convert_result;

struct Failure {
  int code;
  const char* what; // the text after "Failed : <source> - "
};

constexpr Failure kTiffCopy{kTiffCopyFailed, "Error in prearing to pdf conversion"};
constexpr Failure kTiffPdf{kTiffPdfFailed, "Error in converting to pdf"};
constexpr Failure kNotAFax{kNotFax, "Not Fax"};
constexpr Failure kFaxWrite{kFaxWriteFailed, "Error Fax"};
constexpr Failure kFaxCopy{kFaxCopyFailed, "Error in prearing to pdf conversion"};
constexpr Failure kFaxPdf{kFaxPdfFailed, "Error in converting to pdf"};
constexpr Failure kSame{kSameFile, "Source and destination are the same file"};
constexpr Failure kNoWork{kNoWorkFolder, "cannot create a work folder"};

int Report(BatchJob& job, const std::string& source, const Failure& failure) {
  job.resultText += "Failed : " + source + " - " + failure.what + "\r\n";
  return failure.code;
}

bool DestinationHasContent(const std::string& destination) {
  auto size = platform::RegularFileSize(destination);
  return size && *size > 0;
}

PdfDocInfo PdfInfoFrom(const FaxDocInfo& fax) {
  PdfDocInfo info;
  info.title = fax.senderComment;
  info.subject = fax.acceptanceLine;
  info.author = fax.user;
  return info;
}

// An ordinary TIFF goes straight to the page copier, keeping each page's
// compression, then to the PDF writer.
int ConvertTiff(const ConversionEnvironment& env, BatchJob& job, const std::string& source,
                const std::string& destination) {
  // A source that is no regular file is one the copier cannot open.
  if (!platform::IsRegularFile(source))
    return Report(job, source, kTiffCopy);
  job.copyOptions.compression = -1;
  if (env.stages.CopyTiffImages(source, env.copierOutputPath, job.copyOptions) != 0)
    return Report(job, source, kTiffCopy);
  if (env.stages.ConvertTiffToPdf(env.copierOutputPath, destination, 0, PdfDocInfo{}) != 0)
    return Report(job, source, kTiffPdf);
  return kConverted;
}

// With tiffOutputMode 1 every page of the Group 4 document also becomes a
// TIFF of its own beside the PDF, named after it ("fax.pdf" gives
// "fax001.tif", ...). Each is made in the work folder and moved into place
// without ever replacing a file; "" when all were written, else the name
// that was not.
std::string WritePageTiffs(const ConversionEnvironment& env, const std::string& destination) {
  const std::string pageFile = platform::FolderOf(env.copierOutputPath) + "/kvtpage.tmp";
  CopyOptions keepCoding;
  keepCoding.compression = -1;
  for (unsigned index = 0; index <= 0xFFFF; ++index) {
    const std::string name = PerPageTiffPath(destination, static_cast<std::uint16_t>(index));
    const std::string onePage = env.copierOutputPath + "," + std::to_string(index);
    const int copied = env.stages.CopyTiffImages(onePage, pageFile, keepCoding);
    if (copied == -3 && index > 0)
      return {}; // past the last page
    if (copied != 0 || platform::MoveFileNoReplace(pageFile, name) != platform::MoveResult::Moved) {
      platform::RemoveFileQuietly(pageFile);
      return name;
    }
  }
  return {};
}

// Anything else is read by the fax engine into a normalised TIFF, which the
// copier re-encodes as Group 4 for the PDF writer.
int ConvertFax(const ConversionEnvironment& env, BatchJob& job, const std::string& source,
               const std::string& destination, FaxFormat format) {
  // Page TIFFs are made here from the finished document, so the engine never
  // writes any of its own into the work folder.
  ConversionSettings engineSettings = env.settings;
  engineSettings.tiffOutputMode = 0;
  std::unique_ptr<FaxDocument> document = env.stages.OpenFaxDocument(engineSettings);
  if (!platform::IsRegularFile(source))
    return Report(job, source, kNotAFax);
  // A work file that cannot be written is this program's failure, not the
  // document's: it must not be reported as "not a fax".
  if (document->Identify(source, format) == kEngineWorkFileFailed)
    return Report(job, source, kFaxWrite);
  if (!document->IsFax())
    return Report(job, source, kNotAFax);
  document->ReadDocInfo(source, format);
  if (document->WriteTiff(env.engineOutputPath, format) != 0)
    return Report(job, source, kFaxWrite);
  job.copyOptions.compression = 6;
  if (env.stages.CopyTiffImages(env.engineOutputPath, env.copierOutputPath, job.copyOptions) != 0)
    return Report(job, source, kFaxCopy);
  if (env.settings.tiffOutputMode == 1) {
    const std::string missed = WritePageTiffs(env, destination);
    if (!missed.empty()) {
      const std::string what = "cannot write page TIFF " + missed;
      return Report(job, source, {kPageTiffFailed, what.c_str()});
    }
  }
  if (env.stages.ConvertTiffToPdf(env.copierOutputPath, destination, 0,
                                  PdfInfoFrom(document->DocInfo())) != 0)
    return Report(job, source, kFaxPdf);
  document->CloseAll();
  return kConverted;
}

int RunStages(const ConversionEnvironment& env, BatchJob& job, const std::string& source,
              const std::string& destination, FaxFormat format) {
  // Work files left by an earlier document must never be mistaken for this
  // one's.
  platform::RemoveFileQuietly(env.engineOutputPath);
  platform::RemoveFileQuietly(env.copierOutputPath);
  try {
    if (format == FaxFormat::OrdinaryTiff)
      return ConvertTiff(env, job, source, destination);
    return ConvertFax(env, job, source, destination, format);
  } catch (...) {
    job.resultText += "Exception : Failed in FAX to PDF conversion\r\n";
    return kException;
  }
}

int CopySourceTimes(const std::string& source, const std::string& destination) {
  auto times = platform::ReadFileTimes(source);
  if (!times)
    return kSourceTimesUnreadable;
  return platform::WriteFileTimes(destination, *times) ? kConverted : kSaveFolderOrPdfTimes;
}

// A failed move is ignored: the PDF is written and the source stays put.
void MoveToBackup(const std::string& source, const std::string& backupFolder) {
  platform::MoveFileNoReplace(source,
                              platform::JoinPath(platform::WithoutTrailingSeparators(backupFolder),
                                                 platform::FileNameOf(source)));
}

int Convert(const ConversionEnvironment& env, BatchJob& job, const std::string& source,
            const std::string& destination) {
  job.resultText += source + " --> " + destination + " : ";
  if (platform::IsSameFile(source, destination))
    return Report(job, source, kSame);
  if (job.skipExisting && DestinationHasContent(destination)) {
    job.resultText += "Skipped : " + destination + " already exist!\r\n";
    return kSkipped;
  }
  if (env.engineOutputPath.empty() || env.copierOutputPath.empty())
    return Report(job, source, kNoWork);
  const FaxFormat format = IdentifyFormat(source);
  const std::string folder = platform::FolderOf(destination);
  if (!folder.empty() && !platform::CreateFolderTree(folder)) {
    job.resultText += "Failed to create save dir : " + folder + "\r\n";
    return kSaveFolderOrPdfTimes;
  }
  if (int failure = RunStages(env, job, source, destination, format); failure != kConverted)
    return failure;
  job.resultText += "Success !\r\n";
  ++job.pdfsWritten;
  const int result = job.keepDate ? CopySourceTimes(source, destination) : kConverted;
  if (!job.backupFolder.empty())
    MoveToBackup(source, job.backupFolder);
  return result;
}

} // namespace

std::string PerPageTiffPath(const std::string& pdfPath, std::uint16_t index) {
  std::size_t nameStart = pdfPath.rfind(platform::kSeparator);
  nameStart = nameStart == std::string::npos ? 0 : nameStart + 1;
  std::size_t dot = pdfPath.rfind('.');
  std::string stem =
      dot != std::string::npos && dot >= nameStart ? pdfPath.substr(0, dot) : pdfPath;
  char number[8];
  std::snprintf(number, sizeof number, "%03u", unsigned(index) + 1);
  return stem + number + ".tif";
}

int ConvertFile(const ConversionEnvironment& env, BatchJob& job, const std::string& source,
                const std::string& destination) {
  const int writtenBefore = job.pdfsWritten;
  const int code = Convert(env, job, source, destination);
  const bool failed = job.pdfsWritten == writtenBefore && code != kSkipped && code != kNotFax;
  if (failed)
    ++job.faxFailures;
  return code;
}
