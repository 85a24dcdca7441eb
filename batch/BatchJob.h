// One conversion request: what to convert, where to, how, and what happened.
#pragma once

#include "tiffcopy/TiffCopier.h"

#include <string>
#include <vector>

struct BatchJob {
  bool keepDate = false;          // /l: the PDF receives the source's file times
  bool quiet = false;             // /q: no result message
  bool keepExtension = false;     // /ke: "a.g3" becomes "a.g3.pdf"
  bool includeSubfolders = false; // /i
  bool keepHierarchy = false;     // /kh
  enum class Mode { None = 0, Folder = 1, File = 2 } mode = Mode::None;
  bool skipExisting = false; // set by the window's automatic conversion
  std::string filter = "*.*";
  std::string source;
  std::string destination;
  std::string backupFolder;
  std::string resultText;
  std::vector<std::string> fileList;
  std::vector<std::string> unreadableFolders; // met by the folder walk, each reported
  CopyOptions copyOptions;

  // What the run amounted to, for the command line's exit code.
  int pdfsWritten = 0;
  int faxFailures = 0; // recognised (or TIFF) documents that gave no PDF
};
