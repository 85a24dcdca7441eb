// QLIIFAX documents ("qfx"): a 1532-byte header with the page count, the
// pages' line counts and resolution and a table of the pages' file offsets;
// each page runs from its offset to the next one. The coding of the pages is
// not stated: it is probed.
#pragma once

#include "faxengine/ProbedPage.h"

#include <array>
#include <cstdint>
#include <optional>

class QliifaxReader final : public ProbedContainerReader {
public:
  static constexpr std::size_t kHeaderSize = 1532;
  static constexpr std::size_t kOffsetSlots = 375;

  // 0 when the file begins with the signature and a whole header; -2
  // otherwise (the file is then closed).
  int Detect() override;
  std::uint16_t CountPages() override;

private:
  struct Header {
    std::uint16_t pageCount = 0;
    std::uint16_t lastPageLines = 0;
    std::uint32_t otherPageLines = 0;
    std::uint16_t yResolution = 0;
    std::array<std::uint32_t, kOffsetSlots> offsets{};
  };

  // The page's data, from its offset to the next page's (or the end of the
  // file); nothing when an offset is 0, past the end or not increasing.
  std::optional<ProbedPageSource> LocatePage(std::uint16_t index) const override;

  Header header_;
};
