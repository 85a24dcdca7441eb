// The paths every conversion of the process shares, built once at start-up.
#pragma once

#include "faxengine/ConversionSettings.h"

#include <string>

struct AppPaths {
  std::string executablePath;
  std::string executableFolder;
  std::string workFolder;       // private to this process, removed at exit
  std::string rawImagePath;     // raw-fax page-image work file
  std::string rawSegmentPath;   // raw-fax line-segment work file
  std::string engineTiffPath;   // the engine's intermediate TIFF
  std::string engineOutputPath; // the TIFF the engine writes for a conversion
  std::string copierOutputPath; // the TIFF the page copier writes
  std::string logPath;          // replaced by /log=
  std::string configurationPath;
  std::string windowModulePath; // the window, loaded only in windowed mode
  // Where the log and configuration live when the executable's folder cannot
  // be written; created on first use.
  std::string userFolderToCreate;
};

// Paths beside the executable (or in the user's folders when that folder is
// read-only or an installation's) and in the given private work folder; the work-file paths are
// empty when there is no work folder.
AppPaths BuildPaths(const std::string& executablePath, const std::string& workFolder);

// The settings record with its defaults and the work-file paths.
ConversionSettings DefaultSettings(const AppPaths& paths);

// The folder to create before the log is written: the user's state folder
// when the log is the default one and lives there, else "".
std::string LogFolderToCreate(const AppPaths& paths, const std::string& logPath);
