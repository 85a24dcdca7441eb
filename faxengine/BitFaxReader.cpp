#include "faxengine/BitFaxReader.h"

#include "faxformats/ByteReader.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr char kSignature[8] = {'B', 'I', 'T', ' ', ' ', 'F', 'A', 'X'};
constexpr std::size_t kEntriesAt = 16;
constexpr std::size_t kEntrySize = 16;

std::uint16_t ResolutionOfCode(std::uint8_t code) {
  if (code == 0)
    return 100;
  return code == 1 ? 200 : 400;
}

} // namespace

int BitFaxReader::Detect() {
  auto header = ByteReader(Bytes()).slice(0, kHeaderSize);
  if (!header || std::memcmp(header->data(), kSignature, sizeof kSignature) != 0)
    return header ? -3 : -2;
  // The whole header is there: every field below lies inside it.
  ByteReader fields(*header);
  announcedPages_ = *fields.u16At(9);
  yResolution_ = ResolutionOfCode(*fields.u8At(14));
  for (std::size_t slot = 0; slot < kEntrySlots; ++slot) {
    fields.seek(kEntriesAt + slot * kEntrySize);
    PageEntry& entry = entries_[slot];
    entry.width = *fields.u16le();
    entry.lines = *fields.u16le();
    entry.dataLength = *fields.u32le();
    entry.dataOffset = *fields.u32le();
  }
  return 0;
}

std::uint16_t BitFaxReader::CountPages() {
  ClearPageOffsets();
  const std::size_t count = std::min<std::size_t>(announcedPages_, kEntrySlots);
  for (std::size_t page = 0; page < count; ++page)
    AddPageOffset(entries_[page].dataOffset);
  return PageCount();
}

std::optional<ProbedPageSource> BitFaxReader::LocatePage(std::uint16_t index) const {
  if (!IsOpen() || index >= PageCount())
    return std::nullopt;
  const PageEntry& entry = entries_[index];
  auto data = ByteReader(Bytes()).slice(entry.dataOffset, entry.dataLength);
  if (entry.dataOffset == 0 || !data)
    return std::nullopt;
  ProbedPageSource source;
  source.data = *data;
  source.codings = ProbedCodings::Group3ThenGroup4;
  source.width = entry.width;
  source.maxRows = entry.lines;
  source.xResolution = 200;
  source.yResolution = yResolution_;
  return source;
}
