// Settings files in the Windows private-profile ("ini") form: "[section]"
// lines, "key=value" lines below them, ';' comment lines. Names match without
// regard to ASCII case; the first matching section and key win. Text is 8-bit
// and taken as it is.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace platform {

// Value of key in [section] of an ini file; fallback when the file, section or key is missing. At
// most capacity - 1 characters are returned (a 260-character buffer keeps 259). Blanks around the
// value are dropped and so are quotes (single or double) that enclose it; the fallback loses its
// trailing blanks.
std::string ReadProfileString(const std::string& file, const std::string& section,
                              const std::string& key, const std::string& fallback,
                              std::size_t capacity = 260);

// The value read as an integer: fallback when the key is missing or its value empty; a value whose
// text does not start with a number reads as 0 (leading blanks and a sign allowed; digits stop at
// the first non-digit). Numbers beyond 32 bits wrap modulo 2^32, so an unsigned value written as
// decimal text reads back as the same bits.
int ReadProfileInt(const std::string& file, const std::string& section, const std::string& key,
                   int fallback);

// Writes key=value into [section], replacing the key's line or adding it at the end of the section,
// adding the section at the end of the file, creating the file when missing. False when the file
// cannot be written. The file is written with CR LF line ends and replaced whole, by renaming a
// finished copy into place; other lines keep their text. A value with blanks at either end, or one
// that is itself quoted, is stored in double quotes so that it reads back unchanged. Names or
// values that could not be read back (line breaks, ']' in a section name, '=' in a key, an empty
// key) are refused.
bool WriteProfileString(const std::string& file, const std::string& section, const std::string& key,
                        const std::string& value);

// Keys and values written into one section in order, as WriteProfileString
// would write them one by one, with one rewrite of the file. Nothing is
// written when any of them could not be read back.
using ProfileEntries = std::vector<std::pair<std::string, std::string>>;
bool WriteProfileSection(const std::string& file, const std::string& section,
                         const ProfileEntries& entries);

} // namespace platform
