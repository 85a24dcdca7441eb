#include "tiffcopy/TiffCopier.h"

// Placeholder until the page copier lands: every request fails.
int CopyTiffImages(const std::string&, const std::string&, const CopyOptions&) { return -1; }
