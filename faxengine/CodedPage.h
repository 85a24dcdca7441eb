// How a page of coded fax data that a reader has decoded goes into the
// engine's TIFF.
#pragma once

#include "faxengine/FaxTiffWriter.h"
#include "faxformats/FaxDecoder.h"

#include <cstdint>
#include <span>
#include <vector>

// Fills page's coding, fill order, size and data from the decoding of coded
// (the decoder's last page, decoded into raster): the coded bytes unchanged
// when every line decoded; the decoded rows when a T.4 page lost lines to
// errors (line noise of a fax call: the lines around them are good, and the
// coded bytes would show the damage differently in every viewer). False when
// a T.6 page lost lines, or nothing decoded: what follows the error is gone,
// so the page cannot be written whole. Resolutions are left to the caller.
bool PageFromDecoding(const FaxDecoder& decoder, const PageRaster& raster,
                      std::span<const std::uint8_t> coded, FaxTiffPage& page);

// Fills page with the raster's rows uncompressed (white a 1 bit), its size
// and resolutions.
void PageOfRows(const PageRaster& raster, FaxTiffPage& page);

// Fills page from rows a reader decoded itself (white a 1 bit): PackBits
// coded into encoded when that fits in the rows' own size, else the rows
// uncompressed. Size and resolutions come from the raster.
void PageFromRows(const PageRaster& raster, std::vector<std::uint8_t>& encoded, FaxTiffPage& page);
