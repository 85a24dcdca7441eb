#include "batch/ConvertFile.h"

#include "faxengine/FaxEngine.h"
#include "faxengine/IdentifyFormat.h"
#include "platform/FileSystem.h"
#include "platform/FileTimes.h"
#include "platform/MoveFile.h"
#include "platform/Paths.h"

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

// Anything else is read by the fax engine into a normalised TIFF, which the
// copier re-encodes as Group 4 for the PDF writer.
int ConvertFax(const ConversionEnvironment& env, BatchJob& job, const std::string& source,
               const std::string& destination, int format) {
  std::unique_ptr<FaxDocument> document = env.stages.OpenFaxDocument(env.settings);
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
  if (env.stages.ConvertTiffToPdf(env.copierOutputPath, destination, 0,
                                  PdfInfoFrom(document->DocInfo())) != 0)
    return Report(job, source, kFaxPdf);
  document->CloseAll();
  return kConverted;
}

int RunStages(const ConversionEnvironment& env, BatchJob& job, const std::string& source,
              const std::string& destination, int format) {
  // Work files left by an earlier document must never be mistaken for this
  // one's.
  platform::RemoveFileQuietly(env.engineOutputPath);
  platform::RemoveFileQuietly(env.copierOutputPath);
  try {
    if (format == fax_format::kOrdinaryTiff)
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
                              backupFolder + platform::kSeparator + platform::FileNameOf(source));
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
  const int format = IdentifyFormat(source);
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

int ConvertFile(const ConversionEnvironment& env, BatchJob& job, const std::string& source,
                const std::string& destination) {
  const int writtenBefore = job.pdfsWritten;
  const int code = Convert(env, job, source, destination);
  const bool failed = job.pdfsWritten == writtenBefore && code != kSkipped && code != kNotFax;
  if (failed)
    ++job.faxFailures;
  return code;
}
