#include "faxengine/FaxTiffWriter.h"

#include <cstring>
#include <new>

namespace {

constexpr std::uint16_t kShort = 3;
constexpr std::uint16_t kLong = 4;
constexpr std::uint16_t kRational = 5;
constexpr std::uint16_t kAscii = 2;

constexpr std::uint32_t kSoftwareLength = 22;
constexpr std::uint32_t kDateTimeLength = 20;
// Two rationals, Software and DateTime follow every page's data.
constexpr std::uint32_t kTailLength = 8 + 8 + kSoftwareLength + kDateTimeLength;
constexpr std::uint32_t kDirectoryLength = 2 + 12 * FaxTiffWriter::kEntryCount + 4;

enum Slot {
  kNewSubfileType,
  kImageWidth,
  kImageLength,
  kBitsPerSample,
  kCompression,
  kPhotometric,
  kFillOrder,
  kStripOffsets,
  kOrientation,
  kSamplesPerPixel,
  kRowsPerStrip,
  kStripByteCounts,
  kXResolution,
  kYResolution,
  kPlanarConfig,
  kT4T6Options,
  kResolutionUnit,
  kPageNumber,
  kSoftware,
  kDateTime,
};

void PutLe(std::uint8_t* out, std::uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i)
    out[i] = std::uint8_t(value >> (8 * i));
}

struct CodingRow {
  std::uint8_t code;
  std::uint16_t compression;
  std::uint16_t optionsTag;
  std::uint32_t options;
};

// The engine's coding codes as TIFF Compression and T4/T6 options.
constexpr CodingRow kCodingRows[] = {
    {kCodingUncompressed, 1, 292, 0}, {kCodingMhBytes, 2, 292, 4}, {kCodingMhWords, 32771, 292, 4},
    {kCodingT4OneD, 3, 292, 4},       {kCodingT4TwoD, 3, 292, 5},  {kCodingT6, 4, 293, 0},
    {kCodingPackBits, 32773, 292, 0},
};

} // namespace

FaxTiffWriter::FaxTiffWriter() = default;

FaxTiffWriter::~FaxTiffWriter() { Close(); }

int FaxTiffWriter::Open(const std::string& path, std::uint16_t byteOrder, const char* mode) {
  Close();
  failed_ = false;
  stripCount_ = 0;
  rowsPerStrip_ = 0;
  stripOffsets_.clear();
  stripByteCounts_ = nullptr;
  end_ = 0;
  // Every number is written little-endian, so only "II" can be honest.
  if (byteOrder != kLittleEndian)
    return -1;
  byteOrder_ = byteOrder;
  file_ = std::fopen(path.c_str(), mode);
  bool appending = file_ && std::strcmp(mode, "wb") != 0;
  if (!file_) {
    file_ = std::fopen(path.c_str(), "wb");
    appending = false;
    if (file_ && std::strcmp(mode, "wb") != 0)
      WriteHeader(); // the caller meant to append and will not write one
  }
  if (!file_)
    return -1;
  if (appending && !FindEndOfOwnFile())
    failed_ = true;
  return failed_ ? -1 : 0;
}

bool FaxTiffWriter::FindEndOfOwnFile() {
  // Only a little-endian TIFF can take more pages: its last four bytes are
  // the next field of its last directory.
  std::uint8_t header[4] = {};
  if (std::fread(header, 1, sizeof header, file_) != sizeof header ||
      std::memcmp(header, "II*\0", 4) != 0 || std::fseek(file_, 0, SEEK_END) != 0)
    return false;
  long size = std::ftell(file_);
  if (size < 8)
    return false;
  end_ = std::uint64_t(size);
  return true;
}

void FaxTiffWriter::WriteHeader() {
  std::uint8_t header[8];
  PutLe(header, byteOrder_, 2);
  PutLe(header + 2, 42, 2);
  PutLe(header + 4, 8, 4);
  WriteAt(0, header, sizeof header);
}

void FaxTiffWriter::SetEntry(int slot, std::uint16_t tag, std::uint16_t type, std::uint32_t count,
                             std::uint32_t value) {
  entries_[slot] = Entry{tag, type, count, value};
}

void FaxTiffWriter::SetShort(int slot, std::uint16_t tag, std::uint16_t value) {
  SetEntry(slot, tag, kShort, 1, value);
}

void FaxTiffWriter::SetLong(int slot, std::uint16_t tag, std::uint32_t value) {
  SetEntry(slot, tag, kLong, 1, value);
}

void FaxTiffWriter::InitDirectory() {
  SetLong(kNewSubfileType, 254, 2);
  SetLong(kImageWidth, 256, 0);
  SetLong(kImageLength, 257, 0);
  SetShort(kBitsPerSample, 258, 1);
  SetShort(kCompression, 259, 1);
  SetShort(kPhotometric, 262, 0);
  SetShort(kFillOrder, 266, 1);
  SetLong(kStripOffsets, 273, 0);
  SetShort(kOrientation, 274, 1);
  SetShort(kSamplesPerPixel, 277, 1);
  SetLong(kRowsPerStrip, 278, 0);
  SetLong(kStripByteCounts, 279, 0);
  SetEntry(kXResolution, 282, kRational, 1, 0);
  SetEntry(kYResolution, 283, kRational, 1, 0);
  SetShort(kPlanarConfig, 284, 1);
  SetLong(kT4T6Options, 292, 0);
  SetShort(kResolutionUnit, 296, 2);
  SetPageNumber(0, 1);
  SetEntry(kSoftware, 305, kAscii, kSoftwareLength, 0);
  SetEntry(kDateTime, 306, kAscii, kDateTimeLength, 0);
}

void FaxTiffWriter::SetCompression(std::uint16_t compression, std::uint32_t t4Options,
                                   std::uint32_t t6Options) {
  SetShort(kCompression, 259, compression);
  if (compression == 3)
    SetLong(kT4T6Options, 292, t4Options);
  else if (compression == 4)
    SetLong(kT4T6Options, 293, t6Options);
  else
    SetLong(kT4T6Options, 292, 0);
}

void FaxTiffWriter::SetCodingCode(std::uint8_t codingCode, std::uint16_t photometric) {
  for (const CodingRow& row : kCodingRows) {
    if (row.code != codingCode)
      continue;
    SetShort(kCompression, 259, row.compression);
    SetLong(kT4T6Options, row.optionsTag, row.options);
  }
  SetShort(kPhotometric, 262, photometric);
}

void FaxTiffWriter::SetFillOrder(std::uint16_t fillOrder) { SetShort(kFillOrder, 266, fillOrder); }

void FaxTiffWriter::SetOrientation(std::uint16_t orientation) {
  SetShort(kOrientation, 274, orientation);
}

void FaxTiffWriter::SetSize(std::uint32_t width, std::uint32_t height) {
  SetLong(kImageWidth, 256, width);
  SetLong(kImageLength, 257, height);
  SetLong(kRowsPerStrip, 278, rowsPerStrip_ ? rowsPerStrip_ : height);
}

void FaxTiffWriter::SetPageNumber(std::uint16_t index, std::uint16_t total) {
  SetEntry(kPageNumber, 297, kShort, 2, std::uint32_t(index) | (std::uint32_t(total) << 16));
}

int FaxTiffWriter::SetStrips(std::uint16_t count, std::uint32_t rowsPerStrip,
                             const std::uint32_t* offsets, const std::uint32_t* byteCounts) {
  stripCount_ = 0;
  stripByteCounts_ = nullptr;
  if (count == 0 || !offsets || !byteCounts)
    return -1;
  try {
    stripOffsets_.assign(offsets, offsets + count);
  } catch (const std::bad_alloc&) {
    stripOffsets_.clear();
    return -1;
  }
  for (std::uint32_t& offset : stripOffsets_)
    offset -= offsets[0];
  stripCount_ = count;
  rowsPerStrip_ = rowsPerStrip;
  stripByteCounts_ = byteCounts;
  // RowsPerStrip is part of the strip layout, whenever the caller sets it.
  SetLong(kRowsPerStrip, 278, rowsPerStrip ? rowsPerStrip : entries_[kImageLength].value);
  return 0;
}

void FaxTiffWriter::WriteAt(std::uint64_t offset, const void* bytes, std::size_t length) {
  if (!file_ || failed_) {
    failed_ = true;
    return;
  }
  if (offset > 0xFFFFFFFFu || std::fseek(file_, long(offset), SEEK_SET) != 0 ||
      std::fwrite(bytes, 1, length, file_) != length) {
    failed_ = true;
    return;
  }
  if (offset + length > end_)
    end_ = offset + length;
}

std::uint32_t FaxTiffWriter::LinkNewPage(std::uint64_t directoryOffset) {
  // A TIFF offset is 32 bits: a file that would outgrow it is refused.
  if (end_ < 8 || directoryOffset + kDirectoryLength > 0xFFFFFFFFu) {
    failed_ = true;
    return 0;
  }
  std::uint8_t link[4];
  PutLe(link, directoryOffset, 4);
  WriteAt(end_ - 4, link, sizeof link);
  return std::uint32_t(directoryOffset);
}

void FaxTiffWriter::WriteTail(std::uint32_t resolutionsAt, std::uint32_t xResolution,
                              std::uint32_t yResolution, std::uint16_t resolutionUnit) {
  std::uint8_t tail[kTailLength] = {};
  PutLe(tail, xResolution, 4);
  PutLe(tail + 4, 1, 4);
  PutLe(tail + 8, yResolution, 4);
  PutLe(tail + 12, 1, 4);
  std::memcpy(tail + 16, "Kelvor Studio", 13);
  std::time_t now = fixedTime_ ? *fixedTime_ : std::time(nullptr);
  std::tm local{};
  if (const std::tm* converted = std::localtime(&now))
    local = *converted;
  char dateTime[80];
  std::snprintf(dateTime, sizeof dateTime, "%4d:%02d:%02d %02d:%02d:%02d", local.tm_year + 1900,
                local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
  std::memcpy(tail + 16 + kSoftwareLength, dateTime, kDateTimeLength - 1);
  WriteAt(resolutionsAt, tail, sizeof tail);

  SetEntry(kXResolution, 282, kRational, 1, resolutionsAt);
  SetEntry(kYResolution, 283, kRational, 1, resolutionsAt + 8);
  SetShort(kResolutionUnit, 296, resolutionUnit);
  SetEntry(kSoftware, 305, kAscii, kSoftwareLength, resolutionsAt + 16);
  SetEntry(kDateTime, 306, kAscii, kDateTimeLength, resolutionsAt + 16 + kSoftwareLength);
}

std::uint32_t FaxTiffWriter::WritePageData(const std::uint8_t* data, std::uint32_t length,
                                           std::uint32_t xResolution, std::uint32_t yResolution,
                                           std::uint16_t resolutionUnit) {
  std::uint64_t page = end_;
  std::uint32_t directory = LinkNewPage(page + length + kTailLength);
  if (directory == 0)
    return 0;
  if (length > 0)
    WriteAt(page, data, length);
  WriteTail(std::uint32_t(page + length), xResolution, yResolution, resolutionUnit);
  SetLong(kStripOffsets, 273, std::uint32_t(page));
  SetLong(kStripByteCounts, 279, length);
  // One strip holds the whole page, whatever an earlier page used.
  SetLong(kRowsPerStrip, 278, entries_[kImageLength].value);
  stripCount_ = 0;
  rowsPerStrip_ = 0;
  return failed_ ? 0 : directory;
}

std::uint32_t FaxTiffWriter::WriteStripsPageData(const std::uint8_t* data, std::uint32_t length,
                                                 std::uint32_t xResolution,
                                                 std::uint32_t yResolution,
                                                 std::uint16_t resolutionUnit) {
  if (stripCount_ < 2 || !stripByteCounts_)
    return WritePageData(data, length, xResolution, yResolution, resolutionUnit);
  std::uint32_t n = stripCount_;
  // Every strip must lie inside the block, or the file would point elsewhere.
  for (std::uint32_t i = 0; i < n; ++i)
    if (stripOffsets_[i] > length || stripByteCounts_[i] > length - stripOffsets_[i])
      return 0;
  std::uint64_t page = end_;
  std::uint64_t arrays = page + length;
  std::uint32_t directory = LinkNewPage(arrays + 8ull * n + kTailLength);
  if (directory == 0)
    return 0;
  if (length > 0)
    WriteAt(page, data, length);
  std::vector<std::uint8_t> table(8ull * n);
  for (std::uint32_t i = 0; i < n; ++i) {
    PutLe(table.data() + 4 * i, std::uint64_t(stripOffsets_[i]) + page, 4);
    PutLe(table.data() + 4 * (n + i), stripByteCounts_[i], 4);
  }
  WriteAt(arrays, table.data(), table.size());
  std::uint32_t resolutionsAt = std::uint32_t(arrays + 8ull * n);
  WriteTail(resolutionsAt, xResolution, yResolution, resolutionUnit);
  SetEntry(kStripOffsets, 273, kLong, n, std::uint32_t(arrays));
  SetEntry(kStripByteCounts, 279, kLong, n, std::uint32_t(arrays + 4ull * n));
  stripCount_ = 0;
  stripByteCounts_ = nullptr;
  rowsPerStrip_ = 0;
  return failed_ ? 0 : directory;
}

int FaxTiffWriter::WriteDirectory(std::uint32_t offset) {
  std::uint8_t directory[kDirectoryLength] = {};
  PutLe(directory, kEntryCount, 2);
  for (int slot = 0; slot < kEntryCount; ++slot) {
    std::uint8_t* out = directory + 2 + 12 * slot;
    const Entry& entry = entries_[slot];
    PutLe(out, entry.tag, 2);
    PutLe(out + 2, entry.type, 2);
    PutLe(out + 4, entry.count, 4);
    PutLe(out + 8, entry.value, 4);
  }
  if (offset == 0)
    failed_ = true;
  else
    WriteAt(offset, directory, sizeof directory);
  if (file_ && std::fflush(file_) != 0)
    failed_ = true;
  return failed_ ? -1 : 0;
}

int FaxTiffWriter::Close() {
  if (!file_)
    return failed_ ? -1 : 0;
  if (std::fclose(file_) != 0)
    failed_ = true;
  file_ = nullptr;
  return failed_ ? -1 : 0;
}

int WriteFaxPages(const std::string& outputPath, std::uint16_t pageCount,
                  const std::function<bool(std::uint16_t index, FaxTiffPage& page)>& readPage) {
  FaxTiffWriter writer;
  if (writer.Open(outputPath, FaxTiffWriter::kLittleEndian, "wb") != 0)
    return kFaxOutputUnwritable;
  writer.WriteHeader();
  for (std::uint16_t index = 0; index < pageCount; ++index) {
    FaxTiffPage page;
    if (!readPage(index, page)) {
      writer.Close();
      return kFaxPageUnreadable;
    }
    writer.InitDirectory();
    writer.SetCodingCode(page.codingCode, page.photometric);
    writer.SetFillOrder(page.fillOrder);
    writer.SetOrientation(page.orientation);
    writer.SetSize(page.width, page.height);
    writer.SetPageNumber(index, pageCount);
    std::uint32_t directory =
        writer.WritePageData(page.data.data(), static_cast<std::uint32_t>(page.data.size()),
                             page.xResolution, page.yResolution, page.resolutionUnit);
    writer.WriteDirectory(directory);
  }
  return writer.Close() == 0 ? 0 : kFaxOutputUnwritable;
}
