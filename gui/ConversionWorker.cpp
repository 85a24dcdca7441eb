#include "gui/ConversionWorker.h"

#include "app/ResultLog.h"
#include "batch/ConvertFile.h"
#include "batch/FolderConversion.h"
#include "gui/Fields.h"
#include "platform/FileSystem.h"

#include <utility>

namespace {

// The Results column for a conversion's result code.
QString RowResultText(int code, bool pdfWritten) {
  using namespace convert_result;
  // A PDF that was written is converted even when its file times could not
  // be kept; saying "Not FAX!" would hide a finished PDF.
  if (pdfWritten)
    return code == kConverted ? "Converted!" : "Converted, file date not kept!";
  switch (code) {
  case kSkipped:
    return "Already exist, skipped!";
  case kNotFax:
    return "Not FAX!";
  case kFaxWriteFailed:
    return "Error Fax!";
  case kSaveFolderOrPdfTimes:
    return "Save folder not created!";
  default:
    return "Failed, see the log!";
  }
}

} // namespace

ConversionWorker::ConversionWorker(const WindowContext& context, BatchJob job)
    : context_(context), job_(std::move(job)) {}

void ConversionWorker::Run() {
  int converted = 0;
  int row = 0;
  for (; row < static_cast<int>(job_.fileList.size()) && !stopRequested_; ++row)
    converted += ConvertEntry(row, job_.fileList[static_cast<std::size_t>(row)]) ? 1 : 0;
  const int left = static_cast<int>(job_.fileList.size()) - row;
  if (left > 0)
    job_.resultText += "Stopped by the user: " + std::to_string(left) + " files not converted\r\n";
  QString status =
      QString(left > 0 ? "Stopped. %1 FAX files converted" : "Done. %1 FAX files converted")
          .arg(converted);
  // A folder the walk could not read may hold faxes: the run did not cover it.
  if (!job_.unreadableFolders.empty())
    status +=
        QString(", %1 folders could not be read (see the log)").arg(job_.unreadableFolders.size());
  emit StatusChanged(status);
  WriteLog();
  emit Finished(converted);
}

bool ConversionWorker::ConvertEntry(int row, const std::string& entry) {
  const ListedFile file = ListedFileAt(job_, entry);
  emit StatusChanged("Doing: " + FromLocal(file.sourcePath));
  emit RowStarted(row, FromLocal(file.sourcePath));
  if (file.pdfPath.empty()) {
    emit RowFinished(row, {}, "Already PDF!");
    return false;
  }
  // Settings applied meanwhile take effect from this file on.
  const ConversionSettings settings = context_.settings.Snapshot();
  const ConversionEnvironment environment{settings, context_.engineOutputPath,
                                          context_.copierOutputPath, context_.stages};
  const int writtenBefore = job_.pdfsWritten;
  const int code = ConvertFile(environment, job_, file.sourcePath, file.pdfPath);
  const bool written = job_.pdfsWritten > writtenBefore;
  emit RowFinished(row, written ? FromLocal(file.pdfPath) : QString(),
                   RowResultText(code, written));
  return written;
}

void ConversionWorker::WriteLog() {
  if (!context_.logFolderToCreate.empty())
    platform::CreateFolderTree(context_.logFolderToCreate);
  AppendLog(context_.logPath, job_.resultText);
}
