#include "faxengine/Apf10Reader.h"

#include "faxengine/CodedPage.h"
#include "faxengine/FaxTiffWriter.h"
#include "faxformats/ByteReader.h"
#include "faxformats/FaxDecoder.h"

#include <cstring>

namespace {

constexpr char kSignature[] = "APF10";
constexpr std::size_t kPageCountAt = 32;
constexpr std::size_t kFirstPageAt = 34;
constexpr std::size_t kPageHeaderSize = 16;
constexpr std::size_t kFlagsAt = 4;
// Room for a page of fax paper at 200 lines per inch; a longer page (paper
// from a roll) is decoded again with twice the room, up to a bound.
constexpr std::int32_t kPageRows = 3000;
constexpr std::int32_t kMaxPageRows = 96000;

bool HasSignature(std::span<const std::uint8_t> bytes) {
  return bytes.size() >= sizeof kSignature - 1 &&
         std::memcmp(bytes.data(), kSignature, sizeof kSignature - 1) == 0;
}

} // namespace

int Apf10Reader::Detect() {
  announcedPages_ = 0;
  return HasSignature(Bytes()) && ByteReader(Bytes()).contains(0, kFirstPageAt + 4) ? 0 : -3;
}

std::uint16_t Apf10Reader::CountPages() {
  ByteReader file(Bytes());
  announcedPages_ = *file.u16At(kPageCountAt);
  std::uint64_t offset = *file.u32At(kFirstPageAt);
  for (std::uint16_t page = 0; page < announcedPages_; ++page) {
    // Both the header and the data it announces must be in the file; the
    // next header follows them, so every step moves forward.
    if (!file.contains(offset, kPageHeaderSize))
      break;
    const std::uint64_t dataLength = *file.u32At(offset);
    if (dataLength > file.size() - offset - kPageHeaderSize)
      break;
    if (AddPageOffset(static_cast<std::uint32_t>(offset)) != 0)
      break;
    offset += kPageHeaderSize + dataLength;
  }
  return announcedPages_;
}

std::optional<Apf10Reader::Page> Apf10Reader::ReadPage(std::uint16_t index) const {
  if (!IsOpen() || index >= PageCount())
    return std::nullopt;
  ByteReader file(Bytes());
  const std::size_t offset = PageOffset(index);
  const auto length = file.u32At(offset);
  const auto flags = file.u8At(offset + kFlagsAt);
  if (!length || !flags)
    return std::nullopt;
  const auto data = file.slice(offset + kPageHeaderSize, *length);
  if (!data)
    return std::nullopt;
  return Page{*flags, *data};
}

void Apf10Reader::DecodePage(std::uint16_t index, PageRaster& raster, const ConversionSettings&) {
  raster = PageRaster();
  const auto page = ReadPage(index);
  if (!page)
    return;
  FaxDecoder decoder;
  for (std::int32_t rows = kPageRows;; rows *= 2) {
    decoder.Initialise(page->data.data(), static_cast<std::uint32_t>(page->data.size()), 2,
                       kCodingT4OneD, 0);
    decoder.SetSize((page->flags & kWidePage) ? 2048 : 1728, rows);
    if (page->flags & kLineWords)
      decoder.DecodePageLineWords(raster);
    else
      decoder.DecodePage(raster);
    if (raster.height < std::uint32_t(rows))
      break;
    // Lines beyond the room are not kept: no page may lose its end unseen.
    if (rows >= kMaxPageRows) {
      raster = PageRaster();
      return;
    }
  }
  raster.xResolution = 200;
  raster.yResolution = (page->flags & kFineResolution) ? 200 : 100;
  raster.resolutionUnit = 2;
}

int Apf10Reader::WritePages(const std::string& outputPath, const ConversionSettings& settings) {
  PageRaster raster;
  return WriteFaxPages(outputPath, announcedPages_, [&](std::uint16_t index, FaxTiffPage& page) {
    DecodePage(index, raster, settings);
    if (raster.width < 1 || raster.height < 1)
      return false;
    PageFromRows(raster, WorkBuffer(), page);
    return true;
  });
}
