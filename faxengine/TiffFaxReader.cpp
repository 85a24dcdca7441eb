#include "faxengine/TiffFaxReader.h"

#include "faxengine/FaxTiffWriter.h"
#include "faxformats/FaxDecoder.h"
#include "faxformats/PageRaster.h"

#include <algorithm>
#include <cstring>
#include <unordered_set>

namespace {

// TIFF 6.0 tags and field types the reader uses.
enum Tag : std::uint16_t {
  kNewSubfileType = 254,
  kImageWidth = 256,
  kImageLength = 257,
  kBitsPerSample = 258,
  kCompression = 259,
  kPhotometric = 262,
  kFillOrder = 266,
  kStripOffsets = 273,
  kOrientation = 274,
  kSamplesPerPixel = 277,
  kRowsPerStrip = 278,
  kStripByteCounts = 279,
  kXResolution = 282,
  kYResolution = 283,
  kT4Options = 292,
  kT6Options = 293,
  kResolutionUnit = 296,
  kPageNumber = 297,
};
enum Compression : std::uint16_t {
  kNone = 1,
  kCcittRle = 2,
  kCcittT4 = 3,
  kCcittT6 = 4,
  kCcittRleW = 32771,
  kPackBits = 32773,
};
enum FieldType : std::uint16_t { kByte = 1, kShort = 3, kLong = 4 };

constexpr std::uint16_t kMarkLittle = 0x4949; // "II"
constexpr std::uint16_t kMarkBig = 0x4D4D;    // "MM"
constexpr std::uint16_t kMarkFax = 0x4646;    // "FF", written by some fax programs, little-endian
constexpr std::size_t kEntryBytes = 12;

std::size_t FieldSize(std::uint16_t type) {
  switch (type) {
  case kByte:
    return 1;
  case kShort:
    return 2;
  case kLong:
    return 4;
  default:
    return 0;
  }
}

} // namespace

int TiffFaxReader::Detect() {
  if (!IsOpen())
    return -1;
  ByteReader reader(Bytes());
  auto mark = reader.u16le();
  if (!mark || !reader.contains(0, 8)) {
    Close();
    return -3;
  }
  order_ = *mark == kMarkBig ? ByteOrder::BigEndian : ByteOrder::LittleEndian;
  reader.setOrder(order_);
  auto magic = reader.u16();
  bool knownMark = *mark == kMarkLittle || *mark == kMarkBig || *mark == kMarkFax;
  if (!knownMark || magic != 42) {
    Close();
    return -4;
  }
  firstDirectory_ = *reader.u32();
  return 0;
}

std::uint16_t TiffFaxReader::CountPages() {
  ClearPageOffsets();
  tooManyPages_ = false;
  std::unordered_set<std::uint32_t> seen;
  ByteReader reader = Reader();
  std::uint32_t offset = firstDirectory_;
  while (offset != 0 && seen.insert(offset).second) {
    // Recorded before it is read: a directory the file cuts short is still a
    // page of the document, whose copy then fails instead of being dropped.
    // A reduced-resolution image (TIFF 6.0 NewSubfileType bit 0) is a
    // thumbnail of a page, not a page.
    if (!IsReducedImage(offset) && AddPageOffset(offset) != 0) {
      tooManyPages_ = true;
      break;
    }
    auto count = reader.u16At(offset);
    if (!count)
      break;
    std::size_t nextField = std::size_t(offset) + 2 + kEntryBytes * *count;
    auto next = reader.u32At(nextField);
    if (!next)
      break;
    offset = *next;
  }
  return PageCount();
}

bool TiffFaxReader::IsReducedImage(std::uint32_t offset) {
  return ReadDirectory(offset) > 0 && (ParseDirectory().newSubfileType & 1) != 0;
}

int TiffFaxReader::ReadDirectory(std::uint32_t offset) {
  if (offset == 0)
    return -1;
  ByteReader reader = Reader();
  if (!reader.seek(offset))
    return -2;
  auto count = reader.u16();
  if (!count)
    return -2;
  if (!reader.contains(reader.position(), kEntryBytes * *count))
    return -4;
  entries_.assign(*count, TiffEntry{});
  for (TiffEntry& entry : entries_) {
    entry.tag = *reader.u16();
    entry.type = *reader.u16();
    entry.count = *reader.u32();
    auto value = *reader.take(4);
    std::copy(value.begin(), value.end(), entry.value.begin());
  }
  // The link behind the entries is not needed here: a file cut right after
  // the last directory's entries still holds its page whole.
  return *count == 0 ? -4 : static_cast<int>(*count);
}

std::optional<std::uint32_t> TiffFaxReader::Scalar(const TiffEntry& entry) const {
  ByteReader field(entry.value, order_);
  switch (entry.type) {
  case kByte:
    return field.u8();
  case kShort:
    return field.u16();
  case kLong:
    return field.u32();
  default:
    return std::nullopt;
  }
}

std::optional<std::vector<std::uint32_t>> TiffFaxReader::Values(const TiffEntry& entry) const {
  std::size_t size = FieldSize(entry.type);
  // The count is checked against the file before it sizes anything.
  if (size == 0 || entry.count > FileSize() / size + 1)
    return std::nullopt;
  std::size_t total = size * entry.count;
  ByteReader field(entry.value, order_);
  ByteReader reader = Reader();
  if (total > 4) {
    if (!reader.seek(*field.u32()) || reader.remaining() < total)
      return std::nullopt;
  } else {
    reader = field;
  }
  std::vector<std::uint32_t> values(entry.count);
  for (std::uint32_t& value : values)
    value = size == 1 ? *reader.u8() : size == 2 ? *reader.u16() : *reader.u32();
  return values;
}

TiffRational TiffFaxReader::Rational(const TiffEntry& entry) const {
  ByteReader field(entry.value, order_);
  ByteReader reader = Reader();
  if (!reader.seek(*field.u32()))
    return {};
  auto numerator = reader.u32();
  auto denominator = reader.u32();
  if (!numerator || !denominator)
    return {};
  return {*numerator, *denominator};
}

TiffPage TiffFaxReader::ParseDirectory() const {
  TiffPage page;
  auto assign = [&](auto& field, const TiffEntry& entry) {
    if (auto value = Scalar(entry))
      field = static_cast<std::remove_reference_t<decltype(field)>>(*value);
  };
  for (const TiffEntry& entry : entries_) {
    switch (entry.tag) {
    case kNewSubfileType:
      assign(page.newSubfileType, entry);
      break;
    case kImageWidth:
      assign(page.width, entry);
      break;
    case kImageLength:
      assign(page.length, entry);
      break;
    case kBitsPerSample:
      assign(page.bitsPerSample, entry);
      break;
    case kCompression:
      assign(page.compression, entry);
      break;
    case kPhotometric:
      assign(page.photometric, entry);
      break;
    case kFillOrder:
      assign(page.fillOrder, entry);
      break;
    case kOrientation:
      assign(page.orientation, entry);
      break;
    case kSamplesPerPixel:
      assign(page.samplesPerPixel, entry);
      break;
    case kRowsPerStrip:
      assign(page.rowsPerStrip, entry);
      break;
    case kT4Options:
      assign(page.t4Options, entry);
      break;
    case kT6Options:
      assign(page.t6Options, entry);
      break;
    case kResolutionUnit:
      assign(page.resolutionUnit, entry);
      break;
    case kStripOffsets:
      page.stripOffsets = entry;
      break;
    case kStripByteCounts:
      page.stripByteCounts = entry;
      break;
    case kXResolution:
      page.xResolution = Rational(entry);
      break;
    case kYResolution:
      page.yResolution = Rational(entry);
      break;
    case kPageNumber: {
      ByteReader field(entry.value, order_);
      page.pageNumber = {*field.u16(), *field.u16()};
      break;
    }
    default:
      break;
    }
  }
  return page;
}

std::optional<std::vector<TiffStrip>> TiffFaxReader::StripsOf(const TiffPage& page) const {
  if (!page.stripOffsets || !page.stripByteCounts ||
      page.stripOffsets->count != page.stripByteCounts->count || page.stripOffsets->count == 0)
    return std::nullopt;
  auto offsets = Values(*page.stripOffsets);
  auto lengths = Values(*page.stripByteCounts);
  if (!offsets || !lengths)
    return std::nullopt;
  std::vector<TiffStrip> strips(offsets->size());
  ByteReader reader = Reader();
  for (std::size_t i = 0; i < strips.size(); ++i) {
    strips[i] = {(*offsets)[i], (*lengths)[i]};
    if (strips[i].length == 0 || !reader.contains(strips[i].offset, strips[i].length))
      return std::nullopt;
  }
  return strips;
}

namespace {

// One sample of one bit, black and white: the only pages the writer's
// bilevel TIFF can hold (a two-colour palette may be any two colours).
bool IsBilevel(const TiffPage& page) {
  return page.bitsPerSample == 1 && page.samplesPerPixel == 1 && page.photometric <= 1;
}

bool PageSizeWithinLimits(const TiffPage& page) {
  return page.width >= 1 && page.width <= kMaxPageWidth && page.length >= 1 &&
         page.length <= kMaxPageLength && std::uint64_t(page.width) * page.length <= kMaxPagePixels;
}

// The coding code a CCITT compression decodes with, or 0 for a page that is
// not CCITT coded.
std::uint8_t CodingCodeOf(const TiffPage& page) {
  switch (page.compression) {
  case kCcittRle:
    return kCodingMhBytes;
  case kCcittRleW:
    return kCodingMhWords;
  case kCcittT4:
    return (page.t4Options & 1) ? kCodingT4TwoD : kCodingT4OneD;
  case kCcittT6:
    return kCodingT6;
  default:
    return 0;
  }
}

// Unpacks PackBits (TIFF 6.0 section 9) into out, at most out.size() bytes;
// returns the bytes produced.
std::size_t UnpackBits(std::span<const std::uint8_t> in, std::span<std::uint8_t> out) {
  std::size_t read = 0, written = 0;
  while (read < in.size() && written < out.size()) {
    auto header = static_cast<std::int8_t>(in[read++]);
    if (header >= 0) {
      std::size_t literal =
          std::min<std::size_t>({std::size_t(header) + 1, in.size() - read, out.size() - written});
      std::memcpy(out.data() + written, in.data() + read, literal);
      read += std::size_t(header) + 1;
      written += literal;
    } else if (header != -128 && read < in.size()) {
      std::size_t repeat = std::min<std::size_t>(std::size_t(1 - header), out.size() - written);
      std::memset(out.data() + written, in[read++], repeat);
      written += repeat;
    }
  }
  return written;
}

// Rows of an uncompressed or PackBits strip, as the decoder would give them:
// a set bit is a zero sample (paper in WhiteIsZero pages) unless invert.
// With FillOrder 2 the stored bytes are bit-reversed before unpacking.
std::uint32_t UnpackedRows(const TiffPage& page, std::span<const std::uint8_t> stored,
                           std::uint32_t rows, std::uint8_t invert, PageRaster& into,
                           std::uint32_t firstRow) {
  std::vector<std::uint8_t> reversed;
  std::span<const std::uint8_t> strip = stored;
  if (page.fillOrder == 2) {
    const std::uint8_t* reverse = BitReversalTable();
    reversed.reserve(stored.size());
    for (std::uint8_t byte : stored)
      reversed.push_back(reverse[byte]);
    strip = reversed;
  }
  std::span<std::uint8_t> target(into.Row(firstRow), std::size_t(rows) * into.bytesPerRow);
  std::size_t bytes = page.compression == kPackBits ? UnpackBits(strip, target)
                                                    : std::min(strip.size(), target.size());
  if (page.compression != kPackBits)
    std::memcpy(target.data(), strip.data(), bytes);
  if (!invert)
    for (std::size_t i = 0; i < bytes; ++i)
      target[i] = static_cast<std::uint8_t>(~target[i]);
  return static_cast<std::uint32_t>(bytes / into.bytesPerRow);
}

} // namespace

namespace {

// Decodes one CCITT strip on its own (every strip starts afresh) and
// appends its rows to raster at row firstRow; returns the rows it gave.
std::uint32_t DecodeCodedStrip(const TiffPage& page, std::span<const std::uint8_t> strip,
                               std::uint32_t rows, std::uint8_t coding, std::uint8_t invert,
                               PageRaster& into, std::uint32_t firstRow) {
  FaxG4Decoder decoder;
  decoder.Initialise(strip.data(), static_cast<std::uint32_t>(strip.size()),
                     page.fillOrder == 2 ? kLsbFirst : kMsbFirst, coding, invert);
  decoder.SetOptions(static_cast<std::uint8_t>(page.t6Options));
  // One spare row: the decoder writes lines past its maximum into the last
  // row, and the end-of-data codes must not clear a good one.
  decoder.SetSize(static_cast<std::int32_t>(page.width), static_cast<std::int32_t>(rows + 1));
  PageRaster stripRaster;
  decoder.DecodePage(stripRaster);
  std::uint32_t decoded = std::min(stripRaster.height, rows);
  if (decoded)
    std::memcpy(into.Row(firstRow), stripRaster.Row(0), std::size_t(decoded) * into.bytesPerRow);
  return decoded;
}

} // namespace

void TiffFaxReader::DecodePage(std::uint16_t index, PageRaster& raster) {
  raster = PageRaster();
  if (!IsOpen() || ReadDirectory(PageOffset(index)) <= 0)
    return;
  TiffPage page = ParseDirectory();
  auto strips = StripsOf(page);
  std::uint8_t coding = CodingCodeOf(page);
  bool unpacked = page.compression == kNone || page.compression == kPackBits;
  if (!strips || !IsBilevel(page) || (!coding && !unpacked) || !PageSizeWithinLimits(page) ||
      !raster.Allocate(page.width, page.length))
    return;
  std::uint8_t invert = page.photometric == 1 ? 1 : 0;
  std::uint32_t rowsPerStrip = page.rowsPerStrip ? page.rowsPerStrip : page.length;
  std::uint32_t rows = 0;
  for (const TiffStrip& strip : *strips) {
    if (rows >= page.length)
      break;
    std::uint32_t stripRows = std::min(rowsPerStrip, page.length - rows);
    auto data = Bytes().subspan(strip.offset, strip.length);
    rows += unpacked ? UnpackedRows(page, data, stripRows, invert, raster, rows)
                     : DecodeCodedStrip(page, data, stripRows, coding, invert, raster, rows);
  }
  raster.height = rows;
  raster.codingCode =
      unpacked ? std::uint8_t(page.compression == kNone ? kCodingUncompressed : kCodingPackBits)
               : coding;
  raster.bitOrder = page.fillOrder == 2 ? kLsbFirst : kMsbFirst;
  raster.invert = invert;
  raster.dataSize = FileSize();
  raster.resolutionUnit = static_cast<std::uint8_t>(page.resolutionUnit);
  raster.xResolution =
      static_cast<std::uint16_t>(std::min<std::uint32_t>(page.xResolution.Whole(), 0xFFFF));
  raster.yResolution =
      static_cast<std::uint16_t>(std::min<std::uint32_t>(page.yResolution.Whole(), 0xFFFF));
}

int TiffFaxReader::WritePages(FaxTiffWriter& writer) {
  std::uint16_t total = CountPages();
  if (tooManyPages_)
    return kPageTooManyPages;
  for (std::uint16_t index = 0; index < total; ++index) {
    if (int result = CopyPage(writer, index, total); result != 0)
      return result;
  }
  return 0;
}

int TiffFaxReader::CopyPage(FaxTiffWriter& writer, std::uint16_t index, std::uint16_t total) {
  if (ReadDirectory(PageOffset(index)) <= 0)
    return kPageUnreadable;
  TiffPage page = ParseDirectory();
  // Its strips copied under a bilevel directory would be a page of garbage.
  if (!IsBilevel(page))
    return kPageNotBilevel;
  auto strips = StripsOf(page);
  if (!strips || strips->size() > 0xFFFF)
    return kPageUnreadable;
  // Each strip keeps its place and RowsPerStrip: Group 4 and 2-D strips each
  // start from a white reference line, so they cannot be joined.
  std::vector<std::uint32_t> starts, lengths;
  std::vector<std::uint8_t>& block = WorkBuffer();
  block.clear();
  for (const TiffStrip& strip : *strips) {
    if (strip.length > kMaxFileBytes - block.size())
      return kPageUnreadable;
    starts.push_back(static_cast<std::uint32_t>(block.size()));
    lengths.push_back(strip.length);
    auto data = Bytes().subspan(strip.offset, strip.length);
    block.insert(block.end(), data.begin(), data.end());
  }
  std::uint32_t rowsPerStrip =
      std::min(page.rowsPerStrip ? page.rowsPerStrip : page.length, page.length);
  bool multiStrip = strips->size() > 1;
  // Photometric is set through the coding code, then Compression and the
  // T4/T6 options are copied exactly as the source has them.
  writer.SetCodingCode(kCodingT6, page.photometric == 1 ? 1 : 0);
  writer.SetCompression(page.compression, page.t4Options, page.t6Options);
  writer.SetFillOrder(page.fillOrder);
  writer.SetOrientation(page.orientation);
  if (multiStrip && writer.SetStrips(static_cast<std::uint16_t>(strips->size()), rowsPerStrip,
                                     starts.data(), lengths.data()) != 0)
    return kPageUnreadable;
  writer.SetSize(page.width, page.length);
  writer.SetPageNumber(index, total);
  auto length = static_cast<std::uint32_t>(block.size());
  std::uint32_t x = page.xResolution.Whole(), y = page.yResolution.Whole();
  std::uint32_t directory =
      multiStrip ? writer.WriteStripsPageData(block.data(), length, x, y, page.resolutionUnit)
                 : writer.WritePageData(block.data(), length, x, y, page.resolutionUnit);
  if (directory == 0 || writer.WriteDirectory(directory) != 0)
    return kOutputUnwritable;
  return 0;
}

int TiffFaxReader::WriteDocument(const std::string& outputPath, const char* mode) {
  FaxTiffWriter writer;
  if (writer.Open(outputPath, FaxTiffWriter::kLittleEndian, mode) != 0)
    return kOutputUnwritable;
  if (std::strcmp(mode, "wb") == 0)
    writer.WriteHeader();
  writer.InitDirectory();
  int result = WritePages(writer);
  int closed = writer.Close();
  return result != 0 ? result : (closed != 0 ? kOutputUnwritable : 0);
}

int TiffFaxReader::WriteTiff(const std::string& outputPath) {
  return WriteDocument(outputPath, "wb");
}

int TiffFaxReader::CopyTiff(const std::string& tiffPath, const std::string& outputPath,
                            const char* mode) {
  TiffFaxReader source;
  source.Open(tiffPath);
  if (!source.IsOpen())
    return -1;
  if (source.Detect() != 0 || source.CountPages() == 0)
    return -2;
  return source.WriteDocument(outputPath, mode);
}
