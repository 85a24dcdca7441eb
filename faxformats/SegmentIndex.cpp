#include "faxformats/SegmentIndex.h"

#include "faxformats/ByteReader.h"

#include <algorithm>

namespace {

constexpr std::uint8_t kEndsPageBit = 0x80;
constexpr std::uint8_t kHoldsDamageBit = 0x80;

template <typename T> void PutLe(std::uint8_t* out, T value) {
  for (std::size_t i = 0; i < sizeof(T); ++i)
    out[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

} // namespace

std::array<std::uint8_t, kSegmentHeaderSize> EncodeSegmentHeader(const SegmentHeader& header) {
  std::array<std::uint8_t, kSegmentHeaderSize> bytes{};
  PutLe(&bytes[0], header.recordCount);
  PutLe(&bytes[4], header.goodLines);
  PutLe(&bytes[8], header.width);
  bytes[12] = header.bitOrder;
  bytes[13] = header.coding;
  bytes[14] = header.sizeClass;
  PutLe(&bytes[16], header.longestSegment);
  PutLe(&bytes[20], header.resolution);
  for (std::size_t page = 0; page < kSegmentPageTableEntries; ++page)
    PutLe(&bytes[24 + 4 * page], header.pageTable[page]);
  return bytes;
}

std::optional<SegmentHeader> DecodeSegmentHeader(std::span<const std::uint8_t> bytes) {
  ByteReader reader(bytes);
  auto recordCount = reader.u32At(0);
  auto goodLines = reader.u32At(4);
  auto width = reader.u32At(8);
  auto bitOrder = reader.u8At(12);
  auto coding = reader.u8At(13);
  auto sizeClass = reader.u8At(14);
  auto longest = reader.u32At(16);
  auto resolution = reader.u16At(20);
  if (!recordCount || !goodLines || !width || !bitOrder || !coding || !sizeClass || !longest ||
      !resolution || !reader.contains(24, 4 * kSegmentPageTableEntries))
    return std::nullopt;
  SegmentHeader header{*recordCount, *goodLines, *width,      *bitOrder, *coding,
                       *sizeClass,   *longest,   *resolution, {}};
  for (std::size_t page = 0; page < kSegmentPageTableEntries; ++page)
    header.pageTable[page] = *reader.u32At(24 + 4 * page);
  return header;
}

std::array<std::uint8_t, kSegmentRecordSize> EncodeSegmentRecord(const SegmentRecord& record) {
  std::array<std::uint8_t, kSegmentRecordSize> bytes{};
  PutLe(&bytes[0], record.startByte);
  PutLe(&bytes[4], record.endByte);
  PutLe(&bytes[8], record.lines);
  bytes[12] =
      static_cast<std::uint8_t>(record.startBit | (record.holdsDamage ? kHoldsDamageBit : 0));
  bytes[13] = static_cast<std::uint8_t>(record.endBit | (record.endsPage ? kEndsPageBit : 0));
  return bytes;
}

std::optional<SegmentRecord> DecodeSegmentRecord(std::span<const std::uint8_t> bytes) {
  ByteReader reader(bytes);
  auto start = reader.u32At(0);
  auto end = reader.u32At(4);
  auto lines = reader.u32At(8);
  auto startBit = reader.u8At(12);
  auto endBit = reader.u8At(13);
  if (!start || !end || !lines || !startBit || !endBit)
    return std::nullopt;
  return SegmentRecord{*start,
                       *end,
                       *lines,
                       static_cast<std::uint8_t>(*startBit & ~kHoldsDamageBit),
                       static_cast<std::uint8_t>(*endBit & ~kEndsPageBit),
                       (*endBit & kEndsPageBit) != 0,
                       (*startBit & kHoldsDamageBit) != 0};
}

bool SegmentIndexReader::Open(const std::string& path, Access access) {
  file_ = OpenStdioFile(path, access == Access::Update ? "r+b" : "rb");
  std::array<std::uint8_t, kSegmentHeaderSize> bytes{};
  if (!file_ || !ReadAt(file_.get(), 0, bytes))
    return false;
  auto header = DecodeSegmentHeader(bytes);
  if (!header)
    return false;
  header_ = *header;
  std::uint64_t size = StdioFileSize(file_.get());
  std::uint64_t present =
      size < kSegmentHeaderSize ? 0 : (size - kSegmentHeaderSize) / kSegmentRecordSize;
  recordCount_ = static_cast<std::uint32_t>(std::min<std::uint64_t>(present, header_.recordCount));
  return true;
}

std::optional<SegmentRecord> SegmentIndexReader::Record(std::uint32_t index) {
  if (index >= recordCount_)
    return std::nullopt;
  std::array<std::uint8_t, kSegmentRecordSize> bytes{};
  std::uint64_t offset = kSegmentHeaderSize + std::uint64_t{index} * kSegmentRecordSize;
  if (!ReadAt(file_.get(), offset, bytes))
    return std::nullopt;
  return DecodeSegmentRecord(bytes);
}

bool SegmentIndexReader::RewriteHeader() {
  auto bytes = EncodeSegmentHeader(header_);
  return WriteAt(file_.get(), 0, bytes) && std::fflush(file_.get()) == 0;
}

std::vector<SegmentPage> CutIntoPages(SegmentIndexReader& index, std::uint32_t linesPerPage,
                                      std::size_t maxPages, LongSegments longSegments,
                                      bool& allKept) {
  std::vector<SegmentPage> pages;
  SegmentHeader& header = index.header();
  header.pageTable.fill(0);
  const bool split = longSegments == LongSegments::Split;
  const std::uint64_t limit =
      std::max<std::uint64_t>({linesPerPage, split ? 1u : header.longestSegment, 1u});
  SegmentPage current;
  std::uint64_t row = 0;
  auto closePage = [&] {
    if (current.recordCount == 0)
      return;
    if (pages.size() < kSegmentPageTableEntries)
      header.pageTable[pages.size()] = current.recordCount;
    pages.push_back(current);
    current = SegmentPage{};
  };
  allKept = false;
  for (std::uint32_t i = 0; i < index.recordCount(); ++i) {
    auto record = index.Record(i);
    if (!record)
      break;
    std::uint64_t remaining = record->lines;
    do {
      if (current.recordCount > 0 && current.lines + remaining > limit)
        closePage();
      if (pages.size() >= maxPages) {
        index.RewriteHeader();
        return pages;
      }
      // Whole segments keep their lines; a record longer than the limit
      // (only a corrupt file has one) counts as the limit.
      std::uint64_t take = std::min(remaining, limit);
      if (current.recordCount == 0) {
        current.firstRecord = i;
        current.firstRow = row;
      }
      current.lines += static_cast<std::uint32_t>(take);
      current.recordCount += 1;
      row += split ? take : remaining;
      remaining = split ? remaining - take : 0;
    } while (remaining > 0);
    if (record->endsPage)
      closePage();
  }
  // Lines join the open page only while fewer than maxPages are closed.
  closePage();
  allKept = true;
  index.RewriteHeader();
  return pages;
}

std::uint16_t EstimateVerticalResolution(std::uint32_t longestSegment, std::uint8_t sizeClass,
                                         std::uint16_t current) {
  if (sizeClass < 1 || sizeClass > 3)
    return current;
  const std::uint32_t standardPage = LinesPerPage(sizeClass, 100);
  for (std::uint16_t step = 1; step <= 3; ++step) {
    if (longestSegment <= standardPage * step)
      return static_cast<std::uint16_t>(100 * step);
  }
  return 400;
}

std::uint32_t LinesPerPage(std::uint8_t sizeClass, std::uint16_t verticalResolution) {
  // Lines of one page at 100 dpi: T.4 page lengths of A4, B4 and A3.
  static constexpr std::uint32_t kStandardLines[] = {1144, 1363, 1617};
  if (sizeClass < 1 || sizeClass > 3)
    return 1144;
  std::uint32_t steps = verticalResolution <= 100   ? 1
                        : verticalResolution <= 200 ? 2
                        : verticalResolution <= 300 ? 3
                                                    : 4;
  return kStandardLines[sizeClass - 1] * steps;
}

int EstimateResolution(const std::string& segmentPath, std::uint8_t sizeClass,
                       std::uint16_t& resolution) {
  SegmentIndexReader index;
  if (!index.Open(segmentPath, SegmentIndexReader::Access::Update) || index.recordCount() == 0)
    return -2;
  std::uint32_t longest = 0;
  for (std::uint32_t i = 0; i < index.recordCount(); ++i) {
    if (auto record = index.Record(i))
      longest = std::max(longest, record->lines);
  }
  resolution = EstimateVerticalResolution(longest, sizeClass, resolution);
  index.header().longestSegment = longest;
  index.header().resolution = resolution;
  return index.RewriteHeader() ? 0 : -2;
}
