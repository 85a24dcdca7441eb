// The window's "Convert File(s)" source text: a folder followed by the names
// of the chosen files, or one file's full path. Names with blanks are written
// in double quotes ("/faxes/in" "a b.g3" c.g3); unquoted text reads as before,
// one name per blank-separated word.
#pragma once

#include <string>
#include <vector>

struct FileSelection {
  std::string folder;
  std::vector<std::string> names; // relative to the folder
};

// The folder and names a source text holds; a text of one name is a full
// path, split at its last separator. Empty words are no names.
FileSelection ParseFileSelection(const std::string& text);

// The source text for chosen files (full paths): one path as it is, several
// as their common folder followed by their paths below it.
std::string FileSelectionText(const std::vector<std::string>& paths);
