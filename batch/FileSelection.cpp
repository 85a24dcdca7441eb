#include "batch/FileSelection.h"

#include "platform/Paths.h"

namespace {

std::vector<std::string> SplitWords(const std::string& text) {
  std::vector<std::string> words;
  std::size_t at = 0;
  while (at < text.size()) {
    if (text[at] == ' ') {
      ++at;
      continue;
    }
    const bool quoted = text[at] == '"';
    const std::size_t start = quoted ? at + 1 : at;
    std::size_t end = text.find(quoted ? '"' : ' ', start);
    if (end == std::string::npos)
      end = text.size();
    if (end > start)
      words.push_back(text.substr(start, end - start));
    at = quoted ? end + 1 : end;
  }
  return words;
}

std::string Quoted(const std::string& word) {
  return word.find(' ') == std::string::npos ? word : '"' + word + '"';
}

// The deepest folder holding every path; "" when they share none.
std::string CommonFolder(const std::vector<std::string>& paths) {
  std::string folder = platform::FolderOf(paths.front());
  for (const std::string& path : paths)
    while (!folder.empty() && !path.starts_with(platform::JoinPath(folder, "")))
      folder = platform::FolderOf(folder);
  return folder;
}

} // namespace

FileSelection ParseFileSelection(const std::string& text) {
  std::vector<std::string> words = SplitWords(text);
  if (words.empty())
    return {};
  if (words.size() == 1)
    return {platform::FolderOf(words.front()), {platform::FileNameOf(words.front())}};
  FileSelection selection{words.front(), {}};
  selection.names.assign(words.begin() + 1, words.end());
  return selection;
}

std::string FileSelectionText(const std::vector<std::string>& paths) {
  if (paths.empty())
    return {};
  if (paths.size() == 1)
    return Quoted(paths.front());
  const std::string folder = CommonFolder(paths);
  std::string text = Quoted(folder.empty() ? std::string(1, platform::kSeparator) : folder);
  const std::size_t nameStart = folder.size() + 1;
  for (const std::string& path : paths)
    text += ' ' + Quoted(path.substr(nameStart));
  return text;
}
