#include "faxengine/IdentifyFormat.h"

#include "platform/FileSystem.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <string_view>

namespace {

constexpr int kContentTest = -100; // the "g3f" rule: decided by the first bytes

struct ExtensionRule {
  std::initializer_list<std::string_view> patterns;
  int format;
};

// Tested in order; the first rule with a pattern that begins the extension
// decides, so "tif" also takes "tiff" and "tifx", and "ds" takes "ds1".
const ExtensionRule kRules[] = {
    {{"tif", "tiff"}, fax_format::kOrdinaryTiff},
    {{"fmf"}, 10},
    {{"fxd", "fxm", "fxr", "fxs"}, 11},
    {{"awd"}, 3},
    {{"apf"}, 1},
    {{"bfx"}, 4},
    {{"dcx"}, 7},
    {{"bmp"}, 5},
    {{"cal", "cg4", "gp4", "img", "mil", "oda", "ras", "cals"}, 6},
    {{"ig4"}, 13},
    {{"qfx"}, 14},
    {{"g3n"}, 17},
    {{"g3f"}, kContentTest},
    {{"ds"}, 8},
    {{"ed"}, 9},
    {{"kvr"}, 18},
    {{"sys", "dll", "bat", "lnk", "txt", "zip", "rar", "db"}, fax_format::kExcluded},
};

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool BeginsWithIgnoringCase(std::string_view text, std::string_view pattern) {
  if (text.size() < pattern.size())
    return false;
  for (size_t i = 0; i < pattern.size(); ++i)
    if (LowerAscii(text[i]) != pattern[i])
      return false;
  return true;
}

// The text after the last dot anywhere in the path; without any dot, the
// path's last two characters (the whole path when shorter).
std::string_view ExtensionOf(std::string_view path) {
  auto dot = path.rfind('.');
  if (dot != std::string_view::npos)
    return path.substr(dot + 1);
  return path.size() <= 2 ? path : path.substr(path.size() - 2);
}

// A "g3f" file is a TIFF-like fax when its header has the shape of a
// little-endian TIFF (bytes 2 and 3 are 0x2A 0x00, whatever the mark, so fax
// programs' "FF" files pass) or is a big-endian "MM" TIFF header; a PC
// Research fax when "PC Research, Inc" stands at offset 1; else a bare stream.
int G3fFormatByContent(const std::string& path) {
  // Only regular files are opened: a FIFO would block the walk.
  if (!platform::IsRegularFile(path))
    return fax_format::kRaw;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file)
    return fax_format::kRaw;
  std::array<unsigned char, 18> head{};
  std::fread(head.data(), 1, head.size(), file);
  std::fclose(file);
  const bool littleEndianTiff = head[2] == 0x2A && head[3] == 0;
  const bool bigEndianTiff = head[0] == 'M' && head[1] == 'M' && head[2] == 0 && head[3] == 0x2A;
  if (littleEndianTiff || bigEndianTiff)
    return 17;
  if (std::memcmp(head.data() + 1, "PC Research, Inc", 16) == 0)
    return 12;
  return fax_format::kRaw;
}

} // namespace

int IdentifyFormat(const std::string& path) {
  std::string_view extension = ExtensionOf(path);
  for (const auto& rule : kRules)
    for (std::string_view pattern : rule.patterns)
      if (BeginsWithIgnoringCase(extension, pattern))
        return rule.format == kContentTest ? G3fFormatByContent(path) : rule.format;
  return fax_format::kRaw;
}
