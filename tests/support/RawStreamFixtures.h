// Bare Group 3 / Group 4 streams for the raw-stream tests, built from the
// TIFF library's encoders (and netpbm's pbmtog3), with the pieces real fax
// files carry between pages: RTC, noise, start markers.
#pragma once

#include "support/TiffFixtures.h"

#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

// The raw strip bytes the TIFF library writes for one page, MSB first.
// coding 5: T.4 1-D with EOLs; 6: T.4 2-D; 7: T.6. fillBits asks for
// byte-aligned EOLs (T4Options bit 2).
std::vector<std::uint8_t> LibTiffStream(const Raster& page, int coding, bool fillBits = false);

// Six EOLs (with tag bit 1 for 2-D), padded with zero bits to a byte; MSB first.
std::vector<std::uint8_t> ReturnToControl(bool twoDimensional);

// Pseudo-random bytes, fixed by the seed.
std::vector<std::uint8_t> RandomBytes(std::size_t count, unsigned seed);

void Append(std::vector<std::uint8_t>& to, const std::vector<std::uint8_t>& bytes);

// The pages one under the other (all of one width).
Raster Stack(const std::vector<Raster>& pages);

// A page with ink everywhere, its first pixel black so that a T.6 encoding
// never begins with white lines (which a start search takes for markers).
Raster InkedPage(std::uint32_t width, std::uint32_t height, unsigned seed);

// pbmtog3's encoding of the page (1728 pixels wide), MSB first or reversed.
std::vector<std::uint8_t> PbmToG3(const Raster& page, bool reverseBits);

// The corpus's received fax with transmission errors (bare T.4 1-D, 1100
// lines up to its RTC): how many rows of a page made from it equal the
// sample TIFF's decode of the same stream. That decode runs on into the next
// line after a few of the bad codes, so a page that keeps every line may be
// up to that many rows ahead of it, never behind.
std::uint32_t ReceivedFaxRowsInPlace(const Raster& page);

} // namespace testing_support
