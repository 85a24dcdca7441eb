#include "batch/FolderConversion.h"

#include "faxengine/FaxFormat.h"
#include "platform/DirWalk.h"
#include "platform/Paths.h"

namespace {

using platform::JoinPath;
using platform::WithoutTrailingSeparators;

bool EndsWithPdfLetters(const std::string& path) {
  if (path.size() < 3)
    return false;
  std::string tail = path.substr(path.size() - 3);
  for (char& c : tail)
    c = static_cast<char>(c | 0x20);
  return tail == "pdf";
}

// Cuts the extension within the file name only; a name that starts with its
// only dot keeps it.
std::string WithoutExtension(const std::string& path) {
  const auto nameStart = path.rfind(platform::kSeparator) + 1; // npos + 1 == 0
  const auto dot = path.rfind('.');
  if (dot == std::string::npos || dot <= nameStart)
    return path;
  return path.substr(0, dot);
}

std::string HeadingFor(const BatchJob& job) {
  return "Tarvelo command line mode : convert folder\r\nSource Folder: " + job.source +
         "\r\nSave Folder: " + job.destination + "\r\n";
}

} // namespace

bool CollectFiles(BatchJob& job, const std::string& folder, bool includeSubfolders) {
  auto entries = platform::ListFolder(folder, job.filter);
  if (!entries) {
    job.unreadableFolders.push_back(folder);
    return false;
  }
  // Paths are listed relative to the source folder, without its separator.
  const std::size_t relativeStart = JoinPath(WithoutTrailingSeparators(job.source), "").size();
  const std::string base = WithoutTrailingSeparators(folder);
  for (const auto& entry : *entries) {
    const std::string path = JoinPath(base, entry.name);
    if (entry.kind == platform::EntryKind::Folder) {
      if (includeSubfolders)
        CollectFiles(job, path, includeSubfolders);
      continue;
    }
    // Links to folders are not walked: they could lead back into the tree.
    if (entry.kind == platform::EntryKind::LinkedFolder)
      continue;
    if (IdentifyFormat(path) == FaxFormat::Excluded)
      continue;
    job.fileList.push_back(path.size() > relativeStart ? path.substr(relativeStart) : path);
  }
  return true;
}

void CollectSourceFolder(BatchJob& job) {
  job.fileList.clear();
  job.unreadableFolders.clear();
  CollectFiles(job, job.source, job.includeSubfolders);
}

std::string DestinationNameFor(const BatchJob& job, const std::string& sourcePath) {
  std::string name = job.keepExtension ? sourcePath : WithoutExtension(sourcePath);
  name += ".pdf";
  // Folders are compared and joined without their trailing separators, so
  // that "in/" (as shell completion types it) and "in" give the same names.
  const std::string destination = WithoutTrailingSeparators(job.destination);
  if (!job.keepHierarchy)
    return JoinPath(destination, platform::FileNameOf(name));
  // Only the leading source folder is replaced, so that a folder name that
  // merely contains the source folder's text stays as it is.
  const std::string sourcePrefix = JoinPath(WithoutTrailingSeparators(job.source), "");
  if (!name.starts_with(sourcePrefix))
    return name;
  return JoinPath(destination, name.substr(sourcePrefix.size()));
}

ListedFile ListedFileAt(const BatchJob& job, const std::string& entry) {
  ListedFile file{JoinPath(WithoutTrailingSeparators(job.source), entry), {}};
  if (!EndsWithPdfLetters(file.sourcePath))
    file.pdfPath = DestinationNameFor(job, file.sourcePath);
  return file;
}

std::vector<ListedFile> FilesToConvert(const BatchJob& job) {
  std::vector<ListedFile> files;
  for (const std::string& entry : job.fileList)
    if (ListedFile file = ListedFileAt(job, entry); !file.pdfPath.empty())
      files.push_back(std::move(file));
  return files;
}

int ConvertList(const ConversionEnvironment& environment, BatchJob& job) {
  if (job.destination.empty())
    return -1;
  job.resultText = HeadingFor(job);
  // A folder the walk could not read may hold faxes: that is no empty folder.
  for (const std::string& folder : job.unreadableFolders)
    job.resultText += "Failed to read folder : " + folder + "\r\n";
  job.skipExisting = false;
  int converted = 0;
  for (const std::string& entry : job.fileList) {
    const ListedFile file = ListedFileAt(job, entry);
    if (file.pdfPath.empty()) {
      job.resultText += file.sourcePath + " : already PDF format, need no converting!\n";
      continue;
    }
    if (ConvertFile(environment, job, file.sourcePath, file.pdfPath) == convert_result::kConverted)
      ++converted;
  }
  job.resultText +=
      "\r\n---------\r\nTotal converted FAX files: " + std::to_string(converted) + "\r\n";
  return 0;
}
