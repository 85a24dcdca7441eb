#include "faxengine/PcResearchReader.h"

#include "faxformats/ByteReader.h"

#include <algorithm>
#include <functional>
#include <string_view>

namespace {

constexpr std::string_view kSignature = "PC Research, Inc";

std::string_view AsText(std::span<const std::uint8_t> bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

} // namespace

int PcResearchReader::Detect() {
  auto header = ByteReader(Bytes()).slice(0, kPageHeaderSize);
  if (!header || (*header)[0] != 0 || AsText(header->subspan(1, kSignature.size())) != kSignature)
    return header ? -3 : -2;
  return 0;
}

std::uint16_t PcResearchReader::CountPages() {
  ClearPageOffsets();
  const std::string_view file = AsText(Bytes());
  lastPageEnd_ = FileSize();
  AddPageOffset(0);
  // Each signature stands one byte into its page's header; the first one is
  // page 1's.
  const std::boyer_moore_horspool_searcher search(kSignature.begin(), kSignature.end());
  for (auto from = file.begin() + std::min<std::size_t>(2, file.size());;) {
    const auto found = std::search(from, file.end(), search);
    if (found == file.end())
      break;
    const auto pageStart = std::uint32_t(found - file.begin() - 1);
    if (AddPageOffset(pageStart) != 0) {
      lastPageEnd_ = pageStart;
      break;
    }
    from = found + 1;
  }
  return PageCount();
}

std::optional<ProbedPageSource> PcResearchReader::LocatePage(std::uint16_t index) const {
  if (!IsOpen() || index >= PageCount())
    return std::nullopt;
  const std::size_t begin = std::size_t(PageOffset(index)) + kPageHeaderSize;
  const std::size_t end = index + 1u < PageCount() ? PageOffset(index + 1) : lastPageEnd_;
  // Headers closer together than a header's size leave a page no data.
  if (begin >= end)
    return std::nullopt;
  auto data = ByteReader(Bytes()).slice(begin, end - begin);
  if (!data)
    return std::nullopt;
  ProbedPageSource source;
  source.data = *data;
  source.codings = ProbedCodings::Group3Only;
  source.maxRows = kMaxPageRows;
  source.xResolution = 200;
  source.yResolution = 200;
  return source;
}
