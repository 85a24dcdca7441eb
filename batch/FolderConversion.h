// Converting every fax file of a folder (and, if asked, its sub-folders)
// into a folder of PDF files.
#pragma once

#include "batch/BatchJob.h"
#include "batch/ConvertFile.h"

#include <string>
#include <vector>

// Appends to the job's file list every file below the folder that matches the
// job's filter and is not a name that is never a fax, as a path relative to
// the job's source folder. A folder that cannot be read (the source or any
// sub-folder) is added to the job's unreadable folders; false when the given
// folder is one.
bool CollectFiles(BatchJob& job, const std::string& folder, bool includeSubfolders);

// Walks the job's source folder afresh: the file list and the unreadable
// folders are replaced by what the walk finds.
void CollectSourceFolder(BatchJob& job);

// The PDF path a listed file is converted to, by the job's naming options.
std::string DestinationNameFor(const BatchJob& job, const std::string& sourcePath);

// One entry of the job's file list: where it is, and the PDF it becomes
// (empty for a file that is a PDF already, which is never converted).
struct ListedFile {
  std::string sourcePath;
  std::string pdfPath;
};
ListedFile ListedFileAt(const BatchJob& job, const std::string& entry);

// The listed files that ConvertList would convert, in its order: every entry
// but the PDFs already.
std::vector<ListedFile> FilesToConvert(const BatchJob& job);

// Converts every listed file; the result text gets a heading, one line per
// unreadable folder, one line per file and the total. -1 (and nothing done)
// when the job has no destination.
int ConvertList(const ConversionEnvironment& environment, BatchJob& job);
