// Which fax format a file is to be read as, decided from its name (and, for
// one extension, its first bytes).
#pragma once

#include <string>

namespace fax_format {
constexpr int kRaw = 0; // no recognised format: a bare Group 3/Group 4 stream
constexpr int kOrdinaryTiff = 16;
constexpr int kExcluded = -2; // never a fax: folder walks leave it out
} // namespace fax_format

// A FaxFormat number: 1, 3..14, 17, 18 for the engine's readers, 16 for an
// ordinary TIFF, 0 for anything else, -2 for names that are never faxes.
int IdentifyFormat(const std::string& path);
