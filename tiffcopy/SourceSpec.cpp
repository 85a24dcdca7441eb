#include "tiffcopy/SourceSpec.h"

#include "platform/FileSystem.h"

#include <cerrno>
#include <cstdlib>

namespace tiffcopy {
namespace {

std::size_t ListStart(const std::string& spec) {
  if (platform::IsRegularFile(spec))
    return std::string::npos;
  for (std::size_t comma = spec.find(','); comma != std::string::npos;
       comma = spec.find(',', comma + 1)) {
    if (platform::IsRegularFile(spec.substr(0, comma)))
      return comma;
  }
  return spec.find(',');
}

// Reads the entries of a list that starts just after a ","; false when an
// entry is followed by anything but "," or the end.
bool ReadImageList(const char* text, std::vector<std::optional<long>>& images) {
  while (*text != '\0') {
    char* end = nullptr;
    errno = 0;
    const long number = std::strtol(text, &end, 0);
    if (end == text)
      images.push_back(std::nullopt);
    else
      images.push_back(errno == ERANGE ? -1 : number); // out of range: never found
    if (*end == '\0')
      return true;
    if (*end != ',')
      return false;
    text = end + 1;
  }
  return true;
}

} // namespace

SourceSpec ParseSourceSpec(const std::string& spec) {
  SourceSpec source;
  const std::size_t comma = ListStart(spec);
  if (comma == std::string::npos) {
    source.path = spec;
    return source;
  }
  source.path = spec.substr(0, comma);
  const std::string list = spec.substr(comma + 1);
  source.malformed = !ReadImageList(list.c_str(), source.images);
  if (source.malformed)
    source.images.clear();
  return source;
}

} // namespace tiffcopy
