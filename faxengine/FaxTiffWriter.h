// Writes the engine's normalised TIFF: bilevel, little-endian, one page per
// directory of twenty entries in a fixed order, appended page by page with
// the previous link patched. Plain buffered stdio; offsets come from the
// writer's own byte count. Write errors are remembered and reported.
#pragma once

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

// How the data of a page is coded (the engine's coding code).
enum CodingCode : std::uint8_t {
  kCodingUncompressed = 1,
  kCodingMhBytes = 3, // Modified Huffman lines, byte-aligned, no EOL (TIFF CCITT RLE)
  kCodingMhWords = 4, // Modified Huffman lines, 16-bit aligned, no EOL (CCITT RLE/W)
  kCodingT4OneD = 5,  // T.4 one-dimensional with EOL
  kCodingT4TwoD = 6,  // T.4 two-dimensional with EOL and tag bit
  kCodingT6 = 7,      // T.6
  kCodingPackBits = 8,
};

class FaxTiffWriter {
public:
  static constexpr int kEntryCount = 20;
  static constexpr std::uint16_t kLittleEndian = 0x4949;

  FaxTiffWriter();
  ~FaxTiffWriter();
  FaxTiffWriter(const FaxTiffWriter&) = delete;
  FaxTiffWriter& operator=(const FaxTiffWriter&) = delete;

  // mode "wb" for a new file, "r+b" to append to a file of this writer
  // (falls back to a new file, header written, when that fails).
  // 0, or -1 when nothing could be opened, the byte order is not "II" or the
  // file to append to is no little-endian TIFF.
  int Open(const std::string& path, std::uint16_t byteOrder, const char* mode);
  void WriteHeader();
  void InitDirectory();

  void SetCompression(std::uint16_t compression, std::uint32_t t4Options, std::uint32_t t6Options);
  void SetCodingCode(std::uint8_t codingCode, std::uint16_t photometric);
  void SetFillOrder(std::uint16_t fillOrder);
  void SetOrientation(std::uint16_t orientation);
  void SetSize(std::uint32_t width, std::uint32_t height);
  void SetPageNumber(std::uint16_t index, std::uint16_t total);
  // Strips of a page copied as one block: offsets are the source offsets
  // (kept relative to the first), byte counts are borrowed until the page is
  // written. -1 when the arrays cannot be held.
  int SetStrips(std::uint16_t count, std::uint32_t rowsPerStrip, const std::uint32_t* offsets,
                const std::uint32_t* byteCounts);

  // Both return the offset where the page's directory must be written, or 0
  // when a write failed (or, for strips, when a strip lies outside the data).
  std::uint32_t WritePageData(const std::uint8_t* data, std::uint32_t length,
                              std::uint32_t xResolution, std::uint32_t yResolution,
                              std::uint16_t resolutionUnit);
  std::uint32_t WriteStripsPageData(const std::uint8_t* data, std::uint32_t length,
                                    std::uint32_t xResolution, std::uint32_t yResolution,
                                    std::uint16_t resolutionUnit);
  // Writes the directory and flushes: 0, or -1 when a write failed.
  int WriteDirectory(std::uint32_t offset);
  // Closes the file (idempotent): 0, or -1 when any write since Open failed.
  int Close();

  bool IsOpen() const { return file_ != nullptr; }
  bool Failed() const { return failed_; }
  // Tests fix the DateTime text with a given time; otherwise the current time.
  void SetFixedTime(std::optional<std::time_t> time) { fixedTime_ = time; }

private:
  struct Entry {
    std::uint16_t tag = 0;
    std::uint16_t type = 0;
    std::uint32_t count = 0;
    std::uint32_t value = 0; // SHORT values stand in the low half
  };

  void SetEntry(int slot, std::uint16_t tag, std::uint16_t type, std::uint32_t count,
                std::uint32_t value);
  void SetShort(int slot, std::uint16_t tag, std::uint16_t value);
  void SetLong(int slot, std::uint16_t tag, std::uint32_t value);
  // Checks an existing file opened for appending and finds its end.
  bool FindEndOfOwnFile();
  void WriteAt(std::uint64_t offset, const void* bytes, std::size_t length);
  // Writes the two rationals, Software and DateTime at an offset and points
  // their entries there.
  void WriteTail(std::uint32_t resolutionsAt, std::uint32_t xResolution, std::uint32_t yResolution,
                 std::uint16_t resolutionUnit);
  // Points the previous link field (the header's or the last directory's
  // next field) at the new directory; 0 when that fails.
  std::uint32_t LinkNewPage(std::uint64_t directoryOffset);

  std::FILE* file_ = nullptr;
  std::uint16_t stripCount_ = 0;
  std::uint32_t rowsPerStrip_ = 0;
  std::vector<std::uint32_t> stripOffsets_;
  const std::uint32_t* stripByteCounts_ = nullptr;
  std::uint16_t byteOrder_ = kLittleEndian;
  Entry entries_[kEntryCount];
  std::uint64_t end_ = 0; // bytes in the file, counted by the writer
  bool failed_ = false;
  std::optional<std::time_t> fixedTime_;
};

// One page as a format reader hands it to the writer, as one strip.
struct FaxTiffPage {
  std::uint8_t codingCode = kCodingT6;
  std::uint16_t photometric = 0; // 0 for coded fax data, 1 for decoded rows (white is 1)
  std::uint16_t fillOrder = 1;
  std::uint16_t orientation = 1;
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::uint32_t xResolution = 200;
  std::uint32_t yResolution = 200;
  std::uint16_t resolutionUnit = 2; // inch
  std::span<const std::uint8_t> data;
};

// Results of WriteFaxPages besides 0.
inline constexpr int kFaxPageUnreadable = -3; // a page could not be read: the document is not whole
inline constexpr int kFaxOutputUnwritable = -6;

// Writes pageCount pages into a new TIFF at outputPath, page i as readPage
// fills it. readPage returns false when the page cannot be read; writing
// stops there, since a document with a page missing must not pass as whole.
// The page's data must stay valid until readPage is called again.
int WriteFaxPages(const std::string& outputPath, std::uint16_t pageCount,
                  const std::function<bool(std::uint16_t index, FaxTiffPage& page)>& readPage);
