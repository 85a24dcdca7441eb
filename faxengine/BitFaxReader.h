// BIT FAX documents ("bfx"): a 2048-byte header with the page count, the
// vertical resolution and a table of 127 page entries (width, lines, data
// length and offset). The coding of the pages is not stated: it is probed.
#pragma once

#include "faxengine/ProbedPage.h"

#include <array>
#include <cstdint>
#include <optional>

class BitFaxReader final : public ProbedContainerReader {
public:
  static constexpr std::size_t kHeaderSize = 2048;
  static constexpr std::size_t kEntrySlots = 127;

  // 0 when the file begins with the signature and a whole header; -2 when
  // the header is short, -3 when the signature differs (the file is then
  // closed either way).
  int Detect() override;
  std::uint16_t CountPages() override;

private:
  struct PageEntry {
    std::uint16_t width = 0;
    std::uint16_t lines = 0;
    std::uint32_t dataLength = 0;
    std::uint32_t dataOffset = 0;
  };

  // The page's data as its entry locates it; nothing when the entry's data
  // offset is 0 or its data do not lie inside the file.
  std::optional<ProbedPageSource> LocatePage(std::uint16_t index) const override;

  std::uint16_t announcedPages_ = 0;
  std::uint16_t yResolution_ = 0;
  std::array<PageEntry, kEntrySlots> entries_{};
};
