#include "faxengine/QliifaxReader.h"

#include "faxformats/ByteReader.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr char kSignature[8] = {'Q', 'L', 'I', 'I', 'F', 'A', 'X', '\0'};

std::uint16_t ResolutionOfCode(std::uint16_t code) {
  if (code == 1)
    return 200;
  return code == 2 ? 100 : 400;
}

} // namespace

int QliifaxReader::Detect() {
  auto header = ByteReader(Bytes()).slice(0, kHeaderSize);
  if (!header || std::memcmp(header->data(), kSignature, sizeof kSignature) != 0)
    return -2;
  ByteReader fields(*header);
  fields.seek(8);
  header_.pageCount = *fields.u16le();
  header_.lastPageLines = *fields.u16le();
  header_.otherPageLines = *fields.u32le();
  header_.yResolution = ResolutionOfCode(*fields.u16le());
  fields.seek(32);
  for (std::uint32_t& offset : header_.offsets)
    offset = *fields.u32le();
  return 0;
}

std::uint16_t QliifaxReader::CountPages() {
  ClearPageOffsets();
  const std::size_t count = std::min<std::size_t>(header_.pageCount, kOffsetSlots);
  for (std::size_t page = 0; page < count; ++page)
    AddPageOffset(header_.offsets[page]);
  return PageCount();
}

std::optional<ProbedPageSource> QliifaxReader::LocatePage(std::uint16_t index) const {
  if (!IsOpen() || index >= PageCount())
    return std::nullopt;
  const std::uint32_t begin = header_.offsets[index];
  const std::uint32_t next = index + 1u < kOffsetSlots ? header_.offsets[index + 1] : 0;
  const std::uint32_t end = next != 0 ? next : FileSize();
  if (begin == 0 || begin >= end || end > FileSize())
    return std::nullopt;
  ProbedPageSource source;
  source.data = Bytes().subspan(begin, end - begin);
  source.codings = ProbedCodings::Group3ThenGroup4;
  source.maxRows = index + 1u == PageCount() ? header_.lastPageLines : header_.otherPageLines;
  source.xResolution = 200;
  source.yResolution = header_.yResolution;
  return source;
}
