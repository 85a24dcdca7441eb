#include "app/ResultLog.h"

#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"

namespace {

std::string WithCrLfLineEnds(const std::string& text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))
      out += '\r';
    out += text[i];
  }
  return out;
}

} // namespace

std::string FormatLogEntry(const std::tm& localTime, const std::string& text) {
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S\n", &localTime);
  return WithCrLfLineEnds(stamp + text + std::string(50, '-') + "\n");
}

void AppendLog(const std::string& logPath, const std::string& text) {
  if (logPath.empty())
    return;
  const std::string folder = platform::FolderOf(logPath);
  if (!folder.empty() && !platform::IsFolder(folder) && !platform::CreateFolder(folder))
    return;
  // One write of the whole entry, so entries of concurrent runs never mix.
  platform::AppendToFile(logPath, FormatLogEntry(platform::LocalNow(), text));
}
