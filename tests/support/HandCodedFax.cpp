#include "support/HandCodedFax.h"

#include "faxformats/FaxCodeTables.h"

#include <stdexcept>

namespace testing_support {
namespace {

class Bits {
public:
  void Put(std::uint32_t code, int count) {
    for (int i = count - 1; i >= 0; --i) {
      if (used_ % 8 == 0)
        bytes_.push_back(0);
      if ((code >> i) & 1)
        bytes_.back() = static_cast<std::uint8_t>(bytes_.back() | (0x80 >> (used_ % 8)));
      ++used_;
    }
  }
  void PutRun(std::uint32_t run, bool black) {
    const auto makeUp = T4Rows(black ? T4Table::BlackMakeUp : T4Table::WhiteMakeUp);
    const auto terminating = T4Rows(black ? T4Table::BlackTerminating : T4Table::WhiteTerminating);
    if (run >= 64)
      Put(makeUp[run / 64 - 1].code, makeUp[run / 64 - 1].bits);
    Put(terminating[run % 64].code, terminating[run % 64].bits);
  }
  // Horizontal mode (T.4 Table 4: 001), then a white and a black run.
  void PutHorizontal(std::uint32_t white, std::uint32_t black) {
    Put(0b001, 3);
    PutRun(white, false);
    PutRun(black, true);
  }
  std::vector<std::uint8_t> bytes_;

private:
  std::size_t used_ = 0;
};

// Runs of one row, alternately white and black, starting with white (which
// may be 0) and of even count (a last black run of 0 pads it).
std::vector<std::uint32_t> RowRuns(const Raster& page, std::uint32_t y) {
  std::vector<std::uint32_t> runs{0};
  bool black = false;
  for (std::uint32_t x = 0; x < page.width; ++x) {
    if (page.black(x, y) != black) {
      runs.push_back(0);
      black = !black;
    }
    ++runs.back();
  }
  if (runs.size() % 2 != 0)
    runs.push_back(0);
  return runs;
}

void RequireFaxWidth(const Raster& page) {
  if (page.width > 1728)
    throw std::invalid_argument("hand-coded pages are at most 1728 wide");
}

} // namespace

std::vector<std::uint8_t> HandCodedGroup4(const Raster& page, Group4Style style) {
  RequireFaxWidth(page);
  Bits bits;
  for (std::uint32_t y = 0; y < page.height; ++y) {
    const std::vector<std::uint32_t> runs = RowRuns(page, y);
    for (std::size_t i = 0; i < runs.size(); i += 2) {
      std::uint32_t white = runs[i];
      if (style == Group4Style::ZeroLengthRuns && white >= 2) {
        bits.PutHorizontal(white / 2, 0);
        white -= white / 2;
      }
      bits.PutHorizontal(white, runs[i + 1]);
    }
  }
  bits.Put(1, 12); // EOFB: two EOLs
  bits.Put(1, 12);
  return std::move(bits.bytes_);
}

std::vector<std::uint8_t> HandCodedMhWithoutEol(const Raster& page) {
  RequireFaxWidth(page);
  Bits bits;
  for (std::uint32_t y = 0; y < page.height; ++y) {
    const std::vector<std::uint32_t> runs = RowRuns(page, y);
    for (std::size_t i = 0; i < runs.size(); ++i) {
      if (i + 1 < runs.size() || runs[i] != 0) // no padding run at the row's end
        bits.PutRun(runs[i], i % 2 != 0);
    }
  }
  return std::move(bits.bytes_);
}

std::vector<std::uint8_t> WithoutEofb(std::vector<std::uint8_t> coded) {
  std::size_t end = coded.size() * 8;
  while ((coded[(end - 1) / 8] >> (7 - (end - 1) % 8) & 1) == 0)
    --end;
  for (std::size_t bit : {end - 1, end - 13})
    coded[bit / 8] = static_cast<std::uint8_t>(coded[bit / 8] & ~(0x80 >> (bit % 8)));
  return coded;
}

} // namespace testing_support
