// What start-up hands the window module (libtarvelo_gui.so), which it loads
// only in windowed mode so that a command-line run never loads a GUI toolkit.
// The module is built with the program and takes the program's own copies of
// the shared code (quorren exports them), so one C++ struct is the contract.
#pragma once

#include "app/AppPaths.h"
#include "faxengine/ConversionSettings.h"

#include <string>

struct WindowRequest {
  const AppPaths& paths;
  std::string logPath;            // the log, or the /log= path
  ConversionSettings& settings;   // the process's record, command-line options applied
};

// The module's one entry point, found by this name: runs the window until it
// closes and returns the process exit code.
inline constexpr char kRunWindowSymbol[] = "TarveloRunWindow";
using RunWindowFunction = int (*)(const WindowRequest* request);
