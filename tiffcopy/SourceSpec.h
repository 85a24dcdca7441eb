// The source of a copy: a TIFF path, optionally followed by an image list,
// "," and a directory number repeated ("fax.tif,0,2" copies directories 0
// and 2). Numbers read like C's strtol with base 0; an empty number means
// the current directory; a "," at the very end ends the list.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tiffcopy {

struct SourceSpec {
  std::string path;
  // Directory numbers in order; nothing = the current directory. Empty
  // when every image is to be copied.
  std::vector<std::optional<long>> images;
  // The list after the path could not be read; nothing is to be copied.
  bool malformed = false;
};

// A path naming an existing file is taken whole, commas and all. Otherwise
// the list starts at the first "," whose text before it names an existing
// file, or at the first "," when none does (the open then fails).
SourceSpec ParseSourceSpec(const std::string& spec);

} // namespace tiffcopy
