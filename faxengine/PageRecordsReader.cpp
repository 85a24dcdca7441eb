#include "faxengine/PageRecordsReader.h"

#include "faxformats/ByteReader.h"

#include <algorithm>

namespace {

constexpr std::size_t kHeaderSize = 128;
constexpr std::uint32_t kDefaultWidth = 1728;
constexpr std::uint32_t kMostRows = 3432; // when the header gives no line count
constexpr std::size_t kCaptionAt = 9;
constexpr std::size_t kCaptionEnd = 89; // where the next field begins

bool SignatureAt(const ByteReader& file, std::uint64_t offset) {
  return file.u8At(offset) == 0x0B && file.u8At(offset + 1) == '#';
}

std::uint16_t YResolution(std::uint8_t code) { return code == 0 ? 100 : code == 1 ? 200 : 400; }

} // namespace

std::uint16_t PageRecordsReader::CountPages() {
  // The next header lies at the sum of four fields of the page just
  // recorded (its data and what the writing program put around it).
  RecordHeaderChain(kHeaderSize, SignatureAt, [](const ByteReader& file, std::uint64_t offset) {
    return std::uint64_t(*file.u8At(offset + 113)) * *file.u8At(offset + 114) +
           *file.u32At(offset + 116) + *file.u32At(offset + 105) + *file.u32At(offset + 89);
  });
  return PageCount();
}

std::optional<HeadedPage> PageRecordsReader::ReadPage(std::uint16_t index,
                                                      const ConversionSettings& settings) const {
  const ByteReader file(Bytes());
  const std::uint64_t offset = PageOffset(index);
  if (!IsOpen() || index >= PageCount() || !file.contains(offset, kHeaderSize))
    return std::nullopt;
  const std::uint16_t lines = *file.u16At(offset + 5);
  HeadedPage page;
  page.width = *file.u16At(offset + 3);
  if (page.width == 0)
    page.width = kDefaultWidth;
  page.rows = lines ? lines : kMostRows;
  page.rowCount = lines && !settings.Recaculate ? RowCount::Promised : RowCount::AtMost;
  page.codingCode = *file.u8At(offset + 7) == 0 ? kCodingT4OneD : kCodingT6;
  page.fillOrder = 2;
  page.xResolution = 200;
  page.yResolution = YResolution(*file.u8At(offset + 115));
  // Data that would run past the end of the file is cut there.
  const std::uint64_t dataStart = offset + kHeaderSize;
  const std::uint64_t length =
      std::min<std::uint64_t>(*file.u32At(offset + 116), file.size() - dataStart);
  page.data = *file.slice(dataStart, length);
  return page;
}

void PageRecordsReader::DecodePage(std::uint16_t index, PageRaster& raster,
                                   const ConversionSettings& settings) {
  raster = PageRaster();
  if (auto page = ReadPage(index, settings))
    decoder_.Decode(*page, raster);
}

void PageRecordsReader::ReadDocInfo(std::uint16_t page, FaxDocInfo& info) {
  info.senderComment.reset();
  const ByteReader file(Bytes());
  const std::uint64_t offset = PageOffset(page);
  if (!IsOpen() || page >= PageCount() || !file.contains(offset, kHeaderSize))
    return;
  // Zero-terminated within its field; a full field ends at the field's end.
  auto field = *file.slice(offset + kCaptionAt, kCaptionEnd - kCaptionAt);
  const auto end = std::find(field.begin(), field.end(), std::uint8_t{0});
  if (end != field.begin())
    info.senderComment = std::string(field.begin(), end);
}

int PageRecordsReader::WritePages(const std::string& outputPath,
                                  const ConversionSettings& settings) {
  return decoder_.WritePages(outputPath, PageCount(),
                             [&](std::uint16_t index) { return ReadPage(index, settings); });
}
