// The line-segment index of a decoded raw fax stream: a 4120-byte header
// followed by one 14-byte record per run of consecutive lines kept (good
// lines, and T.4 lines received in error among them), all little-endian.
// The raw-stream reader cuts pages from it and copies the coded bytes each
// record points at.
#pragma once

#include "faxformats/StdioFile.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

inline constexpr std::size_t kSegmentHeaderSize = 4120;
inline constexpr std::size_t kSegmentRecordSize = 14;
inline constexpr std::size_t kSegmentPageTableEntries = 1024;

struct SegmentHeader {
  std::uint32_t recordCount = 0;
  std::uint32_t goodLines = 0; // lines kept, the raster file's rows
  std::uint32_t width = 0;
  std::uint8_t bitOrder = 0;
  std::uint8_t coding = 0;
  std::uint8_t sizeClass = 0;
  std::uint32_t longestSegment = 0; // in lines
  std::uint16_t resolution = 0;     // estimated vertical dots per inch
  std::array<std::uint32_t, kSegmentPageTableEntries> pageTable{}; // segments per page
};

// Where a segment lies in the coded buffer: from its first bit to just after
// its last, bit offsets counted in the order the bit reader consumes them.
// endsPage: an RTC (T.4) or EOFB (T.6) follows the segment, so the page ends
// there; stored as the top bit of the end-bit byte. holdsDamage: lines
// received in error lie inside the segment, so its page is written from the
// decoded rows; stored as the top bit of the start-bit byte.
struct SegmentRecord {
  std::uint32_t startByte = 0;
  std::uint32_t endByte = 0;
  std::uint32_t lines = 0;
  std::uint8_t startBit = 0;
  std::uint8_t endBit = 0;
  bool endsPage = false;
  bool holdsDamage = false;
};

std::array<std::uint8_t, kSegmentHeaderSize> EncodeSegmentHeader(const SegmentHeader& header);
std::optional<SegmentHeader> DecodeSegmentHeader(std::span<const std::uint8_t> bytes);
std::array<std::uint8_t, kSegmentRecordSize> EncodeSegmentRecord(const SegmentRecord& record);
std::optional<SegmentRecord> DecodeSegmentRecord(std::span<const std::uint8_t> bytes);

// Read access to a segment file. The record count of the header is trusted
// only as far as the file really holds records.
class SegmentIndexReader {
public:
  // Opens for reading, or for update when the header is to be rewritten.
  enum class Access { Read, Update };
  bool Open(const std::string& path, Access access);

  SegmentHeader& header() { return header_; }
  const SegmentHeader& header() const { return header_; }
  // Records present, never more than the file holds.
  std::uint32_t recordCount() const { return recordCount_; }
  std::optional<SegmentRecord> Record(std::uint32_t index);
  bool RewriteHeader();

private:
  StdioFile file_;
  SegmentHeader header_;
  std::uint32_t recordCount_ = 0;
};

// One page cut from the segment records: its records and its rows in the
// raster file (which holds every line kept in stream order).
struct SegmentPage {
  std::uint32_t firstRecord = 0;
  std::uint32_t recordCount = 0;
  std::uint64_t firstRow = 0;
  std::uint32_t lines = 0;
};

// Cuts the records into pages and stores the segment counts of the first
// 1024 pages in the header's page table. A segment that ends a page (RTC,
// EOFB) always closes it; between page ends, whole segments go to one page of
// at most the larger of linesPerPage and the longest segment, so every
// segment fits one page. Pages written from decoded rows may instead split segments
// longer than linesPerPage over several pages. At most maxPages pages;
// allKept tells whether every line found a page.
enum class LongSegments { OwnPage, Split };
std::vector<SegmentPage> CutIntoPages(SegmentIndexReader& index, std::uint32_t linesPerPage,
                                      std::size_t maxPages, LongSegments longSegments,
                                      bool& allKept);

// The vertical resolution a longest segment of that many lines suggests for
// the paper size class (1 A4, 2 B4, 3 A3); other classes keep current.
std::uint16_t EstimateVerticalResolution(std::uint32_t longestSegment, std::uint8_t sizeClass,
                                         std::uint16_t current);
// Pages of that size class hold this many lines at that vertical resolution.
std::uint32_t LinesPerPage(std::uint8_t sizeClass, std::uint16_t verticalResolution);

// Finishes a segment file: stores the longest segment and the estimated
// resolution in its header and sets resolution from it. -2 when the file
// holds no record (or cannot be read).
int EstimateResolution(const std::string& segmentPath, std::uint8_t sizeClass,
                       std::uint16_t& resolution);
