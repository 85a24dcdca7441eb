// Carrying a single-strip Group 4 image into Group 4 output without
// re-encoding it: the coded bytes are copied as they are, but only when they
// are known good.
#pragma once

#include "tiffcopy/TiffHandle.h"

#include <cstdint>

namespace tiffcopy {

// True when the source image is one strip of Group 4 data and the output,
// as set up, is Group 4 in one strip with the source's FillOrder, so the
// source's coded bytes can stand for the output's.
bool CanCopyGroup4Verbatim(TIFF* in, TIFF* out, std::uint32_t length);

// Decodes the strip to check it: when it yields exactly the image's rows at
// the image's width without a complaint from the decoder, the coded bytes
// are copied unchanged; otherwise the decoded rows (repaired as far as the
// decoder could, zero beyond) are encoded anew. False when writing fails.
bool CopyGroup4Strip(TiffHandle& in, TIFF* out, std::uint32_t length);

} // namespace tiffcopy
