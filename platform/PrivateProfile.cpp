#include "platform/PrivateProfile.h"

#include "platform/FileSystem.h"
#include "platform/TemporaryFile.h"

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform {

namespace {

using Lines = std::vector<std::string>; // line texts without their line ends

// Where one section lies: its header line and one past its last line.
struct SectionSpan {
  std::size_t header;
  std::size_t end;
};

struct KeyLine {
  std::string_view key;
  std::string_view value;
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && IsBlank(text.front()))
    text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back()))
    text.remove_suffix(1);
  return text;
}

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Names in the file are read without their blanks; so are the names asked for.
bool SameName(std::string_view a, std::string_view b) {
  a = Trimmed(a);
  b = Trimmed(b);
  if (a.size() != b.size())
    return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (AsciiLower(a[i]) != AsciiLower(b[i]))
      return false;
  return true;
}

// As the Windows service does with its default string.
std::string WithoutTrailingBlanks(std::string text) {
  while (!text.empty() && IsBlank(text.back()))
    text.pop_back();
  return text;
}

bool IsQuoted(std::string_view text) {
  return text.size() >= 2 && text.front() == text.back() &&
         (text.front() == '"' || text.front() == '\'');
}

std::string_view Unquoted(std::string_view text) {
  return IsQuoted(text) ? text.substr(1, text.size() - 2) : text;
}

bool IsComment(std::string_view line) { return Trimmed(line).starts_with(';'); }

std::optional<std::string_view> SectionNameOf(std::string_view line) {
  line = Trimmed(line);
  const auto close = line.find(']');
  if (!line.starts_with('[') || close == std::string_view::npos)
    return std::nullopt;
  return Trimmed(line.substr(1, close - 1));
}

// A key line is any line with '=' that is neither a comment nor a header.
std::optional<KeyLine> KeyLineOf(std::string_view line) {
  const auto equals = line.find('=');
  if (equals == std::string_view::npos || IsComment(line) || SectionNameOf(line))
    return std::nullopt;
  return KeyLine{Trimmed(line.substr(0, equals)), Trimmed(line.substr(equals + 1))};
}

Lines SplitLines(const std::string& content) {
  Lines lines;
  for (std::size_t start = 0; start < content.size();) {
    std::size_t end = content.find('\n', start);
    if (end == std::string::npos)
      end = content.size();
    std::size_t stop = end;
    if (stop > start && content[stop - 1] == '\r')
      --stop;
    lines.emplace_back(content, start, stop - start);
    start = end + 1;
  }
  return lines;
}

std::string JoinWithCrLf(const Lines& lines) {
  std::string text;
  for (const std::string& line : lines)
    text += line + "\r\n";
  return text;
}

// The file's text; "" when it does not exist, nothing when it exists but
// cannot be read (so that a writer never replaces what it could not see).
std::optional<std::string> ReadContent(const std::string& file) {
  const FileKind kind = KindOf(file);
  if (kind == FileKind::Missing)
    return std::string();
  std::ifstream in(file, std::ios::binary);
  if (kind != FileKind::Regular || !in)
    return std::nullopt;
  std::string content{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (in.bad())
    return std::nullopt;
  return content;
}

std::optional<SectionSpan> FindSection(const Lines& lines, std::string_view section) {
  for (std::size_t i = 0; i < lines.size(); ++i) {
    auto name = SectionNameOf(lines[i]);
    if (!name || !SameName(*name, section))
      continue;
    std::size_t end = i + 1;
    while (end < lines.size() && !SectionNameOf(lines[end]))
      ++end;
    return SectionSpan{i, end};
  }
  return std::nullopt;
}

std::optional<std::size_t> FindKey(const Lines& lines, SectionSpan span, std::string_view key) {
  for (std::size_t i = span.header + 1; i < span.end; ++i) {
    auto entry = KeyLineOf(lines[i]);
    if (entry && SameName(entry->key, key))
      return i;
  }
  return std::nullopt;
}

// Where a new key goes: after the section's last line that is neither blank
// nor a comment, so that blank lines and a comment heading the next section
// stay in front of that section.
std::size_t InsertionPoint(const Lines& lines, SectionSpan span) {
  std::size_t at = span.header + 1;
  for (std::size_t i = at; i < span.end; ++i)
    if (!Trimmed(lines[i]).empty() && !IsComment(lines[i]))
      at = i + 1;
  return at;
}

std::optional<std::string> FindValue(const std::string& file, const std::string& section,
                                     const std::string& key) {
  const auto content = ReadContent(file);
  if (!content)
    return std::nullopt;
  const Lines lines = SplitLines(*content);
  const auto span = FindSection(lines, section);
  const auto at = span ? FindKey(lines, *span, key) : std::nullopt;
  if (!at)
    return std::nullopt;
  return std::string(Unquoted(KeyLineOf(lines[*at])->value));
}

// Digits accumulate in unsigned 32-bit arithmetic, which wraps instead of
// overflowing; the result converts to int modulo 2^32.
int LeadingInteger(std::string_view text) {
  text = Trimmed(text);
  const bool negative = text.starts_with('-');
  if (negative || text.starts_with('+'))
    text.remove_prefix(1);
  std::uint32_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9')
      break;
    value = value * 10u + static_cast<std::uint32_t>(c - '0');
  }
  return static_cast<int>(negative ? 0u - value : value);
}

bool HasLineBreak(std::string_view text) { return text.find_first_of("\r\n") != text.npos; }

// A key that starts like a comment or a section header would read as one.
bool CanBeReadBack(const std::string& section, const std::string& key, const std::string& value) {
  const std::string_view name = Trimmed(key);
  return !name.empty() && !name.starts_with(';') && !name.starts_with('[') &&
         !HasLineBreak(section) && !HasLineBreak(key) && !HasLineBreak(value) &&
         section.find(']') == std::string::npos && key.find('=') == std::string::npos;
}

// Reading trims blanks and then drops enclosing quotes; quoting such values
// keeps them whole.
std::string StoredForm(const std::string& value) {
  const bool needsQuotes =
      !value.empty() && (IsBlank(value.front()) || IsBlank(value.back()) || IsQuoted(value));
  return needsQuotes ? '"' + value + '"' : value;
}

// The new file keeps the old one's permissions, is flushed to the disk and
// only then renamed over it: a crash leaves the old file or the new one.
bool ReplaceFile(const std::string& file, const std::string& text) {
  TemporaryFile temporary = CreateTemporaryBeside(file);
  if (temporary.file == nullptr)
    return false;
  struct stat old {};
  const int fd = ::fileno(temporary.file);
  bool written = std::fwrite(text.data(), 1, text.size(), temporary.file) == text.size() &&
                 std::fflush(temporary.file) == 0 &&
                 (::stat(file.c_str(), &old) != 0 || ::fchmod(fd, old.st_mode & 07777) == 0) &&
                 ::fsync(fd) == 0;
  written = std::fclose(temporary.file) == 0 && written;
  if (written && std::rename(temporary.path.c_str(), file.c_str()) == 0)
    return true;
  RemoveFileQuietly(temporary.path);
  return false;
}

// Replaces the key's line in the section, or adds it at the section's end,
// or adds the section at the end of the file.
void PutEntry(Lines& lines, const std::string& section, const std::string& key,
              const std::string& value) {
  std::string entry = key + "=" + StoredForm(value);
  if (const auto span = FindSection(lines, section)) {
    if (const auto at = FindKey(lines, *span, key))
      lines[*at] = std::move(entry);
    else
      lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(InsertionPoint(lines, *span)),
                   std::move(entry));
  } else {
    if (!lines.empty() && !Trimmed(lines.back()).empty())
      lines.emplace_back();
    lines.push_back("[" + section + "]");
    lines.push_back(std::move(entry));
  }
}

} // namespace

std::string ReadProfileString(const std::string& file, const std::string& section,
                              const std::string& key, const std::string& fallback,
                              std::size_t capacity) {
  std::string value = FindValue(file, section, key).value_or(WithoutTrailingBlanks(fallback));
  if (value.size() >= capacity)
    value.resize(capacity == 0 ? 0 : capacity - 1);
  return value;
}

int ReadProfileInt(const std::string& file, const std::string& section, const std::string& key,
                   int fallback) {
  const auto value = FindValue(file, section, key);
  if (!value || value->empty())
    return fallback;
  return LeadingInteger(*value);
}

bool WriteProfileString(const std::string& file, const std::string& section, const std::string& key,
                        const std::string& value) {
  return WriteProfileSection(file, section, {{key, value}});
}

bool WriteProfileSection(const std::string& file, const std::string& section,
                         const ProfileEntries& entries) {
  for (const auto& [key, value] : entries)
    if (!CanBeReadBack(section, key, value))
      return false;
  const auto content = ReadContent(file);
  if (!content)
    return false;
  Lines lines = SplitLines(*content);
  for (const auto& [key, value] : entries)
    PutEntry(lines, section, key, value);
  return ReplaceFile(file, JoinWithCrLf(lines));
}

} // namespace platform
