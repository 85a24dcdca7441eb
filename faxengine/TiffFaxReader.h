// The engine's own reader of TIFF-structured fax files ("fmf", "g3n" and
// TIFF-like "g3f" documents, and the TIFFs of the AWD converter and of the
// two-stage readers). It parses the image file directories itself, decodes a
// page to judge whether the file is a fax, and copies every page's coded
// strips unchanged into a TIFF written by FaxTiffWriter.
#pragma once

#include "faxengine/FaxReader.h"
#include "faxformats/ByteReader.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct PageRaster;

// Limits on what one page may ask for, far above any real fax (A3 at 400
// dpi is 4864 pixels wide) yet small enough that a hostile header cannot
// make the reader allocate without bound: the packed raster of one page is
// at most kMaxPagePixels / 8 bytes (64 MiB).
constexpr std::uint32_t kMaxPageWidth = 32768;
constexpr std::uint32_t kMaxPageLength = 1u << 20;
constexpr std::uint64_t kMaxPagePixels = 1ull << 29;

struct TiffEntry {
  std::uint16_t tag = 0;
  std::uint16_t type = 0;
  std::uint32_t count = 0;
  std::array<std::uint8_t, 4> value{}; // as stored in the file
};

struct TiffRational {
  std::uint32_t numerator = 0;
  std::uint32_t denominator = 0;
  // Whole units (dots per inch or per centimetre); 0 for a zero denominator.
  std::uint32_t Whole() const { return denominator ? numerator / denominator : 0; }
};

// What the reader uses of one directory; TIFF 6.0 defaults where a tag is
// absent.
struct TiffPage {
  std::uint32_t newSubfileType = 0;
  std::uint32_t width = 0;
  std::uint32_t length = 0;
  std::uint16_t bitsPerSample = 1;
  std::uint16_t samplesPerPixel = 1;
  std::uint16_t compression = 1;
  std::uint16_t photometric = 0;
  std::uint16_t fillOrder = 1;
  std::uint16_t orientation = 1;
  std::uint32_t rowsPerStrip = 0xFFFFFFFFu;
  TiffRational xResolution, yResolution;
  std::uint32_t t4Options = 0;
  std::uint32_t t6Options = 0;
  std::uint16_t resolutionUnit = 2;
  std::array<std::uint16_t, 2> pageNumber{};
  std::optional<TiffEntry> stripOffsets, stripByteCounts;
};

// One strip of coded data, checked to lie inside the file.
struct TiffStrip {
  std::uint32_t offset = 0;
  std::uint32_t length = 0;
};

class TiffFaxReader : public FaxReader {
public:
  // 0 when the open file starts with a TIFF header ("II", "MM", or "FF" for
  // little-endian, and 42); -1 no file; -3 no 8 header bytes; -4 wrong mark
  // or magic. The file is closed on -3 and -4.
  int Detect();
  // Follows the directory chain and stores each directory's offset before
  // reading it. The walk stops at the first offset seen before (a loop),
  // after a directory that does not lie in the file, and after kMaxPages
  // directories.
  std::uint16_t CountPages();
  // True when CountPages stopped at kMaxPages with more directories behind:
  // the document cannot be converted whole.
  bool TooManyPages() const { return tooManyPages_; }

  // Entry count (> 0) of the directory at offset, its entries kept in
  // Entries(); -1 offset 0; -2 count unreadable; -4 entries unreadable. The
  // next-directory field behind the entries may be missing.
  int ReadDirectory(std::uint32_t offset);
  // True when the directory at offset is a thumbnail (reduced-resolution
  // image) of a page; reads it as ReadDirectory does.
  bool IsReducedImage(std::uint32_t offset);
  const std::vector<TiffEntry>& Entries() const { return entries_; }
  TiffPage ParseDirectory() const;
  // Every strip of the page, each checked against the file and the counts
  // against each other; nothing when any is missing, empty or outside.
  std::optional<std::vector<TiffStrip>> StripsOf(const TiffPage& page) const;

  // Decodes page index into raster (rows, size, resolutions, coding, bit
  // order); leaves it empty when the page cannot be decoded.
  void DecodePage(std::uint16_t index, PageRaster& raster);
  // Results of writing a document besides 0.
  static constexpr int kPageUnreadable = -3;   // a directory or its strips
  static constexpr int kPageTooManyPages = -4; // more pages than a TIFF page number holds
  static constexpr int kPageNotBilevel = -5;   // a page that is not one bit of black and white
  static constexpr int kOutputUnwritable = -6; // the output cannot be opened or written

  // Writes the whole open document into a new TIFF at outputPath.
  int WriteTiff(const std::string& outputPath);
  // As WriteTiff, for the TIFF at tiffPath with a reader of its own; mode
  // "wb" writes a new file, "r+b" appends to a file of FaxTiffWriter.
  // -1 cannot open; -2 not a TIFF or no pages; others as WriteTiff.
  static int CopyTiff(const std::string& tiffPath, const std::string& outputPath, const char* mode);

private:
  ByteReader Reader() const { return ByteReader(Bytes(), order_); }
  std::optional<std::uint32_t> Scalar(const TiffEntry& entry) const;
  std::optional<std::vector<std::uint32_t>> Values(const TiffEntry& entry) const;
  TiffRational Rational(const TiffEntry& entry) const;
  int WriteDocument(const std::string& outputPath, const char* mode);
  int WritePages(class FaxTiffWriter& writer);
  int CopyPage(class FaxTiffWriter& writer, std::uint16_t index, std::uint16_t total);

  ByteOrder order_ = ByteOrder::LittleEndian;
  std::uint32_t firstDirectory_ = 0;
  std::vector<TiffEntry> entries_;
  bool tooManyPages_ = false;
};
