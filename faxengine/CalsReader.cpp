#include "faxengine/CalsReader.h"

#include "faxengine/CodedPage.h"
#include "faxengine/FaxTiffWriter.h"
#include "faxengine/TiffFaxReader.h"
#include "faxformats/ByteReader.h"
#include "faxformats/FaxDecoder.h"

#include <algorithm>
#include <optional>
#include <string_view>

namespace {

constexpr std::size_t kHeaderBytes = 2048;
// Records of the page size and the density: each keyword is searched for
// from its record's place in the fixed record order on.
constexpr std::size_t kPelCountFrom = 1024;
constexpr std::size_t kDensityFrom = 1152;
// The raster keeps resolutions in 16 bits.
constexpr std::uint32_t kMaxDensity = 0xFFFF;

struct PageHeader {
  std::uint32_t width = 0;
  std::uint32_t lines = 0;
  std::uint32_t density = 0;
};

// The header text from keyword's value on: the value begins one character
// (the colon) after the keyword's first occurrence at or after from.
std::optional<std::string_view> ValueOf(std::string_view header, std::string_view keyword,
                                        std::size_t from) {
  const std::size_t at = header.find(keyword, from);
  if (at == std::string_view::npos || header.size() - at < keyword.size() + 1)
    return std::nullopt;
  return header.substr(at + keyword.size() + 1);
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// A decimal number behind optional blanks, at most limit; text is left
// behind its last digit. Nothing without a digit or above the limit (which
// also keeps the value from overflowing).
std::optional<std::uint32_t> TakeNumber(std::string_view& text, std::uint32_t limit) {
  std::size_t i = 0;
  while (i < text.size() && IsBlank(text[i]))
    ++i;
  const std::size_t firstDigit = i;
  std::uint32_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    if (value > (limit - std::uint32_t(text[i] - '0')) / 10)
      return std::nullopt;
    value = value * 10 + std::uint32_t(text[i] - '0');
  }
  if (i == firstDigit)
    return std::nullopt;
  text.remove_prefix(i);
  return value;
}

bool TakeChar(std::string_view& text, char c) {
  if (text.empty() || text.front() != c)
    return false;
  text.remove_prefix(1);
  return true;
}

// A value ends in its record's blank padding, a line end, zero bytes or the
// end of the header: "0200dpi" or "1728x" is no number.
bool AtValueEnd(std::string_view text) {
  return text.empty() || IsBlank(text.front()) || text.front() == '\0' || text.front() == '\r' ||
         text.front() == '\n';
}

// Page size and density, each a whole number within the limits of one page.
// The orientation record is not needed: the "000,270" that files carry
// (pixels run at 0 degrees, lines progress at 270, downwards) is the
// upright raster, as TIFF Orientation 1 describes it.
std::optional<PageHeader> ParseHeader(std::string_view header) {
  auto pelCount = ValueOf(header, "rpelcnt", kPelCountFrom);
  auto density = ValueOf(header, "rdensty", kDensityFrom);
  if (!pelCount || !density)
    return std::nullopt;
  auto width = TakeNumber(*pelCount, kMaxPageWidth);
  if (!width || !TakeChar(*pelCount, ','))
    return std::nullopt;
  auto lines = TakeNumber(*pelCount, kMaxPageLength);
  auto dpi = TakeNumber(*density, kMaxDensity);
  if (!lines || !dpi || !AtValueEnd(*pelCount) || !AtValueEnd(*density))
    return std::nullopt;
  if (*width == 0 || *lines == 0 || *dpi == 0 || std::uint64_t(*width) * *lines > kMaxPagePixels)
    return std::nullopt;
  return PageHeader{*width, *lines, *dpi};
}

} // namespace

int CalsReader::Detect() {
  if (!IsOpen())
    return -1;
  auto header = ByteReader(Bytes()).slice(0, kHeaderBytes);
  auto page = header ? ParseHeader(std::string_view(reinterpret_cast<const char*>(header->data()),
                                                    header->size()))
                     : std::nullopt;
  if (!page)
    return -2;
  width_ = page->width;
  lines_ = page->lines;
  density_ = page->density;
  return 0;
}

std::uint16_t CalsReader::CountPages() {
  ClearPageOffsets();
  AddPageOffset(kHeaderBytes);
  return PageCount();
}

std::span<const std::uint8_t> CalsReader::CodedPage(std::uint16_t index) const {
  const std::uint32_t offset = PageOffset(index);
  ByteReader reader(Bytes());
  if (offset == 0 || !reader.seek(offset))
    return {};
  return *reader.take(reader.remaining());
}

void CalsReader::Decode(std::uint16_t index, FaxG4Decoder& decoder, PageRaster& raster) const {
  raster = PageRaster();
  const std::span<const std::uint8_t> coded = CodedPage(index);
  if (coded.empty())
    return;
  // Every T.6 line takes at least one bit: rows beyond that count cannot be
  // filled, whatever the header asks for.
  const std::uint64_t rows = std::min<std::uint64_t>(lines_, std::uint64_t(coded.size()) * 8);
  decoder.Initialise(coded.data(), static_cast<std::uint32_t>(coded.size()), kMsbFirst, kCodingT6,
                     0);
  decoder.SetSize(static_cast<std::int32_t>(width_), static_cast<std::int32_t>(rows));
  decoder.DecodePage(raster);
  raster.xResolution = static_cast<std::uint16_t>(density_);
  raster.yResolution = static_cast<std::uint16_t>(density_);
  raster.resolutionUnit = 2; // inch
}

void CalsReader::DecodePage(std::uint16_t index, PageRaster& raster, const ConversionSettings&) {
  FaxG4Decoder decoder;
  Decode(index, decoder, raster);
}

int CalsReader::WritePages(const std::string& outputPath, const ConversionSettings&) {
  FaxG4Decoder decoder;
  PageRaster raster;
  return WriteFaxPages(outputPath, PageCount(), [&](std::uint16_t index, FaxTiffPage& page) {
    Decode(index, decoder, raster);
    if (!PageFromDecoding(decoder, raster, CodedPage(index), page))
      return false;
    page.xResolution = density_;
    page.yResolution = density_;
    page.resolutionUnit = 2;
    return true;
  });
}
