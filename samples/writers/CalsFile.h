// CALS Type 1 raster files (MIL-R-28002): a header of sixteen 128-byte text
// records followed by one page of T.6 coded data.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// The header records a CALS writer puts in their fixed order, for a page of
// the given size and density: "rtype: 1", "rorient: 000,270" (the upright
// page), "rpelcnt: <width>,<lines>" and "rdensty: <dpi>" among them, numbers
// zero-padded as writers commonly do.
std::vector<std::string> CalsRecords(std::uint32_t width, std::uint32_t lines,
                                     std::uint32_t density);

// The file: each record blank-padded (or cut) to 128 bytes, blank records up
// to sixteen, then the coded page as given.
std::vector<std::uint8_t> CalsFile(const std::vector<std::string>& records,
                                   std::span<const std::uint8_t> codedPage);
