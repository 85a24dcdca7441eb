// Copying the current image of a source TIFF into the current (new)
// directory of the output: its tags, then its pixels.
#pragma once

#include "tiffcopy/ImageSettings.h"
#include "tiffcopy/TiffHandle.h"

namespace tiffcopy {

// False when the image cannot be copied (too large for the limits, a codec
// the library cannot decode, an output the encoder refuses) or a write
// fails. The output directory is not written here.
bool CopyImage(TiffHandle& in, TIFF* out, const ImageSettings& settings);

} // namespace tiffcopy
