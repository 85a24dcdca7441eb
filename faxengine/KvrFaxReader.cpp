#include "faxengine/KvrFaxReader.h"

#include "faxformats/ByteReader.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::size_t kHeaderSize = 64;
constexpr char kSignature[] = "KVR-FAX";
constexpr std::uint32_t kDefaultWidth = 1728;
constexpr std::uint32_t kMostRows = 4576; // when the header gives no height

bool SignatureAt(const ByteReader& file, std::uint64_t offset) {
  auto signature = file.slice(offset, sizeof kSignature - 1);
  return signature && std::memcmp(signature->data(), kSignature, signature->size()) == 0;
}

} // namespace

std::uint16_t KvrFaxReader::CountPages() {
  // Each header names the next through its data offset and length.
  RecordHeaderChain(kHeaderSize, SignatureAt, [](const ByteReader& file, std::uint64_t offset) {
    return std::uint64_t(*file.u32At(offset + 8)) + *file.u32At(offset + 12);
  });
  return PageCount();
}

std::optional<HeadedPage> KvrFaxReader::ReadPage(std::uint16_t index,
                                                 const ConversionSettings& settings) const {
  const ByteReader file(Bytes());
  const std::uint64_t offset = PageOffset(index);
  if (!IsOpen() || index >= PageCount() || !file.contains(offset, kHeaderSize))
    return std::nullopt;
  const std::uint32_t height = *file.u32At(offset + 20);
  HeadedPage page;
  page.width = *file.u32At(offset + 16);
  if (page.width == 0)
    page.width = kDefaultWidth;
  page.rows = height ? height : kMostRows;
  page.rowCount = height && !settings.Recaculate ? RowCount::Promised : RowCount::AtMost;
  page.fillOrder = *file.u8At(offset + 26) == 2 ? 2 : 1;
  page.codingCode = *file.u8At(offset + 27);
  page.xResolution = *file.u8At(offset + 28);
  page.yResolution = *file.u8At(offset + 29);
  // Data that would run past the end of the file is cut there.
  const std::uint64_t dataStart = offset + kHeaderSize;
  const std::uint64_t length =
      std::min<std::uint64_t>(*file.u32At(offset + 12), file.size() - dataStart);
  page.data = *file.slice(dataStart, length);
  return page;
}

void KvrFaxReader::DecodePage(std::uint16_t index, PageRaster& raster,
                              const ConversionSettings& settings) {
  raster = PageRaster();
  if (auto page = ReadPage(index, settings))
    decoder_.Decode(*page, raster);
}

int KvrFaxReader::WritePages(const std::string& outputPath, const ConversionSettings& settings) {
  return decoder_.WritePages(outputPath, PageCount(),
                             [&](std::uint16_t index) { return ReadPage(index, settings); });
}
