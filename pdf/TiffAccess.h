// How the PDF writer uses the TIFF library: every handle is opened with a cap
// on single allocations and with handlers that drop the library's messages
// (no diagnostic of the library reaches the user; callers learn of failures
// from results only).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include <tiffio.h>

namespace pdf {

// Limits for pages the writer accepts. They are far beyond any fax or scan
// (an A0 sheet at 1200 dpi is about 40000 x 56000 pixels) and keep a hostile
// header from asking for unbounded memory or output.
struct TiffLimits {
  // Largest allocation the TIFF library may make for one request.
  static constexpr std::size_t kMaxSingleAllocation = 256u << 20;
  // Largest width or length of a page in pixels.
  static constexpr std::uint32_t kMaxPageSide = 1u << 20;
  // Largest decoded page (or plane set) held in memory at once, in bytes.
  static constexpr std::uint64_t kMaxPageBytes = 256u << 20;
  // Most tiles a page may have (two PDF objects each).
  static constexpr std::uint32_t kMaxTilesPerPage = 1u << 16;
  // Most directories a document may have (page numbers are 16-bit).
  static constexpr std::uint32_t kMaxDirectories = 65535;
};

struct TiffCloser {
  void operator()(TIFF* tiff) const;
};
using TiffHandle = std::unique_ptr<TIFF, TiffCloser>;

// Opens a TIFF for reading under the limits; null when it cannot be read.
TiffHandle OpenTiffForReading(const std::string& path);

// What reading the directory after the current one found.
enum class NextDirectory { Read, ChainEnded, ChainBroken };

// Reads the next directory of the chain. A link of 0 ends the chain, and so
// does a link back to a directory already read (a loop: the pages before it
// stand); a link to a directory that cannot be read (a file cut short)
// breaks the chain, and the pages behind it are lost.
NextDirectory ReadNextDirectory(TIFF* tiff);

// Makes the library's process-wide error and warning handlers discard
// everything, for messages issued without a handle.
void SilenceTiffLibrary();

// Options for TIFFClientOpenExt/TIFFOpenExt with the cap and quiet handlers;
// the caller frees them with TIFFOpenOptionsFree.
TIFFOpenOptions* QuietOpenOptions();

} // namespace pdf
