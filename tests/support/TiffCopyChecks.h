// Checks for TIFF files written by the page copier: decoded samples of any
// layout read back through the TIFF library, tag reads, and byte-level
// patches that damage a little-endian fixture in a controlled way.
#pragma once

#include <cstdint>
#include <string>
#include <tiffio.h>
#include <vector>

namespace testing_support {

// One directory of a TIFF, opened for reading; throws when it cannot be.
class OpenTiff {
public:
  OpenTiff(const std::string& path, int directory = 0);
  ~OpenTiff();
  OpenTiff(const OpenTiff&) = delete;
  OpenTiff& operator=(const OpenTiff&) = delete;
  TIFF* get() const { return tiff_; }
  std::uint16_t u16(ttag_t tag) const; // defaulted; 0 when there is no default
  std::uint32_t u32(ttag_t tag) const;
  std::string text(ttag_t tag) const; // "" when absent

private:
  TIFF* tiff_ = nullptr;
};

// Decoded samples of one directory, planes back to back, rows packed: the
// layout of TiffPageSpec::samples.
struct DecodedSamples {
  std::uint32_t width = 0, height = 0;
  std::uint16_t bitsPerSample = 0, samplesPerPixel = 0, planarConfig = 0;
  std::vector<std::uint8_t> bytes;
};
DecodedSamples ReadDecodedSamples(const std::string& path, int directory = 0);

int CountDirectories(const std::string& path);

// Patches of a little-endian classic TIFF held in memory. The directory is
// found by following the chain from the header.
std::size_t DirectoryOffset(const std::vector<std::uint8_t>& file, int directory);
// Rewrites the value field of a tag whose value sits in its entry (one SHORT
// or LONG); the type is set to LONG. Throws when the tag is absent.
void PatchTagValue(std::vector<std::uint8_t>& file, int directory, std::uint16_t tag,
                   std::uint32_t value);
// Hides a tag from readers: its entry gets an unknown private tag number.
void HideTag(std::vector<std::uint8_t>& file, int directory, std::uint16_t tag);
// The file with the one strip of its first directory replaced by other
// coded bytes (appended at its end).
std::vector<std::uint8_t> WithStrip(const std::vector<std::uint8_t>& file,
                                    const std::vector<std::uint8_t>& strip);
void PatchNextDirectory(std::vector<std::uint8_t>& file, int directory, std::uint32_t offset);
std::vector<std::uint8_t> ReadBytes(const std::string& path);

// Deterministic sample bytes for non-bilevel fixtures.
std::vector<std::uint8_t> PatternBytes(std::size_t count, unsigned seed = 7);

} // namespace testing_support
