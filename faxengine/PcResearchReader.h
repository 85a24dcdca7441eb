// PC Research documents ("g3f" files that carry "PC Research, Inc"): pages
// one after the other, each a 64-byte header beginning with a zero byte and
// the signature, then Group 3 data up to the next header. Pages are found by
// searching the signature; the coding of their data is probed.
#pragma once

#include "faxengine/ProbedPage.h"

#include <cstdint>
#include <optional>

class PcResearchReader final : public ProbedContainerReader {
public:
  static constexpr std::size_t kPageHeaderSize = 64;
  // Rows a page may have (an A4 page at fine resolution is about 2300).
  static constexpr std::uint32_t kMaxPageRows = 3288;

  // 0 when a whole page header with the signature begins the file; -2 when
  // the file is shorter than a header, -3 when the signature differs (the
  // file is then closed either way).
  int Detect() override;
  // Every page header in the file, up to the reader's page limit.
  std::uint16_t CountPages() override;

private:
  // The page's data: behind its header, up to the next page header.
  std::optional<ProbedPageSource> LocatePage(std::uint16_t index) const override;

  // Where the data of the last page counted ends: the end of the file, or
  // the next page header when the page limit left that page out.
  std::uint32_t lastPageEnd_ = 0;
};
