#include "platform/Paths.h"

#include <cstdlib>
#include <filesystem>
#include <unistd.h>
#include <vector>

namespace platform {

std::string ExecutablePath() {
  std::error_code error;
  auto path = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string() : path.string();
}

std::string FolderOf(const std::string& path) {
  auto cut = path.rfind(kSeparator);
  return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

std::string FileNameOf(const std::string& path) {
  auto cut = path.rfind(kSeparator);
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string WithoutTrailingSeparators(const std::string& folder) {
  const auto last = folder.find_last_not_of(kSeparator);
  if (last == std::string::npos)
    return folder.empty() ? folder : std::string(1, kSeparator);
  return folder.substr(0, last + 1);
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty())
    return name;
  return folder.back() == kSeparator ? folder + name : folder + kSeparator + name;
}

static std::string EnvironmentValue(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::string(value) : std::string();
}

std::string TempFolder() {
  std::string folder = EnvironmentValue("TMPDIR");
  if (folder.empty())
    folder = "/tmp";
  if (folder.back() != kSeparator)
    folder += kSeparator;
  return folder;
}

static std::string XdgFolder(const char* variable, const char* homeRelative) {
  std::string base = EnvironmentValue(variable);
  // The XDG rules ignore relative values.
  if (base.empty() || base.front() != '/')
    base = EnvironmentValue("HOME") + homeRelative;
  return base + "/tarvelo";
}

std::string UserConfigFolder() { return XdgFolder("XDG_CONFIG_HOME", "/.config"); }

std::string UserStateFolder() { return XdgFolder("XDG_STATE_HOME", "/.local/state"); }

bool IsFolderWritable(const std::string& folder) {
  return ::access(folder.c_str(), W_OK | X_OK) == 0;
}

std::string CreatePrivateWorkFolder() {
  std::string pattern = TempFolder() + "tarvelo-XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (!::mkdtemp(buffer.data()))
    return {};
  return std::string(buffer.data());
}

} // namespace platform
