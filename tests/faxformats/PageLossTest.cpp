// Whether a decoded page is whole decides how a reader writes it: coded bytes
// that decoded whole, rows of a T.4 page that lost lines, nothing of a T.6
// page that broke off.
#include "faxengine/CodedPage.h"

#include "DecodeHelpers.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

// The lines of a T.4 one-dimensional coding with fill bits: every EOL ends
// on a byte boundary, so a line begins behind each 00 01 byte pair.
std::vector<std::vector<std::uint8_t>> FilledLines(const std::vector<std::uint8_t>& coded) {
  std::vector<std::vector<std::uint8_t>> lines;
  for (std::size_t i = 0; i + 1 < coded.size(); ++i)
    if (coded[i] == 0x00 && coded[i + 1] == 0x01)
      lines.emplace_back();
    else if (!lines.empty())
      lines.back().push_back(coded[i]);
  if (!lines.empty() && !coded.empty())
    lines.back().push_back(coded.back());
  return lines;
}

// A T.4 page of 1728-pixel lines with one line of another width among them,
// which a decoder drops without meeting an invalid code.
std::vector<std::uint8_t> WithALineOfAnotherWidth(const Raster& page) {
  auto lines = FilledLines(EncodeWithLibTiff(page, COMPRESSION_CCITTFAX3, GROUP3OPT_FILLBITS));
  const auto narrow = FilledLines(
      EncodeWithLibTiff(TextLikePage(1000, 2, 3), COMPRESSION_CCITTFAX3, GROUP3OPT_FILLBITS));
  lines.insert(lines.begin() + 10, narrow.at(0));
  std::vector<std::uint8_t> coded;
  for (const auto& line : lines) {
    coded.insert(coded.end(), {0x00, 0x01});
    coded.insert(coded.end(), line.begin(), line.end());
  }
  return coded;
}

} // namespace

TEST(PageLoss, DecodedPagesChooseTheirFormInTheTiff) {
  const Raster page = TextLikePage(1728, 120, 9);
  struct Case {
    const char* what;
    std::uint8_t codingCode;
    std::vector<std::uint8_t> data;
    std::uint8_t expectedCoding; // 0: the page cannot be written whole
  };
  std::vector<std::uint8_t> t4 = EncodeWithLibTiff(page, COMPRESSION_CCITTFAX3, GROUP3OPT_FILLBITS);
  std::vector<std::uint8_t> t6 = EncodeWithLibTiff(page, COMPRESSION_CCITTFAX4);
  std::vector<std::uint8_t> t4Damaged = t4, t6Damaged = t6;
  // Noise makes long lines: a cut in the middle falls inside one. (A cut at
  // a line's end is no loss the decoder can see; readers that know the
  // page's height compare it.)
  const Raster noise = NoisePage(1728, 60, 0.2, 3);
  std::vector<std::uint8_t> t6Cut = EncodeWithLibTiff(noise, COMPRESSION_CCITTFAX4);
  for (std::size_t i = t4.size() / 2; i < t4.size() / 2 + 6; ++i)
    t4Damaged[i] = 0x5A;
  for (std::size_t i = t6.size() / 2; i < t6.size() / 2 + 6; ++i)
    t6Damaged[i] = 0xFF;
  t6Cut.resize(t6Cut.size() / 2);
  Case cases[] = {
      {"whole T.4", kCodingT4OneD, t4, kCodingT4OneD},
      {"whole T.6", kCodingT6, t6, kCodingT6},
      {"T.4 with bad lines", kCodingT4OneD, t4Damaged, kCodingUncompressed},
      {"T.4 with a line of another width", kCodingT4OneD, WithALineOfAnotherWidth(page),
       kCodingUncompressed},
      {"T.6 damaged", kCodingT6, t6Damaged, 0},
      {"T.6 cut short", kCodingT6, t6Cut, 0},
  };
  for (const Case& c : cases) {
    FaxG4Decoder decoder;
    decoder.Initialise(c.data.data(), std::uint32_t(c.data.size()), kMsbFirst, c.codingCode, 0);
    decoder.SetSize(1728, 4000);
    PageRaster raster;
    decoder.DecodePage(raster);
    FaxTiffPage written;
    const bool whole = PageFromDecoding(decoder, raster, c.data, written);
    EXPECT_EQ(whole, c.expectedCoding != 0) << c.what;
    if (!whole)
      continue;
    EXPECT_EQ(written.codingCode, c.expectedCoding) << c.what;
    if (c.expectedCoding == kCodingUncompressed) {
      EXPECT_EQ(written.photometric, 1) << c.what;
      EXPECT_LT(written.height, page.height) << c.what;
      EXPECT_EQ(written.data.size(), std::size_t(216) * written.height) << c.what;
    } else {
      EXPECT_EQ(written.height, page.height) << c.what;
      EXPECT_EQ(written.data.data(), c.data.data()) << c.what << ": the coded bytes themselves";
    }
  }
}
