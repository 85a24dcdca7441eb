#include "app/Configuration.h"

#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/PrivateProfile.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace {

constexpr std::size_t kStringCapacity = 260; // keeps 259 characters, as the stored files expect

template <typename Section, typename Field> struct Key {
  const char* name;
  Field Section::*field;
};

// The tables give each section's keys in the order they are written.
constexpr Key<MainSection, std::string> kMainKeys[] = {
    {"FaxDir", &MainSection::FaxDir},
    {"SaveDir", &MainSection::SaveDir},
    {"BakDir", &MainSection::BakDir},
};

// CycleMinutes, unsigned, follows these.
constexpr Key<OptionsSection, int> kOptionKeys[] = {
    {"DirFile", &OptionsSection::DirFile},       {"Subdir", &OptionsSection::Subdir},
    {"Hiberarchy", &OptionsSection::Hiberarchy}, {"KeepDate", &OptionsSection::KeepDate},
    {"KeepExt", &OptionsSection::KeepExt},       {"Cyclely", &OptionsSection::Cyclely},
};

constexpr Key<SettingsSection, int> kSettingKeys[] = {
    {"AutoBit", &SettingsSection::AutoBit},       {"NStdWidth", &SettingsSection::NStdWidth},
    {"MinWidth", &SettingsSection::MinWidth},     {"Threshold", &SettingsSection::Threshold},
    {"FlagNum", &SettingsSection::FlagNum},       {"RawFlag", &SettingsSection::RawFlag},
    {"Recaculate", &SettingsSection::Recaculate},
};

constexpr const char* kMain = "Main";
constexpr const char* kOptions = "Options";
constexpr const char* kSettings = "Settings";
constexpr const char* kCycleMinutes = "CycleMinutes";

using Entries = platform::ProfileEntries;

// Each field starts from the value already in the section, its default.
template <typename Section, std::size_t N>
void ReadInts(const std::string& path, const char* sectionName, const Key<Section, int> (&keys)[N],
              Section& values) {
  for (const auto& key : keys)
    values.*key.field = platform::ReadProfileInt(path, sectionName, key.name, values.*key.field);
}

template <typename Section, std::size_t N>
Entries IntEntries(const Key<Section, int> (&keys)[N], const Section& values) {
  Entries entries;
  for (const auto& key : keys)
    entries.emplace_back(key.name, std::to_string(values.*key.field));
  return entries;
}

bool WriteSection(const std::string& path, const char* sectionName, const Entries& entries) {
  if (!platform::CreateFolderTree(platform::FolderOf(path)))
    return false;
  return platform::WriteProfileSection(path, sectionName, entries);
}

} // namespace

SettingsSection SettingsSectionFrom(const ConversionSettings& settings) {
  SettingsSection section;
  section.AutoBit = settings.AutoBit;
  section.NStdWidth = settings.NStdWidth;
  section.MinWidth = settings.MinWidth;
  section.Threshold = settings.Threshold;
  section.FlagNum = settings.FlagNum;
  section.RawFlag = settings.RawFlag;
  section.Recaculate = settings.Recaculate;
  return section;
}

MainSection LoadMain(const std::string& configurationPath) {
  MainSection main;
  for (const auto& key : kMainKeys)
    main.*key.field =
        platform::ReadProfileString(configurationPath, kMain, key.name, "", kStringCapacity);
  return main;
}

OptionsSection LoadOptions(const std::string& configurationPath) {
  OptionsSection options;
  ReadInts(configurationPath, kOptions, kOptionKeys, options);
  // Read as an int and kept as its bits: "-1" is 4294967295 minutes.
  options.CycleMinutes = static_cast<unsigned>(platform::ReadProfileInt(
      configurationPath, kOptions, kCycleMinutes, static_cast<int>(options.CycleMinutes)));
  return options;
}

SettingsSection LoadSettings(const std::string& configurationPath,
                             const SettingsSection& defaults) {
  SettingsSection settings = defaults;
  ReadInts(configurationPath, kSettings, kSettingKeys, settings);
  return settings;
}

bool SaveMain(const std::string& configurationPath, const MainSection& main) {
  Entries entries;
  for (const auto& key : kMainKeys)
    entries.emplace_back(key.name, main.*key.field);
  return WriteSection(configurationPath, kMain, entries);
}

bool SaveOptions(const std::string& configurationPath, const OptionsSection& options) {
  Entries entries = IntEntries(kOptionKeys, options);
  entries.emplace_back(kCycleMinutes, std::to_string(options.CycleMinutes));
  return WriteSection(configurationPath, kOptions, entries);
}

bool SaveSettings(const std::string& configurationPath, const SettingsSection& settings) {
  return WriteSection(configurationPath, kSettings, IntEntries(kSettingKeys, settings));
}

void ApplySettings(const SettingsSection& section, int resolutionIndex,
                   ConversionSettings& settings) {
  // Narrowing conversions keep the low bits (modular since C++20).
  settings.AutoBit = static_cast<std::uint8_t>(section.AutoBit);
  settings.NStdWidth = static_cast<std::uint8_t>(section.NStdWidth);
  settings.MinWidth = static_cast<std::int16_t>(section.MinWidth);
  settings.Threshold = static_cast<std::uint16_t>(section.Threshold);
  settings.FlagNum = static_cast<std::uint8_t>(section.FlagNum);
  settings.RawFlag = static_cast<std::uint8_t>(section.RawFlag);
  settings.Recaculate = static_cast<std::uint8_t>(section.Recaculate);
  if (resolutionIndex >= 0)
    settings.verticalResolution =
        static_cast<std::uint16_t>(100u * static_cast<unsigned>(resolutionIndex));
}
