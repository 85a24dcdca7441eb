#include "app/AppPaths.h"

#include "platform/FileSystem.h"
#include "platform/Paths.h"

namespace {

// Installed, the window lives in the package's private library folder; in
// the build tree, beside the program.
std::string WindowModulePath(const std::string& executableFolder) {
  const std::string installed = executableFolder + "/../lib/tarvelo/libtarvelo_gui.so";
  if (platform::IsRegularFile(installed))
    return installed;
  return executableFolder + "/libtarvelo_gui.so";
}

// An installed program ("bin" beside "share/doc/tarvelo") keeps no files in
// its own folder, even when its user (root) could write there.
bool IsInstalled(const std::string& executableFolder) {
  return platform::IsFolder(executableFolder + "/../share/doc/tarvelo");
}

} // namespace

AppPaths BuildPaths(const std::string& executablePath, const std::string& workFolder) {
  AppPaths paths;
  paths.executablePath = executablePath;
  paths.executableFolder = platform::FolderOf(executablePath);
  paths.workFolder = workFolder;
  paths.windowModulePath = WindowModulePath(paths.executableFolder);
  // Without a work folder the work paths stay empty, never names in "/".
  if (!workFolder.empty()) {
    const std::string work = workFolder + platform::kSeparator;
    paths.rawImagePath = work + "kvttmp.tmp";
    paths.rawSegmentPath = work + "kvtseg.tmp";
    paths.engineTiffPath = work + "kvttif.tmp";
    paths.engineOutputPath = work + "kvtintif.tmp";
    paths.copierOutputPath = work + "kvtcptif.tmp";
  }

  if (platform::IsFolderWritable(paths.executableFolder) &&
      !IsInstalled(paths.executableFolder)) {
    paths.logPath = paths.executableFolder + "/log/kvtlog.txt";
    paths.configurationPath = paths.executableFolder + "/mirelda.ini";
  } else {
    paths.logPath = platform::UserStateFolder() + "/log/kvtlog.txt";
    paths.configurationPath = platform::UserConfigFolder() + "/mirelda.ini";
    paths.userFolderToCreate = platform::UserStateFolder();
  }
  return paths;
}

ConversionSettings DefaultSettings(const AppPaths& paths) {
  ConversionSettings settings;
  settings.rawImagePath = paths.rawImagePath;
  settings.rawSegmentPath = paths.rawSegmentPath;
  settings.engineTiffPath = paths.engineTiffPath;
  return settings;
}

std::string LogFolderToCreate(const AppPaths& paths, const std::string& logPath) {
  return logPath == paths.logPath ? paths.userFolderToCreate : std::string();
}
