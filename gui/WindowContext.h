// What the window's pages share: where the configuration and the log are,
// the work files a conversion uses, the settings, and the stages that
// convert (the real ones, or doubles in tests).
#pragma once

#include "batch/ConversionStages.h"
#include "gui/SharedSettings.h"

#include <string>

struct WindowContext {
  std::string executablePath;
  std::string configurationPath;
  std::string logPath;
  std::string logFolderToCreate; // the user's state folder when the log lives there
  std::string engineOutputPath;
  std::string copierOutputPath;
  SharedSettings& settings;
  ConversionStages& stages;
};
