// Copying tags from a source image to the output image, each with the value
// type the TIFF library hands out for it. A tag the source lacks is left out.
#pragma once

#include <cstdint>
#include <tiffio.h>

namespace tiffcopy {

// The descriptive tags every copied image carries over: SubfileType,
// Threshholding, the texts (DocumentName, ImageDescription, Make, Model,
// PageName, Software, DateTime, Artist, HostComputer, TargetPrinter), sample
// ranges, resolution and position, colorimetry, halftoning, ink set and the
// YCbCr parameters.
void CopyDescriptiveTags(TIFF* in, TIFF* out);

// ExtraSamples; set before anything whose size depends on the colour samples.
void CopyExtraSamples(TIFF* in, TIFF* out);

// TransferFunction (only for at most four samples per pixel) and ColorMap.
void CopyColourTables(TIFF* in, TIFF* out, std::uint16_t samplesPerPixel);

// The fax codec's bookkeeping tags (BadFaxLines, CleanFaxData,
// ConsecutiveBadFaxLines, FaxRecvParams, FaxRecvTime, FaxSubAddress), for
// Group 3 and Group 4 output; Group4Options too for Group 4 output.
void CopyFaxTags(TIFF* in, TIFF* out, bool group4Output);

// The ICC profile, NumberOfInks with InkNames, and PageNumber.
void CopyProfileInksAndPageNumber(TIFF* in, TIFF* out);

// Sets tag to the source's 16-bit value when the source has one.
void CopyShortTag(TIFF* in, TIFF* out, ttag_t tag);

} // namespace tiffcopy
