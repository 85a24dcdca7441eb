// The window's choices kept between runs in "mirelda.ini": the Convert page's
// folders ("Main"), the Options page ("Options") and the raw-fax settings
// ("Settings"). Field names are the stored key names.
#pragma once

#include "faxengine/ConversionSettings.h"

#include <string>

struct MainSection {
  std::string FaxDir, SaveDir, BakDir;
  friend bool operator==(const MainSection&, const MainSection&) = default;
};

struct OptionsSection {
  int DirFile = 0, Subdir = 0, Hiberarchy = 0, KeepDate = 0, KeepExt = 1, Cyclely = 0;
  unsigned CycleMinutes = 60;
  friend bool operator==(const OptionsSection&, const OptionsSection&) = default;
};

struct SettingsSection {
  int AutoBit = 0, NStdWidth = 1, MinWidth = 1728, Threshold = 50, FlagNum = 3, RawFlag = 0,
      Recaculate = 0;
  friend bool operator==(const SettingsSection&, const SettingsSection&) = default;
};

// The values the settings record holds, as the Settings page's defaults.
SettingsSection SettingsSectionFrom(const ConversionSettings& settings);

// Missing files and keys read as the defaults; strings are cut to 259 characters.
MainSection LoadMain(const std::string& configurationPath);
OptionsSection LoadOptions(const std::string& configurationPath);
SettingsSection LoadSettings(const std::string& configurationPath, const SettingsSection& defaults);

// Each writes every key of its section, in the stored order; the configuration file's folder is
// created when missing (it may be $XDG_CONFIG_HOME/tarvelo). False when a key could not be
// written; callers may ignore it.
bool SaveMain(const std::string& configurationPath, const MainSection& main);
bool SaveOptions(const std::string& configurationPath, const OptionsSection& options);
bool SaveSettings(const std::string& configurationPath, const SettingsSection& settings);

// Stores the section into the process's settings, truncated to each field's width (Threshold and
// MinWidth 16 bits, the others 8 bits); resolutionIndex >= 0 sets verticalResolution to
// 100 x index, -1 leaves it.
void ApplySettings(const SettingsSection& section, int resolutionIndex,
                   ConversionSettings& settings);
