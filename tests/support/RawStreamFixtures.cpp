#include "support/RawStreamFixtures.h"

#include "support/Scratch.h"
#include "support/Tools.h"

#include <algorithm>
#include <random>
#include <stdexcept>

namespace testing_support {

std::vector<std::uint8_t> LibTiffStream(const Raster& page, int coding, bool fillBits) {
  if (coding == 7)
    return EncodeWithLibTiff(page, COMPRESSION_CCITTFAX4);
  std::uint32_t options =
      (coding == 6 ? GROUP3OPT_2DENCODING : 0) | (fillBits ? GROUP3OPT_FILLBITS : 0);
  return EncodeWithLibTiff(page, COMPRESSION_CCITTFAX3, options);
}

std::vector<std::uint8_t> ReturnToControl(bool twoDimensional) {
  std::vector<std::uint8_t> bytes;
  std::uint32_t bits = 0;
  auto put = [&](int bit) {
    if (bits % 8 == 0)
      bytes.push_back(0);
    if (bit)
      bytes.back() = static_cast<std::uint8_t>(bytes.back() | (0x80 >> (bits % 8)));
    ++bits;
  };
  for (int eol = 0; eol < 6; ++eol) {
    for (int zero = 0; zero < 11; ++zero)
      put(0);
    put(1);
    if (twoDimensional)
      put(1);
  }
  return bytes;
}

std::vector<std::uint8_t> RandomBytes(std::size_t count, unsigned seed) {
  std::mt19937 random(seed);
  std::vector<std::uint8_t> bytes(count);
  for (auto& byte : bytes)
    byte = static_cast<std::uint8_t>(random());
  return bytes;
}

void Append(std::vector<std::uint8_t>& to, const std::vector<std::uint8_t>& bytes) {
  to.insert(to.end(), bytes.begin(), bytes.end());
}

Raster Stack(const std::vector<Raster>& pages) {
  Raster all;
  if (pages.empty())
    return all;
  all.width = pages.front().width;
  for (const Raster& page : pages) {
    if (page.width != all.width)
      throw std::runtime_error("Stack: pages of different widths");
    all.height += page.height;
    all.pixels.insert(all.pixels.end(), page.pixels.begin(), page.pixels.end());
  }
  return all;
}

Raster InkedPage(std::uint32_t width, std::uint32_t height, unsigned seed) {
  Raster page = TextLikePage(width, height, seed);
  page.set(0, 0);
  return page;
}

std::vector<std::uint8_t> PbmToG3(const Raster& page, bool reverseBits) {
  ScratchFolder scratch;
  std::string header =
      "P4\n" + std::to_string(page.width) + " " + std::to_string(page.height) + "\n";
  std::vector<std::uint8_t> rows = page.PackedRows(true);
  std::string pbm = header + std::string(rows.begin(), rows.end());
  WriteFile(scratch / "page.pbm", pbm);
  std::vector<std::string> argv = {"pbmtog3"};
  if (reverseBits)
    argv.push_back("-reversebits");
  argv.push_back(scratch / "page.pbm");
  ToolRun run = RunTool(argv);
  if (run.exitCode != 0)
    throw std::runtime_error("pbmtog3 failed: " + run.errors);
  const std::string& g3 = run.output;
  return std::vector<std::uint8_t>(g3.begin(), g3.end());
}

std::uint32_t ReceivedFaxRowsInPlace(const Raster& page) {
  std::vector<Raster> sample = ReadTiffPages(CorpusFolder() + "/image-rs_image-tiff/g3test.tif");
  if (sample.size() != 1 || sample[0].width != page.width)
    return 0;
  constexpr std::uint32_t kRowsJoined = 8;
  auto sameRow = [&](std::uint32_t ours, std::uint32_t theirs) {
    return theirs < sample[0].height &&
           std::equal(page.pixels.begin() + std::ptrdiff_t(ours) * page.width,
                      page.pixels.begin() + std::ptrdiff_t(ours + 1) * page.width,
                      sample[0].pixels.begin() + std::ptrdiff_t(theirs) * page.width);
  };
  std::uint32_t ahead = 0, matched = 0;
  for (std::uint32_t row = 0; row < page.height; ++row) {
    for (std::uint32_t step = ahead; step <= std::min(row, kRowsJoined); ++step) {
      if (sameRow(row, row - step)) {
        ahead = step;
        ++matched;
        break;
      }
    }
  }
  return matched;
}

} // namespace testing_support
